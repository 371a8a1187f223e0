#include "options/layout_form.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "base/guard.h"
#include "base/message_window.h"
#include "base/wide.h"
#include "lang/LanguageSupport.h"
#include "options/modal_scope.h"

namespace {

constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The DPI the window gets: GetDpiForWindow where the system has it (Windows
// 10 1607 on), looked up at run time so that older systems still load the
// DLL; else the screen's. A host that is not DPI-aware gets 96 either way
// and the system scales the whole window.
int32_t WindowDpi(HWND window) {
    // Looked up at each call, which comes only as the window is made or
    // moves to another DPI: a function-local static would bring in the
    // runtime's guard, whose objects outlive FreeLibrary (docs/HARDENING.md).
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto getDpiForWindow =
        user32 ? reinterpret_cast<TGetDpiForWindow>(
                     reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetDpiForWindow")))
               : nullptr;
    int32_t dpi = getDpiForWindow ? static_cast<int32_t>(getDpiForWindow(window)) : 0;
    if (dpi <= 0) {
        const TWindowDC screen(nullptr);
        dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    }
    // Beyond what any screen has: a broken answer, laid out as the reference.
    return dpi >= 48 && dpi <= 960 ? dpi : ReferenceDpi;
}

std::u16string WindowText(HWND window) {
    if (!window) {
        return std::u16string();
    }
    const int length = ::GetWindowTextLengthW(window);
    std::wstring buffer(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int got = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return FromWide(buffer.data(), static_cast<size_t>(std::max(got, 0)));
}

// A dialog template without controls or font: the dialog manager gives the
// window Enter, Escape, Tab and the default button, and the controls come
// from the layout table, in pixels.
std::vector<WORD> EmptyDialogTemplate(std::u16string_view title) {
    std::vector<WORD> words = {
        LOWORD(FormStyle), HIWORD(FormStyle),  // style
        0, 0,                                  // extended style
        0,                                     // no items
        0, 0, 0, 0,                            // position and size: set in pixels afterwards
        0,                                     // no menu
        0,                                     // the standard dialog class
    };
    words.insert(words.end(), title.begin(), title.end());
    words.push_back(0);
    return words;
}

HFONT WindowFont(std::u16string_view name, int32_t characterHeight, bool underline) {
    return ::CreateFontW(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                         W(std::u16string(name)));
}

TEXTMETRICW FontMetrics(HFONT font) {
    TEXTMETRICW metrics{};
    const TWindowDC screen(nullptr);
    if (screen) {
        const TSelectedObject selected(screen.get(), font);
        ::GetTextMetricsW(screen.get(), &metrics);
    }
    return metrics;
}

bool IsRadio(HWND window) {
    const LONG_PTR type = ::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
    return ::lstrcmpiW(cls, L"Button") == 0 && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

TTranslatableForm::TKind TranslationKind(TControlKind kind) {
    using K = TTranslatableForm::TKind;
    switch (kind) {
    case TControlKind::PushButton:
        return K::PushButton;
    case TControlKind::RadioButton:
        return K::RadioButton;
    case TControlKind::GroupBox:
        return K::GroupBox;
    case TControlKind::Label:
        return K::Label;
    case TControlKind::RadioGroup:
        return K::RadioGroup;
    case TControlKind::ImageList:
        return K::NotControl;
    default:
        return K::OtherControl;
    }
}

}  // namespace

TLayoutForm* TLayoutForm::FOpen = nullptr;

// The window as TranslateForm sees it: the caption, then the layout's rows in
// order, with the radio groups' items.
class TFormTexts final : public TTranslatableForm {
public:
    explicit TFormTexts(TLayoutForm& form) : F(form) {}

    std::u16string Caption() const override { return WindowText(F.Handle()); }
    void SetCaption(const std::u16string& text) override { ::SetWindowTextW(F.Handle(), W(text)); }
    size_t ComponentCount() const override { return F.FLayout.Rows.size(); }
    TKind ComponentKind(size_t index) const override { return TranslationKind(F.FLayout.Rows[index].Kind); }
    std::u16string ComponentText(size_t index) const override { return F.ControlText(index); }
    void SetComponentText(size_t index, const std::u16string& text) override { F.SetControlText(index, text); }
    size_t ItemCount(size_t index) const override { return F.FRadioItems[index].size(); }
    std::u16string ItemText(size_t index, size_t item) const override {
        return WindowText(F.FRadioItems[index].at(item));
    }
    void SetItemText(size_t index, size_t item, const std::u16string& text) override {
        ::SetWindowTextW(F.FRadioItems[index].at(item), W(text));
    }

private:
    TLayoutForm& F;
};

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
    const int32_t height = Scale(FLayout.FontHeight);
    FFont.reset(WindowFont(FLayout.FontName, height, false));
    TEXTMETRICW metrics = FontMetrics(FFont.get());
    if (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) {
        // Where the name is a scalable font (Wine), the laid-out height may be
        // a size the window never had with the raster face, and its texts
        // come out clipped. Never go below the raster face's smallest size,
        // scaled as everything else is, or the text shrinks against its
        // controls as the DPI grows.
        const int32_t scalable = std::max(height, Scale(FLayout.RasterFontHeight));
        FFont.reset(WindowFont(FLayout.FontName, scalable, false));
        metrics = FontMetrics(FFont.get());
        FLinkFont.reset(WindowFont(FLayout.FontName, scalable, true));
    } else {
        FLinkFont.reset(WindowFont(FLayout.FontName, height, true));
    }
    if (metrics.tmHeight > 0) {
        FLineHeight = metrics.tmHeight;
    }
}

void TLayoutForm::HandleDpiChanged(int32_t dpi, const RECT* suggested) {
    if (dpi < 48 || dpi > 960) {
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
        if (layout.Kind == TControlKind::TabSheet) {
            // After the page control (earlier in the table): its display area.
            ::SetWindowPos(control, nullptr, FPageArea.left, FPageArea.top, FPageArea.right - FPageArea.left,
                           FPageArea.bottom - FPageArea.top, SWP_NOZORDER | SWP_NOACTIVATE);
            continue;
        }
        const TLayoutRect at = Place(row, PageWindow(row));
        ::SetWindowPos(control, nullptr, at.Left, at.Top, at.Width, at.Height, SWP_NOZORDER | SWP_NOACTIVATE);
        if (layout.Kind == TControlKind::PageControl) {
            PlacePageArea(row);
        } else if (layout.Kind == TControlKind::RadioGroup) {
            PlaceRadioItems(row);
        } else if (layout.Kind == TControlKind::CheckListBox) {
            PlaceCheckListEntries(row);
        } else if (layout.Has(lfAutoSize) && layout.Kind != TControlKind::Image) {
            FitToText(row);
        }
    }
    Fire(FormRow, TFormEvent::DpiChange);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TLayoutForm::Destroy() noexcept { FWindow.reset(); }

std::u16string TLayoutForm::ControlText(size_t row) const { return WindowText(FControls[row]); }

void TLayoutForm::SetControlText(size_t row, const std::u16string& text) {
    const HWND control = FControls[row];
    if (!control) {
        return;
    }
    ::SetWindowTextW(control, W(text));
    const TLayoutRow& layout = FLayout.Rows[row];
    if (layout.Kind == TControlKind::TabSheet) {
        const auto page = std::find(FPages.begin(), FPages.end(), row);
        std::wstring caption = ToWide(text);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageW(FPageControl, TCM_SETITEMW, static_cast<WPARAM>(page - FPages.begin()),
                       reinterpret_cast<LPARAM>(&item));
    } else if (layout.Has(lfAutoSize) && layout.Kind != TControlKind::Image) {
        FitToText(row);
    }
}

void TLayoutForm::Translate() {
    TFormTexts texts(*this);
    TranslateForm(texts);
}

void TLayoutForm::SetCurrentPage(int32_t page) {
    ::SendMessageW(FPageControl, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    const HWND focus = ::GetFocus();
    for (size_t i = 0; i < FPages.size(); ++i) {
        const HWND sheet = FControls[FPages[i]];
        const bool current = static_cast<int32_t>(i) == page;
        if (!current && focus && (focus == sheet || ::IsChild(sheet, focus))) {
            ::SetFocus(FPageControl);  // a hidden page keeps no focus
        }
        ::ShowWindow(sheet, current ? SW_SHOWNA : SW_HIDE);
    }
}

void TLayoutForm::SwitchPage(int32_t step) {
    const int32_t count = static_cast<int32_t>(FPages.size());
    if (count == 0) {
        return;
    }
    const int32_t current = static_cast<int32_t>(::SendMessageW(FPageControl, TCM_GETCURSEL, 0, 0));
    SetCurrentPage(((current + step) % count + count) % count);
}

HWND TLayoutForm::PageWindow(size_t row) const {
    const size_t page = PageRow(FLayout.Rows, row);
    return page == NoRow ? Handle() : FControls[page];
}

size_t TLayoutForm::RowOfWindow(HWND window) const noexcept {
    const auto found = std::find(FControls.begin(), FControls.end(), window);
    return window && found != FControls.end() ? static_cast<size_t>(found - FControls.begin()) : NoRow;
}

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

INT_PTR CALLBACK TLayoutForm::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        return FALSE;  // focus is set on showing
    }
    auto* self = reinterpret_cast<TLayoutForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        return FALSE;
    }
    LRESULT result = 0;
    const bool handled =
        CatchAllOr(false, [&] { return self->HandleMessage(message, wParam, lParam, result); });
    if (!handled) {
        return FALSE;
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        return static_cast<INT_PTR>(result);  // a brush is returned directly
    }
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CALLBACK TLayoutForm::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TLayoutForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_SETCURSOR:
        if (self) {
            LRESULT result = 0;
            if (CatchAllOr(false, [&] { return self->HandleMessage(message, wParam, lParam, result); })) {
                return result;
            }
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool TLayoutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        return HandleCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == FPageControl && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
            SetCurrentPage(static_cast<int32_t>(::SendMessageW(FPageControl, TCM_GETCURSEL, 0, 0)));
            return true;
        }
        return false;
    }
    case WM_HSCROLL:
        return Fire(RowOfWindow(reinterpret_cast<HWND>(lParam)), TFormEvent::Change);
    case WM_MEASUREITEM: {
        // Sent while the list is created, before its window is known: found
        // by its identifier.
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        const TCheckListEntries* list =
            measure->CtlType == ODT_LISTBOX
                ? EntryOf(FLayout.CheckLists, RowOfId(FLayout.Rows, static_cast<int32_t>(measure->CtlID)))
                : nullptr;
        if (list) {
            measure->itemHeight = static_cast<UINT>(Scale(list->EntryHeight));
            result = TRUE;
            return true;
        }
        return false;
    }
    case WM_DRAWITEM:
        result = TRUE;
        return HandleDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLORSTATIC:
        if (const size_t row = RowOfWindow(reinterpret_cast<HWND>(lParam));
            row != NoRow && FLayout.Rows[row].Has(lfLink)) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ::GetSysColor(COLOR_HOTLIGHT));
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        return false;
    case WM_SETCURSOR:
        if (const size_t row = RowOfWindow(reinterpret_cast<HWND>(wParam));
            row != NoRow && FLayout.Rows[row].Has(lfLink)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        return false;
    case WM_NEXTDLGCTL:
        return HandleNextControl(wParam, lParam);
    case WM_DPICHANGED:
        HandleDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return true;
    case WM_CLOSE:
        // The close box runs no handler: the dialog's result keeps its value.
        Close();
        return true;
    case WM_DESTROY:
        TakeBackPictures();  // the controls still exist
        return false;
    default:
        return false;
    }
}

bool TLayoutForm::HandleNextControl(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != 0) {
        return false;
    }
    // Tab into a group of radio buttons lands on the checked one, as the
    // arrow keys would leave it; focus alone must not change a choice.
    HWND next = ::GetNextDlgTabItem(Handle(), ::GetFocus(), wParam != 0);
    if (next && IsRadio(next) && ::SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED) {
        for (HWND item = ::GetNextDlgGroupItem(Handle(), next, FALSE); item && item != next;
             item = ::GetNextDlgGroupItem(Handle(), item, FALSE)) {
            if (IsRadio(item) && ::SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                next = item;
                break;
            }
        }
    }
    if (next) {
        ::DefDlgProcW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    }
    return true;
}

bool TLayoutForm::HandleCommand(int32_t id, UINT code) {
    // Enter and Escape reach the default and cancel buttons as these
    // identifiers, with whatever code the sender gave.
    if (id == IdOk || id == IdCancel) {
        return Fire(RowOfId(FLayout.Rows, id), TFormEvent::Click);
    }
    if (code != BN_CLICKED) {  // also STN_CLICKED
        return false;
    }
    for (size_t group = 0; group < FRadioItems.size(); ++group) {
        for (size_t item = 0; item < FRadioItems[group].size(); ++item) {
            if (id == RadioItemId(group, item)) {
                return Fire(group, TFormEvent::Click);
            }
        }
    }
    return Fire(RowOfId(FLayout.Rows, id), TFormEvent::Click);
}

bool TLayoutForm::HandleDrawItem(const DRAWITEMSTRUCT& item) {
    const size_t row = RowOfWindow(item.hwndItem);
    if (row == NoRow) {
        return false;
    }
    switch (FLayout.Rows[row].Kind) {
    case TControlKind::CheckListBox:
        if (item.itemID != static_cast<UINT>(-1)) {
            DrawCheckListEntry(row, item);
        }
        return true;
    case TControlKind::Shape: {
        RECT rect = item.rcItem;
        ::FillRect(item.hDC, &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::FrameRect(item.hDC, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        return true;
    }
    default:
        return false;
    }
}

bool TLayoutForm::Fire(size_t control, TFormEvent event) {
    if (control == NoRow) {
        return false;
    }
    for (const THandlerRow& handler : FHandlers) {
        if (handler.Control == control && handler.Event == event && handler.Notify) {
            (this->*handler.Notify)();
            return true;
        }
    }
    return false;
}
