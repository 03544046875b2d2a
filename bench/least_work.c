/* least_work: the least work a safe rewrite of the benchmark's files can do,
 * as the yardstick run_bench.sh sets the driver against. Not part of the
 * program.
 *
 *   least_work SEARCH REPLACEMENT FILE...
 *
 * Per file: open, fstat, read the whole file, replace the first occurrence of
 * SEARCH in each line (lines found with memchr, the text with memmem), write
 * the lines with CR LF ends into FILE.TMP, created exclusively and owner-only,
 * give it the file's owner, mode and extended attributes through its
 * descriptor, fdatasync it and rename it over the file. The folders are
 * flushed at the end. It keeps only the byte rules the benchmark's corpus
 * needs (LF or CR LF ends); it has no lone-CR or end-mark rule.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <libgen.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

enum { kOutSize = 64 * 1024 };

struct out {
    int fd;
    size_t used;
    int failed;
    char bytes[kOutSize];
};

static void out_flush(struct out *o)
{
    size_t done = 0;
    while (done < o->used && !o->failed) {
        const ssize_t n = write(o->fd, o->bytes + done, o->used - done);
        if (n < 0 && errno != EINTR)
            o->failed = 1;
        else if (n > 0)
            done += (size_t)n;
    }
    o->used = 0;
}

static void out_put(struct out *o, const char *bytes, size_t n)
{
    while (n > 0) {
        if (o->used == kOutSize)
            out_flush(o);
        size_t take = kOutSize - o->used;
        if (take > n)
            take = n;
        memcpy(o->bytes + o->used, bytes, take);
        o->used += take;
        bytes += take;
        n -= take;
    }
}

static void rewrite_lines(struct out *o, const char *in, size_t size, const char *search, size_t slen,
                          const char *replacement, size_t rlen)
{
    const char *end = in + size;
    while (in < end) {
        const char *lf = memchr(in, '\n', (size_t)(end - in));
        const char *next = lf ? lf + 1 : end;
        const char *stop = lf ? lf : end;
        if (stop > in && stop[-1] == '\r')
            --stop;
        const char *hit = memmem(in, (size_t)(stop - in), search, slen);
        if (hit) {
            out_put(o, in, (size_t)(hit - in));
            out_put(o, replacement, rlen);
            in = hit + slen;
        }
        out_put(o, in, (size_t)(stop - in));
        out_put(o, "\r\n", 2);
        in = next;
    }
}

static int copy_xattrs(int from, int to)
{
    char names[4096];
    const ssize_t length = flistxattr(from, names, sizeof names);
    if (length < 0)
        return errno == ENOTSUP ? 0 : -1;
    char value[4096];
    for (const char *name = names; name < names + length; name += strlen(name) + 1) {
        const ssize_t n = fgetxattr(from, name, value, sizeof value);
        if (n < 0 || fsetxattr(to, name, value, (size_t)n, 0) != 0)
            return -1;
    }
    return 0;
}

static int rewrite_file(const char *path, const char *search, const char *replacement, struct out *o,
                        char **buffer, size_t *capacity)
{
    const int in = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat st;
    if (in < 0 || fstat(in, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const size_t size = (size_t)st.st_size;
    if (size + 1 > *capacity) {
        free(*buffer);
        *capacity = size + 1;
        *buffer = malloc(*capacity);
        if (!*buffer)
            return -1;
    }
    size_t got = 0;
    for (ssize_t n; got < size && (n = read(in, *buffer + got, size - got)) != 0; got += (size_t)n)
        if (n < 0)
            return -1;

    char temporary[4096];
    if (snprintf(temporary, sizeof temporary, "%s.TMP", path) >= (int)sizeof temporary)
        return -1;
    o->fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (o->fd < 0)
        return -1;
    o->used = 0;
    o->failed = 0;
    rewrite_lines(o, *buffer, got, search, strlen(search), replacement, strlen(replacement));
    out_flush(o);
    int status = o->failed ? -1 : 0;
    if (fchown(o->fd, st.st_uid, st.st_gid) != 0 && fchown(o->fd, (uid_t)-1, st.st_gid) != 0)
        status = -1;
    if (fchmod(o->fd, st.st_mode & 07777) != 0 || copy_xattrs(in, o->fd) != 0 || fdatasync(o->fd) != 0)
        status = -1;
    if (close(o->fd) != 0 || close(in) != 0)
        status = -1;
    if (status == 0 && rename(temporary, path) != 0)
        status = -1;
    return status;
}

/* Flushes a folder whose entries were renamed. */
static void flush_folder(const char *folder)
{
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

int main(int argc, char **argv)
{
    if (argc < 3 || argv[1][0] == '\0') {
        fprintf(stderr, "usage: least_work SEARCH REPLACEMENT FILE...\n");
        return 2;
    }
    static struct out o;
    static char folder[4096], previous[4096];
    char *buffer = NULL;
    size_t capacity = 0;
    int status = 0;
    for (int i = 3; i < argc; ++i) {
        if (rewrite_file(argv[i], argv[1], argv[2], &o, &buffer, &capacity) != 0) {
            fprintf(stderr, "least_work: %s: %s\n", argv[i], strerror(errno));
            status = 1;
        }
        snprintf(folder, sizeof folder, "%s", argv[i]);
        const char *name = dirname(folder);
        if (previous[0] != '\0' && strcmp(previous, name) != 0)
            flush_folder(previous);
        snprintf(previous, sizeof previous, "%s", name);
    }
    if (previous[0] != '\0')
        flush_folder(previous);
    free(buffer);
    return status;
}
