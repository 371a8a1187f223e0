// Every English text that the plug-in passes through the translation, taken
// from the tables that the code itself shows them from. The shipped
// dictionaries are checked against this list. Portable: no Win32.
#pragma once

#include <string>
#include <vector>

// The options window: its layout's captions, texts and radio-group items,
// and the keys it translates itself ("Options", "Copyright (c)", "Version"
// and the interval units). Defined with the window's layout.
std::vector<std::u16string> OptionsWindowTexts();

// The update check's report texts. Defined with the update check.
std::vector<std::u16string> UpdateCheckTexts();

// Both lists, in that order.
std::vector<std::u16string> TranslatableTexts();
