// The modal loop of a layout window: one window at a time, the thread's
// other windows taking no input meanwhile.
#include "options/layout_form.h"

#include "options/modal_scope.h"

TLayoutForm* TLayoutForm::FOpen = nullptr;

void TLayoutForm::Close() {
    FModalDone = true;
    // Close may run inside a message sent from another thread, which
    // GetMessageW handles without returning; wake the loop.
    ::PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TLayoutForm::BringToFront() const noexcept {
    ::SetForegroundWindow(Handle());
    ::SetActiveWindow(Handle());
}

void TLayoutForm::ShowModal() {
    if (!FWindow || FOpen) {
        return;
    }
    // Cleared on every way out, an error included.
    struct TOpenMark {
        explicit TOpenMark(TLayoutForm* form) noexcept { FOpen = form; }
        ~TOpenMark() { FOpen = nullptr; }
    } open(this);
    FModalDone = false;
    const TModalScope modal(Handle());
    Fire(FormRow, TFormEvent::Show);
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    if (const size_t first = FlaggedRow(FLayout.Rows, lfDefault); first != NoRow) {
        ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(FControls[first]), TRUE);
    }

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (!FModalDone && ::IsWindow(Handle())) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) {
            break;
        }
        const bool ours = msg.hwnd == Handle() || ::IsChild(Handle(), msg.hwnd);
        if (ours && msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0) {
            SwitchPage(::GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
            continue;
        }
        if (!::IsDialogMessageW(Handle(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // Not hidden here: the caller destroys it at once, and hiding first
    // only costs a round trip to the display.
    if (quit) {
        // The thread's own loop must still see the quit request.
        ::PostQuitMessage(static_cast<int>(quitCode));
    }
}
