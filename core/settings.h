// The plug-in's settings as one value, and their arithmetic. Portable: no
// Win32.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/icons.h"

// The four settings, as the host's store keeps them.
struct TSettings {
    int32_t FreqValue = 0;  // the interval's count
    int32_t FreqUnit = 0;   // 0 seconds, 1 minutes, 2 hours
    int32_t WorkMode = 0;   // 0 xStatus mode, 1 full mode, 2 icon mode
    std::u16string StatusSelection;  // the selected icons' keys (SelectionKey)
};

// ";;" + the icon in decimal + ";;": how StatusSelection names a selected
// icon.
std::u16string SelectionKey(int32_t icon);

// One tick for each picture the options window lets the user tick.
using TTicks = std::array<bool, TickableIconCount>;

// Picture n is ticked when ";;" + n + ";;" occurs anywhere in the
// selection; other numbers and any other text tick nothing.
TTicks TicksFromSelection(std::u16string_view selection);
// ";;" followed by ";;" + n + ";;" for each ticked n, ascending: what the
// options window writes.
std::u16string SelectionFromTicks(const TTicks& ticks);

// The largest interval a window-message timer takes.
inline constexpr uint32_t MaxTimerInterval = 2147483647u;

// Milliseconds for one FreqUnit: 0 seconds, 1 minutes, 2 hours; any other
// value counts as seconds.
int64_t UnitFactor(int32_t freqUnit) noexcept;

// FreqValue times the unit factor, worked out in 64 bits. A count of 0 or
// below gives 0, which keeps the timer silent; a product past the timer's
// range is clamped to it rather than wrapped.
uint32_t IntervalMs(int32_t freqValue, int32_t freqUnit) noexcept;
