// The fast loader and the index against plain reference code: the same
// entries as decoding the whole text and splitting it into strings, the same
// candidates as walking the list, the same rotation for the same draws.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/list_loader.h"
#include "core/reference_decoder.h"
#include "core/rotation.h"
#include "core/text_list.h"
#include "tests/native/test_run.h"

namespace {

using Entries = std::vector<std::u16string>;

// The straightforward split: a NUL ends the text, CR, LF and CR LF end an
// entry, a line end at the very end adds nothing.
Entries SplitReference(std::u16string text) {
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) {
        text.resize(nul);
    }
    Entries out;
    std::u16string current;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            out.push_back(current);
            current.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) {
        out.push_back(current);
    }
    return out;
}

Entries EntriesOf(const TTextList& list) {
    Entries out;
    for (size_t i = 0; i < list.Count(); ++i) {
        out.emplace_back(list[i]);
    }
    return out;
}

// A double-byte code page of our own: 0x81..0xFE lead a pair when a byte of
// 0x40 or more follows, and 0x5C is a currency sign. Whether the loader's
// pieces keep pairs whole shows in the result.
void ToyDoubleByte(const char* bytes, size_t count, std::u16string& out) {
    for (size_t i = 0; i < count; ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b >= 0x81 && b <= 0xFE) {
            if (i + 1 < count && static_cast<uint8_t>(bytes[i + 1]) >= 0x40) {
                out.push_back(static_cast<char16_t>(0x4E00 + ((b << 8) | static_cast<uint8_t>(bytes[i + 1])) % 0x5000));
                ++i;
            } else {
                out.push_back(u'\u30FB');
            }
        } else {
            out.push_back(b == 0x5C ? u'\u00A5' : static_cast<char16_t>(b));
        }
    }
}

const std::vector<std::string> AsciiPieces = {"a", "b", "Zq", " ", "12", "5", "|", "}", "~", "\x7F", "\t",
                                               "\r", "\n", "\r\n", "\n\r", "\x0E", "\x0C", "5|t|x", "-3|", "x|y"};
const std::vector<std::string> Utf8Pieces = {"\xD0\xBF", "\xD1\x80\xD0\xB8", "\xC2\xA0", "\xE2\x82\xAC",
                                              "\xF0\x9F\x98\x80", "\xEF\xBF\xBD"};
const std::vector<std::string> BadPieces = {"\x80", "\xBF", "\xC0\xAF", "\xC1\xBF", "\xE2\x82", "\xFF", "\xED\xA0\x80",
                                             "\xF4\x90\x80\x80", "\xE9", "\x81\x40", "\x81", "\xF0\x9F\x98"};

enum class TMix { Ascii, Utf8, Anything };

std::string RandomBytes(std::mt19937& rng, size_t pieces, TMix mix, bool nul) {
    std::string out;
    for (size_t i = 0; i < pieces; ++i) {
        const auto kind = rng() % 10;
        if (mix != TMix::Ascii && kind < 3) {
            out += Utf8Pieces[rng() % Utf8Pieces.size()];
        } else if (mix == TMix::Anything && kind == 3) {
            out += BadPieces[rng() % BadPieces.size()];
        } else {
            out += AsciiPieces[rng() % AsciiPieces.size()];
        }
        if (nul && rng() % 500 == 0) {
            out.push_back('\0');
        }
    }
    return out;
}

std::string RandomUtf16(std::mt19937& rng, size_t units, bool bigEndian, bool nul) {
    // Units that look like special ones in one byte or the other, lone
    // surrogates, and the real line ends and bar.
    static const char16_t OddUnits[] = {u'a', u'|', u'\r', u'\n', 0x0441, 0xD83D, 0xDE00, 0x047C, 0x7C00,
                                      0x0D00, 0x0A0D, 0x7D, 0x7F, 0xFFFF, 0x0E, 0x0D0A, 0x2028, u'5', u' '};
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (size_t i = 0; i < units; ++i) {
        char16_t c = OddUnits[rng() % (sizeof OddUnits / sizeof OddUnits[0])];
        if (nul && rng() % 700 == 0) {
            c = 0;
        }
        const char lo = static_cast<char>(c & 0xFF);
        const char hi = static_cast<char>(c >> 8);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    if (rng() % 4 == 0) {
        out.push_back('q');  // an odd last byte
    }
    return out;
}

void ExpectSameAsReference(const std::string& bytes, TAnsiToUtf16 ansi) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    TListEncoding referenceEncoding;
    const Entries expected = SplitReference(DecodeListText(data, bytes.size(), ansi, &referenceEncoding));
    TTextList list;
    TListEncoding encoding;
    LoadListBytes(data, bytes.size(), ansi, list, &encoding);
    ASSERT_EQ(encoding, referenceEncoding) << "size " << bytes.size();
    ASSERT_EQ(EntriesOf(list), expected) << "size " << bytes.size() << ", " << EncodingName(encoding);
    ASSERT_TRUE(list.Indexed());
}

// Every load test runs twice: with the x86 sixteen-byte steps where this
// processor has them, and with the word-at-a-time path alone. A run with
// the block steps off has only the second.
class CompactLoad : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !BlockStepsAllowed) {
            GTEST_SKIP() << "block steps are off in this run";
        }
        UseBlockSteps(GetParam());
    }
    void TearDown() override { UseBlockSteps(BlockStepsAllowed); }
};

INSTANTIATE_TEST_SUITE_P(Steps, CompactLoad, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Blocks" : "Words";
                         });

TEST_P(CompactLoad, SmallRandomInputsOfEveryEncodingMatchTheReference) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 3000; ++round) {
        const size_t pieces = rng() % 40;
        const bool nul = round % 3 == 0;
        const std::string body = RandomBytes(rng, pieces, static_cast<TMix>(round % 3), nul);
        ExpectSameAsReference(body, nullptr);
        ExpectSameAsReference("\xEF\xBB\xBF" + body, nullptr);
        ExpectSameAsReference(body, &ToyDoubleByte);
        ExpectSameAsReference(RandomUtf16(rng, rng() % 40, round % 2 == 0, nul), nullptr);
    }
}

TEST_P(CompactLoad, LargeInputsMatchTheReference) {
    // Long enough for every word loop, the counter flushes and many pieces
    // of the code page converter, some without any early cut point.
    std::mt19937 rng(77);
    for (int round = 0; round < 6; ++round) {
        const TMix mix = static_cast<TMix>(round % 3);
        std::string body = RandomBytes(rng, 150000, mix, false);
        if (round >= 3) {
            std::string dense;  // 100 KB of bytes from 0x30 up: no place to cut
            while (dense.size() < 100000) {
                dense += rng() % 3 ? "\x81\x41" : "Ab";
            }
            body.insert(body.size() / 2, dense);
        }
        ExpectSameAsReference(body, nullptr);
        ExpectSameAsReference("\xEF\xBB\xBF" + body, nullptr);
        ExpectSameAsReference(body, &ToyDoubleByte);
        ExpectSameAsReference(RandomUtf16(rng, 300000, round % 2 == 1, round == 4), nullptr);
    }
}

TEST_P(CompactLoad, CrLfAcrossConverterPiecesIsOneLineEnd) {
    // The converter's pieces end after a byte below 0x30, so right after a
    // CR; the LF that opens the next piece must not make an empty entry.
    std::string body(65535, 'x');
    body += "\r\nnext";
    ExpectSameAsReference(body, &ToyDoubleByte);
    TTextList list;
    LoadListBytes(reinterpret_cast<const uint8_t*>(body.data()), body.size(), &ToyDoubleByte, list);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[1], u"next");
}

TEST_P(CompactLoad, MemoryIsTextPlusOffsets) {
    std::mt19937 rng(5);
    const std::string body = "\xEF\xBB\xBF" + RandomBytes(rng, 200000, TMix::Utf8, false);
    TTextList list;
    LoadListBytes(reinterpret_cast<const uint8_t*>(body.data()), body.size(), nullptr, list);
    size_t units = 0;
    for (size_t i = 0; i < list.Count(); ++i) {
        units += list[i].size();
    }
    // The text, its offset and the room of its dropped line end: 8 bytes.
    EXPECT_LE(list.MemoryUsed() - list.IndexMemoryUsed(), units * 2 + list.Count() * 8 + 32);

    // A reload writes into the same pages, and a smaller file gives back
    // what it does not need.
    const void* first = list[0].data();
    LoadListBytes(reinterpret_cast<const uint8_t*>(body.data()), body.size(), nullptr, list);
    EXPECT_EQ(list[0].data(), first);
    LoadListBytes(reinterpret_cast<const uint8_t*>("a\nb"), 3, nullptr, list);
    EXPECT_EQ(EntriesOf(list), (Entries{u"a", u"b"}));
    EXPECT_LE(list.MemoryUsed() - list.IndexMemoryUsed(), 64u);
}

// ---------------------------------------------------------------------------

const std::vector<std::u16string> Fields = {u"0", u"1", u"12", u"5", u"-3", u"x", u"", u"01", u"+5", u"1|a"};
const std::vector<std::u16string> Titles = {u"a", u"", u"b", u"a|b", u"T/nl"};

TTextList RandomStatuses(std::mt19937& rng, size_t count) {
    TTextList list;
    for (size_t i = 0; i < count; ++i) {
        const auto kind = rng() % 20;
        if (kind == 0) {
            list.Add(u"");
        } else if (kind == 1) {
            list.Add(u"no bar here");
        } else if (kind == 2) {
            list.Add(Fields[rng() % Fields.size()] + u"|");
        } else {
            list.Add(Fields[rng() % Fields.size()] + u"|" + Titles[rng() % Titles.size()] + u"|text " +
                     std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + (kind == 3 ? u"|more" : u""));
        }
    }
    return list;
}

std::u16string RandomSelection(std::mt19937& rng, int32_t current) {
    static const std::vector<std::u16string> Pieces = {u"0", u"1", u"12", u"5", u"-3", u"x", u"01", u"+5",
                                                        u"1|a", u"1|a|b", u"|", u"99", u";", u"12|"};
    std::u16string selection = rng() % 5 ? u";;" + DecimalText(current) + u";;" : u"";
    const size_t n = rng() % 8;
    for (size_t i = 0; i < n; ++i) {
        selection += (rng() % 3 ? u";;" : u";;;;") + Pieces[rng() % Pieces.size()];
    }
    if (rng() % 2) {
        selection += u";;" + DecimalText(current) + u";;";
    }
    return selection;
}

// Replays one recorded sequence of draws so both runs see the same numbers.
class TRecordedRandom final : public TRandomSource {
public:
    explicit TRecordedRandom(uint32_t seed) : FEngine(seed) {}
    uint32_t Below(uint32_t n) override {
        Ranges.push_back(n);
        return n == 0 ? 0 : std::uniform_int_distribution<uint32_t>(0, n - 1)(FEngine);
    }
    std::vector<uint32_t> Ranges;

private:
    std::mt19937 FEngine;
};

TEST(IconIndex, RunsAreTheScannedCandidates) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        TTextList list = RandomStatuses(rng, rng() % 300);
        EXPECT_FALSE(list.Indexed());
        list.BuildIndex();
        ASSERT_TRUE(list.Indexed());
        for (const std::u16string& field : Fields) {
            if (field.find(u'|') != std::u16string::npos) {
                continue;  // not a first field
            }
            std::vector<uint32_t> scanned;
            AppendCandidates(list, field, scanned);
            const TIconRun run = list.FindIconRun(field);
            std::vector<uint32_t> indexed;
            for (uint32_t i = 0; i < run.Count; ++i) {
                indexed.push_back(run[i]);
            }
            ASSERT_EQ(indexed, scanned) << "field '" << std::string(field.begin(), field.end()) << "'";
        }
        EXPECT_EQ(list.FindIconRun(u"7").Count, 0u);
        EXPECT_EQ(list.FindIconRun(u"no bar here").Count, 0u);
    }
}

TEST(IconIndex, ManyDifferentFieldsAndTheMemoryTheyTake) {
    TTextList list;
    for (uint32_t i = 0; i < 50000; ++i) {
        list.Add(DecimalText(int32_t(i % 20000) - 1000) + u"|t|x");
    }
    list.BuildIndex();
    for (int32_t icon : {-1000, -1, 0, 7, 18999}) {
        std::vector<uint32_t> scanned;
        AppendCandidates(list, DecimalText(icon), scanned);
        const TIconRun run = list.FindIconRun(DecimalText(icon));
        ASSERT_EQ(run.Count, scanned.size()) << icon;
        for (uint32_t i = 0; i < run.Count; ++i) {
            EXPECT_EQ(run[i], scanned[i]);
        }
    }
    EXPECT_EQ(list.FindIconRun(u"19000").Count, 0u);
    // Positions, run starts and two thirds full slots: under 9 bytes an entry.
    EXPECT_LE(list.IndexMemoryUsed(), list.Count() * 9);

    TTextList few;
    for (uint32_t i = 0; i < 50000; ++i) {
        few.Add(DecimalText(int32_t(i % 35)) + u"|t|x");
    }
    few.BuildIndex();
    EXPECT_LE(few.IndexMemoryUsed(), few.Count() * 4 + 1024);
}

TEST(IconIndex, AddDropsItAndCopiesKeepIt) {
    TTextList list;
    LoadListText(u"5|a|b\n6|c|d\n5|e|f", list);
    ASSERT_TRUE(list.Indexed());
    EXPECT_EQ(list.FindIconRun(u"5").Count, 2u);
    const TTextList copy = list;
    list.Add(u"5|g|h");
    EXPECT_FALSE(list.Indexed());
    ASSERT_TRUE(copy.Indexed());
    const TIconRun run = copy.FindIconRun(u"5");
    ASSERT_EQ(run.Count, 2u);
    EXPECT_EQ(copy[run[1]], u"5|e|f");
    list.BuildIndex();
    EXPECT_EQ(list.FindIconRun(u"5").Count, 3u);
}

void ExpectSameRotation(const TTextList& text, const TTextList& statuses, const TExtendedStatus& current,
                        int32_t mode, const std::u16string& selection, uint32_t seed) {
    const TRotationInput in{current, mode, selection, text, statuses};
    TRecordedRandom scanRandom(seed);
    TRecordedRandom indexRandom(seed);
    const auto scanned = DecideRotationByScan(in, scanRandom);
    const auto indexed = DecideRotation(in, indexRandom);
    ASSERT_EQ(indexed.has_value(), scanned.has_value());
    EXPECT_EQ(indexRandom.Ranges, scanRandom.Ranges);
    if (scanned) {
        EXPECT_EQ(indexed->Icon, scanned->Icon);
        EXPECT_EQ(indexed->Status, scanned->Status);
        EXPECT_EQ(indexed->XStatus, scanned->XStatus);
    }
}

TEST(IconIndex, RotationDrawsTheSameAsTheScan) {
    std::mt19937 rng(4242);
    TTextList text;
    LoadListText(u"one\ntwo/nlthree\n\nfour", text);
    for (int round = 0; round < 300; ++round) {
        TTextList statuses = RandomStatuses(rng, rng() % 120);
        statuses.BuildIndex();
        static const int32_t Icons[] = {0, 1, 12, 5, -3, 99};
        const int32_t icon = Icons[rng() % 6];
        const TExtendedStatus current{icon, u"cur/nl", u"now/nl"};
        const std::u16string selection = RandomSelection(rng, icon);
        for (int32_t mode : {0, 1, 2, 3}) {
            for (uint32_t seed = 0; seed < 8; ++seed) {
                ExpectSameRotation(text, statuses, current, mode, selection, seed * 7919 + uint32_t(round));
            }
        }
    }
}

TEST(IconIndex, RotationOnALargeLoadedListMatchesTheScan) {
    std::string bytes = "\xEF\xBB\xBF";
    std::mt19937 rng(8);
    for (int i = 0; i < 100000; ++i) {
        bytes += std::to_string(int(rng() % 40) - 3) + "|\xD0\x97\xD0\xB0|text " + std::to_string(i) + "\r\n";
    }
    TTextList statuses;
    LoadListBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nullptr, statuses);
    ASSERT_EQ(statuses.Count(), 100000u);
    ASSERT_TRUE(statuses.Indexed());
    const TTextList text;
    for (uint32_t seed = 0; seed < 20; ++seed) {
        const int32_t icon = int32_t(seed * 2) - 3;
        const TExtendedStatus current{icon, u"s", u"x"};
        ExpectSameRotation(text, statuses, current, WorkModeIcon, u";;" + DecimalText(icon) + u";;", seed);
        ExpectSameRotation(text, statuses, current, WorkModeFull,
                           u";;" + DecimalText(icon) + u";;;;7;;;;-3;;x;;36;;", seed);
    }
}

}  // namespace
