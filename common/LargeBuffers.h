#pragma once
// Pictures pass through buffers of megabytes (a file read, its encrypted
// bytes, a record of the store). By default the C library hands each one
// back to the system when it is freed and maps fresh memory for the next,
// so every 4 KB of every picture costs a page fault the first time it is
// written: on a virtual machine about 10 microseconds each, 20 ms for a
// camera picture. Kept instead, a freed buffer serves the next picture.

// Keeps freed buffers up to 32 MB (the C library's largest setting) for
// reuse, and up to 128 MB of freed memory in the process. Called first
// thing by the program, the tools and the benchmarks.
void keepLargeBuffers();
