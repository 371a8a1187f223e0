// The options window as laid out: one row per component, in the order of
// the window's component list, which is also the creation and tab order.
// Positions are pixels at 96 DPI relative to the named parent; children of
// a page are relative to the page's display area. Portable: no Win32, so
// the native tests and the dictionary check read the same table the window
// is built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/version.h"

enum class TControlKind : uint8_t {
    PushButton,
    PageControl,
    TabSheet,
    GroupBox,
    Image,         // a picture that sizes itself to its bitmap
    Label,
    RadioButton,
    RadioGroup,    // a group box whose items are radio buttons it arranges
    CheckListBox,
    TrackBar,
    Shape,
    StaticText,
    ImageList,     // no window
    PictureHolder  // an image that is never shown: it only holds a picture
};

enum TLayoutFlag : uint32_t {
    lfNone = 0,
    lfDefault = 1u << 0,    // the default button (Enter)
    lfCancel = 1u << 1,     // the cancel button (Escape)
    lfChecked = 1u << 2,    // checked as laid out
    lfCentre = 1u << 3,
    lfRight = 1u << 4,
    lfWordWrap = 1u << 5,
    lfAutoSize = 1u << 6,   // sizes itself to its text or picture
    lfLink = 1u << 7,       // hand cursor, underlined, hot-light colour
    lfFullWidth = 1u << 8,  // as wide as its parent, whatever Width says
};

struct TLayoutRow {
    std::u16string_view Name;
    TControlKind Kind;
    std::u16string_view Parent;  // empty: the window itself
    int32_t Left;
    int32_t Top;
    int32_t Width;
    int32_t Height;
    std::u16string_view Text;
    uint32_t Flags;

    constexpr bool Has(TLayoutFlag flag) const noexcept { return (Flags & flag) != 0; }
};

constexpr TLayoutRow Row(std::u16string_view name, TControlKind kind, std::u16string_view parent, int32_t left,
                         int32_t top, int32_t width, int32_t height, std::u16string_view text = u"",
                         uint32_t flags = lfNone) {
    return TLayoutRow{name, kind, parent, left, top, width, height, text, flags};
}

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

inline constexpr size_t OptionsLayoutCount = sizeof(OptionsLayout) / sizeof(OptionsLayout[0]);
inline constexpr size_t NoRow = static_cast<size_t>(-1);

// Index of the row with this name, or NoRow.
constexpr size_t LayoutIndex(std::u16string_view name) noexcept {
    for (size_t i = 0; i < OptionsLayoutCount; ++i) {
        if (OptionsLayout[i].Name == name) {
            return i;
        }
    }
    return NoRow;
}

// The control identifier of a row: the dialog manager's IDOK and IDCANCEL
// for the default and cancel buttons, so Enter and Escape reach them.
inline constexpr int32_t IdOk = 1;
inline constexpr int32_t IdCancel = 2;
constexpr int32_t LayoutControlId(size_t index) noexcept {
    return OptionsLayout[index].Has(lfDefault)  ? IdOk
           : OptionsLayout[index].Has(lfCancel) ? IdCancel
                                                : 1000 + static_cast<int32_t>(index);
}
// Identifier of a radio group's item.
constexpr int32_t RadioItemId(size_t groupIndex, size_t item) noexcept {
    return 2000 + static_cast<int32_t>(groupIndex) * 16 + static_cast<int32_t>(item);
}

// The page a row lies on; NoRow for rows on the window itself.
constexpr size_t PageOf(size_t index) noexcept {
    while (index != NoRow && OptionsLayout[index].Kind != TControlKind::TabSheet) {
        const std::u16string_view parent = OptionsLayout[index].Parent;
        index = parent.empty() ? NoRow : LayoutIndex(parent);
    }
    return index;
}

struct TLayoutRect {
    int32_t Left;
    int32_t Top;
    int32_t Width;
    int32_t Height;
};

// Position of a row relative to its page (or to the window for rows on the
// window): group boxes are frames only, so their children are placed on the
// page they lie on.
constexpr TLayoutRect PagePosition(size_t index) noexcept {
    TLayoutRect rect{OptionsLayout[index].Left, OptionsLayout[index].Top, OptionsLayout[index].Width,
                     OptionsLayout[index].Height};
    size_t parent = LayoutIndex(OptionsLayout[index].Parent);
    while (parent != NoRow && OptionsLayout[parent].Kind != TControlKind::TabSheet) {
        rect.Left += OptionsLayout[parent].Left;
        rect.Top += OptionsLayout[parent].Top;
        parent = LayoutIndex(OptionsLayout[parent].Parent);
    }
    return rect;
}

// The three pages in the page control's order.
inline constexpr std::u16string_view OptionsPages[] = {u"TabSheet1", u"TabSheet4", u"TabSheet2"};
inline constexpr int32_t LaidOutPage = 2;  // "About" is current as laid out
inline constexpr int32_t FirstPage = 0;    // and "Options" on every showing

// Where Label1 leads: the maker's page for the messenger's plug-ins, not
// the forum address that Label1 shows.
inline constexpr std::u16string_view Label1URL = u"http://www.orvane.example/vostek/";
