// The reference decoder of "list.txt" and "statuses.txt": the encoding
// chosen from the first bytes, the whole text decoded, then cut into
// entries, each step written plainly. The fast loader (core/list_loader.h)
// must give the same entries and encoding for any bytes; the list fuzzer
// and the native tests hold it to this. The loader shares the rules below
// rather than restating them: the mark test, what valid UTF-8 is, and how
// a malformed sequence is replaced. brisklet-check decodes with this too,
// as it needs the whole text for its line numbers. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TListEncoding {
    Ansi,     // no mark, not multi-byte UTF-8: the system's 8-bit code page
    Utf8,     // no mark, but valid UTF-8 with at least one multi-byte sequence
    Utf8Bom,  // EF BB BF
    Utf16Le,  // FF FE
    Utf16Be,  // FE FF
};

const char* EncodingName(TListEncoding encoding) noexcept;

// Appends the UTF-16 form of bytes in the system's 8-bit code page to out.
// The Win32 side passes the real code page; portable callers use Cp1252ToUtf16.
using TAnsiToUtf16 = void (*)(const char* bytes, size_t count, std::u16string& out);

// Windows-1252, the fixed single-byte code page where the system has none.
void Cp1252ToUtf16(const char* bytes, size_t count, std::u16string& out);

// The byte-order mark alone: Ansi when there is none.
TListEncoding ByteOrderMarkOf(const uint8_t* data, size_t size) noexcept;

// The mark, or without one UTF-8 when the whole file is valid UTF-8 with a
// multi-byte sequence, else Ansi.
TListEncoding DetectListEncoding(const uint8_t* data, size_t size) noexcept;

// True for well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF). multiByte reports whether any sequence is longer than one byte.
bool IsValidUtf8(const uint8_t* data, size_t size, bool& multiByte) noexcept;

// What a malformed UTF-8 sequence becomes.
constexpr char16_t ReplacementCharacter = 0xFFFD;

// Length of the well-formed UTF-8 sequence at p (at most n bytes, n > 0),
// with its code point in cp, or 0. Inline: the loader decodes every letter
// of three and four bytes with it.
inline size_t Utf8SequenceLength(const uint8_t* p, size_t n, char32_t& cp) noexcept {
    const uint8_t b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2; cp = b0 & 0x1Fu; min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3; cp = b0 & 0x0Fu; min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4; cp = b0 & 0x07u; min = 0x10000;
    } else {
        return 0;
    }
    if (n < len) {
        return 0;
    }
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0u) != 0x80u) {
            return 0;
        }
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return len;
}

// Length of the longest prefix of a malformed sequence at p that could
// still have begun a valid one; it becomes one ReplacementCharacter (the
// "maximal subpart" rule).
size_t MalformedLength(const uint8_t* p, size_t n) noexcept;

// Appends the UTF-16 form of UTF-8 bytes; malformed sequences become U+FFFD.
void Utf8ToUtf16(const uint8_t* data, size_t size, std::u16string& out);

// Decodes a whole list file by its byte-order mark (or the lack of one).
std::u16string DecodeListText(const uint8_t* data, size_t size, TAnsiToUtf16 ansi,
                              TListEncoding* detected = nullptr);

// Cuts text into entries: CR, LF and CR LF each end an entry, any other run
// of them ends several; a NUL ends the whole text; a line end at the very
// end adds no empty entry. Returns the entries as views into text.
std::vector<std::u16string_view> CutLines(std::u16string_view text);
