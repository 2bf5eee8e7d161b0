// Preloaded into crash_writer by tst_crash: once armed, it counts the calls that change
// or sync files and kills the process (SIGKILL, as a power cut or `kill -9` would end
// it) just before call number UTABAKO_CRASH_AT. The writer arms it when its write begins.

#include <dlfcn.h>
#include <fcntl.h>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

long armedAt = -1; // the call to die at, once armed
long calls = 0;

void count()
{
    if (armedAt > 0 && ++calls == armedAt)
        raise(SIGKILL);
}

} // namespace

extern "C" {

void utabako_crash_arm()
{
    const char* at = getenv("UTABAKO_CRASH_AT");
    armedAt = at ? std::atol(at) : -1;
    calls = 0;
}

#define REAL(name) reinterpret_cast<decltype(&name)>(dlsym(RTLD_NEXT, #name))

#define OPEN_LIKE(name, ...)                                                                   \
    {                                                                                          \
        mode_t mode = 0;                                                                       \
        if (flags & (O_CREAT | O_TMPFILE)) {                                                   \
            va_list args;                                                                      \
            va_start(args, flags);                                                             \
            mode = static_cast<mode_t>(va_arg(args, unsigned));                                                       \
            va_end(args);                                                                      \
        }                                                                                      \
        count();                                                                               \
        return REAL(name)(__VA_ARGS__, mode);                                                  \
    }

int open(const char* path, int flags, ...) OPEN_LIKE(open, path, flags)
int open64(const char* path, int flags, ...) OPEN_LIKE(open64, path, flags)
int openat(int dir, const char* path, int flags, ...) OPEN_LIKE(openat, dir, path, flags)
int openat64(int dir, const char* path, int flags, ...) OPEN_LIKE(openat64, dir, path, flags)

ssize_t write(int fd, const void* bytes, size_t size)
{
    count();
    return REAL(write)(fd, bytes, size);
}

int rename(const char* from, const char* to)
{
    count();
    return REAL(rename)(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    count();
    return REAL(renameat)(fromDir, from, toDir, to);
}

int unlink(const char* path)
{
    count();
    return REAL(unlink)(path);
}

int unlinkat(int dir, const char* path, int flags)
{
    count();
    return REAL(unlinkat)(dir, path, flags);
}

int mkdir(const char* path, mode_t mode)
{
    count();
    return REAL(mkdir)(path, mode);
}

int fsync(int fd)
{
    count();
    return REAL(fsync)(fd);
}

int fdatasync(int fd)
{
    count();
    return REAL(fdatasync)(fd);
}

} // extern "C"
