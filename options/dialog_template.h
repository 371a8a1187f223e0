// The in-memory dialog template a layout window is made from.
#pragma once

#include <string_view>
#include <vector>

#include <windows.h>

// A dialog template without controls or font: the dialog manager gives the
// window Enter, Escape, Tab and the default button, and the controls come
// from the layout table, in pixels.
std::vector<WORD> EmptyDialogTemplate(std::u16string_view title);
