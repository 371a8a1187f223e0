// The shipped dictionaries against the texts that the code translates: every
// text has its key, every key a text, and the double translation of the
// window's captions leaves each translation as it is.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lang/lang_key.h"
#include "options/options_logic.h"
#include "update/version_logic.h"

namespace {

// Keys match without regard to case; the keys are English.
std::u16string Folded(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return out;
}

std::string Printable(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        out += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    }
    return out;
}

struct TIniEntry {
    std::u16string Key;
    std::u16string Value;
};

// Just enough of the profile functions' reading: a UTF-16 LE file with a
// mark, or bytes taken one per character; "[section]" and "key=value" lines,
// both sides trimmed, surrounding quotes of a value removed.
struct TIniFile {
    bool Utf16Mark = false;
    std::map<std::u16string, std::vector<TIniEntry>> Sections;  // by folded name
};

TIniFile ParseIni(const std::string& bytes) {
    TIniFile ini;
    std::u16string text;
    ini.Utf16Mark = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    if (ini.Utf16Mark) {
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
        }
    } else {
        for (const char c : bytes) {
            text += static_cast<char16_t>(static_cast<uint8_t>(c));
        }
    }
    std::vector<TIniEntry>* section = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) {
            end = text.size();
        }
        const std::u16string_view line = TrimBlanks(std::u16string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == u';') {
            continue;
        }
        if (line[0] == u'[') {
            const size_t close = line.find(u']');
            section = &ini.Sections[Folded(TrimBlanks(line.substr(1, close == line.npos ? line.npos : close - 1)))];
            continue;
        }
        const size_t equals = line.find(u'=');
        if (section == nullptr || equals == line.npos) {
            continue;
        }
        std::u16string_view value = TrimBlanks(line.substr(equals + 1));
        if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0]) {
            value = value.substr(1, value.size() - 2);
        }
        section->push_back({std::u16string(TrimBlanks(line.substr(0, equals))), std::u16string(value)});
    }
    return ini;
}

TEST(DictionaryReader, ReadsWhatTheProfileFunctionsRead) {
    const std::u16string source = u"\uFEFF; comment\r\n[ dict ]\r\n Save = \u0421\u043E\u0445\u0440 \r\nA=b=c\r\nQ=\"x\"\r\nno equals\r\n[Other]\r\nk=v";
    std::string bytes;
    for (const char16_t c : source) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    const TIniFile ini = ParseIni(bytes);
    EXPECT_TRUE(ini.Utf16Mark);
    ASSERT_EQ(ini.Sections.size(), 2u);
    const std::vector<TIniEntry>& dict = ini.Sections.at(u"dict");
    ASSERT_EQ(dict.size(), 3u);
    EXPECT_EQ(dict[0].Key, u"Save");
    EXPECT_EQ(dict[0].Value, u"\u0421\u043E\u0445\u0440");
    EXPECT_EQ(dict[1].Key, u"A");
    EXPECT_EQ(dict[1].Value, u"b=c");
    EXPECT_EQ(dict[2].Value, u"x");
    EXPECT_EQ(ini.Sections.at(u"other").at(0).Value, u"v");
    EXPECT_FALSE(ParseIni("[Dict]\nSave=x").Utf16Mark);
}

bool HasLetter(std::u16string_view text) {
    for (const char16_t c : text) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
            return true;
        }
    }
    return false;
}

// "http://..." or a bare host such as a forum address: shown, not translated.
bool IsWebAddress(std::u16string_view text) {
    if (text.find(u"://") != text.npos || text.substr(0, 4) == u"www.") {
        return true;
    }
    if (text.find(u'.') == text.npos) {
        return false;
    }
    for (const char16_t c : text) {
        const bool hostCharacter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                                   c == u'.' || c == u'-' || c == u'/';
        if (!hostCharacter) {
            return false;
        }
    }
    return true;
}

TEST(DictionaryReader, TextsThatNeedNoTranslation) {
    EXPECT_TRUE(IsWebAddress(u"forum.orvane.example"));
    EXPECT_TRUE(IsWebAddress(u"http://www.orvane.example/vostek/"));
    EXPECT_FALSE(IsWebAddress(u"Freeware. Use at your own risk."));
    EXPECT_FALSE(IsWebAddress(u"Version"));
    EXPECT_FALSE(HasLetter(u"0.3"));
    EXPECT_TRUE(HasLetter(u"Mode:"));
}

// Every English text the plug-in passes through the translation, taken from
// the tables the code shows them from: the window's, then the update
// check's.
std::vector<std::u16string> TranslatableTexts() {
    std::vector<std::u16string> texts = OptionsWindowTexts();
    const std::vector<std::u16string> update = UpdateCheckTexts();
    texts.insert(texts.end(), update.begin(), update.end());
    return texts;
}

class ShippedDictionary : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        const std::string path = std::string(BRISKLET_SOURCE_DIR) + "/Languages/" + GetParam() + ".ini";
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << "cannot read " << path;
        FIni = ParseIni(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
        for (const TIniEntry& entry : Dict()) {
            FEntries.emplace(Folded(entry.Key), entry.Value);
        }
        for (const std::u16string& text : TranslatableTexts()) {
            FTexts.push_back(text);
            FUsedKeys.insert(Folded(KeyFormOf(text).Key));
        }
    }

    const std::vector<TIniEntry>& Dict() const {
        static const std::vector<TIniEntry> none;
        const auto found = FIni.Sections.find(u"dict");
        return found == FIni.Sections.end() ? none : found->second;
    }
    // The lookup as the profile functions answer it from this file.
    TDictionaryLookup Lookup() const {
        return [this](const std::u16string&, const std::u16string& key) {
            const auto found = FEntries.find(Folded(key));
            return found == FEntries.end() ? key : found->second;
        };
    }

    TIniFile FIni;
    std::map<std::u16string, std::u16string> FEntries;  // by folded key; the first entry wins
    std::vector<std::u16string> FTexts;
    std::set<std::u16string> FUsedKeys;
};

TEST_P(ShippedDictionary, IsUtf16WithOneDictSection) {
    EXPECT_TRUE(FIni.Utf16Mark);
    ASSERT_EQ(FIni.Sections.size(), 1u);
    EXPECT_FALSE(Dict().empty());
}

TEST_P(ShippedDictionary, HasAKeyForEveryText) {
    ASSERT_FALSE(FTexts.empty());
    for (const std::u16string& text : FTexts) {
        if (!HasLetter(text) || IsWebAddress(text)) {
            continue;
        }
        EXPECT_EQ(FEntries.count(Folded(KeyFormOf(text).Key)), 1u) << "no entry for \"" << Printable(text) << "\"";
    }
}

TEST_P(ShippedDictionary, HasNoKeyThatNoTextUses) {
    std::set<std::u16string> seen;
    for (const TIniEntry& entry : Dict()) {
        EXPECT_EQ(FUsedKeys.count(Folded(entry.Key)), 1u) << "no text uses \"" << Printable(entry.Key) << "\"";
        // A second entry for the same key would never be read.
        EXPECT_TRUE(seen.insert(Folded(entry.Key)).second) << "twice: \"" << Printable(entry.Key) << "\"";
    }
}

TEST_P(ShippedDictionary, EveryTranslationIsShownAsWritten) {
    for (const std::u16string& text : FTexts) {
        const TTextKey key = KeyFormOf(text);
        const auto entry = FEntries.find(Folded(key.Key));
        if (entry == FEntries.end()) {
            continue;
        }
        const std::string name = Printable(text);
        // An empty value would show the English text; the reader cuts values
        // at 2047 characters; the dots come back by themselves.
        EXPECT_FALSE(TrimBlanks(entry->second).empty()) << name;
        EXPECT_LT(entry->second.size(), 2048u) << name;
        if (key.HadDots) {
            EXPECT_FALSE(KeyFormOf(entry->second).HadDots) << name << ": the translation ends in dots";
        }
        // Captions pass through the translation twice: a translation that
        // is itself a key would be replaced by that key's translation.
        const std::u16string once = TranslateText(text, u"Shipped", Lookup());
        const std::u16string twice = TranslateText(once, u"Shipped", Lookup());
        EXPECT_EQ(twice, once) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedDictionary, ::testing::Values("Russian", "German"));

}  // namespace
