#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/status_line.h"

namespace {

TEST(ExpandLineMarkers, OnlyWhenALowerCaseMarkIsPresent) {
    EXPECT_EQ(ExpandLineMarkers(u"one/NLtwo"), u"one/NLtwo");
    EXPECT_EQ(ExpandLineMarkers(u"one/nltwo/NLthree"), u"one\r\ntwo\r\nthree");
    EXPECT_EQ(ExpandLineMarkers(u"a/Nlb/nLc/nl"), u"a\r\nb\r\nc\r\n");
    EXPECT_EQ(ExpandLineMarkers(u"a/nb\\nc"), u"a/nb\\nc");
    EXPECT_EQ(ExpandLineMarkers(u"/nnl/nl"), u"/nnl\r\n");  // left to right, no overlap
    EXPECT_EQ(ExpandLineMarkers(u"/nl/nl"), u"\r\n\r\n");
    EXPECT_EQ(ExpandLineMarkers(u""), u"");
}

struct Parsed {
    int32_t icon = -7;
    std::u16string status = u"old status";
    std::u16string xstatus = u"old xstatus";
};

Parsed Parse(std::u16string_view entry) {
    Parsed p;
    ParseStatusLine(entry, p.icon, p.status, p.xstatus);
    return p;
}

TEST(ParseStatusLine, ThreeFieldsOrNothing) {
    Parsed p = Parse(u"12|Busy|Back soon/nlreally");
    EXPECT_EQ(p.icon, 12);
    EXPECT_EQ(p.status, u"Busy");
    EXPECT_EQ(p.xstatus, u"Back soon/nlreally");  // markers stay for the caller

    p = Parse(u"5||b");
    EXPECT_EQ(p.icon, 5);
    EXPECT_EQ(p.status, u"");
    EXPECT_EQ(p.xstatus, u"b");

    p = Parse(u"7|a|b|");
    EXPECT_EQ(p.icon, 7);
    EXPECT_EQ(p.xstatus, u"b");

    for (const auto* bad : {u"7|a|", u"7|a|b|c", u"7", u"", u"|", u"||", u"7|a"}) {
        p = Parse(bad);
        EXPECT_EQ(p.icon, -7) << std::string(bad, bad + std::char_traits<char16_t>::length(bad)).size();
        EXPECT_EQ(p.status, u"old status");
        EXPECT_EQ(p.xstatus, u"old xstatus");
    }
}

TEST(ParseStatusLine, NonNumericIconGivesZeroButTextsCount) {
    Parsed p = Parse(u"x|y|z");
    EXPECT_EQ(p.icon, 0);
    EXPECT_EQ(p.status, u"y");
    EXPECT_EQ(p.xstatus, u"z");
    EXPECT_EQ(Parse(u"99999999999|a|b").icon, 0);  // leaves 32 bits
    EXPECT_EQ(Parse(u"-3|a|b").icon, -3);
    EXPECT_EQ(Parse(u"+4|a|b").icon, 4);
    EXPECT_EQ(Parse(u"-2147483648|a|b").icon, INT32_MIN);
    EXPECT_EQ(Parse(u" 4|a|b").icon, 0);
}

TEST(ParseStatusLine, KeepsEveryCharacter) {
    Parsed p = Parse(u"3|\u0411\u0443\u0434\u0443|\U0001F600 \t ");
    EXPECT_EQ(p.status, u"\u0411\u0443\u0434\u0443");
    EXPECT_EQ(p.xstatus, u"\U0001F600 \t ");
}

}  // namespace
