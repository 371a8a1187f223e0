#include "base/utf.h"

namespace {

void AppendCodePoint(char32_t cp, std::u16string& out) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

}  // namespace

bool IsValidUtf8(const uint8_t* data, size_t size, bool& multiByte) noexcept {
    multiByte = false;
    size_t i = 0;
    while (i < size) {
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        const size_t len = Utf8SequenceLength(data + i, size - i, cp);
        if (len == 0) {
            return false;
        }
        multiByte = true;
        i += len;
    }
    return true;
}

size_t MalformedLength(const uint8_t* p, size_t n) noexcept {
    const uint8_t b0 = p[0];
    size_t want;
    uint8_t lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        want = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        want = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        want = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 1;
    }
    size_t i = 1;
    if (i < n && i < want && p[i] >= lo && p[i] <= hi) {
        ++i;
        while (i < n && i < want && (p[i] & 0xC0u) == 0x80u) {
            ++i;
        }
    }
    return i;
}

void Utf8ToUtf16(const uint8_t* data, size_t size, std::u16string& out) {
    out.reserve(out.size() + size);
    size_t i = 0;
    while (i < size) {
        // Runs of ASCII are the common case.
        size_t run = i;
        while (run < size && data[run] < 0x80) {
            ++run;
        }
        if (run > i) {
            const size_t base = out.size();
            out.resize(base + (run - i));
            char16_t* dst = &out[base];
            for (size_t k = i; k < run; ++k) {
                *dst++ = data[k];
            }
            i = run;
            continue;
        }
        char32_t cp;
        const size_t len = Utf8SequenceLength(data + i, size - i, cp);
        if (len == 0) {
            out.push_back(ReplacementCharacter);
            i += MalformedLength(data + i, size - i);
        } else {
            AppendCodePoint(cp, out);
            i += len;
        }
    }
}
std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    Utf8ToUtf16(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = ReplacementCharacter;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}
