// Preloaded into a driver process: counts every system call that changes a file or a folder, in the order the
// process makes them (all threads together), and kills the process with SIGKILL just before the K-th one. A kill
// there is what a power cut or a crash does to the command at that point: nothing after it reaches the disk.
//
//   TALLYRA_KILL_AT=K       kill before the K-th call (1-based); 0 or unset: never kill, only count
//   TALLYRA_KILL_COUNT=FILE at exit, write the number of calls counted to FILE
//   TALLYRA_KILL_LOG=FILE   append one line per counted call (its number, the call and its path or descriptor)
//
// Only calls on regular files and folders count: writes to the terminal, pipes and the event loop's eventfd
// change nothing a user keeps. The counting is done in the wrappers of the C library, which the program, Qt and
// SQLite all call by name, so each call is seen once.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static atomic_long s_count;
static long s_killAt = -1;
static int s_logFd = -1;
static char s_countFile[4096];

__attribute__((constructor)) static void setUp(void)
{
    const char* at = getenv("TALLYRA_KILL_AT");
    s_killAt = at ? atol(at) : 0;
    const char* log = getenv("TALLYRA_KILL_LOG");
    if (log && *log)
        s_logFd = (int)syscall(SYS_openat, AT_FDCWD, log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const char* countFile = getenv("TALLYRA_KILL_COUNT");
    if (countFile)
        snprintf(s_countFile, sizeof s_countFile, "%s", countFile);
}

__attribute__((destructor)) static void tellCount(void)
{
    if (!s_countFile[0])
        return;
    char text[32];
    const int length = snprintf(text, sizeof text, "%ld\n", atomic_load(&s_count));
    const int fd = (int)syscall(SYS_openat, AT_FDCWD, s_countFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        syscall(SYS_write, fd, text, (size_t)length);
        syscall(SYS_close, fd);
    }
}

static void step(const char* call, const char* path, int fd)
{
    const long number = atomic_fetch_add(&s_count, 1) + 1;
    if (s_logFd >= 0) {
        char line[4200];
        const int length = path ? snprintf(line, sizeof line, "%ld %s %s\n", number, call, path)
                                : snprintf(line, sizeof line, "%ld %s fd %d\n", number, call, fd);
        if (length > 0)
            syscall(SYS_write, s_logFd, line, (size_t)(length < (int)sizeof line ? length : (int)sizeof line - 1));
    }
    if (number == s_killAt)
        kill(getpid(), SIGKILL);
}

// A descriptor that names a file or folder on disk, as opposed to a terminal, pipe, socket or eventfd.
static int onDisk(int fd)
{
    struct stat st;
    return fd > 2 && fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
}

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t write(int fd, const void* buffer, size_t size)
{
    if (onDisk(fd))
        step("write", NULL, fd);
    return REAL(write)(fd, buffer, size);
}

ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset)
{
    if (onDisk(fd))
        step("pwrite", NULL, fd);
    return REAL(pwrite)(fd, buffer, size, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t size, off64_t offset)
{
    if (onDisk(fd))
        step("pwrite64", NULL, fd);
    return REAL(pwrite64)(fd, buffer, size, offset);
}

ssize_t writev(int fd, const struct iovec* parts, int count)
{
    if (onDisk(fd))
        step("writev", NULL, fd);
    return REAL(writev)(fd, parts, count);
}

ssize_t pwritev(int fd, const struct iovec* parts, int count, off_t offset)
{
    if (onDisk(fd))
        step("pwritev", NULL, fd);
    return REAL(pwritev)(fd, parts, count, offset);
}

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t length, unsigned flags)
{
    step("copy_file_range", NULL, out);
    return REAL(copy_file_range)(in, inOffset, out, outOffset, length, flags);
}

ssize_t sendfile(int out, int in, off_t* offset, size_t count)
{
    if (onDisk(out))
        step("sendfile", NULL, out);
    return REAL(sendfile)(out, in, offset, count);
}

int ftruncate(int fd, off_t length)
{
    step("ftruncate", NULL, fd);
    return REAL(ftruncate)(fd, length);
}

int ftruncate64(int fd, off64_t length)
{
    step("ftruncate64", NULL, fd);
    return REAL(ftruncate64)(fd, length);
}

int truncate(const char* path, off_t length)
{
    step("truncate", path, -1);
    return REAL(truncate)(path, length);
}

int fsync(int fd)
{
    step("fsync", NULL, fd);
    return REAL(fsync)(fd);
}

int fdatasync(int fd)
{
    step("fdatasync", NULL, fd);
    return REAL(fdatasync)(fd);
}

int rename(const char* from, const char* to)
{
    step("rename", to, -1);
    return REAL(rename)(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    step("renameat", to, -1);
    return REAL(renameat)(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags)
{
    step("renameat2", to, -1);
    return REAL(renameat2)(fromDir, from, toDir, to, flags);
}

int link(const char* from, const char* to)
{
    step("link", to, -1);
    return REAL(link)(from, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    step("linkat", to, -1);
    return REAL(linkat)(fromDir, from, toDir, to, flags);
}

int symlink(const char* target, const char* path)
{
    step("symlink", path, -1);
    return REAL(symlink)(target, path);
}

int symlinkat(const char* target, int dir, const char* path)
{
    step("symlinkat", path, -1);
    return REAL(symlinkat)(target, dir, path);
}

int unlink(const char* path)
{
    step("unlink", path, -1);
    return REAL(unlink)(path);
}

int unlinkat(int dir, const char* path, int flags)
{
    step("unlinkat", path, -1);
    return REAL(unlinkat)(dir, path, flags);
}

int remove(const char* path)
{
    step("remove", path, -1);
    return REAL(remove)(path);
}

int mkdir(const char* path, mode_t mode)
{
    step("mkdir", path, -1);
    return REAL(mkdir)(path, mode);
}

int mkdirat(int dir, const char* path, mode_t mode)
{
    step("mkdirat", path, -1);
    return REAL(mkdirat)(dir, path, mode);
}

int rmdir(const char* path)
{
    step("rmdir", path, -1);
    return REAL(rmdir)(path);
}

// Opening creates or empties a file only with these flags; a plain open changes nothing.
static int changes(int flags)
{
    return (flags & (O_CREAT | O_TRUNC)) != 0;
}

static mode_t modeOf(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(arguments, int) : 0;
}

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    if (changes(flags))
        step("open", path, -1);
    return REAL(open)(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    if (changes(flags))
        step("open64", path, -1);
    return REAL(open64)(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    if (changes(flags))
        step("openat", path, -1);
    return REAL(openat)(dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    if (changes(flags))
        step("openat64", path, -1);
    return REAL(openat64)(dir, path, flags, mode);
}

int creat(const char* path, mode_t mode)
{
    step("creat", path, -1);
    return REAL(creat)(path, mode);
}

// The checked forms the compiler calls for open() when it cannot see the flags.
int __open_2(const char* path, int flags)
{
    if (changes(flags))
        step("open", path, -1);
    return REAL(__open_2)(path, flags);
}

int __open64_2(const char* path, int flags)
{
    if (changes(flags))
        step("open64", path, -1);
    return REAL(__open64_2)(path, flags);
}

int __openat_2(int dir, const char* path, int flags)
{
    if (changes(flags))
        step("openat", path, -1);
    return REAL(__openat_2)(dir, path, flags);
}

int __openat64_2(int dir, const char* path, int flags)
{
    if (changes(flags))
        step("openat64", path, -1);
    return REAL(__openat64_2)(dir, path, flags);
}
