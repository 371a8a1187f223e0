#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

#include "core/rotation.h"

namespace {

// Plays back fixed draws and records the ranges it was asked for.
class TScriptedRandom final : public TRandomSource {
public:
    explicit TScriptedRandom(std::deque<uint32_t> draws) : FDraws(std::move(draws)) {}
    uint32_t Below(uint32_t n) override {
        Ranges.push_back(n);
        if (n == 0) {
            return 0;
        }
        EXPECT_FALSE(FDraws.empty()) << "more draws than scripted";
        const uint32_t r = FDraws.empty() ? 0 : FDraws.front();
        if (!FDraws.empty()) {
            FDraws.pop_front();
        }
        EXPECT_LT(r, n) << "scripted draw outside its range";
        return r;
    }
    std::vector<uint32_t> Ranges;

private:
    std::deque<uint32_t> FDraws;
};

TTextList Lines(std::initializer_list<const char16_t*> entries) {
    TTextList list;
    for (const auto* e : entries) {
        list.Add(e);
    }
    return list;
}

struct TRun {
    TExtendedStatus Current{5, u"Title/nl", u"Text/nl"};
    int32_t Mode = WorkModeXStatus;
    std::u16string Selection = u";;;;5;;";
    TTextList Text;
    TTextList Statuses;

    std::optional<TExtendedStatus> Go(TRandomSource& random) const {
        return DecideRotation(TRotationInput{Current, Mode, Selection, Text, Statuses}, random);
    }
};

TEST(Selection, KeyMustOccurWhole) {
    EXPECT_TRUE(IsIconSelected(u";;1;;", 1));
    EXPECT_FALSE(IsIconSelected(u";;11;;", 1));
    EXPECT_FALSE(IsIconSelected(u";;1;;", 11));
    EXPECT_TRUE(IsIconSelected(u";;;;0;;;;15;;", 0));
    EXPECT_TRUE(IsIconSelected(u";;;;0;;;;15;;", 15));
    for (int32_t icon : {1, 5, 150}) {
        EXPECT_FALSE(IsIconSelected(u";;;;0;;;;15;;", icon)) << icon;
    }
    EXPECT_TRUE(IsIconSelected(u";;-3;;", -3));
    EXPECT_FALSE(IsIconSelected(u";;3;;", -3));
    EXPECT_FALSE(IsIconSelected(u"", 0));
    EXPECT_FALSE(IsIconSelected(u";;", 0));
    EXPECT_EQ(SelectionKey(INT32_MIN), u";;-2147483648;;");
}

TEST(Selection, SelectedIconsArePiecesBetweenSeparators) {
    using V = std::vector<std::u16string_view>;
    EXPECT_EQ(SelectedIcons(u";;;;0;;;;15;;"), (V{u"0", u"15"}));
    EXPECT_EQ(SelectedIcons(u";;"), V{});
    EXPECT_EQ(SelectedIcons(u""), V{});
    EXPECT_EQ(SelectedIcons(u"a;;;b;;"), (V{u"a", u";b"}));  // left to right, no overlap
    EXPECT_EQ(SelectedIcons(u"7"), (V{u"7"}));
}

TEST(Selection, PrefixNeedsTheBarRightAfterTheNumber) {
    EXPECT_TRUE(HasIconPrefix(u"1|a|b", u"1"));
    EXPECT_FALSE(HasIconPrefix(u"12|a|b", u"1"));
    EXPECT_FALSE(HasIconPrefix(u"1|a|b", u"12"));
    EXPECT_FALSE(HasIconPrefix(u"1", u"1"));
    EXPECT_FALSE(HasIconPrefix(u"", u"1"));
    EXPECT_FALSE(HasIconPrefix(u"01|a|b", u"1"));
    EXPECT_TRUE(HasIconPrefix(u"-1|a|b", u"-1"));
}

TEST(Rotation, UnselectedIconSendsNothingInAnyMode) {
    for (int32_t mode : {0, 1, 2, 7}) {
        TRun run;
        run.Mode = mode;
        run.Selection = u";;;;15;;";
        run.Text = Lines({u"a"});
        run.Statuses = Lines({u"15|t|x"});
        TScriptedRandom random({});
        EXPECT_FALSE(run.Go(random)) << mode;
        EXPECT_TRUE(random.Ranges.empty()) << "no draw before the selection test";
        run.Selection.clear();
        EXPECT_FALSE(run.Go(random)) << mode;
    }
}

TEST(Rotation, XStatusModeChangesOnlyTheExpandedText) {
    TRun run;
    run.Text = Lines({u"first", u"two/nllines", u"third"});
    TScriptedRandom random({1});
    const auto out = run.Go(random);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Icon, 5);
    EXPECT_EQ(out->Status, u"Title/nl");  // the title is never expanded
    EXPECT_EQ(out->XStatus, u"two\r\nlines");
    EXPECT_EQ(random.Ranges, std::vector<uint32_t>{3});
}

TEST(Rotation, XStatusModeWithEmptyListResendsCurrentUnexpanded) {
    TRun run;
    TScriptedRandom random({});
    const auto out = run.Go(random);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->XStatus, u"Text/nl");
    EXPECT_EQ(out->Status, u"Title/nl");
}

TEST(Rotation, DrawnEmptyEntryEmptiesTheXStatus) {
    TRun run;
    run.Text = Lines({u""});
    TScriptedRandom random({0});
    EXPECT_EQ(run.Go(random)->XStatus, u"");
}

TEST(Rotation, EverySeededDrawReachesEveryEntry) {
    // A one-joke list always shows its joke, and no entry of three is skipped.
    TDefaultRandom random;
    TRun one;
    one.Text = Lines({u"only"});
    for (uint32_t seed = 0; seed < 50; ++seed) {
        random.Seed(seed);
        EXPECT_EQ(one.Go(random)->XStatus, u"only");
    }
    TRun three;
    three.Text = Lines({u"a", u"b", u"c"});
    std::map<std::u16string, int> seen;
    random.Seed(12345);
    for (int i = 0; i < 3000; ++i) {
        seen[three.Go(random)->XStatus]++;
    }
    ASSERT_EQ(seen.size(), 3u) << "the current text must never come back";
    for (const auto& [text, count] : seen) {
        EXPECT_GT(count, 850);
        EXPECT_LT(count, 1150);
    }
}

TEST(Rotation, IconModeDrawsFromTheCurrentIconsEntries) {
    TRun run;
    run.Mode = WorkModeIcon;
    run.Statuses = Lines({u"12|wrong|x", u"5|Beer|Cold/nlone", u"1|wrong|y", u"5|Pub|Later"});
    TScriptedRandom random({0, 1});
    auto out = run.Go(random);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Icon, 5);
    EXPECT_EQ(out->Status, u"Beer");
    EXPECT_EQ(out->XStatus, u"Cold\r\none");
    out = run.Go(random);
    EXPECT_EQ(out->Status, u"Pub");
    EXPECT_EQ(random.Ranges, (std::vector<uint32_t>{2, 2}));
}

TEST(Rotation, IconModeWithoutEntriesExpandsTheCurrentText) {
    TRun run;
    run.Mode = WorkModeIcon;
    run.Statuses = Lines({u"50|x|y", u"5"});
    TScriptedRandom random({});
    const auto out = run.Go(random);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Status, u"Title/nl");
    EXPECT_EQ(out->XStatus, u"Text\r\n");
}

TEST(Rotation, MalformedDrawnEntryKeepsTheCurrentStatus) {
    for (const auto* entry : {u"5|a|", u"5|a|b|c"}) {
        TRun run;
        run.Mode = WorkModeIcon;
        run.Statuses = Lines({entry});
        TScriptedRandom random({0});
        const auto out = run.Go(random);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->Icon, 5);
        EXPECT_EQ(out->Status, u"Title/nl");
        EXPECT_EQ(out->XStatus, u"Text\r\n");
    }
}

TEST(Rotation, FullModeCandidatesAndIconChoice) {
    // Icons 1 and 12 selected, current 1: two entries of 1, one of 12.
    TRun run;
    run.Mode = WorkModeFull;
    run.Current = {1, u"cur", u"now"};
    run.Selection = u";;;;1;;;;12;;";
    run.Statuses = Lines({u"12|Twelve|t", u"1|OneA|a", u"3|Three|x", u"1|OneB|b"});

    // Icon draw over 0..2: r = 2 picks the second piece, icon 12. Candidates
    // then hold 1a, 1b, 12 and 12 again; the final draw takes position 3.
    TScriptedRandom random({2, 3});
    auto out = run.Go(random);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Icon, 12);
    EXPECT_EQ(out->Status, u"Twelve");
    EXPECT_EQ(random.Ranges, (std::vector<uint32_t>{3, 4}));

    // r = 0 keeps the current icon: its two entries go in twice (5 in all).
    TScriptedRandom keep({0, 4});
    out = run.Go(keep);
    EXPECT_EQ(out->Status, u"OneB");
    EXPECT_EQ(keep.Ranges, (std::vector<uint32_t>{3, 5}));

    // r = 1 picks the first piece, icon 1.
    TScriptedRandom first({1, 0});
    out = run.Go(first);
    EXPECT_EQ(out->Icon, 1);
    EXPECT_EQ(out->Status, u"OneA");
    EXPECT_EQ(first.Ranges, (std::vector<uint32_t>{3, 5}));
}

TEST(Rotation, FullModeNonNumericPieceAndNoEntries) {
    TRun run;
    run.Mode = WorkModeFull;
    run.Current = {4, u"cur", u"a/nlb"};
    run.Selection = u";;x;;;;4;;";
    run.Statuses = Lines({u"4|Four|f", u"x|Ex|e"});
    // Candidates: "x|Ex|e" (piece x), "4|Four|f"; r = 1 is the piece "x",
    // not a number, so the current icon 4 is chosen and its entry added again.
    TScriptedRandom random({1, 2});
    auto out = run.Go(random);
    EXPECT_EQ(out->Icon, 4);
    EXPECT_EQ(out->Status, u"Four");

    run.Statuses = Lines({u"9|n|n"});
    TScriptedRandom none({});
    out = run.Go(none);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Icon, 4);
    EXPECT_EQ(out->XStatus, u"a\r\nb");
}

TEST(Rotation, UnknownWorkModeResendsUnchanged) {
    for (int32_t mode : {-1, 3, 7, INT32_MAX}) {
        TRun run;
        run.Mode = mode;
        run.Text = Lines({u"a"});
        run.Statuses = Lines({u"5|a|b"});
        TScriptedRandom random({});
        const auto out = run.Go(random);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->Icon, 5);
        EXPECT_EQ(out->Status, u"Title/nl");
        EXPECT_EQ(out->XStatus, u"Text/nl");
        EXPECT_TRUE(random.Ranges.empty());
    }
}

}  // namespace
