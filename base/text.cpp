#include "base/text.h"

#include <algorithm>
#include <limits>

std::u16string DecimalText(int64_t value) {
    // Built by hand: the portable code has no conversion to char16_t.
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::u16string digits;
    do {
        digits.push_back(static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) {
        digits.push_back(u'-');
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

bool ParseInt32(std::u16string_view text, int32_t& value) noexcept {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > int64_t(std::numeric_limits<int32_t>::max()) + 1) {
            return false;
        }
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    value = static_cast<int32_t>(signedValue);
    return true;
}

std::u16string FolderOf(const std::u16string& fileName) {
    const size_t cut = fileName.find_last_of(u"\\:");
    return cut == std::u16string::npos ? std::u16string() : fileName.substr(0, cut + 1);
}
