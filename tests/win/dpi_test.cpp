// The options window at the screen's DPI, as a DPI-aware host sees it: its
// size, every control's place, the font, the check list and the pictures
// are the 96-DPI layout scaled, and no single-line text is cut off, in
// English and in the shipped Russian and German dictionaries.
//
// The DPI is the prefix's (LogPixels), which a Wine program reads as it
// starts: tests/win/at_dpi.sh sets it and names it in BRISKLET_TEST_DPI.
// Without that variable the screen is at 96.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "options/options_layout.h"
#include "tests/options_layout_lookups.h"
#include "tests/win/test_support.h"
#include "tests/win/window_support.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

void Click(HWND button) { Ask(button, BM_CLICK); }

int32_t ExpectedDpi() {
    const char* named = std::getenv("BRISKLET_TEST_DPI");
    return named && *named ? std::atoi(named) : ReferenceDpi;
}

// The host declares itself DPI-aware, so the system does not scale the
// window for it: what the window draws is what it laid out.
int32_t ScreenDpi() {
    ::SetProcessDPIAware();
    const TWindowDC screen(nullptr);
    return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
}

RECT InParent(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(Ask(control, WM_GETFONT)); }

TEXTMETRICW Metrics(HFONT font) {
    TEXTMETRICW metrics{};
    const TWindowDC screen(nullptr);
    const HGDIOBJ old = ::SelectObject(screen.get(), font);
    ::GetTextMetricsW(screen.get(), &metrics);
    ::SelectObject(screen.get(), old);
    return metrics;
}

int TextWidth(HFONT font, const std::wstring& text) {
    SIZE size{};
    const TWindowDC screen(nullptr);
    const HGDIOBJ old = ::SelectObject(screen.get(), font);
    ::GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(screen.get(), old);
    return size.cx;
}

SIZE PictureSize(HWND image) {
    BITMAP info{};
    const auto bitmap = reinterpret_cast<HBITMAP>(Ask(image, STM_GETIMAGE, IMAGE_BITMAP));
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info)) {
        return SIZE{0, 0};
    }
    return SIZE{info.bmWidth, info.bmHeight};
}

// What a control's text must leave free of its width: the check circle of a
// radio button, the edges of a push button, the caption's inset in a frame.
int32_t Decoration(TControlKind kind, int32_t dpi) {
    switch (kind) {
    case TControlKind::RadioButton:
        return ScaleToDpi(13 + 3, dpi);
    case TControlKind::PushButton:
        return ScaleToDpi(4, dpi);
    case TControlKind::GroupBox:
    case TControlKind::RadioGroup:
        return ScaleToDpi(16, dpi);
    default:
        return 0;
    }
}

// Every departure of the open window from the layout scaled to `dpi`, one
// line each; empty when it is right.
std::vector<std::string> LayoutFaults(HWND form, int32_t dpi) {
    std::vector<std::string> faults;
    const auto fault = [&](const std::u16string_view name, const std::string& what) {
        faults.push_back(Utf8(std::wstring(name.begin(), name.end())) + ": " + what);
    };
    const auto within = [](long got, int32_t want, int32_t slack) { return std::abs(got - want) <= slack; };

    RECT client{};
    ::GetClientRect(form, &client);
    if (!within(client.right, ScaleToDpi(OptionsClientWidth, dpi), 2) ||
        !within(client.bottom, ScaleToDpi(OptionsClientHeight, dpi), 2)) {
        fault(u"window", "client " + std::to_string(client.right) + " x " + std::to_string(client.bottom));
    }

    const HFONT font = FontOf(Control(form, u"btnOk"));
    const TEXTMETRICW metrics = Metrics(font);
    const int32_t characterHeight = metrics.tmHeight - metrics.tmInternalLeading;
    // At 96 DPI the face has the raster face's 11-pixel characters; at any
    // other DPI that height grows as everything else does, to within half a
    // pixel of the exact scaled height.
    if (std::abs(int64_t{characterHeight} * ReferenceDpi - int64_t{OptionsRasterFontHeight} * dpi) >
        ReferenceDpi / 2) {
        fault(u"font", "character height " + std::to_string(characterHeight));
    }

    for (size_t row = 0; row < OptionsLayoutCount; ++row) {
        const TLayoutRow& layout = OptionsLayout[row];
        const HWND control = Control(form, layout.Name);
        if (layout.Kind == TControlKind::TabSheet || layout.Kind == TControlKind::ImageList ||
            layout.Kind == TControlKind::PictureHolder) {
            continue;
        }
        if (!control) {
            fault(layout.Name, "missing");
            continue;
        }
        const TLayoutRect want = ScaleToDpi(PagePosition(row), dpi);
        const RECT got = InParent(control);
        const bool sizedByText = layout.Has(lfAutoSize) && layout.Kind != TControlKind::Image;
        RECT parent{};
        ::GetClientRect(::GetParent(control), &parent);
        const int32_t wantWidth = layout.Has(lfFullWidth) ? parent.right : want.Width;
        const bool sizeRight =
            within(got.right - got.left, wantWidth, 2) && within(got.bottom - got.top, want.Height, 2);
        if (!within(got.left, want.Left, 2) || !within(got.top, want.Top, 2) || (!sizedByText && !sizeRight)) {
            fault(layout.Name, "at " + std::to_string(got.left) + "," + std::to_string(got.top) + " " +
                                   std::to_string(got.right - got.left) + " x " + std::to_string(got.bottom - got.top));
        }

        // Single-line texts fit their controls, in the control's own font.
        const bool singleLine = !layout.Has(lfWordWrap) &&
                                (layout.Kind == TControlKind::Label || layout.Kind == TControlKind::StaticText ||
                                 layout.Kind == TControlKind::PushButton || layout.Kind == TControlKind::RadioButton ||
                                 layout.Kind == TControlKind::GroupBox || layout.Kind == TControlKind::RadioGroup);
        std::vector<HWND> texts;
        if (singleLine) {
            texts.push_back(control);
        }
        if (layout.Kind == TControlKind::RadioGroup) {
            for (size_t item = 0; HWND button = ControlById(form, RadioItemId(row, item)); ++item) {
                texts.push_back(button);
            }
        }
        for (const HWND shown : texts) {
            const std::wstring text = Text(shown);
            RECT box{};
            ::GetClientRect(shown, &box);
            const TControlKind kind = shown == control ? layout.Kind : TControlKind::RadioButton;
            const HFONT own = FontOf(shown);
            const int width = TextWidth(own, text);
            if (width > box.right - Decoration(kind, dpi) || Metrics(own).tmHeight > box.bottom) {
                fault(layout.Name, "\"" + Utf8(text) + "\" is " + std::to_string(width) + " wide, " +
                                       std::to_string(Metrics(own).tmHeight) + " high in " +
                                       std::to_string(box.right) + " x " + std::to_string(box.bottom));
            }
        }
    }

    // The check list: rows and columns scaled, the layout's six columns.
    const HWND list = Control(form, u"clbStatuses");
    const auto itemHeight = static_cast<int32_t>(Ask(list, LB_GETITEMHEIGHT));
    if (itemHeight != ScaleToDpi(22, dpi)) {
        fault(u"clbStatuses", "rows " + std::to_string(itemHeight) + " high");
    }
    RECT first{};
    Ask(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    if (!within(first.right - first.left, ScaleToDpi((371 - 4) / 6, dpi), 2)) {
        fault(u"clbStatuses", "columns " + std::to_string(first.right - first.left) + " wide");
    }

    // The pictures come at the size they show, not stretched by the control.
    const SIZE logo = PictureSize(Control(form, u"Image2"));
    if (!within(logo.cx, ScaleToDpi(181, dpi), 1) || !within(logo.cy, ScaleToDpi(92, dpi), 1)) {
        fault(u"Image2", "logo " + std::to_string(logo.cx) + " x " + std::to_string(logo.cy));
    }
    const SIZE wiz = PictureSize(Control(form, u"WIZ"));
    if (!within(wiz.cx, ScaleToDpi(241, dpi), 1) || !within(wiz.cy, ScaleToDpi(135, dpi), 1)) {
        fault(u"WIZ", "picture " + std::to_string(wiz.cx) + " x " + std::to_string(wiz.cy));
    }
    return faults;
}

// The drawn part of status picture 1 (a filled face) in its entry, as the
// screen shows it now: its width and height.
SIZE DrawnPictureNow(HWND list) {
    RECT entry{};
    Ask(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&entry));
    const TWindowDC dc(list);
    const COLORREF background = ::GetSysColor(COLOR_WINDOW);
    LONG left = entry.right, right = -1, top = entry.bottom, bottom = -1;
    // Right of the check box's part of the entry.
    const LONG start = entry.left + ScaleToDpi(15 + 1, ExpectedDpi());
    for (LONG y = entry.top; y < entry.bottom; ++y) {
        for (LONG x = start; x < entry.right; ++x) {
            if (::GetPixel(dc.get(), x, y) != background) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    return right < left ? SIZE{0, 0} : SIZE{right - left + 1, bottom - top + 1};
}

// The same once the window's thread has painted the entry again: the same
// size read twice in a row. The limit only guards against a hang.
SIZE DrawnStatusPicture(HWND form) {
    const HWND list = Control(form, u"clbStatuses");
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SIZE last{-1, -1};
    const ULONGLONG end = ::GetTickCount64() + 30000;
    for (;;) {
        const SIZE now = DrawnPictureNow(list);
        if ((now.cx > 0 && now.cx == last.cx && now.cy == last.cy) || ::GetTickCount64() > end) {
            return now;
        }
        last = now;
        ::Sleep(20);
    }
}

void ExpectRightInLanguage(const std::wstring& language) {
    const int32_t dpi = ExpectedDpi();
    ASSERT_EQ(ScreenDpi(), dpi) << "the prefix's LogPixels did not reach the screen";
    TOptionsHost p(L"opt-dpi-" + language);
    p.Store(120, 2, 2, L";;;;1;;");
    if (!language.empty()) {
        const std::wstring languages = p.Folder.Path() + L"Languages";
        ::CreateDirectoryW(languages.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"Languages\\" + language + L".ini").c_str(),
                                (languages + L"\\" + language + L".ini").c_str(), FALSE))
            << "the shipped dictionaries are copied next to win_tests.exe";
    }
    ASSERT_TRUE(p.Start());
    if (!language.empty()) {
        p.Loader.SendLanguage(language);
    }
    std::vector<std::string> faults;
    std::wstring save;
    SIZE drawn{};
    ASSERT_TRUE(p.Show([&](HWND form) {
        if (language.empty()) {
            // The figures, for people: what the window measures here.
            RECT client{}, ok = InParent(Control(form, u"btnOk")), list = InParent(Control(form, u"clbStatuses"));
            ::GetClientRect(form, &client);
            const TEXTMETRICW font = Metrics(FontOf(Control(form, u"btnOk")));
            std::printf("at %d DPI: client %ld x %ld; btnOk %ld,%ld %ld x %ld; clbStatuses %ld,%ld %ld x %ld; "
                        "character height %ld; rows %d\n",
                        dpi, client.right, client.bottom, ok.left, ok.top, ok.right - ok.left, ok.bottom - ok.top,
                        list.left, list.top, list.right - list.left, list.bottom - list.top,
                        font.tmHeight - font.tmInternalLeading,
                        static_cast<int>(Ask(Control(form, u"clbStatuses"), LB_GETITEMHEIGHT)));
        }
        faults = LayoutFaults(form, dpi);
        save = Text(Control(form, u"btnOk"));
        drawn = DrawnStatusPicture(form);
        Click(Control(form, u"btnCancel"));
    }));
    EXPECT_EQ(faults, std::vector<std::string>()) << "at " << dpi << " DPI";
    if (language == L"German") {
        EXPECT_EQ(save, L"Speichern") << "the dictionary is in force";
    }
    // A 16-pixel face, drawn at the size the entry asks for.
    EXPECT_NEAR(drawn.cx, ScaleToDpi(16, dpi), 2);
    EXPECT_NEAR(drawn.cy, ScaleToDpi(16, dpi), 2);
}

TEST(OptionsDpi, EnglishIsTheLayoutScaled) { ExpectRightInLanguage(L""); }
TEST(OptionsDpi, RussianIsTheLayoutScaled) { ExpectRightInLanguage(L"Russian"); }
TEST(OptionsDpi, GermanIsTheLayoutScaled) { ExpectRightInLanguage(L"German"); }

// Moved to a monitor with another DPI, the window lays itself out again
// there, in the rectangle the system suggests; and back again, exactly as
// it was.
TEST(OptionsDpi, DpiChangedLaysTheWindowOutAgain) {
    const int32_t dpi = ExpectedDpi();
    ASSERT_EQ(ScreenDpi(), dpi);
    const int32_t other = dpi == 144 ? 192 : 144;
    TOptionsHost p(L"opt-dpi-moved");
    p.Store(120, 0, 1, L"");
    ASSERT_TRUE(p.Start());
    std::vector<std::string> there, back, broken;
    std::vector<RECT> before, after;
    RECT suggested{};
    RECT placed{};
    const auto rects = [](HWND form) {
        std::vector<RECT> all;
        for (const HWND child : ChildWindows(form)) {
            all.push_back(InParent(child));
        }
        return all;
    };
    const auto moveTo = [](HWND form, int32_t newDpi, RECT* to) {
        RECT window{};
        ::GetWindowRect(form, &window);
        RECT frame{0, 0, ScaleToDpi(OptionsClientWidth, newDpi), ScaleToDpi(OptionsClientHeight, newDpi)};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_EXSTYLE)));
        // Somewhere else than where it was: the window goes where it is told.
        *to = RECT{window.left + 10, window.top + 5, window.left + 10 + frame.right - frame.left,
                   window.top + 5 + frame.bottom - frame.top};
        Ask(form, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(to));
    };
    ASSERT_TRUE(p.Show([&](HWND form) {
        before = rects(form);
        moveTo(form, other, &suggested);
        ::GetWindowRect(form, &placed);
        there = LayoutFaults(form, other);
        // A broken message changes nothing and harms nothing.
        Ask(form, WM_DPICHANGED, 0, 0);
        broken = LayoutFaults(form, other);
        RECT home{};
        moveTo(form, dpi, &home);
        back = LayoutFaults(form, dpi);
        after = rects(form);
        Click(Control(form, u"btnCancel"));
    }));
    EXPECT_EQ(there, std::vector<std::string>()) << "at " << other << " DPI";
    EXPECT_EQ(placed.left, suggested.left);
    EXPECT_EQ(placed.top, suggested.top);
    EXPECT_EQ(placed.right, suggested.right);
    EXPECT_EQ(placed.bottom, suggested.bottom);
    EXPECT_EQ(broken, std::vector<std::string>());
    EXPECT_EQ(back, std::vector<std::string>()) << "back at " << dpi << " DPI";
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_TRUE(::EqualRect(&before[i], &after[i])) << "child " << i << " moved for good";
    }
}

}  // namespace
