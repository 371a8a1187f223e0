// The window procedures of a layout window and the dispatch of their
// messages to the handlers the derived dialog names.
#include "options/layout_form.h"

#include <commctrl.h>

#include <iterator>

#include "base/guard.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

bool IsRadio(HWND window) {
    const LONG_PTR type = ::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
    return ::lstrcmpiW(cls, L"Button") == 0 && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

}  // namespace

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
    const TDrawAction draw = KindOf(FLayout.Rows[row].Kind).Draw;
    if (!draw) {
        return false;
    }
    (this->*draw)(row, item);
    return true;
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
