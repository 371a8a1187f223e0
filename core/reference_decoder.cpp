#include "core/reference_decoder.h"

#include <cstring>

namespace {

// The upper half of Windows-1252; the five unassigned bytes map to the C1
// controls of the same value, as the system's converter does.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsLineEnd(char16_t c) noexcept { return c == u'\r' || c == u'\n'; }

}  // namespace

const char* EncodingName(TListEncoding encoding) noexcept {
    switch (encoding) {
    case TListEncoding::Ansi: return "ANSI";
    case TListEncoding::Utf8: return "UTF-8";
    case TListEncoding::Utf8Bom: return "UTF-8 with BOM";
    case TListEncoding::Utf16Le: return "UTF-16 LE";
    case TListEncoding::Utf16Be: return "UTF-16 BE";
    }
    return "?";
}

void Cp1252ToUtf16(const char* bytes, size_t count, std::u16string& out) {
    const size_t base = out.size();
    out.resize(base + count);
    char16_t* dst = &out[base];
    for (size_t i = 0; i < count; ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? Cp1252High[b - 0x80] : static_cast<char16_t>(b);
    }
}

TListEncoding ByteOrderMarkOf(const uint8_t* data, size_t size) noexcept {
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        return TListEncoding::Utf16Le;
    }
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        return TListEncoding::Utf16Be;
    }
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        return TListEncoding::Utf8Bom;
    }
    return TListEncoding::Ansi;
}

TListEncoding DetectListEncoding(const uint8_t* data, size_t size) noexcept {
    const TListEncoding mark = ByteOrderMarkOf(data, size);
    if (mark != TListEncoding::Ansi) {
        return mark;
    }
    // Notepad saves UTF-8 without a mark; reading that as ANSI would garble
    // every non-ASCII letter. Pure ASCII reads the same either way.
    bool multiByte = false;
    if (IsValidUtf8(data, size, multiByte) && multiByte) {
        return TListEncoding::Utf8;
    }
    return TListEncoding::Ansi;
}

std::u16string DecodeListText(const uint8_t* data, size_t size, TAnsiToUtf16 ansi,
                              TListEncoding* detected) {
    const TListEncoding encoding = DetectListEncoding(data, size);
    if (detected) {
        *detected = encoding;
    }
    std::u16string text;
    switch (encoding) {
    case TListEncoding::Utf16Le:
    case TListEncoding::Utf16Be: {
        const size_t units = (size - 2) / 2;  // an odd last byte is ignored
        text.resize(units);
        if (units > 0) {
            std::memcpy(&text[0], data + 2, units * 2);
        }
        const bool swap = (encoding == TListEncoding::Utf16Be);
        // The buffer holds the file's byte order; bring it to the host's.
        const uint16_t probe = 1;
        const bool littleHost = *reinterpret_cast<const uint8_t*>(&probe) == 1;
        if (swap == littleHost) {
            for (char16_t& c : text) {
                c = static_cast<char16_t>((c >> 8) | (c << 8));
            }
        }
        break;
    }
    case TListEncoding::Utf8Bom:
        Utf8ToUtf16(data + 3, size - 3, text);
        break;
    case TListEncoding::Utf8:
        Utf8ToUtf16(data, size, text);
        break;
    case TListEncoding::Ansi:
        (ansi ? ansi : Cp1252ToUtf16)(reinterpret_cast<const char*>(data), size, text);
        break;
    }
    return text;
}

std::vector<std::u16string_view> CutLines(std::u16string_view text) {
    std::vector<std::u16string_view> pieces;
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) {
        text = text.substr(0, nul);
    }
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (!IsLineEnd(c)) {
            ++i;
            continue;
        }
        pieces.push_back(text.substr(start, i - start));
        i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size()) {
        pieces.push_back(text.substr(start));
    }
    return pieces;
}
