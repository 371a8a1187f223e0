#include "options/uOptions.h"

#include <shellapi.h>

#include <array>
#include <iterator>
#include <utility>

#include "base/message_window.h"
#include "base/wide.h"
#include "core/version.h"
#include "lang/LanguageSupport.h"
#include "options/options_logic.h"
#include "options/pictures.h"
#include "update/update.h"

namespace {

// The window as laid out, with what its radio group, track bar and check
// list need beyond their rows.
constexpr TRadioGroupItems RadioGroups[] = {{RadioGroup1Row, RadioGroup1Items, 1}};
constexpr TTrackBarRange TrackBars[] = {{tbFreqRow, FreqMin, FreqMax, 2, LaidOutFreq}};
constexpr TCheckListEntries CheckLists[] = {
    {clbStatusesRow, StatusEntryCount, StatusColumns, StatusEntryHeight, StatusCheckWidth, StatusCheckSize}};
constexpr TFormLayout OptionsForm{OptionsFormCaption,
                                  OptionsClientWidth,
                                  OptionsClientHeight,
                                  OptionsFontName,
                                  OptionsFontHeight,
                                  OptionsRasterFontHeight,
                                  OptionsLayout,
                                  LaidOutPage,
                                  RadioGroups,
                                  TrackBars,
                                  CheckLists};

}  // namespace

const TLayoutForm::THandlerRow TfrmOptions::Handlers[] = {
    On(FormRow, TFormEvent::Show, &TfrmOptions::FormShow),
    On(FormRow, TFormEvent::DpiChange, &TfrmOptions::FormDpiChange),
    On(btnOkRow, TFormEvent::Click, &TfrmOptions::btnOkClick),
    On(btnCancelRow, TFormEvent::Click, &TfrmOptions::btnCancelClick),
    On(RadioButton3Row, TFormEvent::Click, &TfrmOptions::RadioButton3Click),
    On(RadioButton4Row, TFormEvent::Click, &TfrmOptions::RadioButton4Click),
    On(RadioButton5Row, TFormEvent::Click, &TfrmOptions::RadioButton5Click),
    On(clbStatusesRow, TFormEvent::DrawItem, &TfrmOptions::clbStatusesDrawItem),
    On(Button2Row, TFormEvent::Click, &TfrmOptions::Button2Click),
    On(Button1Row, TFormEvent::Click, &TfrmOptions::Button1Click),
    On(tbFreqRow, TFormEvent::Change, &TfrmOptions::tbFreqChange),
    On(RadioGroup1Row, TFormEvent::Click, &TfrmOptions::RadioGroup1Click),
    On(Label1Row, TFormEvent::Click, &TfrmOptions::Label1Click),
    On(Button3Row, TFormEvent::Click, &TfrmOptions::Button3Click),
};

TfrmOptions::TfrmOptions() : TLayoutForm(OptionsForm, Handlers) {
    Create();
    if (Created()) {
        // At the window's DPI, which it knows once it exists.
        LoadPictures();
        SetPicture(Image2Row, FLogo.get());
    }
}

TfrmOptions::~TfrmOptions() {
    // The update check may still report; it must find no label to write to.
    SetUpdateLabel(nullptr);
    Destroy();
}

void TfrmOptions::LoadPictures() {
    ImageList1 = LoadStatusPictures(Dpi(), FStatusPictureSize);
    std::array<TUniqueBitmap, 3> modes =
        LoadModePictures(Dpi(), OptionsLayout[WIZRow].Width, OptionsLayout[WIZRow].Height);
    wiz_01 = std::move(modes[0]);
    wiz_02 = std::move(modes[1]);
    wiz_03 = std::move(modes[2]);
    FLogo = LoadLogo(Dpi(), OptionsLayout[Image2Row].Width, OptionsLayout[Image2Row].Height);
}

void TfrmOptions::FormDpiChange() {
    // The controls show the old pictures until they have the new ones.
    const TUniqueImageList oldList(std::move(ImageList1));
    const TUniqueBitmap old01(std::move(wiz_01)), old02(std::move(wiz_02)), old03(std::move(wiz_03));
    const TUniqueBitmap oldLogo(std::move(FLogo));
    LoadPictures();
    SetPicture(Image2Row, FLogo.get());
    SetWizPicture(FWizShown);
}

void TfrmOptions::SetFreqPosition(int32_t value) { SetPosition(tbFreqRow, ClampFreqValue(value)); }

int32_t TfrmOptions::FreqPosition() const { return Position(tbFreqRow); }

void TfrmOptions::SetFreqUnitIndex(int32_t unit) { SetItemIndex(RadioGroup1Row, ClampFreqUnit(unit)); }

int32_t TfrmOptions::FreqUnitIndex() const { return ItemIndex(RadioGroup1Row); }

void TfrmOptions::SetWizPicture(int32_t picture) {
    const HBITMAP source = picture == 1 ? wiz_01.get() : picture == 2 ? wiz_02.get() : picture == 3 ? wiz_03.get()
                                                                                                    : nullptr;
    TUniqueBitmap copy(source ? static_cast<HBITMAP>(::CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
                              : nullptr);
    SetPicture(WIZRow, copy.get());
    // The old copy goes only once WIZ no longer shows it.
    FWizPicture = std::move(copy);
    FWizShown = picture;
}

void TfrmOptions::OpenPage(const std::u16string& url) {
    // A failed open is not reported.
    ::ShellExecuteW(nullptr, L"open", W(url), L"", nullptr, SW_SHOW);
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
            SetChecked(ModeRadioRows[i], static_cast<int32_t>(i) == radio);
        }
    }
    SetCurrentPage(FirstPage);

    Translate();
    ::SetWindowTextW(Handle(), W(u"Brisklet : " + TranslateWide(u"Options")));
    SetControlText(StaticText2Row, CopyrightLine(TranslateWide(u"Copyright (c)")));
    SetControlText(lVersionRow, VersionLine(TranslateWide(u"Version")));
    // Composed on showing too, so the label never shows the layout's bare "0".
    tbFreqChange();

    const TTicks ticks = TicksFromSelection(StatusSelection);
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        SetTicked(clbStatusesRow, entry, ticks[static_cast<size_t>(entry)]);
    }

    SetUpdateLabel(Control(lUpdateRow));
    StartUpdateCheck(u"brisklet.ini", VersionMajor, VersionMinor, VersionRelease);
}

void TfrmOptions::tbFreqChange() {
    SetControlText(Label3Row, IntervalText(FreqPosition(), FreqUnitIndex(),
                                           [](std::u16string_view key) { return TranslateWide(key); }));
}

void TfrmOptions::RadioGroup1Click() { tbFreqChange(); }

void TfrmOptions::RadioButton3Click() { SetWizPicture(ModePicture(0)); }
void TfrmOptions::RadioButton4Click() { SetWizPicture(ModePicture(1)); }
void TfrmOptions::RadioButton5Click() { SetWizPicture(ModePicture(2)); }

void TfrmOptions::clbStatusesDrawItem(int32_t index, const RECT& rect, bool selected, HDC dc) {
    ::FillRect(dc, &rect, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::ImageList_Draw(ImageList1.get(), index, dc, rect.left + Scale(2), rect.top + Scale(2), ILD_NORMAL);
    const std::u16string text = EntryText(clbStatusesRow, index);
    if (!text.empty()) {
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::TextOutW(dc, rect.left + Scale(2) + FStatusPictureSize, rect.top, W(text), static_cast<int>(text.size()));
    }
}

void TfrmOptions::Button1Click() {
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        SetTicked(clbStatusesRow, entry, true);
    }
}

void TfrmOptions::Button2Click() {
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        SetTicked(clbStatusesRow, entry, false);
    }
}

void TfrmOptions::Button3Click() { OpenPage(UpdatePageURL()); }

void TfrmOptions::Label1Click() { OpenPage(std::u16string(Label1URL)); }

void TfrmOptions::btnOkClick() {
    for (size_t i = 0; i < std::size(ModeRadioRows); ++i) {
        if (Checked(ModeRadioRows[i])) {
            WorkMode = WorkModeOfRadio(static_cast<int32_t>(i));
            break;
        }
    }
    TTicks ticks{};
    for (int32_t entry = 0; entry < StatusEntryCount; ++entry) {
        ticks[static_cast<size_t>(entry)] = Ticked(clbStatusesRow, entry);
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
    if (TLayoutForm* open = TLayoutForm::Open()) {
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
