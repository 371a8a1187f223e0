// The checks that run, shared by the user-interface thread and the checks'
// threads under one lock: how a check's internet handles can be closed to
// cancel it, and how its reports stop once it is cancelled (Win32).
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include <windows.h>
#include <wininet.h>

// One running check. Each of its handles is closed exactly once, by
// whoever takes it out of the slot.
struct TCheckSlot {
    HINTERNET Session = nullptr;
    HINTERNET Address = nullptr;
    bool Cancelled = false;
};

class TRunningChecks {
public:
    std::shared_ptr<TCheckSlot> Add();
    // Called by a check's thread as it ends.
    void Forget(const std::shared_ptr<TCheckSlot>& slot) noexcept;

    // Puts a handle the check just opened into its slot. False, with the
    // handle closed, when the check was cancelled meanwhile.
    bool Keep(TCheckSlot& slot, HINTERNET TCheckSlot::*field, HINTERNET handle) noexcept;
    void CloseHandles(TCheckSlot& slot) noexcept;
    bool IsCancelled(const TCheckSlot& slot) noexcept;

    // Posts a report unless the check is cancelled, under the lock, so that
    // once CancelAll returns no report of a running check is posted any more.
    bool Post(const TCheckSlot& slot, HWND window, UINT message, LPARAM report) noexcept;

    // Cancels every running check and closes its handles: a call that waits
    // on one fails where the system supports that, and the thread ends.
    void CancelAll();

    // How many checks hold a slot.
    size_t Count();

private:
    std::mutex FLock;
    std::vector<std::shared_ptr<TCheckSlot>> FChecks;
};

// The module's one set; at namespace scope (see update.cpp).
extern TRunningChecks RunningChecks;
