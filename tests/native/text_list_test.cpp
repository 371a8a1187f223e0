#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/list_loader.h"
#include "core/reference_decoder.h"
#include "core/text_list.h"

namespace {

std::vector<std::u16string> Load(const std::string& bytes, TListEncoding* encoding = nullptr) {
    TTextList list;
    LoadListBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nullptr, list, encoding);
    std::vector<std::u16string> out;
    for (size_t i = 0; i < list.Count(); ++i) {
        out.emplace_back(list[i]);
    }
    return out;
}

using Entries = std::vector<std::u16string>;

TEST(Decoding, ByteOrderMarksChooseTheEncoding) {
    TListEncoding e;
    EXPECT_EQ(Load("\xEF\xBB\xBF" "a\r\nb\r\n", &e), (Entries{u"a", u"b"}));
    EXPECT_EQ(e, TListEncoding::Utf8Bom);
    EXPECT_EQ(Load(std::string("\xFF\xFEx\0|\0y\0|\0z\0", 12), &e), (Entries{u"x|y|z"}));
    EXPECT_EQ(e, TListEncoding::Utf16Le);
    EXPECT_EQ(Load(std::string("\xFE\xFF\x04\x41\0\n\0b", 8), &e), (Entries{u"\u0441", u"b"}));
    EXPECT_EQ(e, TListEncoding::Utf16Be);
}

TEST(Decoding, ShortAndOddUtf16) {
    EXPECT_TRUE(Load("\xFF\xFE").empty());
    EXPECT_TRUE(Load("").empty());
    EXPECT_TRUE(Load("\xFF\xFE" "a").empty());  // a lone byte is no code unit
    EXPECT_EQ(Load(std::string("\xFF\xFE" "a\0b", 5)), (Entries{u"a"}));
    // A lone FF is too short for any mark and reads as ANSI.
    EXPECT_EQ(Load("\xFF"), (Entries{u"\u00FF"}));
}

TEST(Decoding, Utf8MarkOnlyWhenNoUtf16Mark) {
    // FF FE EF BB BF: the UTF-16 mark wins; the rest is one UTF-16 code unit.
    TListEncoding e;
    Load("\xFF\xFE\xEF\xBB\xBF", &e);
    EXPECT_EQ(e, TListEncoding::Utf16Le);
}

TEST(Decoding, UnmarkedUtf8IsReadAsUtf8OnlyWhenValidAndMultiByte) {
    TListEncoding e;
    EXPECT_EQ(Load("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", &e), (Entries{u"\u043F\u0440\u0438\u0432\u0435\u0442"}));
    EXPECT_EQ(e, TListEncoding::Utf8);
    // Plain ASCII: ANSI, which reads the same.
    EXPECT_EQ(Load("hello", &e), (Entries{u"hello"}));
    EXPECT_EQ(e, TListEncoding::Ansi);
    // One stray high byte makes it ANSI: Windows-1252 here.
    EXPECT_EQ(Load("caf\xE9 \x80", &e), (Entries{u"caf\u00E9 \u20AC"}));
    EXPECT_EQ(e, TListEncoding::Ansi);
    // Overlong forms and encoded surrogates are not valid UTF-8.
    Load("\xC0\xAF", &e);
    EXPECT_EQ(e, TListEncoding::Ansi);
    Load("\xED\xA0\x80", &e);
    EXPECT_EQ(e, TListEncoding::Ansi);
    Load("\xF4\x90\x80\x80", &e);
    EXPECT_EQ(e, TListEncoding::Ansi);
}

TEST(Decoding, MalformedUtf8AfterMarkBecomesReplacementCharacters) {
    EXPECT_EQ(Load("\xEF\xBB\xBF" "a\xE2\x82" "b\xF0\x9F\x98\x80"), (Entries{u"a\uFFFDb\U0001F600"}));
    EXPECT_EQ(Load("\xEF\xBB\xBF\xFF\xC3"), (Entries{u"\uFFFD\uFFFD"}));
}

TEST(LineCutting, LineEndRules) {
    EXPECT_EQ(Load("a\n\nb"), (Entries{u"a", u"", u"b"}));
    EXPECT_EQ(Load("a\r\nb"), (Entries{u"a", u"b"}));
    EXPECT_EQ(Load("a\n\rb"), (Entries{u"a", u"", u"b"}));   // LF CR is two ends
    EXPECT_EQ(Load("a\r\rb"), (Entries{u"a", u"", u"b"}));
    EXPECT_EQ(Load("a\rb\r\n"), (Entries{u"a", u"b"}));      // no entry after the last end
    EXPECT_EQ(Load("a\n\n"), (Entries{u"a", u""}));
    EXPECT_EQ(Load("\n"), (Entries{u""}));
    EXPECT_EQ(Load("\r\r\r"), (Entries{u"", u"", u""}));
    EXPECT_EQ(Load(" a \t"), (Entries{u" a \t"}));            // nothing trimmed
}

TEST(LineCutting, NulEndsTheText) {
    EXPECT_EQ(Load(std::string("a\0b", 3)), (Entries{u"a"}));
    EXPECT_EQ(Load(std::string("a\n\0b\nc", 6)), (Entries{u"a"}));
    EXPECT_TRUE(Load(std::string("\0abc", 4)).empty());
}

TEST(TextList, KeepsOrderDuplicatesAndEmptiesAndReloadReplaces) {
    TTextList list;
    LoadListText(u"x\r\n\r\nx\r\ny", list);
    ASSERT_EQ(list.Count(), 4u);
    EXPECT_EQ(list[0], u"x");
    EXPECT_EQ(list[1], u"");
    EXPECT_EQ(list[2], u"x");
    EXPECT_EQ(list[3], u"y");
    LoadListText(u"z", list);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0], u"z");
    list.Add(u"w");
    EXPECT_EQ(list[1], u"w");
    list.Clear();
    EXPECT_TRUE(list.Empty());
}

TEST(TextList, CompactMatchesCutLines) {
    const std::u16string text = u"one\r\ntwo\n\nthree\rfour\n\r\r\nfive";
    TTextList list;
    LoadListText(text, list);
    const auto pieces = CutLines(text);
    ASSERT_EQ(list.Count(), pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(list[i], pieces[i]) << i;
    }
    // Text plus four bytes an entry: the line ends are not kept.
    EXPECT_LE(list.MemoryUsed(), (text.size()) * 2 + list.Count() * 4);
}

}  // namespace
