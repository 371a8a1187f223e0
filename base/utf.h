// The one conversion between UTF-16 and UTF-8. Portable: no Win32. What
// is not well-formed becomes U+FFFD, as the system's converter makes it:
// from UTF-16, each surrogate without its partner (a lead alone, a trail
// alone, a trail before its lead); from UTF-8, each malformed sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// The UTF-16 form of UTF-8 bytes; malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);

// The UTF-8 form of a text: a surrogate pair becomes one four-byte
// sequence, a surrogate without its partner U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
