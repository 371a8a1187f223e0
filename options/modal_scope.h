// The thread's other top-level windows take no input while a modal window
// runs, as an owner does under a modal dialog.
#pragma once

#include <vector>

#include <windows.h>

// Disables the thread's other visible, enabled top-level windows on
// construction. On destruction, exactly those are enabled again (a window
// the host disabled itself stays so), and the window that was active gets
// activation back.
class TModalScope final {
public:
    explicit TModalScope(HWND modal);
    ~TModalScope();
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self);

    HWND FModal;
    HWND FActive;
    std::vector<HWND> FDisabled;
};
