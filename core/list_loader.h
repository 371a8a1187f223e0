// The fast loader of "list.txt" and "statuses.txt": decodes, cuts and
// indexes a file's bytes in one pass, straight into a TTextList. It gives
// the entries and the encoding of the reference decoder
// (core/reference_decoder.h). Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/reference_decoder.h"
#include "core/text_list.h"

// The system's 8-bit code page as the loader sees it. AsciiSame promises
// that bytes below 0x80, in a text that has no other bytes, convert to the
// same code units; such a file is then widened without the converter.
struct TAnsiCodePage {
    TAnsiToUtf16 Convert = nullptr;  // nullptr: Windows-1252
    bool AsciiSame = true;
};

// On x86 the loader takes sixteen bytes a step where the processor has the
// instructions for it; the tests, the list fuzzer and the benchmark turn
// that off to reach the word-at-a-time path that every other build uses.
void UseBlockSteps(bool on) noexcept;

// The steps a load takes now, from UseBlockSteps and this processor: Ssse3
// cuts sixteen bytes a step (SSSE3) and measures them with SSE2, Sse2 only
// measures that way, Words takes the word-at-a-time steps alone. The loader
// decides by this, so a test can check which path a run really took.
enum class TLoaderPath { Ssse3, Sse2, Words };
TLoaderPath LoaderPath() noexcept;

// Decodes and cuts a list file into list (replacing its content), and
// indexes the entries by their first field.
void LoadListBytes(const uint8_t* data, size_t size, const TAnsiCodePage& ansi, TTextList& list,
                   TListEncoding* detected = nullptr);
// The same with a converter alone; only Windows-1252 (nullptr) is taken to
// keep ASCII as it is.
void LoadListBytes(const uint8_t* data, size_t size, TAnsiToUtf16 ansi, TTextList& list,
                   TListEncoding* detected = nullptr);
// Replaces the content of list with the entries cut from text (the rules of
// CutLines), and indexes them by their first field.
void LoadListText(std::u16string text, TTextList& list);
