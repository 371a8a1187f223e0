// The loader's sixteen-byte steps for x86 processors (SSE2 and SSSE3). Each
// is compiled for its instructions alone, so the caller asks HasSse2 or
// HasSsse3 first; builds for other processors have none of them and take
// the word-at-a-time path. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define BRISKLET_X86_BLOCKS 1
#endif

#if BRISKLET_X86_BLOCKS

// Whether this processor has the instructions.
bool HasSse2() noexcept;
bool HasSsse3() noexcept;

// Counts in data the continuation bytes and the lead bytes of four-byte
// sequences (F0 and up), and notes in high any byte from 0x80 up, sixteen
// bytes a step. Takes whole blocks only and stops before one with a NUL;
// returns the bytes done. Needs SSE2.
size_t MeasureBlocks(const uint8_t* data, size_t size, size_t& continuation, size_t& fourByte,
                     bool& high) noexcept;

// Cuts the bytes of p from p + from on while at least 17 of them are left
// (a step reads one byte past its sixteen): plain ASCII, well-formed
// two-byte sequences and line ends. Writes the code units from out + used
// on, advancing used, and appends to ends the end of each entry that a line
// end closes. Stops at any other byte and returns the bytes it took. Up to
// eight units after the text may be overwritten. used + (n - from) must fit
// in 32 bits, so that every end does. Needs SSSE3.
size_t CutShortSequences(const uint8_t* p, size_t from, size_t n, char16_t* out, size_t& used,
                         std::vector<uint32_t>& ends);

#endif
