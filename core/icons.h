// The host's extended-status pictures, as the plug-in numbers them.
// Portable: no Win32.
#pragma once

#include <cstdint>

// The options window lets the user tick pictures 0 to 33, one entry each;
// its picture list holds one more, 34.
inline constexpr int32_t TickableIconCount = 34;
inline constexpr int32_t FirstTickableIcon = 0;
inline constexpr int32_t LastTickableIcon = TickableIconCount - 1;
inline constexpr int32_t StatusPictureCount = TickableIconCount + 1;

// English name of a status picture ("beer" for 5); "?" for any number
// outside 0 to StatusPictureCount - 1.
const char* IconName(int32_t icon) noexcept;
