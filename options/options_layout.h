// The options window as laid out (see layout_table.h for what a row says).
// Portable: no Win32, so the native tests and the dictionary check read the
// same table the window is built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "core/version.h"
#include "options/layout_table.h"

// The window itself.
inline constexpr std::u16string_view OptionsFormCaption = u"Brisklet : Options";
inline constexpr int32_t OptionsClientWidth = 450;
inline constexpr int32_t OptionsClientHeight = 538;
inline constexpr std::u16string_view OptionsFontName = u"MS Sans Serif";
inline constexpr int32_t OptionsFontHeight = 10;  // character height in pixels
// MS Sans Serif is a raster font on Windows; its smallest face, 8 points with
// 11-pixel characters, is what a request for 10 pixels gets there.
inline constexpr int32_t OptionsRasterFontHeight = 11;

// Items of RadioGroup1, in order; index = FreqUnit.
inline constexpr std::u16string_view RadioGroup1Items[] = {u"seconds (default)", u"minuts", u"hours"};

inline constexpr TLayoutRow OptionsLayout[] = {
    Row(u"btnOk", TControlKind::PushButton, u"", 254, 503, 90, 28, u"Save", lfDefault),
    Row(u"btnCancel", TControlKind::PushButton, u"", 350, 503, 88, 28, u"Cancel", lfCancel),
    Row(u"PageControl1", TControlKind::PageControl, u"", 8, 8, 433, 489),

    Row(u"TabSheet1", TControlKind::TabSheet, u"PageControl1", 0, 0, 0, 0, u"Options"),
    Row(u"GroupBox4", TControlKind::GroupBox, u"TabSheet1", 3, 3, 415, 246, u"Mode:"),
    Row(u"WIZ", TControlKind::Image, u"GroupBox4", 76, 16, 241, 135, u"", lfAutoSize),
    Row(u"Label5", TControlKind::Label, u"GroupBox4", 3, 157, 409, 13,
        u"Fields marked by red color will be changed by plugin.", lfCentre),
    Row(u"RadioButton3", TControlKind::RadioButton, u"GroupBox4", 25, 176, 352, 17,
        u"xStatus mode (change only text of xStatus)", lfChecked),
    Row(u"RadioButton4", TControlKind::RadioButton, u"GroupBox4", 25, 199, 371, 17,
        u"Full mode (change Status, xStatus and Icon)"),
    Row(u"RadioButton5", TControlKind::RadioButton, u"GroupBox4", 25, 222, 371, 17,
        u"Icon mode (change Status and xStatus thats are depended of icon)"),
    Row(u"GroupBox3", TControlKind::GroupBox, u"TabSheet1", 3, 255, 414, 202, u"Allow work at selected statuses:"),
    Row(u"clbStatuses", TControlKind::CheckListBox, u"GroupBox3", 25, 18, 371, 141),
    Row(u"Button2", TControlKind::PushButton, u"GroupBox3", 136, 165, 130, 25, u"Deselect all"),
    Row(u"Button1", TControlKind::PushButton, u"GroupBox3", 272, 165, 124, 25, u"Select All"),

    Row(u"TabSheet4", TControlKind::TabSheet, u"PageControl1", 0, 0, 0, 0, u"Other"),
    Row(u"GroupBox1", TControlKind::GroupBox, u"TabSheet4", 3, 19, 415, 166, u"Update interval:"),
    Row(u"Label4", TControlKind::Label, u"GroupBox1", 3, 28, 135, 13, u"Update interval:", lfRight),
    Row(u"Label3", TControlKind::Label, u"GroupBox1", 144, 28, 82, 13, u"0"),
    Row(u"tbFreq", TControlKind::TrackBar, u"GroupBox1", 12, 55, 214, 24),
    Row(u"RadioGroup1", TControlKind::RadioGroup, u"GroupBox1", 232, 16, 180, 80, u"Measure of update interval"),
    Row(u"Label2", TControlKind::Label, u"GroupBox1", 12, 118, 400, 45,
        u"Do not use interval smaller than 60 seconds if you use ICQ or spend time in Jabber-conferences, you "
        u"may be kicked by ICQ-sever or by Jabber-bots.",
        lfWordWrap),

    // The static texts size themselves to their texts, which a translation or
    // another font may lengthen; the widths below fit the English ones.
    Row(u"TabSheet2", TControlKind::TabSheet, u"PageControl1", 0, 0, 0, 0, u"About"),
    Row(u"Shape2", TControlKind::Shape, u"TabSheet2", 0, 0, 0, 105, u"", lfFullWidth),
    Row(u"Image2", TControlKind::Image, u"TabSheet2", 128, 3, 181, 92),
    Row(u"StaticText1", TControlKind::StaticText, u"TabSheet2", 92, 132, 112, 17, u"Brisklet for HOX Vostek",
        lfAutoSize),
    Row(u"lVersion", TControlKind::Label, u"TabSheet2", 92, 155, 0, 0, u"0.3", lfAutoSize),
    Row(u"StaticText2", TControlKind::StaticText, u"TabSheet2", 92, 208, 244, 17, u"" BRISKLET_COPYRIGHT, lfAutoSize),
    Row(u"StaticText3", TControlKind::StaticText, u"TabSheet2", 92, 231, 154, 17, u"Freeware. Use at your own risk.",
        lfAutoSize),
    Row(u"StaticText4", TControlKind::StaticText, u"TabSheet2", 96, 280, 44, 17, u"Support:", lfAutoSize),
    Row(u"Label1", TControlKind::Label, u"TabSheet2", 96, 296, 103, 13, u"forum.orvane.example",
        lfLink | lfAutoSize),
    Row(u"GroupBox5", TControlKind::GroupBox, u"TabSheet2", 96, 336, 313, 113, u"Update"),
    Row(u"lUpdate", TControlKind::Label, u"GroupBox5", 8, 24, 289, 42, u"", lfWordWrap),
    Row(u"Button3", TControlKind::PushButton, u"GroupBox5", 8, 72, 291, 25, u"Open page in internet"),

    Row(u"ImageList1", TControlKind::ImageList, u"", 0, 0, 0, 0),
    Row(u"wiz_01", TControlKind::PictureHolder, u"", 0, 0, 0, 0),
    Row(u"wiz_02", TControlKind::PictureHolder, u"", 0, 0, 0, 0),
    Row(u"wiz_03", TControlKind::PictureHolder, u"", 0, 0, 0, 0),
};

inline constexpr size_t OptionsLayoutCount = std::size(OptionsLayout);

// A row of this table by name (layout_table.h's RowIndex).
constexpr size_t LayoutIndex(std::u16string_view name) noexcept { return RowIndex(OptionsLayout, name); }

// The rows the window's code names, found while compiling: a name that
// leaves the table fails the build, not a lookup at run time.
inline constexpr size_t btnOkRow = LayoutIndex(u"btnOk");
static_assert(btnOkRow != NoRow);
inline constexpr size_t btnCancelRow = LayoutIndex(u"btnCancel");
static_assert(btnCancelRow != NoRow);
inline constexpr size_t WIZRow = LayoutIndex(u"WIZ");
static_assert(WIZRow != NoRow);
inline constexpr size_t RadioButton3Row = LayoutIndex(u"RadioButton3");
static_assert(RadioButton3Row != NoRow);
inline constexpr size_t RadioButton4Row = LayoutIndex(u"RadioButton4");
static_assert(RadioButton4Row != NoRow);
inline constexpr size_t RadioButton5Row = LayoutIndex(u"RadioButton5");
static_assert(RadioButton5Row != NoRow);
inline constexpr size_t clbStatusesRow = LayoutIndex(u"clbStatuses");
static_assert(clbStatusesRow != NoRow);
inline constexpr size_t Button1Row = LayoutIndex(u"Button1");
static_assert(Button1Row != NoRow);
inline constexpr size_t Button2Row = LayoutIndex(u"Button2");
static_assert(Button2Row != NoRow);
inline constexpr size_t Label3Row = LayoutIndex(u"Label3");
static_assert(Label3Row != NoRow);
inline constexpr size_t tbFreqRow = LayoutIndex(u"tbFreq");
static_assert(tbFreqRow != NoRow);
inline constexpr size_t RadioGroup1Row = LayoutIndex(u"RadioGroup1");
static_assert(RadioGroup1Row != NoRow);
inline constexpr size_t Image2Row = LayoutIndex(u"Image2");
static_assert(Image2Row != NoRow);
inline constexpr size_t lVersionRow = LayoutIndex(u"lVersion");
static_assert(lVersionRow != NoRow);
inline constexpr size_t StaticText2Row = LayoutIndex(u"StaticText2");
static_assert(StaticText2Row != NoRow);
inline constexpr size_t Label1Row = LayoutIndex(u"Label1");
static_assert(Label1Row != NoRow);
inline constexpr size_t lUpdateRow = LayoutIndex(u"lUpdate");
static_assert(lUpdateRow != NoRow);
inline constexpr size_t Button3Row = LayoutIndex(u"Button3");
static_assert(Button3Row != NoRow);

// Of the three pages, in the page control's order: "About" is current as
// laid out, and "Options" on every showing.
inline constexpr int32_t LaidOutPage = 2;
inline constexpr int32_t FirstPage = 0;

// Where Label1 leads: the maker's page for the messenger's plug-ins, not
// the forum address that Label1 shows.
inline constexpr std::u16string_view Label1URL = u"http://www.orvane.example/vostek/";
