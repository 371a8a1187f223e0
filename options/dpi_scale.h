// The DPI facts that need no window: the reference the layouts are written
// in, the range of DPIs a window is laid out at, and the scaling. The
// window's own DPI and its fonts are in dpi.h. Portable: no Win32.
#pragma once

#include <cstdint>

// Pixels at 96 DPI, the reference the tables are written in, scaled to the
// DPI a window gets. Each value is rounded once, half away from zero, as
// the system rounds a dialog unit; 96 gives every value back unchanged.
inline constexpr int32_t ReferenceDpi = 96;
constexpr int32_t ScaleToDpi(int32_t pixels, int32_t dpi) noexcept {
    const int64_t scaled = static_cast<int64_t>(pixels) * dpi;
    const int64_t half = ReferenceDpi / 2;
    return static_cast<int32_t>(scaled >= 0 ? (scaled + half) / ReferenceDpi : -((-scaled + half) / ReferenceDpi));
}

// Beyond what any screen has: a DPI outside is a broken answer, not one to
// lay out at.
inline constexpr int32_t MinDpi = 48;
inline constexpr int32_t MaxDpi = 960;
constexpr bool IsUsableDpi(int32_t dpi) noexcept { return dpi >= MinDpi && dpi <= MaxDpi; }
