/* flush_cost: an LD_PRELOAD library that gives every flush to the disk a
 * price, for run_bench.sh's flush round. Not part of the program.
 *
 * On the benchmark machine's disk a flush returns almost at once, which hides
 * what a rewrite pays per flush on a consumer SSD (about 2 ms) or on slower
 * media (10 ms and more). Loaded into a run, this library makes each flush
 * wait a set time before it is done, or skips it, and counts the flushes:
 *
 *   RAVO_FLUSH_COST_MS=N      each flush first sleeps N ms (fractions
 *                             allowed), then calls the real function; default
 *                             2, or 0 with RAVO_FLUSH_SKIP
 *   RAVO_FLUSH_SKIP=1         the real function is not called and the flush
 *                             reports success: alone, flushes cost nothing;
 *                             with a cost, each costs exactly that, as on a
 *                             device whose flush takes that long where this
 *                             machine's own disk would add its write-out
 *   RAVO_FLUSH_COUNT_FILE=F   at exit the process appends its flush count and
 *                             a newline to F
 *
 * Flushes are fsync, fdatasync, syncfs, sync, msync with MS_SYNC and
 * sync_file_range when it waits for the write-out (SYNC_FILE_RANGE_WAIT_AFTER);
 * other calls of the last two pass through uncounted. A flush made by a raw
 * system call, by io_uring or by a file opened with O_SYNC or O_DSYNC is not
 * seen.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

static atomic_ulong flush_count;
static struct timespec flush_cost = {0, 2 * 1000 * 1000};
static int flush_skipped;
/* Only the process that loaded the library reports; a forked child that
 * returns through exit would otherwise report the parent's count again. */
static pid_t loading_process;

__attribute__((constructor)) static void read_settings(void)
{
    loading_process = getpid();
    const char *skip = getenv("RAVO_FLUSH_SKIP");
    flush_skipped = skip && strcmp(skip, "1") == 0;
    const char *cost = getenv("RAVO_FLUSH_COST_MS");
    if (flush_skipped && !(cost && *cost))
        flush_cost.tv_nsec = 0;
    if (cost && *cost) {
        const double ms = strtod(cost, NULL);
        const long long ns = ms > 0 ? (long long)(ms * 1e6) : 0;
        flush_cost.tv_sec = (time_t)(ns / 1000000000);
        flush_cost.tv_nsec = (long)(ns % 1000000000);
    }
}

__attribute__((destructor)) static void report_count(void)
{
    const char *path = getenv("RAVO_FLUSH_COUNT_FILE");
    if (!path || !*path || getpid() != loading_process)
        return;
    char line[32];
    const int n = snprintf(line, sizeof line, "%lu\n", atomic_load(&flush_count));
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (write(fd, line, (size_t)n) != n)
        perror("flush_cost: count file");
    close(fd);
}

/* Counts one flush and pays its cost; gives 1 when the flush is to be
 * skipped. Keeps errno as the caller left it. */
static int pay_for_flush(void)
{
    atomic_fetch_add(&flush_count, 1);
    const int saved = errno;
    struct timespec left = flush_cost;
    while ((left.tv_sec > 0 || left.tv_nsec > 0) && nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
    errno = saved;
    return flush_skipped;
}

/* The next definition of NAME after this library, looked up once. */
static void *real(const char *name, void *_Atomic *cache)
{
    void *found = atomic_load(cache);
    if (!found) {
        found = dlsym(RTLD_NEXT, name);
        if (!found) {
            fprintf(stderr, "flush_cost: no %s to wrap\n", name);
            abort();
        }
        atomic_store(cache, found);
    }
    return found;
}

#define REAL(name) ((__typeof__(&name))real(#name, &real_##name))

static void *_Atomic real_fsync;
static void *_Atomic real_fdatasync;
static void *_Atomic real_syncfs;
static void *_Atomic real_sync;
static void *_Atomic real_sync_file_range;
static void *_Atomic real_msync;

int fsync(int fd)
{
    return pay_for_flush() ? 0 : REAL(fsync)(fd);
}

int fdatasync(int fd)
{
    return pay_for_flush() ? 0 : REAL(fdatasync)(fd);
}

int syncfs(int fd)
{
    return pay_for_flush() ? 0 : REAL(syncfs)(fd);
}

void sync(void)
{
    if (!pay_for_flush())
        REAL(sync)();
}

int sync_file_range(int fd, off64_t offset, off64_t nbytes, unsigned int flags)
{
    if ((flags & SYNC_FILE_RANGE_WAIT_AFTER) && pay_for_flush())
        return 0;
    return REAL(sync_file_range)(fd, offset, nbytes, flags);
}

int msync(void *addr, size_t length, int flags)
{
    if ((flags & MS_SYNC) && pay_for_flush())
        return 0;
    return REAL(msync)(addr, length, flags);
}
