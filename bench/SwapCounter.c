/* LD_PRELOAD shim that counts the buffer swaps of any GL program, so frames
 * are counted the same way for every program the benchmark script runs.
 * It wraps glXSwapBuffers and eglSwapBuffers; after each real swap returns it
 * updates a small shared record in the file named by $SWAP_COUNTER_FILE:
 *   uint64 swaps; int64 first swap return (CLOCK_REALTIME ns); int64 last.
 * The record lives in a shared mapping, so it survives a SIGTERM/SIGKILL. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

struct SwapRecord {
    uint64_t swaps;
    int64_t firstSwapNs;
    int64_t lastSwapNs;
};

static struct SwapRecord* record;
static int recordTried;

static void noteSwap(void)
{
    if (!recordTried) {
        recordTried = 1;
        const char* path = getenv("SWAP_COUNTER_FILE");
        if (path) {
            int fd = open(path, O_RDWR | O_CREAT, 0644);
            if (fd >= 0) {
                if (ftruncate(fd, sizeof(struct SwapRecord)) == 0) {
                    void* p = mmap(NULL, sizeof(struct SwapRecord), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
                    if (p != MAP_FAILED)
                        record = (struct SwapRecord*)p;
                }
                close(fd);
            }
        }
    }
    if (!record)
        return;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const int64_t ns = (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
    if (record->swaps == 0)
        record->firstSwapNs = ns;
    record->lastSwapNs = ns;
    record->swaps += 1;
}

typedef void (*GlxSwap)(void*, unsigned long);
typedef unsigned (*EglSwap)(void*, void*);

/* dlsym returns an object pointer; copy it into the function pointer (ISO C
 * has no cast between the two). */
static void* nextSymbol(const char* name) { return dlsym(RTLD_NEXT, name); }

void glXSwapBuffers(void* display, unsigned long drawable)
{
    GlxSwap real = NULL;
    void* symbol = nextSymbol("glXSwapBuffers");
    memcpy(&real, &symbol, sizeof real);
    if (real)
        real(display, drawable);
    noteSwap();
}

unsigned eglSwapBuffers(void* display, void* surface)
{
    EglSwap real = NULL;
    void* symbol = nextSymbol("eglSwapBuffers");
    memcpy(&real, &symbol, sizeof real);
    unsigned ok = real ? real(display, surface) : 0;
    noteSwap();
    return ok;
}
