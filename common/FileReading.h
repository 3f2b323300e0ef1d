#pragma once
// Reading a file's bytes at an offset, whatever the system hands back in
// one call.

#include <sys/types.h>

#include <cstddef>

// Reads size bytes of fd at offset into into, or as many as there are up to
// the end of the file; the count read, or -1 on an error (errno says which).
ssize_t readAt(int fd, void *into, size_t size, off_t offset);
