#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "update/version_logic.h"

namespace {

constexpr TVersion Installed{0, 3, 6};

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

}  // namespace

TEST(VersionComparison, MajorThenMinorThenReleaseDecide) {
    struct TCase {
        TVersion Remote;
        bool Newer;
    };
    const TCase cases[] = {
        {{0, 3, 6}, false},   // equal
        {{0, 3, 7}, true},
        {{0, 4, 0}, true},    // minor decides before release
        {{1, 0, 0}, true},
        {{0, 3, 5}, false},
        {{0, 2, 9}, false},   // a higher release does not beat a lower minor
        {{0, 2, 99}, false},
        {{-1, 9, 9}, false},  // signed: a negative major is older
        {{0, -3, 7}, false},
        {{0, 3, -1}, false},
        {{0, 0, 0}, false},   // what an error page or an empty file reads as
        {{INT32_MAX, 0, 0}, true},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(IsNewerVersion(c.Remote, Installed), c.Newer)
            << c.Remote.Major << "." << c.Remote.Minor << "." << c.Remote.Release;
    }
    EXPECT_TRUE(IsNewerVersion({0, 0, 0}, {-1, 5, 5}));
    EXPECT_TRUE(IsNewerVersion({INT32_MIN + 1, 0, 0}, {INT32_MIN, 7, 7}));
}

TEST(VersionValue, DecimalWithOptionalSign) {
    EXPECT_EQ(ParseVersionValue(u"7"), 7);
    EXPECT_EQ(ParseVersionValue(u"+5"), 5);
    EXPECT_EQ(ParseVersionValue(u"-5"), -5);
    EXPECT_EQ(ParseVersionValue(u"007"), 7);
    EXPECT_EQ(ParseVersionValue(u"2147483647"), INT32_MAX);
    EXPECT_EQ(ParseVersionValue(u"-2147483648"), INT32_MIN);
}

TEST(VersionValue, HexadecimalNeedsThreeCharacters) {
    EXPECT_EQ(ParseVersionValue(u"0x10"), 16);
    EXPECT_EQ(ParseVersionValue(u"0X1f"), 31);
    EXPECT_EQ(ParseVersionValue(u"0xA"), 10);
    EXPECT_EQ(ParseVersionValue(u"0x0000000010"), 16);  // leading zeros are not an overflow
    EXPECT_EQ(ParseVersionValue(u"0x7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(ParseVersionValue(u"0xFFFFFFFF"), -1);  // a 32-bit pattern
    EXPECT_EQ(ParseVersionValue(u"0x80000000"), INT32_MIN);
    EXPECT_EQ(ParseVersionValue(u"0x"), 0);
    EXPECT_EQ(ParseVersionValue(u"0X"), 0);
}

TEST(VersionValue, JunkMissingAndOverflowGiveZero) {
    const char16_t* junk[] = {
        u"",  u"abc", u"1a", u"1.5", u" 12", u"12 ", u"+", u"-", u"--1", u"0x1g", u"0x-1", u"0x+1",
        u"-0x10",                // the sign is not part of the hexadecimal form
        u"0x100000000",          // 33 bits
        u"2147483648",           // one past the largest
        u"-2147483649",
        u"99999999999999999999",
        u"\uFF11",               // a full-width digit is no digit
    };
    for (const char16_t* text : junk) {
        EXPECT_EQ(ParseVersionValue(text), 0) << Narrow(text);
    }
}

TEST(PageFilter, OnlyPlainWebAddressesPass) {
    const char16_t* accepted[] = {
        u"http://www.orvane.example/brisklet/",
        u"https://www.orvane.example/download?v=0.3.7",
        u"HTTP://WWW.ORVANE.EXAMPLE",
        u"hTtPs://x",
    };
    for (const char16_t* value : accepted) {
        EXPECT_TRUE(IsAcceptablePageURL(value)) << Narrow(value);
        EXPECT_EQ(ChoosePageURL(value), value);
    }
    const char16_t* refused[] = {
        u"",
        u"C:\\Windows\\System32\\calc.exe",
        u"file:///C:/Windows/System32/calc.exe",
        u"calc.exe",
        u"ftp://www.orvane.example/",
        u"javascript:alert(1)",
        u"http:/www.orvane.example",
        u"http://",
        u"https://",
        u" http://www.orvane.example",
        u"http://www.orvane.example/a b",
        u"http://www.orvane.example/\tx",
        u"http://www.orvane.example/\r\ncalc.exe",
        u"http://www.orvane.example/\u00A0",
        u"http://www.orvane.example/\u3000",
        u"http://www.orvane.example/\u0085",
        u"http://www.orvane.example/\x7F",
        u"httpx://www.orvane.example",
    };
    for (const char16_t* value : refused) {
        EXPECT_FALSE(IsAcceptablePageURL(value)) << Narrow(value);
        EXPECT_EQ(ChoosePageURL(value), std::u16string(HomePageURL)) << Narrow(value);
    }
}

TEST(VersionFile, ValuesAreReadAndComparedWithDefaults) {
    // No release: it reads 0, and 0.4.0 is still newer.
    TVersionFileValues noRelease{u"0", u"4", u"", u"http://www.orvane.example/0.4"};
    TUpdateOutcome outcome = EvaluateVersionFile(noRelease, Installed);
    EXPECT_TRUE(outcome.Newer);
    EXPECT_EQ(outcome.Remote.Release, 0);
    EXPECT_EQ(outcome.Page, u"http://www.orvane.example/0.4");

    // minor 0x10 reads 16.
    outcome = EvaluateVersionFile({u"0", u"0x10", u"0", u""}, Installed);
    EXPECT_TRUE(outcome.Newer);
    EXPECT_EQ(outcome.Remote.Minor, 16);
    EXPECT_EQ(outcome.Page, std::u16string(HomePageURL));  // no page: the home page

    // minor abc reads 0: 0.0.9 is older.
    outcome = EvaluateVersionFile({u"0", u"abc", u"9", u"http://www.orvane.example/x"}, Installed);
    EXPECT_FALSE(outcome.Newer);
    EXPECT_EQ(outcome.Remote.Minor, 0);
    EXPECT_TRUE(outcome.Page.empty());  // not newer: no page to take

    // An error page or an empty file: 0.0.0, not newer.
    outcome = EvaluateVersionFile({}, Installed);
    EXPECT_FALSE(outcome.Newer);
    EXPECT_EQ(outcome.Remote.Major, 0);

    // Newer with a hostile page: the home page instead.
    outcome = EvaluateVersionFile({u"1", u"0", u"0", u"C:\\Windows\\System32\\calc.exe"}, Installed);
    EXPECT_TRUE(outcome.Newer);
    EXPECT_EQ(outcome.Page, std::u16string(HomePageURL));
}

TEST(UpdateText, ComposedFromTranslatedPartsAndNumbers) {
    EXPECT_EQ(ComposeUpdateAvailableText(TextUpdateAvailable, Installed, TextLatestVersion, {0, 3, 7}),
              u"Update available. Installed version: 0.3.6 latest available version: 0.3.7 .");
    EXPECT_EQ(ComposeUpdateAvailableText(u"A:", {-1, 0, 10}, u"B:", {INT32_MIN, 16, INT32_MAX}),
              u"A: -1.0.10 B: -2147483648.16.2147483647 .");
    EXPECT_EQ(ComposeUpdateAvailableText(u"\u041E\u0431\u043D\u043E\u0432\u043B\u0435\u043D\u0438\u0435:", Installed,
                                         u"", {1, 0, 0}),
              u"\u041E\u0431\u043D\u043E\u0432\u043B\u0435\u043D\u0438\u0435: 0.3.6  1.0.0 .");
}

TEST(UpdateText, AddressAndSourceTexts) {
    EXPECT_EQ(VersionFileURL(u"brisklet.ini"), u"http://www.orvane.example/update/brisklet.ini");
    // The dictionaries are checked against this list: every text the check
    // can show, each once.
    const std::vector<std::u16string> texts = UpdateCheckTexts();
    const std::vector<std::u16string> expected = {
        u"Getting information about new version. Please wait...",
        u"Cannot connect to site. Check your internet connection.",
        u"Cannot open folder for temporary files.",
        u"No updates available. You have latest version.",
        u"Update available. Installed version:",
        u"latest available version:",
    };
    EXPECT_EQ(texts, expected);
}
