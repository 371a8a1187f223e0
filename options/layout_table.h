// A window laid out as a table, one row per component, in the order of the
// window's component list, which is also the creation and tab order.
// Positions are pixels at 96 DPI relative to the named parent; children of
// a page are relative to the page's display area. Generic: it names no
// component, so every layout-built window and its tests read their rows
// through it. Portable: no Win32.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "options/dpi_scale.h"

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
inline constexpr size_t ControlKindCount = static_cast<size_t>(TControlKind::PictureHolder) + 1;

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

struct TLayoutRect {
    int32_t Left;
    int32_t Top;
    int32_t Width;
    int32_t Height;
};

// A rectangle of the table at a DPI, each value scaled alone.
constexpr TLayoutRect ScaleToDpi(const TLayoutRect& rect, int32_t dpi) noexcept {
    return TLayoutRect{ScaleToDpi(rect.Left, dpi), ScaleToDpi(rect.Top, dpi), ScaleToDpi(rect.Width, dpi),
                       ScaleToDpi(rect.Height, dpi)};
}

// A view of a constant table, usable in constant expressions (C++17 has no
// std::span). It does not own the rows: tables are static.
template <class T>
class TTable {
public:
    constexpr TTable() noexcept = default;
    template <size_t N>
    constexpr TTable(const T (&rows)[N]) noexcept : FRows(rows), FCount(N) {}

    constexpr size_t size() const noexcept { return FCount; }
    constexpr const T& operator[](size_t index) const noexcept { return FRows[index]; }
    constexpr const T* begin() const noexcept { return FRows; }
    constexpr const T* end() const noexcept { return FRows + FCount; }

private:
    const T* FRows = nullptr;
    size_t FCount = 0;
};
using TLayout = TTable<TLayoutRow>;

inline constexpr size_t NoRow = static_cast<size_t>(-1);

// Index of the row with this name, or NoRow.
constexpr size_t RowIndex(TLayout rows, std::u16string_view name) noexcept {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Name == name) {
            return i;
        }
    }
    return NoRow;
}

// The control identifier of a row: the dialog manager's IDOK and IDCANCEL
// for the default and cancel buttons, so Enter and Escape reach them.
inline constexpr int32_t IdOk = 1;
inline constexpr int32_t IdCancel = 2;
inline constexpr int32_t FirstRowId = 1000;
constexpr int32_t ControlId(TLayout rows, size_t index) noexcept {
    return rows[index].Has(lfDefault)  ? IdOk
           : rows[index].Has(lfCancel) ? IdCancel
                                       : FirstRowId + static_cast<int32_t>(index);
}

// The first row with this flag, or NoRow.
constexpr size_t FlaggedRow(TLayout rows, TLayoutFlag flag) noexcept {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Has(flag)) {
            return i;
        }
    }
    return NoRow;
}

// The row a control identifier names, or NoRow: ControlId read backwards.
constexpr size_t RowOfId(TLayout rows, int32_t id) noexcept {
    if (id == IdOk) {
        return FlaggedRow(rows, lfDefault);
    }
    if (id == IdCancel) {
        return FlaggedRow(rows, lfCancel);
    }
    const int32_t index = id - FirstRowId;
    return index >= 0 && static_cast<size_t>(index) < rows.size() && ControlId(rows, static_cast<size_t>(index)) == id
               ? static_cast<size_t>(index)
               : NoRow;
}

// Identifier of a radio group's item, apart from every row's.
inline constexpr int32_t FirstItemId = 2000;
inline constexpr size_t MaxRadioItems = 16;
constexpr int32_t RadioItemId(size_t groupIndex, size_t item) noexcept {
    return FirstItemId + static_cast<int32_t>(groupIndex * MaxRadioItems + item);
}

// The page a row lies on; NoRow for rows on the window itself.
constexpr size_t PageRow(TLayout rows, size_t index) noexcept {
    while (index != NoRow && rows[index].Kind != TControlKind::TabSheet) {
        const std::u16string_view parent = rows[index].Parent;
        index = parent.empty() ? NoRow : RowIndex(rows, parent);
    }
    return index;
}

// Position of a row relative to its page (or to the window for rows on the
// window): group boxes are frames only, so their children are placed on the
// page they lie on.
constexpr TLayoutRect PositionOnPage(TLayout rows, size_t index) noexcept {
    TLayoutRect rect{rows[index].Left, rows[index].Top, rows[index].Width, rows[index].Height};
    size_t parent = RowIndex(rows, rows[index].Parent);
    while (parent != NoRow && rows[parent].Kind != TControlKind::TabSheet) {
        rect.Left += rows[parent].Left;
        rect.Top += rows[parent].Top;
        parent = RowIndex(rows, rows[parent].Parent);
    }
    return rect;
}

// Where a radio group puts item `item` of `count` in `columns` columns,
// relative to the group, given the group's size and the height of a line of
// its font at the window's DPI: a strip for the caption, then equal rows.
// Its margins are 96-DPI pixels, scaled like the rows.
constexpr TLayoutRect RadioItemRect(int32_t groupWidth, int32_t groupHeight, int32_t count, int32_t columns,
                                    int32_t item, int32_t lineHeight, int32_t dpi = ReferenceDpi) noexcept {
    columns = std::max(columns, 1);
    count = std::max(count, 1);
    const int32_t perColumn = (count + columns - 1) / columns;
    const int32_t itemWidth = (groupWidth - ScaleToDpi(10, dpi)) / columns;
    const int32_t room = std::max(groupHeight - lineHeight - ScaleToDpi(5, dpi), 0);
    const int32_t itemHeight = room / perColumn;
    const int32_t topMargin = lineHeight + ScaleToDpi(1, dpi) + (room % perColumn) / 2;
    return TLayoutRect{(item / perColumn) * itemWidth + ScaleToDpi(8, dpi), (item % perColumn) * itemHeight + topMargin,
                       itemWidth, itemHeight};
}

// What some kinds need beyond their rows: one entry per control of the
// kind, naming the control's row. A radio group's items, in order, and the columns they fill; the first
// item is chosen as laid out.
struct TRadioGroupItems {
    size_t Row;
    TTable<std::u16string_view> Items;
    int32_t Columns;
};
// A track bar's range, the step of Page Up and Page Down, and its position
// as laid out.
struct TTrackBarRange {
    size_t Row;
    int32_t Min;
    int32_t Max;
    int32_t PageSize;
    int32_t Position;
};
// A check list's entries, all empty and unticked as laid out: how many, the
// columns they fill, their height, and the check box at their left (the
// width of its part of an entry and the box's size).
struct TCheckListEntries {
    size_t Row;
    int32_t Count;
    int32_t Columns;
    int32_t EntryHeight;
    int32_t CheckWidth;
    int32_t CheckSize;
};

// The entry for this row in one of the tables above, or null.
template <class T>
constexpr const T* EntryOf(TTable<T> entries, size_t row) noexcept {
    for (const T& entry : entries) {
        if (entry.Row == row) {
            return &entry;
        }
    }
    return nullptr;
}

// A whole window as laid out: the window itself, its rows and what their
// kinds need. Its pages are the tab sheets of its one page control, in the
// table's order; LaidOutPage is the one current when it is created.
struct TFormLayout {
    std::u16string_view Caption;
    int32_t ClientWidth;
    int32_t ClientHeight;
    std::u16string_view FontName;
    int32_t FontHeight;        // character height in pixels
    int32_t RasterFontHeight;  // the height asked for where the name is a scalable font
    TLayout Rows;
    int32_t LaidOutPage;
    TTable<TRadioGroupItems> RadioGroups;
    TTable<TTrackBarRange> TrackBars;
    TTable<TCheckListEntries> CheckLists;
};
