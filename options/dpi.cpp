#include "options/dpi.h"

#include <algorithm>
#include <string>

#include "base/wide.h"

namespace {

HFONT WindowFont(std::u16string_view name, int32_t characterHeight, bool underline) {
    return ::CreateFontW(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                         W(std::u16string(name)));
}

TEXTMETRICW FontMetrics(HFONT font) {
    TEXTMETRICW metrics{};
    const TWindowDC screen(nullptr);
    if (screen) {
        const TSelectedObject selected(screen.get(), font);
        ::GetTextMetricsW(screen.get(), &metrics);
    }
    return metrics;
}

}  // namespace

int32_t WindowDpi(HWND window) {
    // Looked up at each call, which comes only as the window is made or
    // moves to another DPI: a function-local static would bring in the
    // runtime's guard, whose objects outlive FreeLibrary (docs/HARDENING.md).
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto getDpiForWindow =
        user32 ? reinterpret_cast<TGetDpiForWindow>(
                     reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetDpiForWindow")))
               : nullptr;
    int32_t dpi = getDpiForWindow ? static_cast<int32_t>(getDpiForWindow(window)) : 0;
    if (dpi <= 0) {
        const TWindowDC screen(nullptr);
        dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    }
    // A broken answer is laid out as the reference.
    return IsUsableDpi(dpi) ? dpi : ReferenceDpi;
}

TDpiFonts FontsForDpi(std::u16string_view name, int32_t characterHeight, int32_t rasterHeight, int32_t dpi) {
    TDpiFonts fonts;
    const int32_t height = ScaleToDpi(characterHeight, dpi);
    fonts.Font.reset(WindowFont(name, height, false));
    TEXTMETRICW metrics = FontMetrics(fonts.Font.get());
    if (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) {
        // Where the name is a scalable font (Wine), the laid-out height may be
        // a size the window never had with the raster face, and its texts
        // come out clipped. Never go below the raster face's smallest size,
        // scaled as everything else is, or the text shrinks against its
        // controls as the DPI grows.
        const int32_t scalable = std::max(height, ScaleToDpi(rasterHeight, dpi));
        fonts.Font.reset(WindowFont(name, scalable, false));
        metrics = FontMetrics(fonts.Font.get());
        fonts.LinkFont.reset(WindowFont(name, scalable, true));
    } else {
        fonts.LinkFont.reset(WindowFont(name, height, true));
    }
    fonts.LineHeight = std::max<int32_t>(metrics.tmHeight, 0);
    return fonts;
}
