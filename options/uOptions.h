// The options window: built from the layout table, one window per showing,
// shown modally for a settings value.
#pragma once

#include <cstdint>
#include <string>

#include "base/win_handles.h"
#include "core/settings.h"
#include "options/layout_form.h"
#include "options/options_logic.h"

enum class TOptionsResult {
    Saved,       // the user saved: the settings hold the edited values
    Cancelled,   // Cancel, Escape, the close box: the settings are as they were
    AlreadyOpen  // a window was open already and is brought to the front instead
};

// Shows the options window for these settings, modally on this thread, and
// puts the edited values into them when the user saves.
TOptionsResult ShowOptionsWindow(TSettings& settings);

// The window's handlers; TLayoutForm does the rest.
class TfrmOptions final : public TLayoutForm {
public:
    // Creates the window hidden, with every control as laid out.
    TfrmOptions();
    // Clears the update check's label, then destroys the window.
    ~TfrmOptions();

    // The interval lives in the controls: tbFreq's position and the index of
    // RadioGroup1's chosen item. Both keep their values in range.
    void SetFreqPosition(int32_t value);
    int32_t FreqPosition() const;
    void SetFreqUnitIndex(int32_t unit);
    int32_t FreqUnitIndex() const;

    bool Saved = false;
    int32_t WorkMode = 0;
    std::u16string StatusSelection;

private:
    // Which handler runs for which control and event (uOptions.cpp).
    static const THandlerRow Handlers[];

    void LoadPictures();
    void SetWizPicture(int32_t picture);
    void OpenPage(const std::u16string& url);

    // Event handlers, named after the control and the event.
    void FormShow();
    void FormDpiChange();
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

    // The pictures outlive the controls that show them: the destructor
    // destroys the window first.
    TUniqueImageList ImageList1;
    TUniqueBitmap wiz_01;
    TUniqueBitmap wiz_02;
    TUniqueBitmap wiz_03;
    TUniqueBitmap FLogo;
    TUniqueBitmap FWizPicture;  // WIZ's copy of the mode picture
    int32_t FWizShown = 0;      // which mode picture WIZ shows: 0 none, 1 to 3
    int32_t FStatusPictureSize = StatusPictureSize;
};
