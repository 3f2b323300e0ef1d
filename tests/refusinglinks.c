// Preloaded into a tool by the tests: link() and linkat() and, when asked,
// renameat2()
// fail as they do on file systems without hard links (FAT, exFAT, some
// network shares), so that the fallbacks are tried on any machine.
//   QUILBO_TEST_REFUSE=link or link,renameat2
// With QUILBO_TEST_DAMAGE_COPIES set, copy_file_range() copies, then flips
// a bit of what it wrote, as a failing disk or cable would.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int refused(const char *call)
{
    const char *list = getenv("QUILBO_TEST_REFUSE");
    if (!list || !strstr(list, call))
        return 0;
    // Said, so that a test sees the refusal really happened.
    fprintf(stderr, "refused %s\n", call);
    return 1;
}

int link(const char *from, const char *to)
{
    if (refused("link")) {
        errno = EPERM;
        return -1;
    }
    int (*real)(const char *, const char *) = (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "link");
    return real(from, to);
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags)
{
    // Naming an unnamed file (O_TMPFILE, which Qt's temporary files use
    // where the file system has it; FAT has not) is left as it is.
    if (!(flags & (AT_EMPTY_PATH | AT_SYMLINK_FOLLOW)) && refused("link")) {
        errno = EPERM;
        return -1;
    }
    int (*real)(int, const char *, int, const char *, int) =
        (int (*)(int, const char *, int, const char *, int))dlsym(RTLD_NEXT, "linkat");
    return real(fromDir, from, toDir, to, flags);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags)
{
    if (refused("renameat2")) {
        errno = EINVAL;
        return -1;
    }
    int (*real)(int, const char *, int, const char *, unsigned int) =
        (int (*)(int, const char *, int, const char *, unsigned int))dlsym(RTLD_NEXT, "renameat2");
    return real(fromDir, from, toDir, to, flags);
}

ssize_t copy_file_range(int in, loff_t *inOffset, int out, loff_t *outOffset, size_t size, unsigned int flags)
{
    ssize_t (*real)(int, loff_t *, int, loff_t *, size_t, unsigned int) =
        (ssize_t(*)(int, loff_t *, int, loff_t *, size_t, unsigned int))dlsym(RTLD_NEXT, "copy_file_range");
    const ssize_t copied = real(in, inOffset, out, outOffset, size, flags);
    if (copied > 4096 && getenv("QUILBO_TEST_DAMAGE_COPIES")) {
        char byte = 0;
        if (pread(out, &byte, 1, 4096) == 1) {
            byte ^= 1;
            if (pwrite(out, &byte, 1, 4096) == 1)
                fprintf(stderr, "damaged a copy\n");
        }
    }
    return copied;
}
