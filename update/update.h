// The background update check started by each showing of the options window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <windows.h>

#include "update/running_checks_win.h"
#include "update/version_logic.h"

// The status line that receives the check's report: the options window's
// lUpdate. The window sets it before StartUpdateCheck and clears it (null)
// before it is destroyed; reports for a cleared, replaced or destroyed label
// are dropped. User-interface thread only.
void SetUpdateLabel(HWND label) noexcept;

// Starts one check on its own thread and returns at once. Call it on the
// user-interface thread: the reports arrive there, through its message loop.
void StartUpdateCheck(const std::u16string& fileName, int32_t major, int32_t minor, int32_t release) noexcept;

// Lets go of every running check when the plug-in goes away, on the
// user-interface thread: each is cancelled by closing its internet handles,
// its reports are dropped, late ones included, and the report window is
// destroyed, so nothing of this module runs on that thread afterwards. A
// check's thread still keeps the module loaded until it has left it.
void ShutDownUpdateChecks() noexcept;

// The page that "Open page in internet" opens: the home page until a check
// finds a newer version. A copy, taken under the lock that guards it.
std::u16string UpdatePageURL() noexcept;

// The parts of the check, run on its thread.

// What a check works on: its own copy, taken when it starts.
struct TUpdateRequest {
    std::u16string FileName;
    TVersion Installed;
    HWND Label = nullptr;
    uint64_t Generation = 0;  // the label's showing; a later one drops this check's reports
    HWND ReportWindow = nullptr;
    std::shared_ptr<TCheckSlot> Slot;  // how the module cancels the check
};

// Shows its reports through ReportWindow; an error inside ends it quietly.
void CheckForUpdate(const TUpdateRequest& request);


