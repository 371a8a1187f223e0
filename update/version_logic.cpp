#include "update/version_logic.h"

#include "base/text.h"

namespace {

int HexDigit(char16_t c) noexcept {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// Blanks and controls would let a value carry arguments or hide its real
// target; none belongs in a web address.
bool IsBlankOrControl(char16_t c) noexcept {
    return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) noexcept {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

void AppendVersion(std::u16string& out, const TVersion& version) {
    out += DecimalText(version.Major) + u'.' + DecimalText(version.Minor) + u'.' + DecimalText(version.Release);
}

}  // namespace

bool IsNewerVersion(const TVersion& remote, const TVersion& installed) noexcept {
    if (remote.Major != installed.Major) {
        return remote.Major > installed.Major;
    }
    if (remote.Minor != installed.Minor) {
        return remote.Minor > installed.Minor;
    }
    return remote.Release > installed.Release;
}

int32_t ParseVersionValue(std::u16string_view text) noexcept {
    if (text.size() >= 3 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        uint64_t value = 0;
        for (size_t i = 2; i < text.size(); ++i) {
            const int digit = HexDigit(text[i]);
            if (digit < 0) {
                return 0;
            }
            value = value * 16 + static_cast<uint64_t>(digit);
            if (value > UINT32_MAX) {
                return 0;
            }
        }
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    int32_t value = 0;
    return ParseInt32(text, value) ? value : 0;
}

bool IsAcceptablePageURL(std::u16string_view value) noexcept {
    size_t schemeLength = 0;
    if (StartsWithNoCase(value, u"http://")) {
        schemeLength = 7;
    } else if (StartsWithNoCase(value, u"https://")) {
        schemeLength = 8;
    } else {
        return false;
    }
    if (value.size() == schemeLength) {
        return false;
    }
    for (const char16_t c : value) {
        if (IsBlankOrControl(c)) {
            return false;
        }
    }
    return true;
}

std::u16string ChoosePageURL(std::u16string_view value) {
    return std::u16string(IsAcceptablePageURL(value) ? value : HomePageURL);
}

std::u16string VersionFileURL(std::u16string_view fileName) {
    std::u16string url(UpdateFolderURL);
    url += fileName;
    return url;
}

TUpdateOutcome EvaluateVersionFile(const TVersionFileValues& values, const TVersion& installed) {
    TUpdateOutcome outcome;
    outcome.Remote.Major = ParseVersionValue(values.Major);
    outcome.Remote.Minor = ParseVersionValue(values.Minor);
    outcome.Remote.Release = ParseVersionValue(values.Release);
    outcome.Newer = IsNewerVersion(outcome.Remote, installed);
    if (outcome.Newer) {
        outcome.Page = ChoosePageURL(values.Page);
    }
    return outcome;
}

std::u16string ComposeUpdateAvailableText(std::u16string_view installedPart, const TVersion& installed,
                                          std::u16string_view latestPart, const TVersion& remote) {
    std::u16string text(installedPart);
    text += u' ';
    AppendVersion(text, installed);
    text += u' ';
    text += latestPart;
    text += u' ';
    AppendVersion(text, remote);
    text += u" .";
    return text;
}

std::vector<std::u16string> UpdateCheckTexts() {
    return {std::u16string(TextWaiting),         std::u16string(TextCannotConnect),
            std::u16string(TextCannotOpenTemp),  std::u16string(TextNoUpdates),
            std::u16string(TextUpdateAvailable), std::u16string(TextLatestVersion)};
}
