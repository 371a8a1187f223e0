// A message-only window owned by the thread that creates it. Timer ticks
// and the update check's reports arrive through it on that thread.
#pragma once

#include <cstdint>
#include <functional>

#include "base/win_handles.h"

HINSTANCE ThisModule() noexcept;

// Gives the class back once the module's last message window is gone, so
// that a later load of the DLL registers it against its own image. Fails
// harmlessly while a window of the class lives.
void UnregisterMessageWindowClass() noexcept;

class TMessageWindow {
public:
    // Returns true when it handled the message.
    using THandler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)>;

    explicit TMessageWindow(THandler handler);
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    HWND Handle() const noexcept { return FWindow.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    THandler FHandler;
    TUniqueWindow FWindow;
};

// A window-message timer. Setting a value it already has changes nothing; a
// real change restarts the countdown; an interval of 0 keeps it silent.
class TWindowTimer {
public:
    explicit TWindowTimer(std::function<void()> onTimer);
    ~TWindowTimer();

    void SetInterval(uint32_t milliseconds);
    void SetEnabled(bool enabled);

private:
    void Update();

    std::function<void()> FOnTimer;
    TMessageWindow FWindow;
    uint32_t FInterval = 1000;
    bool FEnabled = true;
    bool FTicking = false;
};
