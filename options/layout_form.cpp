// A layout window's life: made from the template with every control as
// laid out, at the window's DPI, laid out again when that DPI changes, and
// destroyed.
#include "options/layout_form.h"

#include <commctrl.h>

#include <algorithm>

#include "base/message_window.h"
#include "options/dialog_template.h"
#include "options/dpi.h"

TLayoutForm::TLayoutForm(const TFormLayout& layout, TTable<THandlerRow> handlers) noexcept
    : FLayout(layout), FHandlers(handlers) {}

TLayoutForm::~TLayoutForm() {
    FWindow.reset();
    ::UnregisterClassW(PageClass, ThisModule());
}

void TLayoutForm::Create() {
    FControls.assign(FLayout.Rows.size(), nullptr);
    FRadioItems.assign(FLayout.Rows.size(), {});
    FPages.clear();

    WNDCLASSEXW page{};
    page.cbSize = sizeof(page);
    page.lpfnWndProc = &TLayoutForm::PageProc;
    page.hInstance = ThisModule();
    page.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    page.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    page.lpszClassName = PageClass;
    ::RegisterClassExW(&page);  // fails harmlessly while an earlier showing is open

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    const std::vector<WORD> dialog = EmptyDialogTemplate(FLayout.Caption);
    FWindow.reset(::CreateDialogIndirectParamW(ThisModule(), reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()),
                                               nullptr, &TLayoutForm::DialogProc, reinterpret_cast<LPARAM>(this)));
    if (!FWindow) {
        return;
    }
    // The DPI is the window's own, known only once it exists.
    FDpi = WindowDpi(Handle());
    CreateFonts();
    RECT frame{0, 0, Scale(FLayout.ClientWidth), Scale(FLayout.ClientHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred; on a screen too small for it, its caption stays on the screen
    // so it can still be moved.
    ::SetWindowPos(Handle(), nullptr, std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2),
                   std::max(0, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2), width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls();
    SetCurrentPage(FLayout.LaidOutPage);
}

void TLayoutForm::CreateFonts() {
    TDpiFonts fonts = FontsForDpi(FLayout.FontName, FLayout.FontHeight, FLayout.RasterFontHeight, FDpi);
    FFont = std::move(fonts.Font);
    FLinkFont = std::move(fonts.LinkFont);
    if (fonts.LineHeight > 0) {
        FLineHeight = fonts.LineHeight;
    }
}

void TLayoutForm::HandleDpiChanged(int32_t dpi, const RECT* suggested) {
    if (!IsUsableDpi(dpi)) {
        return;
    }
    FDpi = dpi;
    // The controls keep the old fonts until they have the new ones.
    const TUniqueFont oldFont(std::move(FFont));
    const TUniqueFont oldLinkFont(std::move(FLinkFont));
    CreateFonts();
    if (suggested) {
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (size_t row = 0; row < FLayout.Rows.size(); ++row) {
        const HWND control = FControls[row];
        if (!control) {
            continue;
        }
        const TLayoutRow& layout = FLayout.Rows[row];
        ::SendMessageW(control, WM_SETFONT,
                       reinterpret_cast<WPARAM>(layout.Has(lfLink) ? FLinkFont.get() : FFont.get()), FALSE);
        if (const TRowAction place = KindOf(layout.Kind).PlaceAgain) {
            (this->*place)(row);
        }
    }
    Fire(FormRow, TFormEvent::DpiChange);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TLayoutForm::Destroy() noexcept { FWindow.reset(); }

size_t TLayoutForm::RowOfWindow(HWND window) const noexcept {
    const auto found = std::find(FControls.begin(), FControls.end(), window);
    return window && found != FControls.end() ? static_cast<size_t>(found - FControls.begin()) : NoRow;
}
