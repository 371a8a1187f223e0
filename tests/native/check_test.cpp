#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/utf.h"
#include "core/rotation.h"
#include "core/status_line.h"
#include "core/text_list.h"
#include "tools/brisklet_check/check.h"
#include "tools/brisklet_check/cli.h"
#include "tests/native/checker_folder.h"

namespace {

TCheckReport Check(const std::string& bytes, TListKind kind) {
    return CheckListBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), kind);
}

// (line, code) of every issue, in report order.
std::vector<std::pair<size_t, TIssueCode>> Issues(const TCheckReport& report) {
    std::vector<std::pair<size_t, TIssueCode>> out;
    for (const TCheckIssue& issue : report.Issues) {
        out.emplace_back(issue.Line, issue.Code);
    }
    return out;
}

using IssueList = std::vector<std::pair<size_t, TIssueCode>>;

std::string Utf16Le(const std::u16string& text) {
    std::string out = "\xFF\xFE";
    for (const char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::string Utf16Be(const std::u16string& text) {
    std::string out = "\xFE\xFF";
    for (const char16_t c : text) {
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

// Fixed draws for the rotation: always the first candidate.
class TFirstDraw final : public TRandomSource {
public:
    uint32_t Below(uint32_t) override { return 0; }
};

// Whether the plug-in's own rotation ever applies entry: in Icon mode, with
// every tickable icon selected, some current icon must make the run send the
// entry's texts instead of the current ones.
bool RotationEverApplies(const std::u16string& entry) {
    TTextList statuses;
    statuses.Add(entry);
    TTextList noTexts;
    std::u16string selection = u";;";
    for (int32_t icon = FirstTickableIcon; icon <= LastTickableIcon; ++icon) {
        selection += SelectionKey(icon);
    }
    TFirstDraw random;
    for (int32_t icon = FirstTickableIcon; icon <= LastTickableIcon; ++icon) {
        TExtendedStatus current;
        current.Icon = icon;
        current.Status = u"\x1F current";  // no entry below holds these
        current.XStatus = u"\x1F current";
        const auto next =
            DecideRotation(TRotationInput{current, WorkModeIcon, selection, noTexts, statuses}, random);
        if (next && next->Status != current.Status) {
            return true;
        }
    }
    return false;
}

TEST(CheckLines, LineNumbersFollowThePluginsLineEnds) {
    // CR, LF and CR LF each end a line; LF CR is two line ends.
    const TCheckReport r = Check("a\rb\n\nc\r\nx /NL y\r\nd\n\re /Nl\r\n", TListKind::List);
    EXPECT_EQ(r.Entries, 8u);
    EXPECT_EQ(Issues(r), (IssueList{{3, TIssueCode::EmptyEntry},
                                    {5, TIssueCode::MarkerCase},
                                    {7, TIssueCode::EmptyEntry},
                                    {8, TIssueCode::MarkerCase}}));
}

TEST(CheckLines, ALineEndAtTheEndAddsNoEntry) {
    EXPECT_EQ(Check("a\r\nb\r\n", TListKind::List).Entries, 2u);
    EXPECT_EQ(Check("a\r\nb", TListKind::List).Entries, 2u);
    // But a blank last line is an entry of its own.
    const TCheckReport r = Check("a\r\nb\r\n\r\n", TListKind::List);
    EXPECT_EQ(r.Entries, 3u);
    EXPECT_EQ(Issues(r), (IssueList{{3, TIssueCode::EmptyEntry}}));
}

TEST(CheckLines, ANulEndsTheTextAndIsReportedWhereItStands) {
    const TCheckReport r = Check(std::string("ok\r\nfine\0/NL ignored\r\n5|x|y", 27), TListKind::List);
    EXPECT_EQ(r.Entries, 2u);
    EXPECT_EQ(Issues(r), (IssueList{{2, TIssueCode::TextAfterNul}}));
    EXPECT_EQ(r.Issues[0].Severity, TSeverity::Warning);
    // At the start of a line, the NUL stands on that line.
    EXPECT_EQ(Issues(Check(std::string("a\n\0b", 4), TListKind::List)), (IssueList{{2, TIssueCode::TextAfterNul}}));
    // Padding of NULs and line ends after the text loses nothing.
    EXPECT_TRUE(Check(std::string("a\r\n\0\0\r\n", 7), TListKind::List).Issues.empty());
}

TEST(CheckEncodings, EveryMarkIsDetectedAndLinesCountAlike) {
    const std::u16string text = u"5|\u041F\u0438\u0432\u043E|\u0425\u043E\u043B\u043E\u0434\u043D\u043E\r\n05|a|b\r\n";
    const std::vector<std::pair<std::string, TListEncoding>> files = {
        {Utf16Le(text), TListEncoding::Utf16Le},
        {Utf16Be(text), TListEncoding::Utf16Be},
        {"\xEF\xBB\xBF" + Utf16ToUtf8(text), TListEncoding::Utf8Bom},
        {Utf16ToUtf8(text), TListEncoding::Utf8},
    };
    for (const auto& [bytes, encoding] : files) {
        SCOPED_TRACE(EncodingKey(encoding));
        const TCheckReport r = Check(bytes, TListKind::Statuses);
        EXPECT_EQ(r.Encoding, encoding);
        EXPECT_EQ(r.Entries, 2u);
        EXPECT_EQ(r.Usable, 1u);
        EXPECT_EQ(Issues(r), (IssueList{{2, TIssueCode::IconLeadingZeros}}));
        EXPECT_EQ(r.Issues[0].Entry, "05|a|b");
    }
}

TEST(CheckEncodings, WarningsAboutTheFileItself) {
    // An odd UTF-16 file loses its last byte.
    const TCheckReport odd = Check(Utf16Le(u"a\r\nb") + "x", TListKind::List);
    EXPECT_EQ(Issues(odd), (IssueList{{0, TIssueCode::OddByte}}));
    EXPECT_EQ(odd.Entries, 2u);
    // Letters past ASCII without a mark depend on the system's code page.
    const TCheckReport ansi = Check("caf\xE9\r\n", TListKind::List);
    EXPECT_EQ(ansi.Encoding, TListEncoding::Ansi);
    EXPECT_EQ(Issues(ansi), (IssueList{{0, TIssueCode::AnsiLetters}}));
    EXPECT_EQ(ansi.Issues[0].Severity, TSeverity::Warning);
    EXPECT_TRUE(Check("plain ascii\r\n", TListKind::List).Issues.empty());
    EXPECT_TRUE(Check("caf\xC3\xA9\r\n", TListKind::List).Issues.empty());
}

TEST(CheckEntries, EmptyEntriesWarnInListsButNeverMatchInStatuses) {
    const TCheckReport list = Check("a\r\n\r\nb", TListKind::List);
    ASSERT_EQ(list.Issues.size(), 1u);
    EXPECT_EQ(list.Issues[0].Severity, TSeverity::Warning);
    EXPECT_EQ(list.Usable, 3u);

    const TCheckReport statuses = Check("5|a|b\r\n\r\n5|c|d", TListKind::Statuses);
    ASSERT_EQ(statuses.Issues.size(), 1u);
    EXPECT_EQ(statuses.Issues[0].Line, 2u);
    EXPECT_EQ(statuses.Issues[0].Severity, TSeverity::Problem);
    EXPECT_EQ(statuses.Usable, 2u);
}

TEST(CheckEntries, EachWayAStatusEntryFails) {
    const std::vector<std::pair<std::string, TIssueCode>> cases = {
        {"5|Title", TIssueCode::FieldCount},
        {"5|Title|", TIssueCode::FieldCount},  // an empty last field does not count
        {"5|a|b|c", TIssueCode::FieldCount},
        {"just a joke", TIssueCode::FieldCount},
        {"+5|a|b", TIssueCode::IconSign},
        {"-0|a|b", TIssueCode::IconSign},
        {"05|a|b", TIssueCode::IconLeadingZeros},
        {"00|a|b", TIssueCode::IconLeadingZeros},
        {" 5|a|b", TIssueCode::IconBlanks},
        {"5 |a|b", TIssueCode::IconBlanks},
        {"\t12|a|b", TIssueCode::IconBlanks},
        {"34|a|b", TIssueCode::IconOutOfRange},
        {"-1|a|b", TIssueCode::IconOutOfRange},
        {"4294967301|a|b", TIssueCode::IconOutOfRange},
        {"beer|a|b", TIssueCode::IconNotNumber},
        {"|a|b", TIssueCode::IconNotNumber},
        {"5x|a|b", TIssueCode::IconNotNumber},
        {"\xEF\xBC\x95|a|b", TIssueCode::IconNotNumber},  // a full-width 5
    };
    for (const auto& [entry, code] : cases) {
        SCOPED_TRACE(entry);
        const TCheckReport r = Check(entry, TListKind::Statuses);
        ASSERT_EQ(r.Issues.size(), 1u);
        EXPECT_EQ(r.Issues[0].Code, code);
        EXPECT_EQ(r.Issues[0].Severity, TSeverity::Problem);
        EXPECT_EQ(r.Issues[0].Line, 1u);
        EXPECT_EQ(r.Usable, 0u);
        EXPECT_TRUE(r.PerIcon.empty());
    }
}

TEST(CheckEntries, TheMessageNamesTheNumberThatWouldMatch) {
    const TCheckReport r = Check("+5|a|b\r\n007|a|b", TListKind::Statuses);
    ASSERT_EQ(r.Issues.size(), 2u);
    EXPECT_NE(r.Issues[0].Message.find("\"5|\""), std::string::npos) << r.Issues[0].Message;
    EXPECT_NE(r.Issues[1].Message.find("\"7|\""), std::string::npos) << r.Issues[1].Message;
}

TEST(CheckEntries, AcceptedStatusEntries) {
    const TCheckReport r = Check("0|a|b\r\n33|a|b\r\n5||text\r\n5|a|b|\r\n12|a|\xC3\xA9/nl\r\n7|a||", TListKind::Statuses);
    EXPECT_TRUE(r.Issues.empty());
    EXPECT_EQ(r.Usable, 6u);
    EXPECT_EQ(r.PerIcon, (std::map<int32_t, size_t>{{0, 1}, {5, 2}, {7, 1}, {12, 1}, {33, 1}}));
}

TEST(CheckEntries, MarkersThatNeverExpand) {
    // In list.txt the whole entry is the text.
    EXPECT_EQ(Issues(Check("one/NLtwo\r\none/Nltwo\r\none/nLtwo", TListKind::List)),
              (IssueList{{1, TIssueCode::MarkerCase}, {2, TIssueCode::MarkerCase}, {3, TIssueCode::MarkerCase}}));
    // One lower-case marker makes all of them line breaks.
    EXPECT_TRUE(Check("one/nltwo/NLthree", TListKind::List).Issues.empty());
    // "/n" without the l and a backslash are plain text.
    EXPECT_TRUE(Check("one/ntwo \\nl /N", TListKind::List).Issues.empty());
    // In statuses.txt only the third field is expanded; the title never is.
    EXPECT_EQ(Issues(Check("5|a|x/NLy", TListKind::Statuses)), (IssueList{{1, TIssueCode::MarkerCase}}));
    EXPECT_EQ(Issues(Check("5|a/nlb|x/nly", TListKind::Statuses)), (IssueList{{1, TIssueCode::MarkerInTitle}}));
    // A lower-case marker in the title does not rescue the text's.
    EXPECT_EQ(Issues(Check("5|a/nlb|x/NLy", TListKind::Statuses)),
              (IssueList{{1, TIssueCode::MarkerInTitle}, {1, TIssueCode::MarkerCase}}));
    // Marker problems leave the entry usable.
    EXPECT_EQ(Check("5|a|x/NLy", TListKind::Statuses).Usable, 1u);
}

TEST(CheckEntries, MarkerVerdictAgreesWithExpandLineMarkers) {
    for (const std::u16string text : {u"a/NLb", u"a/nlb", u"a/Nlb/nLc", u"a/nlb/NLc", u"/NL", u"/n l", u"a/nl"}) {
        const std::string bytes = Utf16ToUtf8(text);
        const bool flagged = !Check(bytes, TListKind::List).Issues.empty();
        const bool stays = ExpandLineMarkers(text) == text;
        EXPECT_EQ(flagged, stays && bytes.find("/n l") == std::string::npos) << bytes;
    }
}

TEST(CheckEntries, UsableVerdictAgreesWithTheRotation) {
    const std::vector<std::u16string> entries = {
        u"0|a|b", u"1|a|b",  u"12|a|b",  u"33|a|b", u"34|a|b",  u"-1|a|b",   u"+1|a|b", u"01|a|b",
        u" 1|a|b", u"1 |a|b", u"x|a|b",  u"|a|b",   u"1|a",     u"1|a|",     u"1|a|b|", u"1|a|b|c",
        u"1||b",  u"1|a||",  u"",        u"1",      u"1|",      u"1||",      u"1|||",   u"100|a|b",
    };
    for (const std::u16string& entry : entries) {
        const std::string bytes = Utf16ToUtf8(entry);
        SCOPED_TRACE(bytes);
        const TCheckReport r = Check(bytes + "\r\n", TListKind::Statuses);
        ASSERT_EQ(r.Entries, 1u);
        EXPECT_EQ(r.Usable == 1, RotationEverApplies(entry));
        EXPECT_EQ(r.Usable == 1, r.Count(TSeverity::Problem) == 0);
    }
}

TEST(CheckNames, KindFromFileName) {
    TListKind kind = TListKind::Statuses;
    EXPECT_TRUE(KindFromFileName("list.txt", kind));
    EXPECT_EQ(kind, TListKind::List);
    EXPECT_TRUE(KindFromFileName("C:\\Vostek\\Plugins\\Statuses.TXT", kind));
    EXPECT_EQ(kind, TListKind::Statuses);
    EXPECT_TRUE(KindFromFileName("samples/ru/LIST.txt", kind));
    EXPECT_EQ(kind, TListKind::List);
    EXPECT_FALSE(KindFromFileName("list.txt.bak", kind));
    EXPECT_FALSE(KindFromFileName("mylist.txt", kind));
    EXPECT_FALSE(KindFromFileName("list.txt/", kind));
}

// The command line, on files written into a fresh folder.
class CheckCommand : public CheckerFolder {};

TEST_F(CheckCommand, ExitStatusTellsWhetherAnEntryIsNeverApplied) {
    Write("list.txt", "one\r\n\r\ntwo/nlthree\r\n");
    Write("statuses.txt", "5|Beer|Friday\r\n");
    EXPECT_EQ(Run({FFolder.u8string()}), CheckClean);  // the empty list entry only warns
    EXPECT_NE(FOut.find("line 2: warning"), std::string::npos) << FOut;
    EXPECT_NE(FOut.find("0 problems, 1 warning in 2 files."), std::string::npos) << FOut;

    Write("statuses.txt", "5|Beer|Friday\r\n05|Beer|Saturday\r\n");
    EXPECT_EQ(Run({FFolder.u8string()}), CheckProblems);
    EXPECT_NE(FOut.find("line 2: problem: the icon \"05\" has leading zeros"), std::string::npos) << FOut;
    EXPECT_NE(FOut.find("05|Beer|Saturday"), std::string::npos) << FOut;
}

// The demo and the README take the picture names from here.
TEST_F(CheckCommand, IconsListsEveryPictureWithItsName) {
    EXPECT_EQ(Run({"--icons"}), CheckClean);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = FOut.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(FOut.substr(at, end - at));
    }
    ASSERT_EQ(lines.size(), size_t(StatusPictureCount));
    EXPECT_EQ(lines[0], "0 none");
    EXPECT_EQ(lines[5], "5 beer");
    EXPECT_EQ(lines[10], "10 coffee");
    EXPECT_EQ(lines[size_t(LastTickableIcon)], "33 rain");
    for (size_t icon = 0; icon < lines.size(); ++icon) {
        EXPECT_EQ(lines[icon].rfind(std::to_string(icon) + " ", 0), 0u) << lines[icon];
        EXPECT_GT(lines[icon].size(), std::to_string(icon).size() + 1) << "picture " << icon << " has no name";
    }
}

TEST_F(CheckCommand, AFolderWithoutAFileIsLikeAnEmptyList) {
    Write("list.txt", "joke\r\n");
    EXPECT_EQ(Run({FFolder.u8string(), "--json"}), CheckClean);
    EXPECT_NE(FOut.find("\"kind\": \"statuses\", \"found\": false, \"encoding\": null"), std::string::npos) << FOut;
    EXPECT_NE(FOut.find("\"warnings\": 1\n}"), std::string::npos) << FOut;
}

TEST_F(CheckCommand, FilesByNameAndByKind) {
    const std::string statuses = Write("Statuses.txt", "x|a|b\r\n");
    const std::string draft = Write("draft.txt", "x|a|b\r\n");
    EXPECT_EQ(Run({statuses}), CheckProblems);
    EXPECT_EQ(Run({draft}), CheckFailed);
    EXPECT_NE(FErr.find("--as"), std::string::npos);
    EXPECT_EQ(Run({"--as", "list", draft}), CheckClean);
    EXPECT_EQ(Run({"--as", "statuses", draft}), CheckProblems);
    EXPECT_EQ(Run({(FFolder / "list.txt").u8string()}), CheckFailed);  // named but missing
    EXPECT_NE(FErr.find("cannot read"), std::string::npos);
    EXPECT_EQ(Run({"--frobnicate"}), CheckFailed);
    EXPECT_EQ(Run({"--as", "jokes", draft}), CheckFailed);
}

TEST_F(CheckCommand, JsonCarriesEveryIssueWithItsStableKeys) {
    Write("list.txt", "\xEF\xBB\xBF" "fine\r\nsay \"hi\"\t/NL\r\n");
    Write("statuses.txt", "7|Lunch|Soup\r\n7|Tea|Hot\r\n+5|a|b\r\n");
    EXPECT_EQ(Run({"--json", FFolder.u8string()}), CheckProblems);
    for (const std::string& expected : {
             std::string("\"encoding\": \"utf-8-bom\", \"entries\": 2, \"usable\": 2, \"problems\": 1, \"warnings\": 0"),
             std::string("{\"line\": 2, \"severity\": \"problem\", \"code\": \"marker-case\""),
             std::string("\"entry\": \"say \\\"hi\\\"\\u0009/NL\"}"),
             std::string("\"icons\": {\"7\": 2}"),
             std::string("{\"line\": 3, \"severity\": \"problem\", \"code\": \"icon-sign\""),
             std::string("\"problems\": 2,\n  \"warnings\": 0\n}"),
         }) {
        EXPECT_NE(FOut.find(expected), std::string::npos) << expected << "\n" << FOut;
    }
}

}  // namespace
