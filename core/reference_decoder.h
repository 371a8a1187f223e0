// The reference decoder of "list.txt" and "statuses.txt": the encoding
// chosen from the first bytes, the whole text decoded, then cut into
// entries, each step written plainly. The fast loader (core/list_loader.h)
// must give the same entries and encoding for any bytes; the list fuzzer
// and the native tests hold it to this. The loader shares the rules rather
// than restating them: the mark test below, and from base/utf.h what valid
// UTF-8 is and how a malformed sequence is replaced. brisklet-check decodes
// with this too, as it needs the whole text for its line numbers. Portable:
// no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf.h"

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

// Decodes a whole list file by its byte-order mark (or the lack of one).
std::u16string DecodeListText(const uint8_t* data, size_t size, TAnsiToUtf16 ansi,
                              TListEncoding* detected = nullptr);

// Cuts text into entries: CR, LF and CR LF each end an entry, any other run
// of them ends several; a NUL ends the whole text; a line end at the very
// end adds no empty entry. Returns the entries as views into text.
std::vector<std::u16string_view> CutLines(std::u16string_view text);
