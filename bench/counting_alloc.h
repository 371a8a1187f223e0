/* A counting layer over the C library's allocator, for the benchmark's
   memory figures: while counting, it keeps the bytes held and their peak. */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void CountingStart(void);
void CountingStop(void);
/* Peak of the bytes held since CountingStart, over what was held then. */
size_t CountingPeak(void);

#ifdef __cplusplus
}
#endif
