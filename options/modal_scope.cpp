#include "options/modal_scope.h"

TModalScope::TModalScope(HWND modal) : FModal(modal), FActive(::GetActiveWindow()) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &TModalScope::Collect, reinterpret_cast<LPARAM>(this));
    for (const HWND window : FDisabled) {
        ::EnableWindow(window, FALSE);
    }
}

TModalScope::~TModalScope() {
    // Enabled before the modal window goes, so that activation does not
    // pass to another program meanwhile.
    for (const HWND window : FDisabled) {
        if (::IsWindow(window)) {
            ::EnableWindow(window, TRUE);
        }
    }
    if (FActive && FActive != FModal && ::IsWindow(FActive)) {
        ::SetActiveWindow(FActive);
    }
}

BOOL CALLBACK TModalScope::Collect(HWND window, LPARAM self) {
    auto* scope = reinterpret_cast<TModalScope*>(self);
    if (window != scope->FModal && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        scope->FDisabled.push_back(window);
    }
    return TRUE;
}
