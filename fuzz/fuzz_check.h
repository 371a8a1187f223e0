// Shared pieces of the fuzz targets. A violated property is a finding like a
// crash: say which one, and abort so that libFuzzer keeps the input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                       \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "property violated: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (0)

namespace fuzz {

// Texts from fuzz bytes: bytes below 0x80 stand for themselves, so seeds
// stay readable; a byte from 0x80 up takes the next two bytes as any code
// unit, lone surrogates included.
inline std::u16string TextOf(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b < 0x80) {
            text.push_back(static_cast<char16_t>(b));
        } else if (i + 2 < bytes.size()) {
            const auto hi = static_cast<uint8_t>(bytes[i + 1]);
            const auto lo = static_cast<uint8_t>(bytes[i + 2]);
            text.push_back(static_cast<char16_t>((hi << 8) | lo));
            i += 2;
        } else {
            text.push_back(u'\uFFFD');
        }
    }
    return text;
}

inline bool HasLowerMarker(std::u16string_view text) { return text.find(u"/nl") != std::u16string_view::npos; }

// Positions of "/nl" in any letter case; the marker cannot overlap itself.
inline size_t CountMarkersAnyCase(std::u16string_view text) {
    size_t n = 0;
    for (size_t i = 0; i + 3 <= text.size(); ++i) {
        if (text[i] == u'/' && (text[i + 1] == u'n' || text[i + 1] == u'N') &&
            (text[i + 2] == u'l' || text[i + 2] == u'L')) {
            ++n;
        }
    }
    return n;
}

}  // namespace fuzz
