// The background update check started by each showing of the options window.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

// The status line that receives the check's report: the options window's
// lUpdate. The window sets it before StartUpdateCheck and clears it (null)
// before it is destroyed; reports for a cleared or destroyed label are dropped.
void SetUpdateLabel(HWND label);

// Starts one check on its own thread and returns at once. Call it on the
// user-interface thread: the reports arrive there.
void StartUpdateCheck(const std::u16string& fileName, int32_t major, int32_t minor, int32_t release);

// The page that "Open page in internet" opens: the home page until a check
// finds a newer version. A copy, taken under the lock that guards it.
std::u16string UpdatePageURL();
