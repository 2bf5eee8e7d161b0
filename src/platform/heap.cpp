#include "heap.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void returnLargeBlocksWhenFreed()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
