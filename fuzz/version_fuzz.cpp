// The version file's values as the update check reads them: numbers, the
// comparison, the page to offer and the report text. Input layout: twelve
// bytes for the installed version (three big-endian 32-bit numbers), then
// the values of "major", "minor", "release" and "page", cut at 0xFE (texts
// as fuzz::TextOf reads them).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "update/version_logic.h"

namespace {

std::vector<std::string_view> Sections(std::string_view bytes, size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const size_t cut = bytes.find('\xFE');
        out.push_back(bytes.substr(0, cut));
        bytes = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    }
    out.push_back(bytes);
    return out;
}

int32_t Number(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
}

std::optional<uint64_t> Digits(std::u16string_view text, unsigned base) {
    if (text.empty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char16_t c : text) {
        unsigned digit;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (base == 16 && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (base == 16 && c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return value;
}

// Decimal with an optional sign within 32 bits; "0x"/"0X" and at least one
// more character: hexadecimal, a 32-bit pattern; anything else 0.
int32_t ReferenceValue(std::u16string_view text) {
    if (text.size() >= 3 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        const auto value = Digits(text.substr(2), 16);
        return value ? static_cast<int32_t>(static_cast<uint32_t>(*value)) : 0;
    }
    bool negative = false;
    if (!text.empty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    const auto value = Digits(text, 10);
    if (!value) {
        return 0;
    }
    const int64_t signedValue = negative ? -static_cast<int64_t>(*value) : static_cast<int64_t>(*value);
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) {
        return 0;
    }
    return static_cast<int32_t>(signedValue);
}

// The scheme, each letter in either case: compared against both spellings,
// never by folding the text.
bool HasScheme(std::u16string_view text, std::string_view lower, std::string_view upper) {
    if (text.size() < lower.size()) {
        return false;
    }
    for (size_t i = 0; i < lower.size(); ++i) {
        if (text[i] != static_cast<char16_t>(lower[i]) && text[i] != static_cast<char16_t>(upper[i])) {
            return false;
        }
    }
    return true;
}

// The length of the page's scheme, 0 when it has neither.
size_t SchemeLength(std::u16string_view page) {
    if (HasScheme(page, "http://", "HTTP://")) {
        return 7;
    }
    return HasScheme(page, "https://", "HTTPS://") ? 8 : 0;
}

// Spaces of every kind, the C0 and C1 controls, DEL and the byte-order mark:
// nothing a web address holds, each listed once.
bool IsBlankOrControl(char16_t c) {
    static constexpr char16_t Blanks[] = {0x00A0, 0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006,
                                          0x2007, 0x2008, 0x2009, 0x200A, 0x200B, 0x2028, 0x2029, 0x202F, 0x205F,
                                          0x3000, 0xFEFF};
    return c <= u' ' || (c >= 0x7F && c <= 0x9F) ||
           std::find(std::begin(Blanks), std::end(Blanks), c) != std::end(Blanks);
}

// A plain web address: a scheme, something after it, no blank or control.
bool ReferenceAcceptable(std::u16string_view page) {
    const size_t scheme = SchemeLength(page);
    return scheme > 0 && page.size() > scheme && std::none_of(page.begin(), page.end(), IsBlankOrControl);
}

std::u16string Text(const TVersion& v) {
    const std::string s = std::to_string(v.Major) + "." + std::to_string(v.Minor) + "." + std::to_string(v.Release);
    return std::u16string(s.begin(), s.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12) {
        return 0;
    }
    const TVersion installed{Number(data), Number(data + 4), Number(data + 8)};
    const auto parts = Sections(std::string_view(reinterpret_cast<const char*>(data + 12), size - 12), 4);
    TVersionFileValues values;
    values.Major = fuzz::TextOf(parts[0]);
    values.Minor = fuzz::TextOf(parts[1]);
    values.Release = fuzz::TextOf(parts[2]);
    values.Page = fuzz::TextOf(parts[3]);

    for (const auto* value : {&values.Major, &values.Minor, &values.Release, &values.Page}) {
        FUZZ_CHECK(ParseVersionValue(*value) == ReferenceValue(*value));
    }

    // Only a plain web address reaches the shell, and every one does.
    const bool acceptable = IsAcceptablePageURL(values.Page);
    FUZZ_CHECK(acceptable == ReferenceAcceptable(values.Page));
    FUZZ_CHECK(ChoosePageURL(values.Page) == (acceptable ? values.Page : std::u16string(HomePageURL)));

    const TUpdateOutcome outcome = EvaluateVersionFile(values, installed);
    const TVersion remote{ReferenceValue(values.Major), ReferenceValue(values.Minor), ReferenceValue(values.Release)};
    FUZZ_CHECK(outcome.Remote.Major == remote.Major && outcome.Remote.Minor == remote.Minor &&
               outcome.Remote.Release == remote.Release);
    const bool newer = std::tie(remote.Major, remote.Minor, remote.Release) >
                       std::tie(installed.Major, installed.Minor, installed.Release);
    FUZZ_CHECK(IsNewerVersion(remote, installed) == newer);
    FUZZ_CHECK(outcome.Newer == newer);
    if (newer) {
        FUZZ_CHECK(outcome.Page == ChoosePageURL(values.Page));
    }

    const std::u16string report = ComposeUpdateAvailableText(values.Major, installed, values.Minor, remote);
    FUZZ_CHECK(report ==
               values.Major + u" " + Text(installed) + u" " + values.Minor + u" " + Text(remote) + u" .");
    FUZZ_CHECK(VersionFileURL(values.Release) == std::u16string(UpdateFolderURL) + values.Release);
    return 0;
}
