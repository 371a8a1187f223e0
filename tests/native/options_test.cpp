// The options window's layout table and the decisions it makes without a
// window: ticks, the selection text, the interval text, ranges, the mode table.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "options/options_logic.h"
#include "tests/options_layout_lookups.h"

namespace {

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        out.push_back(c < 128 ? static_cast<char>(c) : '?');
    }
    return out;
}

const TLayoutRow& RowOf(std::u16string_view name) {
    const size_t index = LayoutIndex(name);
    EXPECT_NE(index, NoRow) << Narrow(name);
    return OptionsLayout[index == NoRow ? 0 : index];
}

bool HasWindow(TControlKind kind) {
    return kind != TControlKind::ImageList && kind != TControlKind::PictureHolder;
}

void ExpectRect(TLayoutRect rect, int32_t left, int32_t top, int32_t width, int32_t height, const char* what) {
    EXPECT_EQ(rect.Left, left) << what;
    EXPECT_EQ(rect.Top, top) << what;
    EXPECT_EQ(rect.Width, width) << what;
    EXPECT_EQ(rect.Height, height) << what;
}

TTicks TicksOf(std::initializer_list<int> entries) {
    TTicks ticks{};
    for (const int n : entries) {
        ticks[static_cast<size_t>(n)] = true;
    }
    return ticks;
}

std::vector<int> Ticked(const TTicks& ticks) {
    std::vector<int> out;
    for (size_t n = 0; n < ticks.size(); ++n) {
        if (ticks[n]) {
            out.push_back(static_cast<int>(n));
        }
    }
    return out;
}

std::u16string Identity(std::u16string_view text) { return std::u16string(text); }

TEST(OptionsLayout, WindowAndSampleControlsSitWhereLaidOut) {
    EXPECT_EQ(OptionsFormCaption, u"Brisklet : Options");
    EXPECT_EQ(OptionsClientWidth, 450);
    EXPECT_EQ(OptionsClientHeight, 538);
    EXPECT_EQ(OptionsFontName, u"MS Sans Serif");
    EXPECT_EQ(OptionsFontHeight, 10);

    ExpectRect(PagePosition(LayoutIndex(u"btnOk")), 254, 503, 90, 28, "btnOk");
    ExpectRect(PagePosition(LayoutIndex(u"btnCancel")), 350, 503, 88, 28, "btnCancel");
    ExpectRect(PagePosition(LayoutIndex(u"PageControl1")), 8, 8, 433, 489, "PageControl1");
    // Children of group boxes land on the page at the sum of the offsets.
    ExpectRect(PagePosition(LayoutIndex(u"WIZ")), 3 + 76, 3 + 16, 241, 135, "WIZ");
    ExpectRect(PagePosition(LayoutIndex(u"RadioButton5")), 3 + 25, 3 + 222, 371, 17, "RadioButton5");
    ExpectRect(PagePosition(LayoutIndex(u"clbStatuses")), 3 + 25, 255 + 18, 371, 141, "clbStatuses");
    ExpectRect(PagePosition(LayoutIndex(u"Button1")), 3 + 272, 255 + 165, 124, 25, "Button1");
    ExpectRect(PagePosition(LayoutIndex(u"tbFreq")), 3 + 12, 19 + 55, 214, 24, "tbFreq");
    ExpectRect(PagePosition(LayoutIndex(u"RadioGroup1")), 3 + 232, 19 + 16, 180, 80, "RadioGroup1");
    ExpectRect(PagePosition(LayoutIndex(u"Label2")), 3 + 12, 19 + 118, 400, 45, "Label2");
    ExpectRect(PagePosition(LayoutIndex(u"Image2")), 128, 3, 181, 92, "Image2");
    ExpectRect(PagePosition(LayoutIndex(u"StaticText2")), 92, 208, 244, 17, "StaticText2");
    ExpectRect(PagePosition(LayoutIndex(u"Label1")), 96, 296, 103, 13, "Label1");
    ExpectRect(PagePosition(LayoutIndex(u"lUpdate")), 96 + 8, 336 + 24, 289, 42, "lUpdate");
    ExpectRect(PagePosition(LayoutIndex(u"Button3")), 96 + 8, 336 + 72, 291, 25, "Button3");

    const TLayoutRow& shape = RowOf(u"Shape2");
    EXPECT_TRUE(shape.Has(lfFullWidth));
    EXPECT_EQ(shape.Left, 0);
    EXPECT_EQ(shape.Top, 0);
    EXPECT_EQ(shape.Height, 105);
    const TLayoutRow& version = RowOf(u"lVersion");
    EXPECT_TRUE(version.Has(lfAutoSize));
    EXPECT_EQ(version.Left, 92);
    EXPECT_EQ(version.Top, 155);
    EXPECT_TRUE(RowOf(u"btnOk").Has(lfDefault));
    EXPECT_TRUE(RowOf(u"btnCancel").Has(lfCancel));
    EXPECT_TRUE(RowOf(u"RadioButton3").Has(lfChecked));
    EXPECT_FALSE(RowOf(u"RadioButton4").Has(lfChecked));
    EXPECT_TRUE(RowOf(u"Label1").Has(lfLink));
    EXPECT_TRUE(RowOf(u"Label5").Has(lfCentre));
    EXPECT_TRUE(RowOf(u"Label4").Has(lfRight));
    EXPECT_TRUE(RowOf(u"lUpdate").Has(lfWordWrap));
}

TEST(OptionsLayout, TabOrderAndPages) {
    std::vector<std::u16string_view> windowLevel;
    for (const TLayoutRow& row : OptionsLayout) {
        if (row.Parent.empty() && HasWindow(row.Kind)) {
            windowLevel.push_back(row.Name);
        }
    }
    EXPECT_EQ(windowLevel, (std::vector<std::u16string_view>{u"btnOk", u"btnCancel", u"PageControl1"}));

    std::vector<std::u16string_view> pages;
    for (const TLayoutRow& row : OptionsLayout) {
        if (row.Kind == TControlKind::TabSheet) {
            EXPECT_EQ(row.Parent, u"PageControl1");
            pages.push_back(row.Name);
        }
    }
    ASSERT_EQ(pages.size(), std::size(OptionsPages));
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i], OptionsPages[i]) << "page order follows the table";
    }
    EXPECT_EQ(RowOf(u"TabSheet1").Text, u"Options");
    EXPECT_EQ(RowOf(u"TabSheet4").Text, u"Other");
    EXPECT_EQ(RowOf(u"TabSheet2").Text, u"About");
    EXPECT_EQ(OptionsPages[static_cast<size_t>(LaidOutPage)], u"TabSheet2");
    EXPECT_EQ(OptionsPages[static_cast<size_t>(FirstPage)], u"TabSheet1");

    // Controls of a page follow it in the table, so they come after it in tab order.
    EXPECT_EQ(PageOf(LayoutIndex(u"clbStatuses")), LayoutIndex(u"TabSheet1"));
    EXPECT_EQ(PageOf(LayoutIndex(u"tbFreq")), LayoutIndex(u"TabSheet4"));
    EXPECT_EQ(PageOf(LayoutIndex(u"Button3")), LayoutIndex(u"TabSheet2"));
    EXPECT_EQ(PageOf(LayoutIndex(u"btnOk")), NoRow);
}

// The whole table, row by row: the window is built from it in order, so a
// parent must come first, names and identifiers must be unique, and a
// control must fit inside the group box that frames it.
TEST(OptionsLayout, EveryRowIsWellFormed) {
    std::set<std::u16string_view> names;
    std::set<int32_t> ids;
    for (size_t index = 0; index < OptionsLayoutCount; ++index) {
        const TLayoutRow& row = OptionsLayout[index];
        const std::string what = Narrow(row.Name);
        EXPECT_TRUE(names.insert(row.Name).second) << "duplicate name " << what;
        EXPECT_EQ(LayoutIndex(row.Name), index) << what;
        if (HasWindow(row.Kind)) {
            EXPECT_TRUE(ids.insert(LayoutControlId(index)).second) << "duplicate id for " << what;
        }
        if (row.Parent.empty()) {
            continue;
        }
        const size_t parent = LayoutIndex(row.Parent);
        ASSERT_NE(parent, NoRow) << what << " has no parent row";
        EXPECT_LT(parent, index) << what << " comes before its parent";
        const TLayoutRow& frame = OptionsLayout[parent];
        if (frame.Kind == TControlKind::GroupBox || frame.Kind == TControlKind::RadioGroup) {
            EXPECT_GE(row.Left, 0) << what;
            EXPECT_GE(row.Top, 0) << what;
            EXPECT_LE(row.Left + row.Width, frame.Width) << what << " sticks out of " << Narrow(frame.Name);
            EXPECT_LE(row.Top + row.Height, frame.Height) << what << " sticks out of " << Narrow(frame.Name);
        }
    }
    EXPECT_EQ(LayoutControlId(LayoutIndex(u"btnOk")), IdOk);
    EXPECT_EQ(LayoutControlId(LayoutIndex(u"btnCancel")), IdCancel);
    EXPECT_EQ(LayoutIndex(u"NoSuchControl"), NoRow);
    // RadioGroup1's items get identifiers of their own.
    for (size_t item = 0; item < std::size(RadioGroup1Items); ++item) {
        EXPECT_EQ(ids.count(RadioItemId(LayoutIndex(u"RadioGroup1"), item)), 0u);
    }
}

TEST(OptionsLayout, RadioGroupItemsAndStatusEntriesFit) {
    // RadioGroup1: 180 x 80, one column, a 13-pixel line.
    const TLayoutRow& group = RowOf(u"RadioGroup1");
    const int32_t count = static_cast<int32_t>(std::size(RadioGroup1Items));
    ExpectRect(RadioItemRect(group.Width, group.Height, count, 1, 0, 13), 8, 15, 170, 20, "item 0");
    ExpectRect(RadioItemRect(group.Width, group.Height, count, 1, 1, 13), 8, 35, 170, 20, "item 1");
    ExpectRect(RadioItemRect(group.Width, group.Height, count, 1, 2, 13), 8, 55, 170, 20, "item 2");
    // Two columns split the items: down the first column, then the next.
    ExpectRect(RadioItemRect(180, 80, 3, 2, 2, 13), 8 + 85, 14, 85, 31, "two columns");
    EXPECT_EQ(RadioGroup1Items[0], u"seconds (default)");
    EXPECT_EQ(RadioGroup1Items[1], u"minuts");
    EXPECT_EQ(RadioGroup1Items[2], u"hours");

    // clbStatuses: 34 entries of 22 pixels in 6 columns, all visible at once
    // inside the list's sunken border.
    const TLayoutRow& list = RowOf(u"clbStatuses");
    EXPECT_EQ(StatusEntryCount, 34);
    EXPECT_EQ(StatusEntryHeight, 22);
    EXPECT_EQ(StatusColumns, 6);
    const int32_t rows = (list.Height - 4) / StatusEntryHeight;
    EXPECT_GE(rows * StatusColumns, StatusEntryCount);
    const int32_t columnWidth = (list.Width - 4) / StatusColumns;
    EXPECT_GE(columnWidth, StatusCheckWidth + 2 + StatusPictureSize);
    EXPECT_LE(2 + StatusPictureSize, StatusEntryHeight);
    EXPECT_EQ(StatusPictureCount, StatusEntryCount + 1) << "picture 34 exists but has no entry";
}

TEST(OptionsSelection, TicksComeFromWholeItemsOnly) {
    EXPECT_EQ(Ticked(TicksFromSelection(u";;11;;")), std::vector<int>{11}) << "not entry 1";
    EXPECT_EQ(Ticked(TicksFromSelection(u";;1;;")), std::vector<int>{1}) << "not entry 11";
    EXPECT_EQ(Ticked(TicksFromSelection(u";;34;;")), std::vector<int>{}) << "no entry 34";
    EXPECT_EQ(Ticked(TicksFromSelection(u";;99;;;;100;;")), std::vector<int>{});
    EXPECT_EQ(Ticked(TicksFromSelection(u"")), std::vector<int>{});
    EXPECT_EQ(Ticked(TicksFromSelection(u";;")), std::vector<int>{});
    EXPECT_EQ(Ticked(TicksFromSelection(u";;;;0;;;;2;;")), (std::vector<int>{0, 2}));
    // Anywhere in the text, in any order, with anything around.
    EXPECT_EQ(Ticked(TicksFromSelection(u"x;;33;;y;;7;;;5;;")), (std::vector<int>{5, 7, 33}));
    // Not a number form the window writes: no sign, no leading zero, no blank.
    EXPECT_EQ(Ticked(TicksFromSelection(u";;05;;;;+6;;;; 7;;;;-8;;")), std::vector<int>{});
    // ";;1;;2;;" holds ";;1;;" and ";;2;;", sharing the separator.
    EXPECT_EQ(Ticked(TicksFromSelection(u";;1;;2;;")), (std::vector<int>{1, 2}));
}

TEST(OptionsSelection, SaveWritesItemsAscendingAfterALeadingSeparator) {
    EXPECT_EQ(SelectionFromTicks(TTicks{}), u";;");
    EXPECT_EQ(SelectionFromTicks(TicksOf({0, 2})), u";;;;0;;;;2;;");
    EXPECT_EQ(SelectionFromTicks(TicksFromSelection(u";;5;;")), u";;;;5;;");
    EXPECT_EQ(SelectionFromTicks(TicksOf({33, 10, 9})), u";;;;9;;;;10;;;;33;;");
    TTicks all{};
    all.fill(true);
    std::u16string expected = u";;";
    for (int n = 0; n < 34; ++n) {
        expected += u";;" + DecimalText(n) + u";;";
    }
    EXPECT_EQ(SelectionFromTicks(all), expected);
}

TEST(OptionsSelection, RoundTripKeepsEverySet) {
    std::mt19937 random(20260);
    for (int round = 0; round < 500; ++round) {
        TTicks ticks{};
        for (bool& tick : ticks) {
            tick = (random() & 1u) != 0;
        }
        const std::u16string text = SelectionFromTicks(ticks);
        EXPECT_EQ(TicksFromSelection(text), ticks) << Narrow(text);
    }
}

TEST(OptionsInterval, TextIsPositionBlankAndTranslatedUnitKey) {
    EXPECT_EQ(IntervalText(120, 0, Identity), u"120 seconds");
    EXPECT_EQ(IntervalText(5, 1, Identity), u"5 minuts");
    EXPECT_EQ(IntervalText(1, 2, Identity), u"1 hours");
    EXPECT_EQ(IntervalText(300, 2, Identity), u"300 hours");
    // The unit keys are translated, not the radio group's item texts.
    std::vector<std::u16string> asked;
    const std::u16string text = IntervalText(7, 0, [&](std::u16string_view key) {
        asked.emplace_back(key);
        return u"sec.";
    });
    EXPECT_EQ(text, u"7 sec.");
    EXPECT_EQ(asked, std::vector<std::u16string>{u"seconds"});
    // Never outside the three keys.
    EXPECT_EQ(IntervalText(7, -1, Identity), u"7 seconds");
    EXPECT_EQ(IntervalText(7, 3, Identity), u"7 hours");
    EXPECT_EQ(IntervalText(7, INT_MIN, Identity), u"7 seconds");
}

TEST(OptionsInterval, ControlsKeepValuesInRange) {
    EXPECT_EQ(ClampFreqValue(0), 1);
    EXPECT_EQ(ClampFreqValue(-20), 1);
    EXPECT_EQ(ClampFreqValue(INT_MIN), 1);
    EXPECT_EQ(ClampFreqValue(1), 1);
    EXPECT_EQ(ClampFreqValue(120), 120);
    EXPECT_EQ(ClampFreqValue(300), 300);
    EXPECT_EQ(ClampFreqValue(301), 300);
    EXPECT_EQ(ClampFreqValue(INT_MAX), 300);
    EXPECT_EQ(FreqMin, 1);
    EXPECT_EQ(FreqMax, 300);
    EXPECT_EQ(LaidOutFreq, 1);

    EXPECT_EQ(ClampFreqUnit(0), 0);
    EXPECT_EQ(ClampFreqUnit(1), 1);
    EXPECT_EQ(ClampFreqUnit(2), 2);
    EXPECT_EQ(ClampFreqUnit(3), 2) << "above 2: the last item";
    EXPECT_EQ(ClampFreqUnit(INT_MAX), 2);
    EXPECT_EQ(ClampFreqUnit(-1), 0) << "below 0: seconds, so Save never hands back -1";
    EXPECT_EQ(ClampFreqUnit(INT_MIN), 0);
}

TEST(OptionsMode, TableOfRadioButtonsAndPictures) {
    EXPECT_EQ(ModeRadio(0), 0);
    EXPECT_EQ(ModeRadio(1), 1);
    EXPECT_EQ(ModeRadio(2), 2);
    EXPECT_EQ(ModeRadio(3), NoMode);
    EXPECT_EQ(ModeRadio(7), NoMode);
    EXPECT_EQ(ModeRadio(-1), NoMode);
    EXPECT_EQ(ModeRadioNames[0], u"RadioButton3");
    EXPECT_EQ(ModeRadioNames[1], u"RadioButton4");
    EXPECT_EQ(ModeRadioNames[2], u"RadioButton5");
    // xStatus mode wiz_01, full mode wiz_03, icon mode wiz_02.
    EXPECT_EQ(ModePicture(0), 1);
    EXPECT_EQ(ModePicture(1), 3);
    EXPECT_EQ(ModePicture(2), 2);
    EXPECT_EQ(ModePicture(7), 0);
    EXPECT_EQ(ModePicture(-1), 0);
    EXPECT_EQ(WorkModeOfRadio(0), 0);
    EXPECT_EQ(WorkModeOfRadio(1), 1);
    EXPECT_EQ(WorkModeOfRadio(2), 2);
}

TEST(OptionsTexts, ComposedLines) {
    EXPECT_EQ(VersionLine(u"Version"), u"Version: 0.3.6");
    EXPECT_EQ(VersionLine(u"\u0412\u0435\u0440\u0441\u0438\u044F"), u"\u0412\u0435\u0440\u0441\u0438\u044F: 0.3.6");
    EXPECT_EQ(CopyrightLine(u"Copyright (c)"), u"Copyright (c) Orvane software, 2008-2026, Russia");
    EXPECT_EQ(CopyrightLine(u"\u00A9"), u"\u00A9 Orvane software, 2008-2026, Russia");
    EXPECT_EQ(RowOf(u"StaticText2").Text, CopyrightLine(u"Copyright (c)")) << "laid out as the whole line";
    EXPECT_EQ(DecimalText(0), u"0");
    EXPECT_EQ(DecimalText(-45), u"-45");
    EXPECT_EQ(DecimalText(INT64_MIN), u"-9223372036854775808");
    EXPECT_EQ(Label1URL, u"http://www.orvane.example/vostek/");
    EXPECT_EQ(RowOf(u"Label1").Text, u"forum.orvane.example");
}

TEST(OptionsTexts, TranslatableListCoversTheLayoutAndTheKeys) {
    const std::vector<std::u16string> texts = OptionsWindowTexts();
    const std::set<std::u16string> unique(texts.begin(), texts.end());
    EXPECT_EQ(unique.size(), texts.size()) << "no text twice";
    EXPECT_EQ(unique.count(u""), 0u);
    const auto has = [&](std::u16string_view text) { return unique.count(std::u16string(text)) == 1; };
    EXPECT_TRUE(has(OptionsFormCaption));
    for (const TLayoutRow& row : OptionsLayout) {
        if (!row.Text.empty()) {
            EXPECT_TRUE(has(row.Text)) << Narrow(row.Text);
        }
    }
    for (const std::u16string_view item : RadioGroup1Items) {
        EXPECT_TRUE(has(item)) << Narrow(item);
    }
    for (const std::u16string_view key : {u"Options", u"Copyright (c)", u"Version", u"seconds", u"minuts", u"hours"}) {
        EXPECT_TRUE(has(key)) << Narrow(key);
    }
    for (const std::u16string_view sample : {u"Save", u"Measure of update interval", u"Open page in internet",
                                             u"Icon mode (change Status and xStatus thats are depended of icon)"}) {
        EXPECT_TRUE(has(sample)) << Narrow(sample);
    }
    EXPECT_FALSE(has(u"brisklet.ini"));
}

}  // namespace
