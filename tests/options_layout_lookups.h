// The options window's layout as its tests look it up, native and Windows
// alike: the lookups of layout_table.h over the options table, and the
// pages in the order the tests expect. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "options/options_layout.h"

constexpr int32_t LayoutControlId(size_t index) noexcept { return ControlId(OptionsLayout, index); }
constexpr size_t PageOf(size_t index) noexcept { return PageRow(OptionsLayout, index); }
constexpr TLayoutRect PagePosition(size_t index) noexcept { return PositionOnPage(OptionsLayout, index); }

// The three pages in the page control's order.
inline constexpr std::u16string_view OptionsPages[] = {u"TabSheet1", u"TabSheet4", u"TabSheet2"};
