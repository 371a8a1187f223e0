#include "lang/lang_key.h"

#include <array>

namespace {

constexpr std::u16string_view Dots = u"...";

bool IsBlank(char16_t c) { return c <= 32; }

char16_t UpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool EqualsAsciiNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Windows opens these as devices whatever folder or extension follows them,
// so "CON.ini" in the dictionary folder would be the console.
bool IsDeviceName(std::u16string_view language) {
    std::u16string_view base = language.substr(0, language.find(u'.'));
    while (!base.empty() && base.back() == u' ') {
        base.remove_suffix(1);
    }
    static constexpr std::array<std::u16string_view, 6> Devices = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
    for (const std::u16string_view device : Devices) {
        if (EqualsAsciiNoCase(base, device)) {
            return true;
        }
    }
    if (base.size() == 4 && (EqualsAsciiNoCase(base.substr(0, 3), u"COM") || EqualsAsciiNoCase(base.substr(0, 3), u"LPT"))) {
        const char16_t digit = base[3];
        return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
    }
    return false;
}

}  // namespace

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

TTextKey KeyFormOf(std::u16string_view source) {
    std::u16string_view key = TrimBlanks(source);
    TTextKey result;
    if (key.size() >= Dots.size() && key.substr(key.size() - Dots.size()) == Dots) {
        result.HadDots = true;
        key = TrimBlanks(key.substr(0, key.size() - Dots.size()));
    }
    result.Key = std::u16string(key);
    return result;
}

std::u16string ReplaceBreakMarkers(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'/' && i + 1 < text.size() && text[i + 1] == u'n') {
            out += u"\n\r";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsPlainLanguageName(std::u16string_view language) {
    for (const char16_t c : language) {
        if (c < 32 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    return !IsDeviceName(language);
}

std::u16string TranslateText(std::u16string_view source, std::u16string_view language, const TDictionaryLookup& lookup) {
    if (language == u"English") {
        return ReplaceBreakMarkers(source);
    }
    try {
        TTextKey key = KeyFormOf(source);
        if (key.Key.empty() && !key.HadDots) {
            return std::u16string();
        }
        // The profile functions cannot ask for an empty key or one holding
        // U+0000, and a name that is not a plain file name could reach
        // outside the dictionary folder: all of these have no entry.
        std::u16string value;
        if (key.Key.empty() || key.Key.find(u'\0') != std::u16string::npos || !IsPlainLanguageName(language)) {
            value = key.Key;
        } else {
            value = lookup(std::u16string(language), key.Key);
        }
        if (key.HadDots) {
            value += Dots;
        }
        if (TrimBlanks(value).empty()) {
            return ReplaceBreakMarkers(source);
        }
        return ReplaceBreakMarkers(value);
    } catch (...) {
        return ReplaceBreakMarkers(source);
    }
}
