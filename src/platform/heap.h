#pragma once

// Blocks of a quarter megabyte and more (a file read whole, a picture while it is
// decoded, the rows a screen builds) go back to the system when freed. The C library
// otherwise keeps them in its heap once it has seen a large block freed, and a run
// that decoded a few photographs holds their memory to the end.
void returnLargeBlocksWhenFreed();

// Gives the memory freed inside the C library's heaps (those of worker threads too) back
// to the system, after a burst of work that left much of it free.
void returnFreedMemory();
