// A window built from a layout table, as Notepad++'s StaticDialog is the
// plumbing under each of its dialogs: the dialog template, the fonts, a row
// per control kind, the pages, the modal loop, the window procedures and
// the dispatch of events. It names no control: a derived
// dialog hands it the layout and a table of handlers, and writes only the
// handlers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "lang/translatable_form.h"
#include "options/dpi_scale.h"
#include "options/layout_table.h"

// The window itself, as the control of a handler row: no layout row has
// this index.
inline constexpr size_t FormRow = NoRow - 1;

enum class TFormEvent : uint8_t {
    Show,      // the window, before it shows
    Click,     // a button, a radio button or a link; any item of a radio group
    Change,    // a track bar moved
    DrawItem,  // an entry of a check list, right of its check box
    DpiChange, // the window, laid out again at a new DPI (another monitor)
};

class TLayoutForm {
public:
    using TNotifyEvent = void (TLayoutForm::*)();
    // The entry's index, the part of it right of the check box, whether it
    // is selected, and the context to draw in.
    using TDrawItemEvent = void (TLayoutForm::*)(int32_t entry, const RECT& rect, bool selected, HDC dc);

    // Which handler runs for which control and event; the first row that
    // matches. A DrawItem row holds a draw handler, every other a notify one.
    struct THandlerRow {
        size_t Control;  // a layout row, or FormRow
        TFormEvent Event;
        TNotifyEvent Notify;
        TDrawItemEvent DrawItem;
    };
    // A row for a derived dialog's handler, which runs on that dialog.
    template <class TForm>
    static constexpr THandlerRow On(size_t control, TFormEvent event, void (TForm::*handler)()) noexcept {
        return THandlerRow{control, event, static_cast<TNotifyEvent>(handler), nullptr};
    }
    template <class TForm>
    static constexpr THandlerRow On(size_t control, TFormEvent event,
                                    void (TForm::*handler)(int32_t, const RECT&, bool, HDC)) noexcept {
        return THandlerRow{control, event, nullptr, static_cast<TDrawItemEvent>(handler)};
    }

    TLayoutForm(const TLayoutForm&) = delete;
    TLayoutForm& operator=(const TLayoutForm&) = delete;

    bool Created() const noexcept { return static_cast<bool>(FWindow); }
    HWND Handle() const noexcept { return FWindow.get(); }

    // Runs the Show handler, shows the window and runs its message loop
    // until it is closed. The thread's other top-level windows take no input
    // meanwhile, but every window of the thread, the plug-in's timer among
    // them, keeps getting its messages. Does nothing while another layout
    // window's loop runs.
    void ShowModal();

    // The window whose loop runs, if any: one at a time.
    static TLayoutForm* Open() noexcept { return FOpen; }
    // Brings the window to the front, as the messenger would expect when
    // asked for it again.
    void BringToFront() const noexcept;

protected:
    // Keeps both tables, which must outlive the window; creates nothing.
    TLayoutForm(const TFormLayout& layout, TTable<THandlerRow> handlers) noexcept;
    ~TLayoutForm();

    // Creates the window hidden, with every control as laid out. The derived
    // dialog calls it once its own members are there: handlers may run from
    // then on.
    void Create();
    // Destroys the window; the derived dialog does so before the pictures
    // its controls show go.
    void Destroy() noexcept;

    HWND Control(size_t row) const noexcept { return FControls[row]; }
    // The DPI the window is laid out for, and a length of the layout's
    // 96-DPI pixels at that DPI.
    int32_t Dpi() const noexcept { return FDpi; }
    int32_t Scale(int32_t pixels) const noexcept { return ScaleToDpi(pixels, FDpi); }
    std::u16string ControlText(size_t row) const;
    // Also the page's tab for a tab sheet; a row that sizes itself to its
    // text is fitted again.
    void SetControlText(size_t row, const std::u16string& text);
    void SetCurrentPage(int32_t page);
    // Passes the caption, the rows and the radio groups' items through the
    // translation.
    void Translate();
    // Ends the modal loop.
    void Close();

    bool Checked(size_t radio) const;
    void SetChecked(size_t radio, bool checked);
    // A radio group's chosen item; one is always chosen.
    int32_t ItemIndex(size_t group) const;
    void SetItemIndex(size_t group, int32_t item);
    int32_t Position(size_t bar) const;
    void SetPosition(size_t bar, int32_t position);
    bool Ticked(size_t list, int32_t entry) const;
    void SetTicked(size_t list, int32_t entry, bool ticked);
    std::u16string EntryText(size_t list, int32_t entry) const;
    // The picture an image shows; it stays the caller's, and must live
    // until the next picture of that image or the window's end.
    void SetPicture(size_t image, HBITMAP picture);

private:
    friend class TFormTexts;
    static constexpr wchar_t PageClass[] = L"BriskletTabSheet";
    using TRowAction = void (TLayoutForm::*)(size_t row);
    using TDrawAction = void (TLayoutForm::*)(size_t row, const DRAWITEMSTRUCT& item);
    // Everything the form does by a control's kind, one row per kind
    // (control_kinds.cpp); a new kind is a row there and its functions.
    struct TKindRow {
        TControlKind Kind;
        TRowAction Create;       // its windows, as laid out
        TRowAction PlaceAgain;   // at a new DPI, once the window and the fonts are there
        TRowAction TextChanged;  // after SetControlText; null for nothing
        TDrawAction Draw;        // owner drawing; null where the system draws
        TTranslatableForm::TKind Translation;
        bool Beneath;            // painted under the windowed controls that lie on it
    };
    static const TKindRow& KindOf(TControlKind kind) noexcept;
    // Every control starts a group of its own but the radio buttons that
    // follow the first of their run.
    static constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE | WS_GROUP;
    static HMENU IdParameter(int32_t id) noexcept { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CheckListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR row,
                                          DWORD_PTR self);

    // Messages of the window and, forwarded, of its pages: the pages hold
    // the controls but the window handles them. True when handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool HandleCommand(int32_t id, UINT code);
    bool HandleDrawItem(const DRAWITEMSTRUCT& item);
    bool HandleNextControl(WPARAM wParam, LPARAM lParam);
    // WM_DPICHANGED: the fonts, every control and the window at the new
    // DPI, in the rectangle the system suggests.
    void HandleDpiChanged(int32_t dpi, const RECT* suggested);
    void CreateFonts();
    TLayoutRect RadioItemPlace(size_t row, int32_t item, int32_t count, int32_t columns) const;
    LRESULT CheckListMessage(size_t row, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the handler of this control and event; false when there is none.
    bool Fire(size_t control, TFormEvent event);

    // Each kind's own functions (layout_controls.cpp, the pages in
    // form_pages.cpp).
    void CreateControls();
    HWND CreateChild(size_t row, const wchar_t* windowClass, DWORD style, DWORD exStyle = 0);
    void CreateNothing(size_t row);
    void CreatePushButton(size_t row);
    void CreatePageControl(size_t row);
    void CreateTabSheet(size_t row);
    void CreateGroupBox(size_t row);
    void CreateImage(size_t row);
    void CreateLabel(size_t row);
    void CreateRadioButton(size_t row);
    void CreateRadioGroup(size_t row);
    void CreateCheckListBox(size_t row);
    void CreateTrackBar(size_t row);
    void CreateShape(size_t row);
    void CreateStaticText(size_t row);
    // At a new DPI: the row's place, and what its place does not give (the
    // pages' area, a radio group's items, a check list's entries, a text's
    // fit).
    void PlaceControl(size_t row);
    void PlaceFitted(size_t row);
    void PlacePageControl(size_t row);
    void PlaceTabSheet(size_t row);
    void PlaceRadioGroup(size_t row);
    void PlaceCheckListBox(size_t row);
    void PlacePageArea(size_t row);
    void PlaceRadioItems(size_t row);
    void PlaceCheckListEntries(size_t row);
    void RetitlePage(size_t row);
    void FitIfAutoSized(size_t row);
    void DrawCheckListEntry(size_t row, const DRAWITEMSTRUCT& item);
    void DrawShape(size_t row, const DRAWITEMSTRUCT& item);
    TLayoutRect Place(size_t row, HWND parent) const;
    void FitToText(size_t row);
    // Before the controls go: each image gives back what it holds.
    void TakeBackPictures() noexcept;

    HWND PageWindow(size_t row) const;
    size_t RowOfWindow(HWND window) const noexcept;  // NoRow for none of the rows' windows
    void SwitchPage(int32_t step);
    void ToggleTick(size_t list, int32_t entry);

    static TLayoutForm* FOpen;

    const TFormLayout FLayout;
    const TTable<THandlerRow> FHandlers;
    bool FModalDone = false;
    std::vector<HWND> FControls;                 // one per row; null for rows without a window
    std::vector<std::vector<HWND>> FRadioItems;  // one per row; a radio group's items
    std::vector<HBITMAP> FGivenPictures;         // one per row; what SetPicture gave an image
    std::vector<size_t> FPages;                  // the page control's pages, in the table's order
    HWND FPageControl = nullptr;
    RECT FPageArea{};                            // the pages' display area, in the window's client
    int32_t FDpi = ReferenceDpi;
    int32_t FLineHeight = 13;                    // one line of the window's font

    // The fonts outlive the controls that use them: the window is declared
    // last, so it is destroyed first.
    TUniqueFont FFont;
    TUniqueFont FLinkFont;
    TUniqueWindow FWindow;
};
