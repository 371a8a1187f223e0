// The pages of a layout window: its one page control, the tab sheets it
// holds, which of them shows, and their captions on the tabs.
#include "options/layout_form.h"

#include <commctrl.h>

#include <algorithm>

#include "base/message_window.h"
#include "base/wide.h"

void TLayoutForm::CreatePageControl(size_t row) {
    const HWND tabs = CreateChild(row, WC_TABCONTROLW, ChildStyle | WS_TABSTOP | WS_CLIPSIBLINGS);
    if (!tabs) {
        return;
    }
    FPageControl = tabs;
    // Its pages are the tab sheets it holds, in the table's order.
    for (size_t sheet = row + 1; sheet < FLayout.Rows.size(); ++sheet) {
        const TLayoutRow& candidate = FLayout.Rows[sheet];
        if (candidate.Kind == TControlKind::TabSheet && candidate.Parent == FLayout.Rows[row].Name) {
            FPages.push_back(sheet);
        }
    }
    for (size_t page = 0; page < FPages.size(); ++page) {
        std::wstring caption = ToWide(FLayout.Rows[FPages[page]].Text);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageW(tabs, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
    }
    PlacePageArea(row);
}

void TLayoutForm::PlacePageArea(size_t row) {
    const HWND tabs = FControls[row];
    const TLayoutRect at = Place(row, Handle());
    RECT area{0, 0, at.Width, at.Height};
    TabCtrl_AdjustRect(tabs, FALSE, &area);
    // The pages lie over the display area, after the page control in tab
    // order; the page control gives that area up so it never paints over
    // them.
    TUniqueRegion frame(::CreateRectRgn(0, 0, at.Width, at.Height));
    const TUniqueRegion inner(::CreateRectRgnIndirect(&area));
    ::CombineRgn(frame.get(), frame.get(), inner.get(), RGN_DIFF);
    if (::SetWindowRgn(tabs, frame.get(), FALSE)) {
        frame.release();  // the window owns the region now
    }
    ::OffsetRect(&area, at.Left, at.Top);
    FPageArea = area;
}

void TLayoutForm::CreateTabSheet(size_t row) {
    FControls[row] = ::CreateWindowExW(WS_EX_CONTROLPARENT, PageClass, ToWide(FLayout.Rows[row].Text).c_str(),
                                       WS_CHILD, FPageArea.left, FPageArea.top, FPageArea.right - FPageArea.left,
                                       FPageArea.bottom - FPageArea.top, Handle(),
                                       IdParameter(ControlId(FLayout.Rows, row)), ThisModule(), this);
}

void TLayoutForm::PlacePageControl(size_t row) {
    PlaceControl(row);
    PlacePageArea(row);
}

void TLayoutForm::PlaceTabSheet(size_t row) {
    // After the page control (earlier in the table): its display area.
    ::SetWindowPos(FControls[row], nullptr, FPageArea.left, FPageArea.top, FPageArea.right - FPageArea.left,
                   FPageArea.bottom - FPageArea.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLayoutForm::RetitlePage(size_t row) {
    const auto page = std::find(FPages.begin(), FPages.end(), row);
    std::wstring caption = ToWide(ControlText(row));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    ::SendMessageW(FPageControl, TCM_SETITEMW, static_cast<WPARAM>(page - FPages.begin()),
                   reinterpret_cast<LPARAM>(&item));
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

