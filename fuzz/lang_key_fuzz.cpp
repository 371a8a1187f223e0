// The translation's key form, its line-break marker, language names and the
// whole lookup around a fuzzed dictionary. Input layout, sections cut at 0xFE:
//   byte 0: the language (0 "English", 1 "english", 2 "Russian", else the
//   name in the third section); byte 1: 1 makes the dictionary throw;
//   then the source text, the dictionary ("key=value" lines) and the name
//   (texts as fuzz::TextOf reads them).
#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "lang/lang_key.h"

namespace {

bool IsBlank(char16_t c) { return c <= 32; }

std::u16string_view Trimmed(std::u16string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool EndsWithDots(std::u16string_view text) {
    return text.size() >= 3 && text.substr(text.size() - 3) == u"...";
}

size_t Count(std::u16string_view text, std::u16string_view what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::u16string_view::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// The marker "/n" cannot overlap itself, so counting finds every one that the
// replacement sees.
void CheckMarkers(std::u16string_view text) {
    const std::u16string out = ReplaceBreakMarkers(text);
    const size_t markers = Count(text, u"/n");
    FUZZ_CHECK(out.size() == text.size());
    FUZZ_CHECK(Count(out, u"/n") == 0);
    FUZZ_CHECK(Count(out, u"\n\r") == Count(text, u"\n\r") + markers);
    FUZZ_CHECK(Count(out, u"/N") == Count(text, u"/N"));
    if (markers == 0) {
        FUZZ_CHECK(out == text);
    }
}

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

std::map<std::u16string, std::u16string> Dictionary(std::u16string_view text) {
    std::map<std::u16string, std::u16string> entries;
    while (!text.empty()) {
        const size_t end = text.find(u'\n');
        const std::u16string_view line = text.substr(0, end);
        const size_t eq = line.find(u'=');
        if (eq != std::u16string_view::npos) {
            entries[std::u16string(line.substr(0, eq))] = std::u16string(line.substr(eq + 1));
        }
        text = end == std::u16string_view::npos ? std::u16string_view() : text.substr(end + 1);
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto parts = Sections(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2), 3);
    const std::u16string source = fuzz::TextOf(parts[0]);
    const auto dictionary = Dictionary(fuzz::TextOf(parts[1]));
    static const std::u16string Names[] = {u"English", u"english", u"Russian"};
    const std::u16string language = data[0] < 3 ? Names[data[0]] : fuzz::TextOf(parts[2]);
    const bool throws = data[1] == 1;

    // Key form: trimmed, and without one trailing "..." (then trimmed again).
    const TTextKey key = KeyFormOf(source);
    const std::u16string_view trimmed = Trimmed(source);
    FUZZ_CHECK(TrimBlanks(source) == trimmed);
    FUZZ_CHECK(key.HadDots == EndsWithDots(trimmed));
    FUZZ_CHECK(key.Key == (key.HadDots ? Trimmed(trimmed.substr(0, trimmed.size() - 3)) : trimmed));
    FUZZ_CHECK(Trimmed(key.Key) == key.Key);

    CheckMarkers(source);

    // A plain language name has nothing that could lead out of the folder.
    if (IsPlainLanguageName(language)) {
        for (const char16_t c : language) {
            FUZZ_CHECK(c >= 32 && std::u16string_view(u"\\/:*?\"<>|").find(c) == std::u16string_view::npos);
        }
    }

    // The lookup, against the steps it is written from.
    size_t asked = 0;
    const TDictionaryLookup lookup = [&](const std::u16string& lang, const std::u16string& k) {
        ++asked;
        FUZZ_CHECK(lang == language);
        FUZZ_CHECK(k == key.Key);
        FUZZ_CHECK(!k.empty() && k.find(u'\0') == std::u16string::npos);
        FUZZ_CHECK(IsPlainLanguageName(lang));
        if (throws) {
            throw std::runtime_error("dictionary unreadable");
        }
        const auto found = dictionary.find(k);
        return found == dictionary.end() ? k : found->second;
    };
    const std::u16string out = TranslateText(source, language, lookup);
    FUZZ_CHECK(Count(out, u"/n") == 0);

    std::u16string expected;
    if (language == u"English") {
        expected = ReplaceBreakMarkers(source);
        FUZZ_CHECK(asked == 0);
    } else if (key.Key.empty() && !key.HadDots) {
        FUZZ_CHECK(asked == 0);
    } else if (asked == 1 && throws) {
        expected = ReplaceBreakMarkers(source);
    } else {
        FUZZ_CHECK(asked <= 1);
        std::u16string value = key.Key;
        if (asked == 1) {
            const auto found = dictionary.find(key.Key);
            value = found == dictionary.end() ? key.Key : found->second;
        } else {
            // Not asked: only an empty key, a key with NUL or a name that is
            // not plain may skip the dictionary.
            FUZZ_CHECK(key.Key.empty() || key.Key.find(u'\0') != std::u16string::npos ||
                       !IsPlainLanguageName(language));
        }
        if (key.HadDots) {
            value += u"...";
        }
        expected = ReplaceBreakMarkers(Trimmed(value).empty() ? std::u16string(source) : value);
    }
    FUZZ_CHECK(out == expected);
    return 0;
}
