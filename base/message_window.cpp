#include "base/message_window.h"

#include "base/guard.h"

namespace {

constexpr wchar_t ClassName[] = L"BriskletMessageWindow";
constexpr UINT_PTR TimerId = 1;

}  // namespace

HINSTANCE ThisModule() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

void UnregisterMessageWindowClass() noexcept {
    ::UnregisterClassW(ClassName, ThisModule());
}

TMessageWindow::TMessageWindow(THandler handler) : FHandler(std::move(handler)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TMessageWindow::WindowProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = ClassName;
    ::RegisterClassExW(&wc);  // fails harmlessly when the class exists
    FWindow.reset(::CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ThisModule(), this));
}

LRESULT CALLBACK TMessageWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TMessageWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->FHandler && message != WM_NCCREATE && message != WM_NCDESTROY) {
        const bool handled = CatchAllOr(false, [&] { return self->FHandler(message, wParam, lParam); });
        if (handled) {
            return 0;
        }
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TWindowTimer::TWindowTimer(std::function<void()> onTimer)
    : FOnTimer(std::move(onTimer)),
      FWindow([this](UINT message, WPARAM wParam, LPARAM) {
          if (message != WM_TIMER || wParam != TimerId) {
              return false;
          }
          if (FOnTimer) {
              FOnTimer();
          }
          return true;
      }) {}

TWindowTimer::~TWindowTimer() {
    if (FTicking && FWindow.Handle()) {
        ::KillTimer(FWindow.Handle(), TimerId);
    }
}

void TWindowTimer::SetInterval(uint32_t milliseconds) {
    if (milliseconds == FInterval) {
        return;
    }
    FInterval = milliseconds;
    Update();
}

void TWindowTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) {
        return;
    }
    FEnabled = enabled;
    Update();
}

void TWindowTimer::Update() {
    const HWND window = FWindow.Handle();
    if (!window) {
        return;
    }
    if (FTicking) {
        ::KillTimer(window, TimerId);
        FTicking = false;
    }
    if (FEnabled && FInterval > 0) {
        // SetTimer restarts the countdown from the full interval.
        FTicking = ::SetTimer(window, TimerId, FInterval, nullptr) != 0;
    }
}
