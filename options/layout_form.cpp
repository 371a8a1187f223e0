#include "options/uOptions.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "base/guard.h"
#include "base/message_window.h"
#include "base/wide.h"
#include "core/version.h"
#include "lang/LanguageSupport.h"
#include "options/modal_scope.h"
#include "options/res/picture_ids.h"
#include "update/update.h"

namespace {

constexpr wchar_t kPageClass[] = L"BriskletTabSheet";
constexpr UINT_PTR kStatusListSubclass = 1;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;

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
        LOWORD(kFormStyle), HIWORD(kFormStyle),  // style
        0, 0,                                    // extended style
        0,                                       // no items
        0, 0, 0, 0,                              // position and size: set in pixels afterwards
        0,                                       // no menu
        0,                                       // the standard dialog class
    };
    words.insert(words.end(), title.begin(), title.end());
    words.push_back(0);
    return words;
}

HFONT WindowFont(int32_t characterHeight, bool underline) {
    return ::CreateFontW(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                         W(std::u16string(OptionsFontName)));
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

HBITMAP LoadPicture(int id, UINT flags) {
    return static_cast<HBITMAP>(::LoadImageW(ThisModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags));
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

TfrmOptions* TfrmOptions::FOpen = nullptr;

// The window as TranslateForm sees it: the caption, then the layout's rows in
// order, with RadioGroup1's items.
class TFormTexts final : public TTranslatableForm {
public:
    explicit TFormTexts(TfrmOptions& form) : F(form) {}

    std::u16string Caption() const override { return WindowText(F.Handle()); }
    void SetCaption(const std::u16string& text) override { ::SetWindowTextW(F.Handle(), W(text)); }
    size_t ComponentCount() const override { return OptionsLayoutCount; }
    TKind ComponentKind(size_t index) const override { return TranslationKind(OptionsLayout[index].Kind); }
    std::u16string ComponentText(size_t index) const override { return F.ControlText(index); }
    void SetComponentText(size_t index, const std::u16string& text) override { F.SetControlText(index, text); }
    size_t ItemCount(size_t index) const override {
        return OptionsLayout[index].Kind == TControlKind::RadioGroup ? F.FRadioGroup1Items.size() : 0;
    }
    std::u16string ItemText(size_t, size_t item) const override { return WindowText(F.FRadioGroup1Items.at(item)); }
    void SetItemText(size_t, size_t item, const std::u16string& text) override {
        ::SetWindowTextW(F.FRadioGroup1Items.at(item), W(text));
    }

private:
    TfrmOptions& F;
};

TfrmOptions::TfrmOptions() : FControls(OptionsLayoutCount, nullptr) {
    WNDCLASSEXW page{};
    page.cbSize = sizeof(page);
    page.lpfnWndProc = &TfrmOptions::PageProc;
    page.hInstance = ThisModule();
    page.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    page.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    page.lpszClassName = kPageClass;
    ::RegisterClassExW(&page);  // fails harmlessly while an earlier showing is open

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    FFont.reset(WindowFont(OptionsFontHeight, false));
    TEXTMETRICW metrics = FontMetrics(FFont.get());
    if (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) {
        // Where the name is a scalable font (Wine), 10 pixels is a size the
        // window never had on Windows, and its texts come out clipped. Use
        // the raster face's size instead.
        FFont.reset(WindowFont(OptionsRasterFontHeight, false));
        metrics = FontMetrics(FFont.get());
        FLinkFont.reset(WindowFont(OptionsRasterFontHeight, true));
    } else {
        FLinkFont.reset(WindowFont(OptionsFontHeight, true));
    }
    if (metrics.tmHeight > 0) {
        FLineHeight = metrics.tmHeight;
    }
    LoadPictures();

    const std::vector<WORD> dialog = EmptyDialogTemplate(OptionsFormCaption);
    FWindow.reset(::CreateDialogIndirectParamW(ThisModule(), reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()),
                                               nullptr, &TfrmOptions::DialogProc, reinterpret_cast<LPARAM>(this)));
    if (!FWindow) {
        return;
    }
    RECT frame{0, 0, OptionsClientWidth, OptionsClientHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(Handle(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls();
}

TfrmOptions::~TfrmOptions() {
    // The update check may still report; it must find no label to write to.
    SetUpdateLabel(nullptr);
    FWindow.reset();
    ::UnregisterClassW(kPageClass, ThisModule());
}

void TfrmOptions::LoadPictures() {
    ImageList1.reset(::ImageList_Create(StatusPictureSize, StatusPictureSize, ILC_COLOR32 | ILC_MASK,
                                        StatusPictureCount, 0));
    const TUniqueBitmap icons(LoadPicture(IDB_STATUS_ICONS, LR_CREATEDIBSECTION));
    const TUniqueBitmap mask(LoadPicture(IDB_STATUS_MASK, LR_MONOCHROME));
    if (ImageList1 && icons) {
        ::ImageList_Add(ImageList1.get(), icons.get(), mask.get());
    }
    wiz_01.reset(LoadPicture(IDB_WIZ_01, LR_CREATEDIBSECTION));
    wiz_02.reset(LoadPicture(IDB_WIZ_02, LR_CREATEDIBSECTION));
    wiz_03.reset(LoadPicture(IDB_WIZ_03, LR_CREATEDIBSECTION));
    FLogo.reset(LoadPicture(IDB_LOGO, LR_CREATEDIBSECTION));
}

void TfrmOptions::CreateControls() {
    for (size_t index = 0; index < OptionsLayoutCount; ++index) {
        CreateControl(index);
    }
    // A shape is painted under the windowed controls that lie on it.
    for (size_t index = 0; index < OptionsLayoutCount; ++index) {
        if (OptionsLayout[index].Kind == TControlKind::Shape && FControls[index]) {
            ::SetWindowPos(FControls[index], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    SetCurrentPage(LaidOutPage);
}

HWND TfrmOptions::PageWindow(size_t index) const {
    const size_t page = PageOf(index);
    return page == NoRow ? Handle() : FControls[page];
}

HWND TfrmOptions::Control(size_t index) const { return FControls[index]; }

size_t TfrmOptions::RowOfWindow(HWND window) const {
    const auto found = std::find(FControls.begin(), FControls.end(), window);
    return window && found != FControls.end() ? static_cast<size_t>(found - FControls.begin()) : NoRow;
}

void TfrmOptions::CreateControl(size_t index) {
    const TLayoutRow& row = OptionsLayout[index];
    const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(LayoutControlId(index)));
    const std::wstring text = ToWide(row.Text);
    TLayoutRect at = PagePosition(index);
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP;
    DWORD exStyle = 0;

    switch (row.Kind) {
    case TControlKind::ImageList:
    case TControlKind::PictureHolder:
        return;  // loaded with the pictures
    case TControlKind::PageControl: {
        const HWND tabs = ::CreateWindowExW(0, WC_TABCONTROLW, L"", style | WS_TABSTOP | WS_CLIPSIBLINGS, at.Left,
                                            at.Top, at.Width, at.Height, Handle(), id, ThisModule(), nullptr);
        FControls[index] = FPageControl = tabs;
        ::SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.get()), FALSE);
        // Its pages are the tab sheets it holds, in the table's order.
        for (size_t sheet = index + 1; sheet < OptionsLayoutCount; ++sheet) {
            if (OptionsLayout[sheet].Kind == TControlKind::TabSheet && OptionsLayout[sheet].Parent == row.Name) {
                FPages.push_back(sheet);
            }
        }
        for (size_t page = 0; page < FPages.size(); ++page) {
            std::wstring caption = ToWide(OptionsLayout[FPages[page]].Text);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = caption.data();
            ::SendMessageW(tabs, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
        }
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
        return;
    }
    case TControlKind::TabSheet: {
        FControls[index] = ::CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, text.c_str(), WS_CHILD,
                                             FPageArea.left, FPageArea.top, FPageArea.right - FPageArea.left,
                                             FPageArea.bottom - FPageArea.top, Handle(), id, ThisModule(), this);
        return;
    }
    case TControlKind::PushButton:
        cls = L"BUTTON";
        style |= WS_TABSTOP | (row.Has(lfDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
    case TControlKind::GroupBox:
    case TControlKind::RadioGroup:
        cls = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
    case TControlKind::RadioButton: {
        cls = L"BUTTON";
        style |= BS_AUTORADIOBUTTON;
        // The first of a run of radio buttons starts their group and is its tab stop.
        const bool first = index == 0 || OptionsLayout[index - 1].Kind != TControlKind::RadioButton ||
                           OptionsLayout[index - 1].Parent != row.Parent;
        if (first) {
            style |= WS_TABSTOP;
        } else {
            style &= ~static_cast<DWORD>(WS_GROUP);
        }
        break;
    }
    case TControlKind::Label:
        cls = L"STATIC";
        style |= row.Has(lfCentre)     ? SS_CENTER
                 : row.Has(lfRight)    ? SS_RIGHT
                 : row.Has(lfWordWrap) ? SS_LEFT
                                       : SS_LEFTNOWORDWRAP;
        if (row.Has(lfLink)) {
            style |= SS_NOTIFY;
        }
        break;
    case TControlKind::StaticText:
        cls = L"STATIC";
        style |= SS_LEFTNOWORDWRAP;
        break;
    case TControlKind::Image:
        cls = L"STATIC";
        style |= SS_BITMAP;
        break;
    case TControlKind::Shape:
        cls = L"STATIC";
        style |= SS_OWNERDRAW | WS_CLIPSIBLINGS;
        break;
    case TControlKind::CheckListBox:
        cls = L"LISTBOX";
        style |= WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_MULTICOLUMN | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS |
                 LBS_NOTIFY;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    case TControlKind::TrackBar:
        cls = TRACKBAR_CLASSW;
        style |= WS_TABSTOP | TBS_HORZ | TBS_NOTICKS;
        break;
    }
    const HWND parent = PageWindow(index);
    if (row.Has(lfFullWidth)) {
        RECT client{};
        ::GetClientRect(parent, &client);
        at.Width = client.right - client.left;
    }
    const HWND control = ::CreateWindowExW(exStyle, cls, text.c_str(), style, at.Left, at.Top, at.Width, at.Height,
                                           parent, id, ThisModule(), nullptr);
    FControls[index] = control;
    if (!control) {
        return;
    }
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(row.Has(lfLink) ? FLinkFont.get() : FFont.get()),
                   FALSE);

    switch (row.Kind) {
    case TControlKind::RadioButton:
        ::SendMessageW(control, BM_SETCHECK, row.Has(lfChecked) ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case TControlKind::RadioGroup:
        CreateRadioItems(index, parent, at);
        break;
    case TControlKind::CheckListBox:
        ::SendMessageW(control, LB_SETITEMHEIGHT, 0, StatusEntryHeight);
        ::SendMessageW(control, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(std::max(0, at.Width - 4) / StatusColumns),
                       0);
        for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
            ::SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
        }
        ::SetWindowSubclass(control, &TfrmOptions::StatusListProc, kStatusListSubclass,
                            reinterpret_cast<DWORD_PTR>(this));
        break;
    case TControlKind::TrackBar:
        ::SendMessageW(control, TBM_SETRANGEMIN, FALSE, FreqMin);
        ::SendMessageW(control, TBM_SETRANGEMAX, FALSE, FreqMax);
        ::SendMessageW(control, TBM_SETPAGESIZE, 0, 2);
        ::SendMessageW(control, TBM_SETPOS, TRUE, LaidOutFreq);
        break;
    case TControlKind::Image:
        if (index == Image2Row) {
            ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FLogo.get()));
        }
        break;
    case TControlKind::Label:
    case TControlKind::StaticText:
        if (row.Has(lfAutoSize)) {
            FitToText(index);
        }
        break;
    default:
        break;
    }
}

void TfrmOptions::CreateRadioItems(size_t index, HWND parent, const TLayoutRect& at) {
    const int32_t count = static_cast<int32_t>(FRadioGroup1Items.size());
    for (int32_t item = 0; item < count; ++item) {
        const TLayoutRect place = RadioItemRect(at.Width, at.Height, count, 1, item, FLineHeight);
        DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
        if (item == 0) {
            style |= WS_GROUP | WS_TABSTOP;
        }
        const std::wstring text = ToWide(RadioGroup1Items[static_cast<size_t>(item)]);
        const HWND button = ::CreateWindowExW(
            0, L"BUTTON", text.c_str(), style, at.Left + place.Left, at.Top + place.Top, place.Width, place.Height,
            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(RadioItemId(index, static_cast<size_t>(item)))),
            ThisModule(), nullptr);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.get()), FALSE);
        ::SendMessageW(button, BM_SETCHECK, item == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        FRadioGroup1Items[static_cast<size_t>(item)] = button;
    }
}

std::u16string TfrmOptions::ControlText(size_t index) const { return WindowText(FControls[index]); }

void TfrmOptions::SetControlText(size_t index, const std::u16string& text) {
    const HWND control = FControls[index];
    if (!control) {
        return;
    }
    ::SetWindowTextW(control, W(text));
    const TLayoutRow& row = OptionsLayout[index];
    if (row.Kind == TControlKind::TabSheet) {
        const auto page = std::find(FPages.begin(), FPages.end(), index);
        std::wstring caption = ToWide(text);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageW(FPageControl, TCM_SETITEMW, static_cast<WPARAM>(page - FPages.begin()),
                       reinterpret_cast<LPARAM>(&item));
    } else if (row.Has(lfAutoSize) && row.Kind != TControlKind::Image) {
        FitToText(index);
    }
}

void TfrmOptions::FitToText(size_t index) {
    const HWND control = FControls[index];
    const std::wstring text = ToWide(WindowText(control));
    SIZE size{0, FLineHeight};
    const TWindowDC dc(control);
    if (dc && !text.empty()) {
        const TSelectedObject selected(dc.get(), OptionsLayout[index].Has(lfLink) ? FLinkFont.get() : FFont.get());
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    // A label is one line high; a static text keeps its laid-out height.
    const int height = OptionsLayout[index].Kind == TControlKind::Label ? FLineHeight : OptionsLayout[index].Height;
    ::SetWindowPos(control, nullptr, 0, 0, size.cx, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmOptions::SetCurrentPage(int32_t page) {
    ::SendMessageW(FPageControl, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    const HWND focus = ::GetFocus();
    for (size_t i = 0; i < FPages.size(); ++i) {
        const HWND sheet = Control(FPages[i]);
        const bool current = static_cast<int32_t>(i) == page;
        if (!current && focus && (focus == sheet || ::IsChild(sheet, focus))) {
            ::SetFocus(FPageControl);  // a hidden page keeps no focus
        }
        ::ShowWindow(sheet, current ? SW_SHOWNA : SW_HIDE);
    }
}

void TfrmOptions::SwitchPage(int32_t step) {
    const int32_t count = static_cast<int32_t>(FPages.size());
    const int32_t current = static_cast<int32_t>(::SendMessageW(FPageControl, TCM_GETCURSEL, 0, 0));
    SetCurrentPage(((current + step) % count + count) % count);
}

void TfrmOptions::SetFreqPosition(int32_t value) {
    ::SendMessageW(Control(tbFreqRow), TBM_SETPOS, TRUE, ClampFreqValue(value));
}

int32_t TfrmOptions::FreqPosition() const {
    return static_cast<int32_t>(::SendMessageW(Control(tbFreqRow), TBM_GETPOS, 0, 0));
}

void TfrmOptions::SetFreqUnitIndex(int32_t unit) {
    const size_t chosen = static_cast<size_t>(ClampFreqUnit(unit));
    for (size_t item = 0; item < FRadioGroup1Items.size(); ++item) {
        ::SendMessageW(FRadioGroup1Items[item], BM_SETCHECK, item == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

int32_t TfrmOptions::FreqUnitIndex() const {
    for (size_t item = 0; item < FRadioGroup1Items.size(); ++item) {
        if (::SendMessageW(FRadioGroup1Items[item], BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return static_cast<int32_t>(item);
        }
    }
    return 0;  // one item is always chosen; seconds if that ever fails
}

bool TfrmOptions::Ticked(int32_t entry) const {
    return ::SendMessageW(Control(clbStatusesRow), LB_GETITEMDATA, static_cast<WPARAM>(entry), 0) == 1;
}

void TfrmOptions::SetTicked(int32_t entry, bool ticked) {
    const HWND list = Control(clbStatusesRow);
    ::SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(entry), ticked ? 1 : 0);
    RECT rect{};
    if (::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&rect)) !=
        LB_ERR) {
        ::InvalidateRect(list, &rect, FALSE);
    }
}

void TfrmOptions::ToggleTick(int32_t entry) {
    if (entry >= 0 && entry < StatusEntryCount) {
        SetTicked(entry, !Ticked(entry));
    }
}

void TfrmOptions::SetWizPicture(int32_t picture) {
    const HBITMAP source = picture == 1 ? wiz_01.get() : picture == 2 ? wiz_02.get() : picture == 3 ? wiz_03.get()
                                                                                                    : nullptr;
    TUniqueBitmap copy(source ? static_cast<HBITMAP>(::CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
                              : nullptr);
    ::SendMessageW(Control(WIZRow), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(copy.get()));
    // The old copy goes only once WIZ no longer shows it.
    FWizPicture = std::move(copy);
}

void TfrmOptions::SetRadioChecked(size_t row, bool checked) {
    ::SendMessageW(Control(row), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TfrmOptions::RadioChecked(size_t row) const {
    return ::SendMessageW(Control(row), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TfrmOptions::OpenPage(const std::u16string& url) {
    // A failed open is not reported.
    ::ShellExecuteW(nullptr, L"open", W(url), L"", nullptr, SW_SHOW);
}

void TfrmOptions::Close() {
    FModalDone = true;
    // Close may run inside a message sent from another thread, which
    // GetMessageW handles without returning; wake the loop.
    ::PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TfrmOptions::BringToFront() const noexcept {
    ::SetForegroundWindow(Handle());
    ::SetActiveWindow(Handle());
}

void TfrmOptions::ShowModal() {
    if (!FWindow || FOpen) {
        return;
    }
    // Cleared on every way out, an error included.
    struct TOpenMark {
        explicit TOpenMark(TfrmOptions* form) noexcept { FOpen = form; }
        ~TOpenMark() { FOpen = nullptr; }
    } open(this);
    FModalDone = false;
    const TModalScope modal(Handle());
    FormShow();
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
    ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(btnOkRow)), TRUE);

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

INT_PTR CALLBACK TfrmOptions::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        return FALSE;  // focus is set on showing
    }
    auto* self = reinterpret_cast<TfrmOptions*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
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

LRESULT CALLBACK TfrmOptions::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TfrmOptions*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
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

LRESULT CALLBACK TfrmOptions::StatusListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) {
    auto* form = reinterpret_cast<TfrmOptions*>(self);
    return CatchAllOr<LRESULT>(0, [&] { return form->StatusListMessage(window, message, wParam, lParam); });
}

LRESULT TfrmOptions::StatusListMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
            ToggleTick(entry);
        }
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            ToggleTick(static_cast<int32_t>(::SendMessageW(window, LB_GETCARETINDEX, 0, 0)));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ') {
            return 0;  // not a search for an entry starting with a blank
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, &TfrmOptions::StatusListProc, kStatusListSubclass);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

bool TfrmOptions::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
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
        if (reinterpret_cast<HWND>(lParam) == Control(tbFreqRow)) {
            tbFreqChange();
            return true;
        }
        return false;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType == ODT_LISTBOX &&
            static_cast<int32_t>(measure->CtlID) == LayoutControlId(clbStatusesRow)) {
            measure->itemHeight = StatusEntryHeight;
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
            row != NoRow && OptionsLayout[row].Has(lfLink)) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ::GetSysColor(COLOR_HOTLIGHT));
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        return false;
    case WM_SETCURSOR:
        if (const size_t row = RowOfWindow(reinterpret_cast<HWND>(wParam));
            row != NoRow && OptionsLayout[row].Has(lfLink)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        return false;
    case WM_NEXTDLGCTL:
        if (LOWORD(lParam) == 0) {
            // Tab into a group of radio buttons lands on the checked one, as
            // the arrow keys would leave it; focus alone must not change a mode.
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
        return false;
    case WM_CLOSE:
        // The close box sets nothing: Saved keeps its value.
        Close();
        return true;
    default:
        return false;
    }
}

bool TfrmOptions::HandleCommand(int32_t id, UINT code) {
    if (id == IdOk) {
        btnOkClick();
        return true;
    }
    if (id == IdCancel) {
        btnCancelClick();
        return true;
    }
    if (code == BN_CLICKED) {
        for (size_t item = 0; item < FRadioGroup1Items.size(); ++item) {
            if (id == RadioItemId(RadioGroup1Row, item)) {
                RadioGroup1Click();
                return true;
            }
        }
    }
    if (id < 1000 || static_cast<size_t>(id - 1000) >= OptionsLayoutCount) {
        return false;
    }
    const size_t row = static_cast<size_t>(id - 1000);
    if (code == BN_CLICKED) {  // also STN_CLICKED
        if (row == RadioButton3Row) {
            RadioButton3Click();
        } else if (row == RadioButton4Row) {
            RadioButton4Click();
        } else if (row == RadioButton5Row) {
            RadioButton5Click();
        } else if (row == Button1Row) {
            Button1Click();
        } else if (row == Button2Row) {
            Button2Click();
        } else if (row == Button3Row) {
            Button3Click();
        } else if (row == Label1Row) {
            Label1Click();
        } else {
            return false;
        }
        return true;
    }
    return false;
}

bool TfrmOptions::HandleDrawItem(const DRAWITEMSTRUCT& item) {
    const HWND control = item.hwndItem;
    if (control == Control(clbStatusesRow)) {
        if (item.itemID == static_cast<UINT>(-1)) {
            return true;
        }
        const int32_t entry = static_cast<int32_t>(item.itemID);
        // The list draws the check box at the entry's left; the handler gets
        // the rest of the entry.
        RECT check = item.rcItem;
        check.right = std::min(check.left + StatusCheckWidth, item.rcItem.right);
        ::FillRect(item.hDC, &check, ::GetSysColorBrush(COLOR_WINDOW));
        const int top = check.top + (check.bottom - check.top - StatusCheckSize) / 2;
        const int left = check.left + (StatusCheckWidth - StatusCheckSize) / 2;
        RECT box{left, top, left + StatusCheckSize, top + StatusCheckSize};
        ::DrawFrameControl(item.hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (Ticked(entry) ? DFCS_CHECKED : 0));
        RECT rest = item.rcItem;
        rest.left = check.right;
        clbStatusesDrawItem(entry, rest, (item.itemState & ODS_SELECTED) != 0, item.hDC);
        if (item.itemState & ODS_FOCUS) {
            ::DrawFocusRect(item.hDC, &rest);
        }
        return true;
    }
    if (const size_t row = RowOfWindow(control);
        row != NoRow && OptionsLayout[row].Kind == TControlKind::Shape) {
        RECT rect = item.rcItem;
        ::FillRect(item.hDC, &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::FrameRect(item.hDC, &rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        return true;
    }
    return false;
}

void TfrmOptions::FormShow() {
    switch (WorkMode) {
    case 0:
        RadioButton3Click();
        break;
    case 1:
        RadioButton4Click();
        break;
    case 2:
        RadioButton5Click();
        break;
    default:
        break;  // as laid out: RadioButton3 checked, WIZ empty
    }
    const int32_t radio = ModeRadio(WorkMode);
    if (radio != NoMode) {
        for (size_t i = 0; i < std::size(ModeRadioRows); ++i) {
            SetRadioChecked(ModeRadioRows[i], static_cast<int32_t>(i) == radio);
        }
    }
    SetCurrentPage(FirstPage);

    TFormTexts texts(*this);
    TranslateForm(texts);
    ::SetWindowTextW(Handle(), W(u"Brisklet : " + TranslateWide(u"Options")));
    SetControlText(StaticText2Row, CopyrightLine(TranslateWide(u"Copyright (c)")));
    SetControlText(lVersionRow, VersionLine(TranslateWide(u"Version")));
    // Composed on showing too, so the label never shows the layout's bare "0".
    tbFreqChange();

    const TTicks ticks = TicksFromSelection(StatusSelection);
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        SetTicked(entry, ticks[static_cast<size_t>(entry)]);
    }

    SetUpdateLabel(Control(lUpdateRow));
    StartUpdateCheck(u"brisklet.ini", VersionMajor, VersionMinor, VersionRelease);
}

void TfrmOptions::tbFreqChange() {
    SetControlText(Label3Row,
                   IntervalText(FreqPosition(), FreqUnitIndex(),
                                [](std::u16string_view key) { return TranslateWide(key); }));
}

void TfrmOptions::RadioGroup1Click() { tbFreqChange(); }

void TfrmOptions::RadioButton3Click() { SetWizPicture(ModePicture(0)); }
void TfrmOptions::RadioButton4Click() { SetWizPicture(ModePicture(1)); }
void TfrmOptions::RadioButton5Click() { SetWizPicture(ModePicture(2)); }

void TfrmOptions::clbStatusesDrawItem(int32_t index, const RECT& rect, bool selected, HDC dc) {
    ::FillRect(dc, &rect, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::ImageList_Draw(ImageList1.get(), index, dc, rect.left + 2, rect.top + 2, ILD_NORMAL);
    const HWND list = Control(clbStatusesRow);
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length > 0) {
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::TextOutW(dc, rect.left + 2 + StatusPictureSize, rect.top, text.c_str(), static_cast<int>(length));
    }
}

void TfrmOptions::Button1Click() {
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        SetTicked(entry, true);
    }
}

void TfrmOptions::Button2Click() {
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        SetTicked(entry, false);
    }
}

void TfrmOptions::Button3Click() { OpenPage(UpdatePageURL()); }

void TfrmOptions::Label1Click() { OpenPage(std::u16string(Label1URL)); }

void TfrmOptions::btnOkClick() {
    for (size_t i = 0; i < std::size(ModeRadioRows); ++i) {
        if (RadioChecked(ModeRadioRows[i])) {
            WorkMode = WorkModeOfRadio(static_cast<int32_t>(i));
            break;
        }
    }
    TTicks ticks{};
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        ticks[static_cast<size_t>(entry)] = Ticked(entry);
    }
    StatusSelection = SelectionFromTicks(ticks);
    Saved = true;
    Close();
}

void TfrmOptions::btnCancelClick() {
    Saved = false;
    Close();
}

TOptionsResult ShowOptionsWindow(TSettings& settings) {
    if (TfrmOptions* open = TfrmOptions::Open()) {
        // Only a faulty host asks again while the window is open: no second
        // window inside the first one's loop.
        open->BringToFront();
        return TOptionsResult::AlreadyOpen;
    }
    TfrmOptions frmOptions;
    frmOptions.SetFreqPosition(settings.FreqValue);
    frmOptions.SetFreqUnitIndex(settings.FreqUnit);
    frmOptions.WorkMode = settings.WorkMode;
    frmOptions.StatusSelection = settings.StatusSelection;
    frmOptions.ShowModal();
    if (!frmOptions.Saved) {
        return TOptionsResult::Cancelled;
    }
    settings.WorkMode = frmOptions.WorkMode;
    settings.StatusSelection = frmOptions.StatusSelection;
    settings.FreqValue = frmOptions.FreqPosition();
    settings.FreqUnit = frmOptions.FreqUnitIndex();
    return TOptionsResult::Saved;
}
