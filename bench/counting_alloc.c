/* Replaces malloc and friends in the benchmark program (the C library lets a
   program do so) and forwards to the C library's own functions. The benchmark
   is single-threaded while it counts. Blocks freed while counting that were
   taken before it would make the count drift, so a measured load starts
   with a fresh list. */
#include "bench/counting_alloc.h"

#include <malloc.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* block, size_t size);
extern void __libc_free(void* block);

static int counting;
static long long held;
static long long peak;

static void Note(long long delta) {
    held += delta;
    if (held > peak) {
        peak = held;
    }
}

void CountingStart(void) {
    held = 0;
    peak = 0;
    counting = 1;
}

void CountingStop(void) { counting = 0; }

size_t CountingPeak(void) { return (size_t)peak; }

void* malloc(size_t size) {
    void* block = __libc_malloc(size);
    if (counting && block) {
        Note((long long)malloc_usable_size(block));
    }
    return block;
}

void* calloc(size_t count, size_t size) {
    void* block = __libc_calloc(count, size);
    if (counting && block) {
        Note((long long)malloc_usable_size(block));
    }
    return block;
}

void* realloc(void* block, size_t size) {
    const long long old = (counting && block) ? (long long)malloc_usable_size(block) : 0;
    void* moved = __libc_realloc(block, size);
    if (counting && moved) {
        if (moved != block) {
            Note((long long)malloc_usable_size(moved));  /* both live while copying */
            Note(-old);
        } else {
            Note((long long)malloc_usable_size(moved) - old);
        }
    } else if (counting && block && size == 0) {
        Note(-old);
    }
    return moved;
}

void free(void* block) {
    if (counting && block) {
        Note(-(long long)malloc_usable_size(block));
    }
    __libc_free(block);
}
