#include "FileReading.h"

#include <cerrno>
#include <unistd.h>

ssize_t readAt(int fd, void *into, size_t size, off_t offset)
{
    auto *bytes = static_cast<char *>(into);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}
