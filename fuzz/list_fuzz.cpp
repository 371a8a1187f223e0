// The reference decoder and line cutter over any bytes, and the fast loader
// by both of its paths against them. The first input byte picks a
// byte-order mark to put in front (0 none, 1 FF FE, 2 FE FF, 3 EF BB BF), so
// mutations of the body keep their encoding; with none, the body's own
// first bytes decide, marks included.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/utf.h"
#include "core/list_loader.h"
#include "core/reference_decoder.h"
#include "core/text_list.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/index_check.h"

namespace {

using TEntries = std::vector<std::u16string>;

TEntries Cut(std::u16string_view text) {
    const std::vector<std::u16string_view> views = CutLines(text);
    return TEntries(views.begin(), views.end());
}

TEntries Decode(const std::string& bytes, TListEncoding* encoding = nullptr) {
    return Cut(DecodeListText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nullptr, encoding));
}

// Each entry ends with CR LF, so an empty last entry survives the trip.
std::u16string Joined(const TEntries& entries) {
    std::u16string text;
    for (const auto& e : entries) {
        text += e;
        text += u"\r\n";
    }
    return text;
}

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? std::string("\xFE\xFF", 2) : std::string("\xFF\xFE", 2);
    for (const char16_t c : text) {
        const char hi = static_cast<char>(c >> 8);
        const char lo = static_cast<char>(c & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
    return out;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Well-formed UTF-16: every surrogate in a high-low pair.
bool IsWellFormedUtf16(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i])) {
            if (i + 1 >= text.size() || !IsLowSurrogate(text[i + 1])) {
                return false;
            }
            ++i;
        } else if (IsLowSurrogate(text[i])) {
            return false;
        }
    }
    return true;
}

// The text with each surrogate that has no partner replaced by U+FFFD.
std::u16string WithLoneSurrogatesReplaced(std::u16string_view text) {
    std::u16string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsHighSurrogate(out[i]) && i + 1 < out.size() && IsLowSurrogate(out[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(out[i]) || IsLowSurrogate(out[i])) {
            out[i] = u'\uFFFD';
        }
    }
    return out;
}

// The table of well-formed UTF-8 byte sequences from the Unicode standard,
// written apart from the decoder's own test so that each checks the other.
bool ReferenceUtf8(const uint8_t* p, size_t n, bool& multiByte) {
    struct TRow {
        uint8_t FirstLo, FirstHi, SecondLo, SecondHi, Length;
    };
    static const TRow Utf8Rows[] = {
        {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3}, {0xE1, 0xEC, 0x80, 0xBF, 3},
        {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
        {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
    };
    multiByte = false;
    size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const TRow* row = nullptr;
        for (const TRow& r : Utf8Rows) {
            if (p[i] >= r.FirstLo && p[i] <= r.FirstHi) {
                row = &r;
            }
        }
        if (!row || i + row->Length > n || p[i + 1] < row->SecondLo || p[i + 1] > row->SecondHi) {
            return false;
        }
        for (size_t k = 2; k < row->Length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) {
                return false;
            }
        }
        multiByte = true;
        i += row->Length;
    }
    return true;
}

bool StartsWith(const std::string& bytes, const char* mark, size_t length) {
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const std::string Marks[] = {std::string(), std::string("\xFF\xFE", 2), std::string("\xFE\xFF", 2),
                                        std::string("\xEF\xBB\xBF", 3)};
    const std::string bytes = Marks[data[0] % 4] + std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto* raw = reinterpret_cast<const uint8_t*>(bytes.data());

    TListEncoding encoding;
    const std::u16string text = DecodeListText(raw, bytes.size(), nullptr, &encoding);
    const TEntries entries = Cut(text);

    // The encoding follows the first bytes; UTF-8 without a mark only when
    // the whole file is well-formed UTF-8 with at least one multi-byte letter.
    bool multiByte = false;
    TListEncoding expected = TListEncoding::Ansi;
    if (StartsWith(bytes, "\xFF\xFE", 2)) {
        expected = TListEncoding::Utf16Le;
    } else if (StartsWith(bytes, "\xFE\xFF", 2)) {
        expected = TListEncoding::Utf16Be;
    } else if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
        expected = TListEncoding::Utf8Bom;
    } else if (ReferenceUtf8(raw, bytes.size(), multiByte) && multiByte) {
        expected = TListEncoding::Utf8;
    }
    FUZZ_CHECK(encoding == expected);

    // No entry holds a line end or a NUL, and cutting the entries joined
    // again gives them back.
    size_t total = 0;
    for (const auto& e : entries) {
        FUZZ_CHECK(e.find_first_of(std::u16string(u"\r\n\0", 3)) == std::u16string::npos);
        total += e.size();
    }
    FUZZ_CHECK(total <= text.size());
    FUZZ_CHECK(Cut(Joined(entries)) == entries);

    // The fast loader gives the reference's encoding and entries by both of
    // its paths, and an index that finds what a scan finds: the x86
    // sixteen-byte steps where this processor has them, and the
    // word-at-a-time steps that every other build takes.
    for (const bool blockSteps : {true, false}) {
        UseBlockSteps(blockSteps);
        TTextList list;
        list.Add(u"stale entry");
        TListEncoding loaded;
        LoadListBytes(raw, bytes.size(), nullptr, list, &loaded);
        FUZZ_CHECK(loaded == encoding);
        FUZZ_CHECK(list.Count() == entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            FUZZ_CHECK(list[i] == entries[i]);
        }
        // Each path hashes first fields as it cuts them.
        fuzz::CheckIndex(list);
    }
    UseBlockSteps(true);

    switch (encoding) {
    case TListEncoding::Utf16Le:
    case TListEncoding::Utf16Be: {
        const bool bigEndian = encoding == TListEncoding::Utf16Be;
        // Code units come straight from the byte pairs; an odd byte is dropped.
        FUZZ_CHECK(text.size() == (bytes.size() - 2) / 2);
        for (size_t i = 0; i < text.size(); ++i) {
            const uint8_t first = raw[2 + 2 * i], second = raw[3 + 2 * i];
            const char16_t unit = bigEndian ? static_cast<char16_t>(first << 8 | second)
                                            : static_cast<char16_t>(second << 8 | first);
            FUZZ_CHECK(text[i] == unit);
        }
        // Lone surrogates and all: the entries survive a trip through a file.
        FUZZ_CHECK(Decode(Utf16Bytes(Joined(entries), bigEndian)) == entries);
        // In UTF-8 the text stays well-formed, and only its lone surrogates
        // are lost, each to one U+FFFD.
        const std::string utf8 = Utf16ToUtf8(text);
        bool anyMultiByte = false;
        FUZZ_CHECK(ReferenceUtf8(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), anyMultiByte));
        FUZZ_CHECK(Utf8ToUtf16(utf8) == WithLoneSurrogatesReplaced(text));
        break;
    }
    case TListEncoding::Utf8Bom:
    case TListEncoding::Utf8: {
        // A UTF-8 decoder never makes lone surrogates, and valid input loses
        // nothing: it encodes back to the very bytes, and its entries survive
        // a trip through a file with the mark.
        FUZZ_CHECK(IsWellFormedUtf16(text));
        const size_t skip = encoding == TListEncoding::Utf8Bom ? 3 : 0;
        if (ReferenceUtf8(raw + skip, bytes.size() - skip, multiByte)) {
            FUZZ_CHECK(Utf16ToUtf8(text) == bytes.substr(skip));
            TListEncoding again;
            FUZZ_CHECK(Decode("\xEF\xBB\xBF" + Utf16ToUtf8(Joined(entries)), &again) == entries);
            FUZZ_CHECK(again == TListEncoding::Utf8Bom);
        } else {
            FUZZ_CHECK(text.find(u'\uFFFD') != std::u16string::npos);
        }
        break;
    }
    case TListEncoding::Ansi:
        // A single-byte code page: one unit per byte, ASCII and the Latin-1
        // letters unchanged.
        FUZZ_CHECK(text.size() == bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (raw[i] < 0x80 || raw[i] >= 0xA0) {
                FUZZ_CHECK(text[i] == raw[i]);
            }
        }
        break;
    }
    return 0;
}
