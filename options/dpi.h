// The DPI a window is laid out at, and its fonts there, as Notepad++'s
// DPIManagerV2 keeps them for its dialogs. The portable facts (the
// reference, the valid range, the scaling) are in dpi_scale.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/win_handles.h"
#include "options/dpi_scale.h"

// The DPI the window gets: GetDpiForWindow where the system has it (Windows
// 10 1607 on), looked up at run time so that older systems still load the
// DLL; else the screen's. A host that is not DPI-aware gets 96 either way
// and the system scales the whole window. Always a usable DPI.
int32_t WindowDpi(HWND window);

// A window's fonts at a DPI: the font named, its underlined twin for links,
// and the height of one line of it (0 when the system gives none).
struct TDpiFonts {
    TUniqueFont Font;
    TUniqueFont LinkFont;
    int32_t LineHeight = 0;
};
// characterHeight is in 96-DPI pixels; rasterHeight is the smallest height
// the named face has where it is a raster font.
TDpiFonts FontsForDpi(std::u16string_view name, int32_t characterHeight, int32_t rasterHeight, int32_t dpi);
