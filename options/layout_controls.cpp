// The control kinds' own functions, which their rows in control_kinds.cpp
// name: how each is created and placed again, and what it does once it is
// there (its state, the check list's ticks and drawing). The pages are in
// form_pages.cpp.
#include "options/layout_form.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "base/guard.h"
#include "base/message_window.h"
#include "base/wide.h"

void TLayoutForm::CreateControls() {
    for (size_t row = 0; row < FLayout.Rows.size(); ++row) {
        (this->*KindOf(FLayout.Rows[row].Kind).Create)(row);
    }
    for (size_t row = 0; row < FLayout.Rows.size(); ++row) {
        if (KindOf(FLayout.Rows[row].Kind).Beneath && FControls[row]) {
            ::SetWindowPos(FControls[row], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

TLayoutRect TLayoutForm::Place(size_t row, HWND parent) const {
    // Offsets are summed at 96 DPI and the sum scaled: each value is rounded once.
    TLayoutRect at = ScaleToDpi(PositionOnPage(FLayout.Rows, row), FDpi);
    if (FLayout.Rows[row].Has(lfFullWidth)) {
        RECT client{};
        ::GetClientRect(parent, &client);
        at.Width = client.right - client.left;
    }
    return at;
}

HWND TLayoutForm::CreateChild(size_t row, const wchar_t* windowClass, DWORD style, DWORD exStyle) {
    const TLayoutRow& layout = FLayout.Rows[row];
    const HWND parent = PageWindow(row);
    const TLayoutRect at = Place(row, parent);
    const HWND control =
        ::CreateWindowExW(exStyle, windowClass, ToWide(layout.Text).c_str(), style, at.Left, at.Top, at.Width,
                          at.Height, parent, IdParameter(ControlId(FLayout.Rows, row)), ThisModule(), nullptr);
    FControls[row] = control;
    if (control) {
        ::SendMessageW(control, WM_SETFONT,
                       reinterpret_cast<WPARAM>(layout.Has(lfLink) ? FLinkFont.get() : FFont.get()), FALSE);
    }
    return control;
}

void TLayoutForm::CreateNothing(size_t) {}

void TLayoutForm::PlaceControl(size_t row) {
    const TLayoutRect at = Place(row, PageWindow(row));
    ::SetWindowPos(FControls[row], nullptr, at.Left, at.Top, at.Width, at.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLayoutForm::PlaceFitted(size_t row) {
    PlaceControl(row);
    FitIfAutoSized(row);
}

void TLayoutForm::PlaceRadioGroup(size_t row) {
    PlaceControl(row);
    PlaceRadioItems(row);
}

void TLayoutForm::PlaceCheckListBox(size_t row) {
    PlaceControl(row);
    PlaceCheckListEntries(row);
}

void TLayoutForm::CreatePushButton(size_t row) {
    CreateChild(row, L"BUTTON",
                ChildStyle | WS_TABSTOP | (FLayout.Rows[row].Has(lfDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
}

void TLayoutForm::CreateGroupBox(size_t row) { CreateChild(row, L"BUTTON", ChildStyle | BS_GROUPBOX); }

void TLayoutForm::CreateImage(size_t row) { CreateChild(row, L"STATIC", ChildStyle | SS_BITMAP); }

void TLayoutForm::CreateLabel(size_t row) {
    const TLayoutRow& layout = FLayout.Rows[row];
    DWORD style = ChildStyle | (layout.Has(lfCentre)     ? SS_CENTER
                                : layout.Has(lfRight)    ? SS_RIGHT
                                : layout.Has(lfWordWrap) ? SS_LEFT
                                                         : SS_LEFTNOWORDWRAP);
    if (layout.Has(lfLink)) {
        style |= SS_NOTIFY;
    }
    if (CreateChild(row, L"STATIC", style) && layout.Has(lfAutoSize)) {
        FitToText(row);
    }
}

void TLayoutForm::CreateStaticText(size_t row) {
    if (CreateChild(row, L"STATIC", ChildStyle | SS_LEFTNOWORDWRAP) && FLayout.Rows[row].Has(lfAutoSize)) {
        FitToText(row);
    }
}

void TLayoutForm::CreateShape(size_t row) {
    CreateChild(row, L"STATIC", ChildStyle | SS_OWNERDRAW | WS_CLIPSIBLINGS);
}

void TLayoutForm::CreateRadioButton(size_t row) {
    const TLayoutRow& layout = FLayout.Rows[row];
    // The first of a run of radio buttons starts their group and is its tab stop.
    const bool first = row == 0 || FLayout.Rows[row - 1].Kind != TControlKind::RadioButton ||
                       FLayout.Rows[row - 1].Parent != layout.Parent;
    const DWORD style = first ? ChildStyle | WS_TABSTOP : ChildStyle & ~static_cast<DWORD>(WS_GROUP);
    if (const HWND button = CreateChild(row, L"BUTTON", style | BS_AUTORADIOBUTTON)) {
        ::SendMessageW(button, BM_SETCHECK, layout.Has(lfChecked) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void TLayoutForm::CreateRadioGroup(size_t row) {
    if (!CreateChild(row, L"BUTTON", ChildStyle | BS_GROUPBOX)) {
        return;
    }
    const TRadioGroupItems* items = EntryOf(FLayout.RadioGroups, row);
    if (!items) {
        return;
    }
    const HWND parent = PageWindow(row);
    const int32_t count = static_cast<int32_t>(std::min(items->Items.size(), MaxRadioItems));
    for (int32_t item = 0; item < count; ++item) {
        const TLayoutRect place = RadioItemPlace(row, item, count, items->Columns);
        DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
        if (item == 0) {
            style |= WS_GROUP | WS_TABSTOP;
        }
        const std::wstring text = ToWide(items->Items[static_cast<size_t>(item)]);
        const HWND button = ::CreateWindowExW(0, L"BUTTON", text.c_str(), style, place.Left, place.Top,
                                              place.Width, place.Height, parent,
                                              IdParameter(RadioItemId(row, static_cast<size_t>(item))),
                                              ThisModule(), nullptr);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.get()), FALSE);
        ::SendMessageW(button, BM_SETCHECK, item == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        FRadioItems[row].push_back(button);
    }
}

TLayoutRect TLayoutForm::RadioItemPlace(size_t row, int32_t item, int32_t count, int32_t columns) const {
    const TLayoutRect at = Place(row, PageWindow(row));
    TLayoutRect place = RadioItemRect(at.Width, at.Height, count, columns, item, FLineHeight, FDpi);
    place.Left += at.Left;
    place.Top += at.Top;
    return place;
}

void TLayoutForm::PlaceRadioItems(size_t row) {
    const TRadioGroupItems* items = EntryOf(FLayout.RadioGroups, row);
    const std::vector<HWND>& buttons = FRadioItems[row];
    const int32_t count = static_cast<int32_t>(buttons.size());
    for (int32_t item = 0; items && item < count; ++item) {
        const TLayoutRect place = RadioItemPlace(row, item, count, items->Columns);
        const HWND button = buttons[static_cast<size_t>(item)];
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.get()), FALSE);
        ::SetWindowPos(button, nullptr, place.Left, place.Top, place.Width, place.Height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TLayoutForm::PlaceCheckListEntries(size_t row) {
    const TCheckListEntries* entries = EntryOf(FLayout.CheckLists, row);
    if (!entries) {
        return;
    }
    const HWND list = FControls[row];
    const TLayoutRect at = Place(row, PageWindow(row));
    ::SendMessageW(list, LB_SETITEMHEIGHT, 0, Scale(entries->EntryHeight));
    ::SendMessageW(list, LB_SETCOLUMNWIDTH,
                   static_cast<WPARAM>(std::max(0, at.Width - Scale(4)) / std::max(entries->Columns, 1)), 0);
}

void TLayoutForm::CreateCheckListBox(size_t row) {
    const HWND list = CreateChild(row, L"LISTBOX",
                                  ChildStyle | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_MULTICOLUMN |
                                      LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY,
                                  WS_EX_CLIENTEDGE);
    const TCheckListEntries* entries = EntryOf(FLayout.CheckLists, row);
    if (!list || !entries) {
        return;
    }
    PlaceCheckListEntries(row);
    for (int32_t entry = 0; entry < entries->Count; ++entry) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
    }
    ::SetWindowSubclass(list, &TLayoutForm::CheckListProc, row, reinterpret_cast<DWORD_PTR>(this));
}

void TLayoutForm::CreateTrackBar(size_t row) {
    const HWND bar = CreateChild(row, TRACKBAR_CLASSW, ChildStyle | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS);
    const TTrackBarRange* range = EntryOf(FLayout.TrackBars, row);
    if (!bar || !range) {
        return;
    }
    ::SendMessageW(bar, TBM_SETRANGEMIN, FALSE, range->Min);
    ::SendMessageW(bar, TBM_SETRANGEMAX, FALSE, range->Max);
    ::SendMessageW(bar, TBM_SETPAGESIZE, 0, range->PageSize);
    ::SendMessageW(bar, TBM_SETPOS, TRUE, range->Position);
}

void TLayoutForm::FitIfAutoSized(size_t row) {
    if (FLayout.Rows[row].Has(lfAutoSize)) {
        FitToText(row);
    }
}

void TLayoutForm::FitToText(size_t row) {
    const HWND control = FControls[row];
    const TLayoutRow& layout = FLayout.Rows[row];
    const std::wstring text = ToWide(ControlText(row));
    SIZE size{0, FLineHeight};
    const TWindowDC dc(control);
    if (dc && !text.empty()) {
        const TSelectedObject selected(dc.get(), layout.Has(lfLink) ? FLinkFont.get() : FFont.get());
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    // A label is one line high; a static text keeps its laid-out height.
    const int height = layout.Kind == TControlKind::Label ? FLineHeight : Scale(layout.Height);
    ::SetWindowPos(control, nullptr, 0, 0, size.cx, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TLayoutForm::Checked(size_t radio) const {
    return ::SendMessageW(FControls[radio], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TLayoutForm::SetChecked(size_t radio, bool checked) {
    ::SendMessageW(FControls[radio], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int32_t TLayoutForm::ItemIndex(size_t group) const {
    const std::vector<HWND>& items = FRadioItems[group];
    for (size_t item = 0; item < items.size(); ++item) {
        if (::SendMessageW(items[item], BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return static_cast<int32_t>(item);
        }
    }
    return 0;  // one item is always chosen; the first if that ever fails
}

void TLayoutForm::SetItemIndex(size_t group, int32_t item) {
    const std::vector<HWND>& items = FRadioItems[group];
    for (size_t i = 0; i < items.size(); ++i) {
        ::SendMessageW(items[i], BM_SETCHECK, static_cast<int32_t>(i) == item ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

int32_t TLayoutForm::Position(size_t bar) const {
    return static_cast<int32_t>(::SendMessageW(FControls[bar], TBM_GETPOS, 0, 0));
}

void TLayoutForm::SetPosition(size_t bar, int32_t position) {
    ::SendMessageW(FControls[bar], TBM_SETPOS, TRUE, position);
}

void TLayoutForm::SetPicture(size_t image, HBITMAP picture) {
    FGivenPictures.resize(FControls.size(), nullptr);
    // Under comctl32 6 the control shows its own copy of a 32-bit picture
    // with alpha, and hands that copy back at the next STM_SETIMAGE: it is
    // ours to delete. What we gave it stays the caller's.
    const auto previous = reinterpret_cast<HBITMAP>(
        ::SendMessageW(FControls[image], STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (previous && previous != FGivenPictures[image] && previous != picture) {
        ::DeleteObject(previous);
    }
    FGivenPictures[image] = picture;
}

void TLayoutForm::TakeBackPictures() noexcept {
    // A copy the control still holds would outlive it.
    for (size_t image = 0; image < FGivenPictures.size(); ++image) {
        if (FGivenPictures[image] && FControls[image]) {
            SetPicture(image, nullptr);
        }
    }
}

bool TLayoutForm::Ticked(size_t list, int32_t entry) const {
    return ::SendMessageW(FControls[list], LB_GETITEMDATA, static_cast<WPARAM>(entry), 0) == 1;
}

void TLayoutForm::SetTicked(size_t list, int32_t entry, bool ticked) {
    const HWND control = FControls[list];
    ::SendMessageW(control, LB_SETITEMDATA, static_cast<WPARAM>(entry), ticked ? 1 : 0);
    RECT rect{};
    if (::SendMessageW(control, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&rect)) !=
        LB_ERR) {
        ::InvalidateRect(control, &rect, FALSE);
    }
}

void TLayoutForm::ToggleTick(size_t list, int32_t entry) {
    const TCheckListEntries* entries = EntryOf(FLayout.CheckLists, list);
    if (entries && entry >= 0 && entry < entries->Count) {
        SetTicked(list, entry, !Ticked(list, entry));
    }
}

std::u16string TLayoutForm::EntryText(size_t list, int32_t entry) const {
    const HWND control = FControls[list];
    const LRESULT length = ::SendMessageW(control, LB_GETTEXTLEN, static_cast<WPARAM>(entry), 0);
    if (length <= 0) {
        return std::u16string();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(control, LB_GETTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(text.data()));
    return FromWide(text.data(), static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
}

void TLayoutForm::DrawShape(size_t, const DRAWITEMSTRUCT& item) {
    RECT rect = item.rcItem;
    ::FillRect(item.hDC, &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FrameRect(item.hDC, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

void TLayoutForm::DrawCheckListEntry(size_t row, const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) {
        return;  // an empty list
    }
    const TCheckListEntries* entries = EntryOf(FLayout.CheckLists, row);
    const int32_t checkWidth = entries ? Scale(entries->CheckWidth) : 0;
    const int32_t checkSize = entries ? Scale(entries->CheckSize) : 0;
    const int32_t entry = static_cast<int32_t>(item.itemID);
    // The list draws the check box at the entry's left; the handler gets
    // the rest of the entry.
    RECT check = item.rcItem;
    check.right = std::min(check.left + checkWidth, item.rcItem.right);
    ::FillRect(item.hDC, &check, ::GetSysColorBrush(COLOR_WINDOW));
    const int top = check.top + (check.bottom - check.top - checkSize) / 2;
    const int left = check.left + (checkWidth - checkSize) / 2;
    RECT box{left, top, left + checkSize, top + checkSize};
    ::DrawFrameControl(item.hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (Ticked(row, entry) ? DFCS_CHECKED : 0));
    RECT rest = item.rcItem;
    rest.left = check.right;
    for (const THandlerRow& handler : FHandlers) {
        if (handler.Control == row && handler.Event == TFormEvent::DrawItem && handler.DrawItem) {
            (this->*handler.DrawItem)(entry, rest, (item.itemState & ODS_SELECTED) != 0, item.hDC);
            break;
        }
    }
    if (item.itemState & ODS_FOCUS) {
        ::DrawFocusRect(item.hDC, &rest);
    }
}

LRESULT CALLBACK TLayoutForm::CheckListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR row,
                                            DWORD_PTR self) {
    auto* form = reinterpret_cast<TLayoutForm*>(self);
    return CatchAllOr<LRESULT>(0, [&] { return form->CheckListMessage(row, window, message, wParam, lParam); });
}

LRESULT TLayoutForm::CheckListMessage(size_t row, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // A click anywhere on an entry, check box or picture, toggles it.
        const LRESULT hit = ::SendMessageW(window, LB_ITEMFROMPOINT, 0, lParam);
        const int32_t entry = LOWORD(hit);
        RECT rect{};
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (HIWORD(hit) == 0 &&
            ::SendMessageW(window, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&rect)) !=
                LB_ERR &&
            ::PtInRect(&rect, at)) {
            ToggleTick(row, entry);
        }
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            ToggleTick(row, static_cast<int32_t>(::SendMessageW(window, LB_GETCARETINDEX, 0, 0)));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ') {
            return 0;  // not a search for an entry starting with a blank
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, &TLayoutForm::CheckListProc, row);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}
