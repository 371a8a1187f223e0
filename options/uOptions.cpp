#include "options/uOptions.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/message_window.h"
#include "base/wide.h"
#include "core/version.h"
#include "lang/LanguageSupport.h"
#include "options/options_logic.h"
#include "options/packed_picture.h"
#include "options/res/picture_ids.h"
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

HBITMAP LoadPicture(int id, UINT flags) {
    return static_cast<HBITMAP>(::LoadImageW(ThisModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags));
}

// The status pictures drawn for larger screens, by size.
struct TStatusStrip {
    int32_t Size;
    int Id;
};
constexpr TStatusStrip StatusStrips[] = {
    {20, IDR_STATUS_ICONS_20}, {24, IDR_STATUS_ICONS_24}, {32, IDR_STATUS_ICONS_32}};
constexpr int32_t StatusStripSizes[] = {StatusStrips[0].Size, StatusStrips[1].Size, StatusStrips[2].Size};
static_assert(std::size(StatusStripSizes) == std::size(StatusStrips));

TPixels LoadPacked(int id) {
    const HRSRC found = ::FindResourceW(ThisModule(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    const HGLOBAL loaded = found ? ::LoadResource(ThisModule(), found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    return data ? UnpackPicture(static_cast<const uint8_t*>(data), ::SizeofResource(ThisModule(), found)) : TPixels{};
}

// Part `part` of `parts` of a picture cut into bands one above the other.
TPixels Band(const TPixels& whole, int32_t part, int32_t parts) {
    if (whole.Empty() || whole.Height % parts != 0) {
        return {};
    }
    const int32_t height = whole.Height / parts;
    const auto size = static_cast<std::ptrdiff_t>(height) * whole.Width;
    const auto begin = whole.Bgra.begin() + part * size;
    return TPixels{whole.Width, height, std::vector<uint32_t>(begin, begin + size)};
}

// A picture at the size the window shows, as a 32-bit bitmap; null when the
// picture is missing or broken.
HBITMAP ScaledPicture(const TPixels& source, int32_t width, int32_t height, TPixels* pixels = nullptr) {
    const TPixels picture = ResizePicture(source, width, height);
    if (picture.Empty()) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.Width;
    info.bmiHeader.biHeight = -picture.Height;  // top down, as the pixels run
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        std::copy(picture.Bgra.begin(), picture.Bgra.end(), static_cast<uint32_t*>(bits));
    }
    if (pixels) {
        *pixels = picture;
    }
    return bitmap;
}

// 1 where a picture is transparent, as ImageList_Add expects of a mask.
HBITMAP MaskOf(const TPixels& picture) {
    const size_t stride = (static_cast<size_t>(picture.Width) + 15) / 16 * 2;  // rows end on a word
    std::vector<uint8_t> bits(stride * static_cast<size_t>(picture.Height), 0);
    for (int32_t y = 0; y < picture.Height; ++y) {
        for (int32_t x = 0; x < picture.Width; ++x) {
            if ((picture.Bgra[static_cast<size_t>(y * picture.Width + x)] >> 24) == 0) {
                bits[static_cast<size_t>(y) * stride + static_cast<size_t>(x / 8)] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return ::CreateBitmap(picture.Width, picture.Height, 1, 1, bits.data());
}

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
    // At 96 DPI the pictures as drawn; above, the larger drawings reduced to
    // the window's sizes. A missing one falls back to the 96-DPI picture, so
    // the window always shows something.
    const bool reference = Dpi() == ReferenceDpi;
    FStatusPictureSize = Scale(StatusPictureSize);
    const int32_t source = SourceSize(StatusStripSizes, std::size(StatusStripSizes), FStatusPictureSize);
    int stripId = 0;
    for (const TStatusStrip& candidate : StatusStrips) {
        stripId = candidate.Size == source ? candidate.Id : stripId;
    }
    TPixels strip;
    const TUniqueBitmap icons(reference ? nullptr
                                        : ScaledPicture(LoadPacked(stripId), FStatusPictureSize * StatusPictureCount,
                                                        FStatusPictureSize, &strip));
    if (icons) {
        const TUniqueBitmap mask(MaskOf(strip));
        ImageList1.reset(::ImageList_Create(FStatusPictureSize, FStatusPictureSize, ILC_COLOR32 | ILC_MASK,
                                            StatusPictureCount, 0));
        if (ImageList1) {
            ::ImageList_Add(ImageList1.get(), icons.get(), mask.get());
        }
    } else {
        FStatusPictureSize = StatusPictureSize;
        ImageList1.reset(::ImageList_Create(StatusPictureSize, StatusPictureSize, ILC_COLOR32 | ILC_MASK,
                                            StatusPictureCount, 0));
        const TUniqueBitmap reference16(LoadPicture(IDB_STATUS_ICONS, LR_CREATEDIBSECTION));
        const TUniqueBitmap mask(LoadPicture(IDB_STATUS_MASK, LR_MONOCHROME));
        if (ImageList1 && reference16) {
            ::ImageList_Add(ImageList1.get(), reference16.get(), mask.get());
        }
    }
    const auto picture = [&](int id, const TPixels& large, size_t row) {
        HBITMAP scaled = reference ? nullptr
                                   : ScaledPicture(large, Scale(OptionsLayout[row].Width),
                                                   Scale(OptionsLayout[row].Height));
        return scaled ? scaled : LoadPicture(id, LR_CREATEDIBSECTION);
    };
    // wiz_01, wiz_02 and wiz_03, one above the other.
    const TPixels modes = reference ? TPixels{} : LoadPacked(IDR_WIZ_2X);
    wiz_01.reset(picture(IDB_WIZ_01, Band(modes, 0, 3), WIZRow));
    wiz_02.reset(picture(IDB_WIZ_02, Band(modes, 1, 3), WIZRow));
    wiz_03.reset(picture(IDB_WIZ_03, Band(modes, 2, 3), WIZRow));
    // The logo is kept packed at both sizes; the larger one where it is there.
    TPixels logo = reference ? TPixels{} : LoadPacked(IDR_LOGO_2X);
    FLogo.reset(ScaledPicture(logo.Empty() ? LoadPacked(IDR_LOGO) : logo, Scale(OptionsLayout[Image2Row].Width),
                              Scale(OptionsLayout[Image2Row].Height)));
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
