// The options window: built from the layout table, one window per showing,
// shown modally for a settings value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "core/settings.h"
#include "options/options_logic.h"

enum class TOptionsResult {
    Saved,       // the user saved: the settings hold the edited values
    Cancelled,   // Cancel, Escape, the close box: the settings are as they were
    AlreadyOpen  // a window was open already and is brought to the front instead
};

// Shows the options window for these settings, modally on this thread, and
// puts the edited values into them when the user saves.
TOptionsResult ShowOptionsWindow(TSettings& settings);

class TfrmOptions final {
public:
    // Creates the window hidden, with every control as laid out.
    TfrmOptions();
    // Clears the update check's label, then destroys the window.
    ~TfrmOptions();
    TfrmOptions(const TfrmOptions&) = delete;
    TfrmOptions& operator=(const TfrmOptions&) = delete;

    bool Created() const noexcept { return static_cast<bool>(FWindow); }
    HWND Handle() const noexcept { return FWindow.get(); }

    // The interval lives in the controls: tbFreq's position and the index of
    // RadioGroup1's chosen item. Both keep their values in range.
    void SetFreqPosition(int32_t value);
    int32_t FreqPosition() const;
    void SetFreqUnitIndex(int32_t unit);
    int32_t FreqUnitIndex() const;

    // Runs FormShow, shows the window and runs its message loop until it is
    // closed. The thread's other top-level windows take no input meanwhile,
    // but every window of the thread, the plug-in's timer among them, keeps
    // getting its messages.
    void ShowModal();

    // The window of the showing in progress, if any: one at a time.
    static TfrmOptions* Open() noexcept { return FOpen; }
    // Brings the window to the front, as the messenger would expect when
    // asked for it again.
    void BringToFront() const noexcept;

    bool Saved = false;
    int32_t WorkMode = 0;
    std::u16string StatusSelection;

private:
    friend class TFormTexts;

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StatusListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self);

    // Messages of the window and, forwarded, of its pages: the pages hold
    // the controls but the form handles them. True when handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool HandleCommand(int32_t id, UINT code);
    bool HandleDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT StatusListMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void LoadPictures();
    void CreateControls();
    void CreateControl(size_t index);
    void CreateRadioItems(size_t index, HWND parent, const TLayoutRect& at);
    HWND PageWindow(size_t index) const;
    HWND Control(size_t index) const;
    size_t RowOfWindow(HWND window) const;  // NoRow for none of the rows' windows
    void SetControlText(size_t index, const std::u16string& text);
    std::u16string ControlText(size_t index) const;
    void FitToText(size_t index);
    void SetCurrentPage(int32_t page);
    void SwitchPage(int32_t step);
    void Close();

    bool Ticked(int32_t entry) const;
    void SetTicked(int32_t entry, bool ticked);
    void ToggleTick(int32_t entry);
    void SetWizPicture(int32_t picture);
    void SetRadioChecked(size_t row, bool checked);
    bool RadioChecked(size_t row) const;
    void OpenPage(const std::u16string& url);

    // Event handlers, named after the control and the event.
    void FormShow();
    void tbFreqChange();
    void RadioGroup1Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void RadioButton5Click();
    void clbStatusesDrawItem(int32_t index, const RECT& rect, bool selected, HDC dc);
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Label1Click();
    void btnOkClick();
    void btnCancelClick();

    static TfrmOptions* FOpen;

    bool FModalDone = false;
    std::vector<HWND> FControls;              // one per layout row; null for rows without a window
    std::vector<size_t> FPages;               // the page control's pages, in the table's order
    std::array<HWND, 3> FRadioGroup1Items{};  // RadioGroup1's items
    HWND FPageControl = nullptr;
    RECT FPageArea{};                         // the pages' display area, in the window's client
    int32_t FLineHeight = 13;                 // one line of the window's font

    // Owned resources outlive the controls that show them: the window is
    // declared last, so it is destroyed first.
    TUniqueFont FFont;
    TUniqueFont FLinkFont;
    TUniqueImageList ImageList1;
    TUniqueBitmap wiz_01;
    TUniqueBitmap wiz_02;
    TUniqueBitmap wiz_03;
    TUniqueBitmap FLogo;
    TUniqueBitmap FWizPicture;  // WIZ's copy of the mode picture
    TUniqueWindow FWindow;
};
