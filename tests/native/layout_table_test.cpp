// The lookups of a layout table, on a made-up table rather than the options
// window's, so they hold for any layout-built window: names, identifiers
// and their way back, pages, positions through nested frames.
#include <gtest/gtest.h>

#include "options/layout_table.h"
#include "options/options_layout.h"

namespace {

constexpr TLayoutRow SampleLayout[] = {
    Row(u"Pages", TControlKind::PageControl, u"", 4, 4, 300, 200),
    Row(u"First", TControlKind::TabSheet, u"Pages", 0, 0, 0, 0, u"One"),
    Row(u"Outer", TControlKind::GroupBox, u"First", 10, 20, 200, 150),
    Row(u"Inner", TControlKind::GroupBox, u"Outer", 5, 6, 100, 100),
    Row(u"Deep", TControlKind::Label, u"Inner", 1, 2, 30, 13, u"deep"),
    Row(u"Second", TControlKind::TabSheet, u"Pages", 0, 0, 0, 0, u"Two"),
    Row(u"Go", TControlKind::PushButton, u"", 10, 210, 80, 25, u"Go", lfDefault),
    Row(u"Stop", TControlKind::PushButton, u"", 100, 210, 80, 25, u"Stop", lfCancel),
    Row(u"Pictures", TControlKind::ImageList, u"", 0, 0, 0, 0),
};
constexpr TLayout Sample = SampleLayout;

TEST(LayoutTable, NamesAndIdentifiersGoBothWays) {
    EXPECT_EQ(Sample.size(), 9u);
    EXPECT_EQ(RowIndex(Sample, u"Deep"), 4u);
    EXPECT_EQ(RowIndex(Sample, u"deep"), NoRow) << "names, not texts";
    EXPECT_EQ(RowIndex(Sample, u""), NoRow);
    EXPECT_EQ(ControlId(Sample, 6), IdOk);
    EXPECT_EQ(ControlId(Sample, 7), IdCancel);
    EXPECT_EQ(ControlId(Sample, 4), FirstRowId + 4);
    EXPECT_EQ(FlaggedRow(Sample, lfDefault), 6u);
    EXPECT_EQ(FlaggedRow(Sample, lfCancel), 7u);
    EXPECT_EQ(FlaggedRow(Sample, lfLink), NoRow);
    for (size_t index = 0; index < Sample.size(); ++index) {
        EXPECT_EQ(RowOfId(Sample, ControlId(Sample, index)), index) << index;
    }
    EXPECT_EQ(RowOfId(Sample, FirstRowId + 6), NoRow) << "the default button answers to IdOk only";
    EXPECT_EQ(RowOfId(Sample, FirstRowId + 9), NoRow);
    EXPECT_EQ(RowOfId(Sample, FirstRowId - 1), NoRow);
    EXPECT_EQ(RowOfId(Sample, RadioItemId(2, 0)), NoRow) << "radio items are not rows";
    EXPECT_EQ(RadioItemId(2, 3), FirstItemId + 2 * 16 + 3);
    EXPECT_GT(RadioItemId(0, 0), FirstRowId + static_cast<int32_t>(Sample.size()));
}

TEST(LayoutTable, PagesAndPositionsThroughNestedFrames) {
    EXPECT_EQ(PageRow(Sample, 4), 1u);
    EXPECT_EQ(PageRow(Sample, 1), 1u) << "a page lies on itself";
    EXPECT_EQ(PageRow(Sample, 5), 5u);
    EXPECT_EQ(PageRow(Sample, 6), NoRow);
    EXPECT_EQ(PageRow(Sample, 0), NoRow);
    const TLayoutRect deep = PositionOnPage(Sample, 4);
    EXPECT_EQ(deep.Left, 10 + 5 + 1);
    EXPECT_EQ(deep.Top, 20 + 6 + 2);
    EXPECT_EQ(deep.Width, 30);
    EXPECT_EQ(deep.Height, 13);
    const TLayoutRect go = PositionOnPage(Sample, 6);
    EXPECT_EQ(go.Left, 10);
    EXPECT_EQ(go.Top, 210);
}

// The window's code treats these rows as their kinds: a row moved to
// another kind in the table must show here.
TEST(LayoutTable, OptionsRowsNamedInCodeHaveTheirKinds) {
    EXPECT_EQ(OptionsLayout[RadioGroup1Row].Kind, TControlKind::RadioGroup);
    EXPECT_EQ(OptionsLayout[tbFreqRow].Kind, TControlKind::TrackBar);
    EXPECT_EQ(OptionsLayout[clbStatusesRow].Kind, TControlKind::CheckListBox);
    EXPECT_EQ(OptionsLayout[WIZRow].Kind, TControlKind::Image);
    EXPECT_EQ(OptionsLayout[Image2Row].Kind, TControlKind::Image);
    EXPECT_EQ(OptionsLayout[lUpdateRow].Kind, TControlKind::Label);
    EXPECT_EQ(RowOfId(OptionsLayout, IdOk), btnOkRow);
    EXPECT_EQ(RowOfId(OptionsLayout, IdCancel), btnCancelRow);
}

}  // namespace
