// A layout window's texts: its controls' texts, and the adapter through
// which the translation walks the window.
#pragma once

#include <string>

#include <windows.h>

// A window's text; empty for no window.
std::u16string WindowText(HWND window);
