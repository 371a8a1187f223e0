// The translation lookup without the file: key forms, the line-break marker,
// language names and the whole algorithm around an injected dictionary.
// Portable: no Win32.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The text without its leading and trailing characters of code 32 or less
// (blanks, tabs, line breaks, other control characters).
std::u16string_view TrimBlanks(std::u16string_view text);

// The key under which a dictionary holds a source text: the text trimmed
// and, when it then ends in "...", without those dots and trimmed again.
struct TTextKey {
    std::u16string Key;
    bool HadDots = false;  // a found translation gets "..." back
};
TTextKey KeyFormOf(std::u16string_view source);

// Every "/n" (lower case only) becomes U+000A U+000D, LF then CR. Texts
// written for the dictionaries rely on this order.
std::u16string ReplaceBreakMarkers(std::u16string_view text);

// Whether a language name can only name a file inside the dictionary
// folder: no path separator, drive or stream colon, wildcard, control
// character or device name. Any other name has no dictionary.
bool IsPlainLanguageName(std::u16string_view language);

// The dictionary entry for key in the language's file, or key itself when
// there is no folder, file, section "Dict" or entry. May throw.
using TDictionaryLookup = std::function<std::u16string(const std::u16string& language, const std::u16string& key)>;

// The translation of source into language: the text itself for exactly
// "English"; otherwise the dictionary's entry, falling back to the key form.
// Never throws out of the lookup: any error gives the source text. Line-break
// markers are replaced in whatever comes back.
std::u16string TranslateText(std::u16string_view source, std::u16string_view language, const TDictionaryLookup& lookup);
