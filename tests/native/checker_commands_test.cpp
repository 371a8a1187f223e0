#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "base/utf.h"
#include "core/icons.h"
#include "core/list_loader.h"
#include "core/rotation.h"
#include "core/status_line.h"
#include "tools/brisklet_check/cli.h"
#include "tools/brisklet_check/code_pages.h"
#include "tools/brisklet_check/fortune.h"
#include "tools/brisklet_check/preview.h"
#include "tools/brisklet_check/to_utf8.h"
#include "tests/native/checker_folder.h"

namespace {

std::vector<std::u16string> Entries(const TTextList& list) {
    std::vector<std::u16string> out;
    for (size_t i = 0; i < list.Count(); ++i) {
        out.emplace_back(list[i]);
    }
    return out;
}

// What the plug-in would send of each entry of a list.txt: read by its
// loader, markers expanded, in UTF-8.
std::vector<std::string> SentTexts(const std::string& listBytes) {
    TTextList list;
    LoadListBytes(reinterpret_cast<const uint8_t*>(listBytes.data()), listBytes.size(), TAnsiToUtf16(nullptr), list);
    std::vector<std::string> out;
    for (const std::u16string& entry : Entries(list)) {
        out.push_back(Utf16ToUtf8(ExpandLineMarkers(entry)));
    }
    return out;
}

TFortuneImport Import(const std::string& bytes, TAnsiToUtf16 ansi = nullptr) {
    TFortuneImport import;
    ImportFortunes("f", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), ansi, import);
    return import;
}

std::vector<std::pair<size_t, TLeftOutReason>> LeftOut(const TFortuneImport& import) {
    std::vector<std::pair<size_t, TLeftOutReason>> out;
    for (const TLeftOut& left : import.LeftOut) {
        out.emplace_back(left.Line, left.Reason);
    }
    return out;
}

using TLeftOutList = std::vector<std::pair<size_t, TLeftOutReason>>;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CheckerCommands : public CheckerFolder {};

}  // namespace

TEST(FortuneImport, SeparatorsAtTheEdgesAndInARowAndLineEnds) {
    // "%" first and last, two in a row, blanks and empty lines around a
    // fortune, no final line end.
    const TFortuneImport edges = Import("%\none\ntwo  \n%\n%\n\n  \n\nthree\n\n%\nfour\t\n%\n\nlast");
    EXPECT_EQ(edges.Entries, (std::vector<std::u16string>{u"one/nltwo", u"three", u"four", u"last"}));
    EXPECT_EQ(LeftOut(edges), (TLeftOutList{{5, TLeftOutReason::Empty}}));

    // CR LF files give the same entries; an inner empty line is kept.
    const TFortuneImport crlf = Import("one\r\n\r\ntwo \r\n%\r\nthree\r\n%\r\n");
    EXPECT_EQ(crlf.Entries, (std::vector<std::u16string>{u"one/nl/nltwo", u"three"}));
    EXPECT_TRUE(crlf.LeftOut.empty());

    // A file without any "%" is one fortune; an empty one is none.
    EXPECT_EQ(Import("just\none").Entries, (std::vector<std::u16string>{u"just/nlone"}));
    EXPECT_TRUE(Import("").Entries.empty());
    EXPECT_TRUE(Import("\n%\n").LeftOut.empty());
}

TEST(FortuneImport, LeavesOutWhatCannotBeCarriedWithItsLine) {
    const std::string bytes = std::string("ok\n%\nsee /nl here\n%\nsee /NL too\n%\nbold_\bb\n%\nnul") + '\0' +
                              "\n%\ntab\tkept\n%\nC1 \xC2\x85 mark\n";
    const TFortuneImport import = Import(bytes);
    EXPECT_EQ(import.Entries, (std::vector<std::u16string>{u"ok", u"tab\tkept"}));
    EXPECT_EQ(LeftOut(import), (TLeftOutList{{3, TLeftOutReason::Marker},
                                             {5, TLeftOutReason::Marker},
                                             {7, TLeftOutReason::Control},
                                             {9, TLeftOutReason::Control},
                                             {13, TLeftOutReason::Control}}));
    EXPECT_EQ(FortuneSummary(import), "2 entries written; 5 left out: 0 empty, 3 with a control character, 2 holding /nl\n");
}

TEST(FortuneImport, ReadsCrOnlyAndCrLfFilesAsLfFiles) {
    const std::string lf = "%\none\ntwo  \n%\n%\n\nthree\n\n%\nbold_\bb\n%\nlast";
    const TFortuneImport plain = Import(lf);
    EXPECT_EQ(plain.Entries, (std::vector<std::u16string>{u"one/nltwo", u"three", u"last"}));
    EXPECT_EQ(LeftOut(plain), (TLeftOutList{{5, TLeftOutReason::Empty}, {10, TLeftOutReason::Control}}));
    for (const std::string lineEnd : {"\r\n", "\r"}) {
        SCOPED_TRACE(lineEnd == "\r" ? "CR" : "CR LF");
        std::string other;
        for (const char c : lf) {
            other += c == '\n' ? lineEnd : std::string(1, c);
        }
        const TFortuneImport import = Import(other);
        EXPECT_EQ(import.Entries, plain.Entries);
        EXPECT_EQ(LeftOut(import), LeftOut(plain));
    }
    // As the plug-in's loader reads lines: CR CR and LF CR are two line ends.
    EXPECT_EQ(Import("one\r\rtwo\n\rthree\r").Entries, (std::vector<std::u16string>{u"one/nl/nltwo/nl/nlthree"}));
}

TEST(FortuneImport, ReadsKoi8rWhenTold) {
    // "Привет" / "мир" in KOI8-R: not UTF-8, so the code page decides.
    const std::string koi8 = "\xF0\xD2\xC9\xD7\xC5\xD4\n\xCD\xC9\xD2\n%\n";
    EXPECT_EQ(Import(koi8, CodePageConverter(20866)).Entries,
              (std::vector<std::u16string>{u"\u041F\u0440\u0438\u0432\u0435\u0442/nl\u043C\u0438\u0440"}));
    // The same bytes as Windows-1251 are other letters: the flag matters.
    EXPECT_NE(Import(koi8, CodePageConverter(1251)).Entries, Import(koi8, CodePageConverter(20866)).Entries);
    EXPECT_EQ(CodePageConverter(437), nullptr);
}

TEST(FortuneImport, TheListGivesEachFortuneBackThroughTheLoader) {
    const std::string fortunes = "\xEF\xBB\xBF  indented\nnext \xE2\x82\xAC\n%\n/n and / nl stay\n%\nx|y|z\n";
    const TFortuneImport import = Import(fortunes);
    EXPECT_EQ(SentTexts(ListFileBytes(import.Entries)),
              (std::vector<std::string>{"  indented\r\nnext \xE2\x82\xAC", "/n and / nl stay", "x|y|z"}));
}

TEST_F(CheckerCommands, FromFortuneWritesTheListAndNeverOverAFile) {
    const std::string in = Write("jokes", "one\r\ntwo\r\n%\r\n%\r\nthree");
    const std::string out = (FFolder / "list.txt").u8string();
    ASSERT_EQ(Run({"--from-fortune", in, "-o", out}), CheckClean) << FErr;
    EXPECT_EQ(ReadAll(out), "\xEF\xBB\xBFone/nltwo\r\nthree\r\n");
    EXPECT_EQ(FOut, in + ":4: left out: empty\n2 entries written; 1 left out: 1 empty, 0 with a control character, 0 holding /nl\n");

    Write("jokes", "other");
    EXPECT_EQ(Run({"--from-fortune", in, "-o", out}), CheckFailed);
    EXPECT_NE(FErr.find("is there already"), std::string::npos) << FErr;
    EXPECT_EQ(ReadAll(out), "\xEF\xBB\xBFone/nltwo\r\nthree\r\n");
    EXPECT_EQ(Run({"--from-fortune", in, "-o", out, "--force"}), CheckClean) << FErr;
    EXPECT_EQ(ReadAll(out), "\xEF\xBB\xBFother\r\n");
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"jokes", "list.txt"}));

    // Without -o the list is the output and the report goes aside.
    bool outIsFile = false;
    FOut.clear();
    FErr.clear();
    ASSERT_EQ(RunCheck({"--from-fortune", in}, TCheckSetup{}, FOut, FErr, &outIsFile), CheckClean);
    EXPECT_TRUE(outIsFile);
    EXPECT_EQ(FOut, "\xEF\xBB\xBFother\r\n");
    EXPECT_EQ(FErr, "1 entry written; 0 left out: 0 empty, 0 with a control character, 0 holding /nl\n");
}

// The Debian packages' fortune files, each file of a package as the user
// would give them. Whatever is written must read back through the loader
// as the fortune's lines joined by CR LF, in order; what is left out is
// counted by reason and held to the figures below.
namespace {

struct TPackageCounts {
    const char* Package;
    size_t Written, Empty, Control, Marker;
};

std::vector<std::string> FortuneFilesOf(const std::string& package) {
    std::ifstream list("/var/lib/dpkg/info/" + package + ".list");
    std::vector<std::string> files;
    for (std::string line; std::getline(list, line);) {
        const std::filesystem::path path(line);
        if (line.rfind("/usr/share/games/fortunes/", 0) == 0 && path.extension() != ".dat" &&
            std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) {
            files.push_back(line);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The fortunes a file should give, worked out on its bytes: lines cut at
// LF, trailing blanks and CRs dropped, split at "%" lines, empty lines
// around each dropped, and the ones with a control byte or "/nl" skipped.
void ExpectedFortunes(const std::string& bytes, std::vector<std::string>& kept) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        end = end == std::string::npos ? bytes.size() : end;
        std::string line = bytes.substr(at, end - at);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.pop_back();
        }
        lines.push_back(line);
        at = end + 1;
    }
    lines.push_back("%");
    std::vector<std::string> fortune;
    for (const std::string& line : lines) {
        if (line != "%") {
            fortune.push_back(line);
            continue;
        }
        while (!fortune.empty() && fortune.front().empty()) fortune.erase(fortune.begin());
        while (!fortune.empty() && fortune.back().empty()) fortune.pop_back();
        std::string joined;
        for (size_t i = 0; i < fortune.size(); ++i) {
            joined += (i ? "\r\n" : "") + fortune[i];
        }
        fortune.clear();
        std::string lower = joined;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); });
        bool control = false;
        for (size_t i = 0; i < joined.size(); ++i) {
            const auto b = static_cast<unsigned char>(joined[i]);
            const bool lineEnd = b == '\r' && i + 1 < joined.size() && joined[i + 1] == '\n';
            const bool c1 = b == 0xC2 && i + 1 < joined.size() && static_cast<unsigned char>(joined[i + 1]) < 0xA0;
            control = control || ((b < 0x20 || b == 0x7F) && b != '\t' && b != '\n' && !lineEnd) || c1;
        }
        if (!joined.empty() && !control && lower.find("/nl") == std::string::npos) {
            kept.push_back(joined);
        }
    }
}

}  // namespace

TEST_F(CheckerCommands, DebianFortunePackagesReadBackThroughTheLoader) {
    const TPackageCounts packages[] = {
        {"fortunes-min", 819, 0, 2, 0},
        {"fortunes-de", 18760, 3, 1, 0},
        {"fortunes-ru", 20899, 9, 0, 0},
    };
    for (const TPackageCounts& want : packages) {
        SCOPED_TRACE(want.Package);
        const std::vector<std::string> files = FortuneFilesOf(want.Package);
        ASSERT_FALSE(files.empty()) << want.Package << " is not installed: scripts/setup.sh installs it";
        std::vector<std::string> args = {"--from-fortune"};
        args.insert(args.end(), files.begin(), files.end());
        const std::string out = (FFolder / (std::string(want.Package) + ".txt")).u8string();
        args.insert(args.end(), {"-o", out});
        ASSERT_EQ(Run(args), CheckClean) << FErr;
        const std::string summary = FOut.substr(FOut.rfind('\n', FOut.size() - 2) + 1);
        std::printf("%s (%zu files): %s", want.Package, files.size(), summary.c_str());

        std::vector<std::string> expected;
        for (const std::string& file : files) {
            ExpectedFortunes(ReadAll(file), expected);
        }
        const std::vector<std::string> sent = SentTexts(ReadAll(out));
        ASSERT_EQ(sent.size(), expected.size());
        for (size_t i = 0; i < sent.size(); ++i) {
            ASSERT_EQ(sent[i], expected[i]) << "entry " << i;
        }
        char line[200];
        std::snprintf(line, sizeof line,
                      "%zu entries written; %zu left out: %zu empty, %zu with a control character, %zu holding /nl\n",
                      want.Written, want.Empty + want.Control + want.Marker, want.Empty, want.Control, want.Marker);
        EXPECT_EQ(summary, line);
    }
}

TEST(ToUtf8, KeepsEveryEntryAndFindsUndecodableBytes) {
    // Windows-1251 with CR LF, an empty entry, a lone LF and a NUL: the
    // loader must cut the new file exactly as it cut the old one.
    const std::string old = std::string("\xCF\xF0\xE8\xE2\xE5\xF2/nl\xEC\xE8\xF0\r\n\r\n5|\xCF\xE8\xE2\xEE|\xC4\xE0\n") +
                            "tail" + '\0' + "gone\r\n";
    const TAnsiToUtf16 cp1251 = CodePageConverter(1251);
    const TUtf8Conversion conversion = ConvertToUtf8(reinterpret_cast<const uint8_t*>(old.data()), old.size(), cp1251);
    ASSERT_EQ(conversion.Encoding, TListEncoding::Ansi);
    EXPECT_TRUE(conversion.Undecodable.empty());
    TTextList before;
    TTextList after;
    LoadListBytes(reinterpret_cast<const uint8_t*>(old.data()), old.size(), cp1251, before);
    LoadListBytes(reinterpret_cast<const uint8_t*>(conversion.Bytes.data()), conversion.Bytes.size(),
                  TAnsiToUtf16(nullptr), after);
    EXPECT_EQ(Entries(after), Entries(before));
    EXPECT_EQ(Entries(after)[0], u"\u041F\u0440\u0438\u0432\u0435\u0442/nl\u043C\u0438\u0440");
    EXPECT_EQ(conversion.Bytes.substr(0, 3), "\xEF\xBB\xBF");

    // 0x98 is no letter in 1251; the line and letter are reported.
    const std::string bad = "ok\r\nab\x98";
    const TUtf8Conversion refused = ConvertToUtf8(reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), cp1251);
    ASSERT_EQ(refused.Undecodable.size(), 1u);
    EXPECT_EQ(refused.Undecodable[0].Line, 2u);
    EXPECT_EQ(refused.Undecodable[0].Column, 3u);
    EXPECT_EQ(refused.Undecodable[0].Byte, 0x98);
}

TEST_F(CheckerCommands, ToUtf8KeepsABackupAndRefusesUnicodeFiles) {
    const std::string old = "\xE4\xE0\r\n\xEF\xE8\xE2\xEE\r\n";
    const std::string list = Write("list.txt", old);
    ASSERT_EQ(Run({"--to-utf8", list, "--codepage", "1251"}), CheckClean) << FErr;
    EXPECT_EQ(ReadAll(list), "\xEF\xBB\xBF\xD0\xB4\xD0\xB0\r\n\xD0\xBF\xD0\xB8\xD0\xB2\xD0\xBE\r\n");
    EXPECT_EQ(ReadAll(list + ".bak"), old);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"list.txt", "list.txt.bak"}));

    // Now it is UTF-8: a second run touches nothing.
    const std::string converted = ReadAll(list);
    ASSERT_EQ(Run({"--to-utf8", list}), CheckClean);
    EXPECT_NE(FOut.find("already UTF-8 with BOM; left as it is"), std::string::npos) << FOut;
    EXPECT_EQ(ReadAll(list), converted);
    const std::string plain = Write("statuses.txt", "5|\xD0\x9F\xD0\xB8\xD0\xB2\xD0\xBE|x\r\n");
    ASSERT_EQ(Run({"--to-utf8", plain}), CheckClean);
    EXPECT_NE(FOut.find("already UTF-8; left as it is"), std::string::npos) << FOut;
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"list.txt", "list.txt.bak", "statuses.txt"}));
}

TEST_F(CheckerCommands, ToUtf8LeavesAFileWithUndecodableBytesUnlessForced) {
    const std::string old = "one\r\ntwo \x98\r\n";
    const std::string list = Write("list.txt", old);
    EXPECT_EQ(Run({"--to-utf8", list, "--codepage", "1251"}), CheckProblems);
    EXPECT_NE(FOut.find("line 2, letter 5: byte 0x98 has no letter in code page 1251"), std::string::npos) << FOut;
    EXPECT_EQ(ReadAll(list), old);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"list.txt"}));
    EXPECT_EQ(Run({"--to-utf8", list, "--codepage", "1251", "--force"}), CheckClean) << FErr;
    EXPECT_EQ(ReadAll(list + ".bak"), old);

    // An older backup is the user's: the file is left alone.
    const std::string other = Write("statuses.txt", "5|\xC4\xE0|x\r\n");
    Write("statuses.txt.bak", "mine");
    EXPECT_EQ(Run({"--to-utf8", other, "--codepage", "1251"}), CheckFailed);
    EXPECT_EQ(ReadAll(other), "5|\xC4\xE0|x\r\n");
    EXPECT_EQ(ReadAll(other + ".bak"), "mine");
}

namespace {

// The system's files, but the step that puts the new file in place fails,
// as when the machine stops between writing and replacing.
class TReplaceFails final : public TFileOps {
public:
    bool MoveOver(const std::string&, const std::string&) override { return false; }
};

}  // namespace

TEST_F(CheckerCommands, AFailedReplaceLeavesTheOldFileAsItWas) {
    const std::string old = "\xE4\xE0\r\n";
    const std::string list = Write("list.txt", old);
    TReplaceFails files;
    EXPECT_EQ(Run({"--to-utf8", list, "--codepage", "1251"}, &files), CheckFailed);
    EXPECT_EQ(ReadAll(list), old);
    EXPECT_NE(FErr.find("list.txt is left as it is"), std::string::npos) << FErr;
    // Neither the half-done new file nor a backup of an unchanged file stays.
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"list.txt"}));

    const std::string jokes = Write("jokes", "new\n");
    const std::string out = Write("out.txt", "old list");
    EXPECT_EQ(Run({"--from-fortune", jokes, "-o", out, "--force"}, &files), CheckFailed);
    EXPECT_EQ(ReadAll(out), "old list");
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"jokes", "list.txt", "out.txt"}));
}

// Every line that the runs of each mode below can print, worked out by hand
// from the files and the rotation's rules rather than by the code that
// prints them. A draw over n entries reaches each of them. xStatus mode
// draws from the three entries of list.txt, the empty one too. Full mode
// chooses picture 5 or 12 (or keeps 5), and draws from both pictures'
// entries; "12|Busy" has two fields and changes nothing, and picture 7 is
// not ticked. Icon mode draws from picture 12's two entries only.
TEST_F(CheckerCommands, PreviewShowsExactlyWhatTheRotationCanSend) {
    Write("list.txt", "\xEF\xBB\xBFone/nltwo\r\n\r\nthree\r\n");
    Write("statuses.txt", "5|Beer|Friday/nlnight\r\n5|Beer|Saturday\r\n12|Busy|Back soon\r\n12|Busy\r\n7|Sick|Flu\r\n");
    const std::string same5 = "picture 5 (beer): the current status is sent unchanged";
    const std::string same12 = "picture 12 (business): the current status is sent unchanged";
    const std::string busy = "picture 12 (business): Status \"Busy\", xStatus \"Back soon\"";
    struct TCase {
        const char* Mode;
        const char* Icon;
        std::set<std::string> Lines;
    } cases[] = {
        {"xstatus", "5",
         {"picture 5 (beer): Status unchanged, xStatus \"one \xE2\x86\xB5 two\"",
          "picture 5 (beer): Status unchanged, xStatus \"\"", "picture 5 (beer): Status unchanged, xStatus \"three\""}},
        {"full", "5",
         {same5, "picture 5 (beer): Status \"Beer\", xStatus \"Friday \xE2\x86\xB5 night\"",
          "picture 5 (beer): Status \"Beer\", xStatus \"Saturday\"", busy}},
        {"icon", "12", {same12, busy}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Mode);
        ASSERT_EQ(Run({"--preview", "400", "--mode", c.Mode, "--selection", "12,5", "--icon", c.Icon, "--seed", "7",
                       FFolder.u8string()}),
                  CheckClean)
            << FErr;
        std::set<std::string> shown;
        size_t runs = 0;
        for (size_t at = FOut.find('\n') + 1, end; (end = FOut.find('\n', at)) != std::string::npos; at = end + 1) {
            const std::string line = FOut.substr(at, end - at);
            ASSERT_EQ(line.rfind(std::to_string(++runs) + ": ", 0), 0u) << line;
            shown.insert(line.substr(line.find(": ") + 2));
        }
        EXPECT_EQ(runs, 400u);
        EXPECT_EQ(shown, c.Lines);
    }
}

TEST_F(CheckerCommands, PreviewIsRepeatableAndSilentForAnUntickedPicture) {
    Write("list.txt", "a\r\nb\r\nc\r\nd\r\n");
    const std::vector<std::string> seeded = {"--preview", "25", "--seed", "12345", FFolder.u8string()};
    ASSERT_EQ(Run(seeded), CheckClean);
    const std::string first = FOut;
    ASSERT_EQ(Run(seeded), CheckClean);
    EXPECT_EQ(FOut, first);
    EXPECT_NE(first.find("25 runs in xStatus mode on "), std::string::npos) << first;
    EXPECT_NE(first.find("--seed 12345 repeats them"), std::string::npos) << first;

    // Icon mode with no entry for the picture on now sends it back as it is.
    ASSERT_EQ(Run({"--preview", "2", "--mode", "icon", "--icon", "7", "--seed", "1", FFolder.u8string()}), CheckClean);
    EXPECT_EQ(FOut.substr(FOut.find('\n') + 1),
              "1: picture 7 (" + std::string(IconName(7)) + "): the current status is sent unchanged\n" +
                  "2: picture 7 (" + IconName(7) + "): the current status is sent unchanged\n");

    // Without --seed the header names the seed drawn, which repeats the runs.
    ASSERT_EQ(Run({"--preview", "25", FFolder.u8string()}), CheckClean);
    const std::string random = FOut;
    const size_t at = random.find("--seed ") + 7;
    const std::string seed = random.substr(at, random.find(' ', at) - at);
    ASSERT_EQ(Run({"--preview", "25", "--seed", seed, FFolder.u8string()}), CheckClean);
    EXPECT_EQ(FOut, random);

    ASSERT_EQ(Run({"--preview", "5", "--selection", "5", "--icon", "3", FFolder.u8string()}), CheckClean);
    EXPECT_EQ(FOut.substr(FOut.find('\n') + 1),
              "1: nothing is sent: picture 3 (" + std::string(IconName(3)) + ") is not ticked\n" +
                  "2: nothing is sent: picture 3 (" + IconName(3) + ") is not ticked\n" +
                  "3: nothing is sent: picture 3 (" + IconName(3) + ") is not ticked\n" +
                  "4: nothing is sent: picture 3 (" + IconName(3) + ") is not ticked\n" +
                  "5: nothing is sent: picture 3 (" + IconName(3) + ") is not ticked\n");

    const std::vector<std::vector<std::string>> wrongs = {{"--preview", "0"},
                                                          {"--preview", "3", "--mode", "loud"},
                                                          {"--preview", "3", "--selection", "34"},
                                                          {"--to-utf8", "x", "--codepage", "437"},
                                                          {"--preview", "3", "--to-utf8", "x"},
                                                          {"--preview", "3", "-o", "x"},
                                                          {"--to-utf8", "x", "--seed", "1"}};
    for (const std::vector<std::string>& wrong : wrongs) {
        EXPECT_EQ(Run(wrong), CheckFailed) << wrong[1];
        EXPECT_FALSE(FErr.empty());
    }
}

TEST_F(CheckerCommands, PreviewRefusesMoreRunsThanAPersonCanRead) {
    Write("list.txt", "a\r\nb\r\n");
    ASSERT_EQ(Run({"--preview", "100000", "--seed", "1", FFolder.u8string()}), CheckClean) << FErr;
    EXPECT_EQ(FOut.substr(FOut.rfind('\n', FOut.size() - 2) + 1, 8), "100000: ");
    // One more, the largest count a run number holds, and beyond it: all
    // refused at once, before anything is read or printed.
    for (const char* count : {"100001", "4294967295", "4294967296", "99999999999999999999"}) {
        SCOPED_TRACE(count);
        ASSERT_EQ(Run({"--preview", count, FFolder.u8string()}), CheckFailed);
        EXPECT_EQ(FOut, "");
        EXPECT_EQ(FErr.rfind("brisklet-check: --preview shows at most 100000 runs, not " + std::string(count) + "\n", 0),
                  0u)
            << FErr;
    }
}
