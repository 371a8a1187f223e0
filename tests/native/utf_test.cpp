#include <gtest/gtest.h>

#include <string>

#include "base/utf.h"

namespace {

const char16_t Lead = 0xD83C;   // with Trail: U+1F37A
const char16_t Trail = 0xDF7A;
const std::string Replacement = "\xEF\xBF\xBD";

std::u16string Units(std::initializer_list<char16_t> units) { return std::u16string(units); }

}  // namespace

TEST(Utf16ToUtf8, EncodesEachLengthAtItsBounds) {
    EXPECT_EQ(Utf16ToUtf8(u"a\u00E9\u0436\u20AC"), "a\xC3\xA9\xD0\xB6\xE2\x82\xAC");
    EXPECT_EQ(Utf16ToUtf8(u"\u007F\u0080"), "\x7F\xC2\x80");
    EXPECT_EQ(Utf16ToUtf8(u"\u07FF\u0800"), "\xDF\xBF\xE0\xA0\x80");
    EXPECT_EQ(Utf16ToUtf8(u"\uFFFF"), "\xEF\xBF\xBF");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\0')), std::string(1, '\0'));
    EXPECT_EQ(Utf16ToUtf8(u""), "");
}

TEST(Utf16ToUtf8, APairIsOneFourByteSequence) {
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F37A"), "\xF0\x9F\x8D\xBA");
    EXPECT_EQ(Utf16ToUtf8(u"\U00010000"), "\xF0\x90\x80\x80");
    EXPECT_EQ(Utf16ToUtf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(Utf16ToUtf8(u"x\U0001F37Ay"), "x\xF0\x9F\x8D\xBAy");
}

TEST(Utf16ToUtf8, ASurrogateWithoutItsPartnerBecomesUFFFD) {
    // A lead before a letter, and a trail alone.
    EXPECT_EQ(Utf16ToUtf8(Units({Lead, u'x'})), Replacement + "x");
    EXPECT_EQ(Utf16ToUtf8(Units({u'x', Trail, u'y'})), "x" + Replacement + "y");
    // Alone, and at the end of a text.
    EXPECT_EQ(Utf16ToUtf8(Units({Lead})), Replacement);
    EXPECT_EQ(Utf16ToUtf8(Units({Trail})), Replacement);
    EXPECT_EQ(Utf16ToUtf8(Units({u'x', Lead})), "x" + Replacement);
    // A reversed pair is two lone surrogates, not a letter.
    EXPECT_EQ(Utf16ToUtf8(Units({Trail, Lead})), Replacement + Replacement);
    // Two leads: the first is alone, the second pairs with the trail.
    EXPECT_EQ(Utf16ToUtf8(Units({Lead, Lead, Trail})), Replacement + "\xF0\x9F\x8D\xBA");
    // A pair followed by a stray trail.
    EXPECT_EQ(Utf16ToUtf8(Units({Lead, Trail, Trail})), "\xF0\x9F\x8D\xBA" + Replacement);
}

TEST(Utf8ToUtf16, GivesBackWhatWasEncoded) {
    const std::u16string text = u"a\u007F\u0080\u07FF\u0800\uFFFD\uFFFF\U00010000\U0001F37A\U0010FFFF";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    // Appends to what the text holds.
    std::u16string out = u"x";
    const std::string bytes = "\xD0\xB6";
    Utf8ToUtf16(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
    EXPECT_EQ(out, u"x\u0436");
}

TEST(Utf8ToUtf16, MalformedSequencesBecomeOneUFFFDPerMaximalPart) {
    // A sequence cut short, by a letter or by the end.
    EXPECT_EQ(Utf8ToUtf16("a\xE2\x82" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("a\xF0\x9F\x8D"), u"a\uFFFD");
    // A surrogate encoded in three bytes (CESU-8) is no letter: each byte is
    // malformed on its own, as ED allows no A0 after it.
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\xBC\xED\xBD\xBA"), std::u16string(6, u'\uFFFD'));
    // Overlong forms, values past U+10FFFF, stray continuation bytes.
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\x80\xBF"), u"\uFFFD\uFFFD");
}

TEST(Utf8Validity, OnlyWellFormedSequencesAndWhetherAnyIsLong) {
    bool multiByte = true;
    const auto valid = [&multiByte](const std::string& bytes) {
        return IsValidUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), multiByte);
    };
    EXPECT_TRUE(valid("plain"));
    EXPECT_FALSE(multiByte);
    EXPECT_TRUE(valid(Utf16ToUtf8(u"\u0436\U0001F37A")));
    EXPECT_TRUE(multiByte);
    EXPECT_FALSE(valid("\xED\xA0\x80"));
    EXPECT_FALSE(valid("\xE2\x82"));
    EXPECT_FALSE(valid("\xC1\xBF"));
}
