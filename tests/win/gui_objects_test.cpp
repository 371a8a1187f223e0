// GDI and USER objects: the counters of tests/win/hostile_support.h see what
// a test plants, and the options window leaves none of its objects behind,
// whatever the user clicks, wherever the window moves and however often it
// shows. The same tests run in a host with visual styles (win_tests_themed),
// where a static control keeps copies of 32-bit pictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "options/options_layout.h"
#include "tests/win/hostile_support.h"
#include "tests/win/window_support.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

TEST(GuiObjectCount, SeesPlantedBitmapsComeAndGo) {
    const std::vector<HGDIOBJ> before = GdiObjects();
    ASSERT_GT(before.size(), 0u) << "no GDI handle table found";
    std::vector<HBITMAP> planted;
    for (int i = 0; i < 50; ++i) {
        planted.push_back(::CreateBitmap(8, 8, 1, 32, nullptr));
        ASSERT_TRUE(planted.back());
    }
    const std::vector<HGDIOBJ> during = GdiObjects();
    size_t found = 0;
    for (const HBITMAP bitmap : planted) {
        found += std::count(during.begin(), during.end(), static_cast<HGDIOBJ>(bitmap)) == 1 ? 1 : 0;
    }
    const std::string described = DescribeNewGdiObjects(before, during);
    for (const HBITMAP bitmap : planted) {
        ::DeleteObject(bitmap);
    }
    const std::vector<HGDIOBJ> after = GdiObjects();
    std::printf("GDI objects: %zu, %zu with 50 bitmaps, %zu once they are deleted\n", before.size(), during.size(),
                after.size());
    EXPECT_EQ(during.size(), before.size() + 50);
    EXPECT_EQ(found, 50u) << "the table's handles are not the bitmaps' handles";
    EXPECT_EQ(described, "50 bitmap (8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, "
                         "8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, "
                         "8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, "
                         "8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, "
                         "8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32, 8x8x32)");
    EXPECT_EQ(after.size(), before.size());
}

struct TPlantedUserObjects {
    TUserObjects Before, During, After;
};

// Three windows (top-level, child, message-only), three menus and two icons,
// counted while they live and once they are gone.
TPlantedUserObjects PlantUserObjects() {
    TPlantedUserObjects counts;
    counts.Before = CountUserObjects();
    const HWND top = ::CreateWindowExW(0, L"STATIC", L"planted", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                       nullptr, nullptr);
    const HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
    const HWND messageOnly =
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const HMENU menus[] = {::CreateMenu(), ::CreatePopupMenu(), ::CreatePopupMenu()};
    const BYTE andBits[32 * 4] = {}, xorBits[32 * 4] = {};
    const HICON icons[] = {::CreateIcon(nullptr, 32, 32, 1, 1, andBits, xorBits),
                           ::CreateIcon(nullptr, 32, 32, 1, 1, andBits, xorBits)};
    EXPECT_TRUE(top && child && messageOnly && menus[0] && menus[1] && menus[2] && icons[0] && icons[1]);
    counts.During = CountUserObjects();
    for (const HICON icon : icons) {
        ::DestroyIcon(icon);
    }
    for (const HMENU menu : menus) {
        ::DestroyMenu(menu);
    }
    ::DestroyWindow(messageOnly);
    ::DestroyWindow(top);
    counts.After = CountUserObjects();
    return counts;
}

TEST(GuiObjectCount, SeesPlantedWindowsMenusAndIconsComeAndGo) {
    PlantUserObjects();  // the first windows load the system's shared cursors
    const TPlantedUserObjects counts = PlantUserObjects();
    std::printf("USER objects: %s; with 3 windows, 3 menus and 2 icons planted %s; afterwards %s\n",
                Describe(counts.Before).c_str(), Describe(counts.During).c_str(), Describe(counts.After).c_str());
    EXPECT_EQ(counts.During.Windows, counts.Before.Windows + 3);
    EXPECT_EQ(counts.During.Menus, counts.Before.Menus + 3);
    EXPECT_EQ(counts.During.Icons, counts.Before.Icons + 2);
    EXPECT_EQ(counts.After.Windows, counts.Before.Windows);
    EXPECT_EQ(counts.After.Menus, counts.Before.Menus);
    EXPECT_EQ(counts.After.Icons, counts.Before.Icons);
}

int32_t ScreenDpi() {
    const TWindowDC screen(nullptr);
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : ReferenceDpi;
}

// As the system tells a window moved to a monitor of another DPI.
void MoveToDpi(HWND form, int32_t dpi) {
    RECT window{};
    ::GetWindowRect(form, &window);
    RECT frame{0, 0, ScaleToDpi(OptionsClientWidth, dpi), ScaleToDpi(OptionsClientHeight, dpi)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_EXSTYLE)));
    RECT to{window.left, window.top, window.left + frame.right - frame.left, window.top + frame.bottom - frame.top};
    Ask(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&to));
}

LONG PictureWidth(HWND image) {
    BITMAP bitmap{};
    const auto picture = reinterpret_cast<HGDIOBJ>(Ask(image, STM_GETIMAGE, IMAGE_BITMAP));
    return picture && ::GetObjectW(picture, sizeof bitmap, &bitmap) ? bitmap.bmWidth : 0;
}

struct TShowing {
    int ModeClicks = 0;
    LONG WizWidthThere = 0;  // the mode picture's width at the other DPI
};

// The user clicks the three modes round 50 times here and 50 times at
// another DPI, comes back and cancels.
TShowing PlayModesAndDpis(HWND form) {
    TShowing showing;
    const int32_t home = ScreenDpi();
    const int32_t other = home == 144 ? 192 : 144;
    const char16_t* const modes[] = {u"RadioButton3", u"RadioButton4", u"RadioButton5"};
    const auto clickModes = [&] {
        for (int i = 0; i < 50; ++i) {
            Ask(Control(form, modes[i % 3]), BM_CLICK);
            showing.ModeClicks += Ask(Control(form, modes[i % 3]), BM_GETCHECK) == BST_CHECKED ? 1 : 0;
        }
    };
    clickModes();
    MoveToDpi(form, other);
    clickModes();
    showing.WizWidthThere = PictureWidth(Control(form, u"WIZ"));
    MoveToDpi(form, home);
    Ask(Control(form, u"btnCancel"), BM_CLICK);
    return showing;
}

// One life of the plug-in with two showings; the GDI objects and USER
// objects after each showing and after the unload.
struct TLife {
    std::vector<HGDIOBJ> Loaded, Unloaded;
    TUserObjects UserLoaded, UserUnloaded;
    std::vector<std::vector<HGDIOBJ>> AfterShowing;
    std::vector<TUserObjects> UserAfterShowing;
    std::vector<TShowing> Showings;
};

TLife Live(const std::wstring& name) {
    TLife life;
    {
        TOptionsHost p(name);
        p.Store(120, 0, 0, L"");
        EXPECT_TRUE(p.Start());
        life.Loaded = GdiObjects();
        life.UserLoaded = CountUserObjects();
        for (int i = 0; i < 2; ++i) {
            TShowing showing;
            EXPECT_TRUE(p.Show([&](HWND form) { showing = PlayModesAndDpis(form); }));
            life.Showings.push_back(showing);
            life.AfterShowing.push_back(GdiObjects());
            life.UserAfterShowing.push_back(CountUserObjects());
        }
    }  // unloaded
    life.Unloaded = GdiObjects();
    life.UserUnloaded = CountUserObjects();
    return life;
}

void ExpectSameUserObjects(const TUserObjects& before, const TUserObjects& after, const char* when) {
    EXPECT_EQ(after.Windows, before.Windows) << when;
    EXPECT_EQ(after.Menus, before.Menus) << when;
    EXPECT_EQ(after.Icons, before.Icons) << when;
}

TEST(OptionsGuiObjects, ModeClicksDpiChangesShowingsAndUnloadLeaveNone) {
    Live(L"opt-gdi-warm");  // the system's own caches fill once
    const std::vector<HGDIOBJ> start = GdiObjects();
    const TUserObjects userStart = CountUserObjects();
    const TLife life = Live(L"opt-gdi");
    std::printf("GDI objects: %zu before the load, %zu loaded, %zu and %zu after each showing, %zu unloaded; "
                "USER objects: %s before, %s loaded, %s and %s after each showing, %s unloaded\n",
                start.size(), life.Loaded.size(), life.AfterShowing[0].size(), life.AfterShowing[1].size(),
                life.Unloaded.size(), Describe(userStart).c_str(), Describe(life.UserLoaded).c_str(),
                Describe(life.UserAfterShowing[0]).c_str(), Describe(life.UserAfterShowing[1]).c_str(),
                Describe(life.UserUnloaded).c_str());
    ASSERT_GT(start.size(), 0u) << "no GDI handle table found";
    for (size_t i = 0; i < life.Showings.size(); ++i) {
        // The case happened: every click chose its mode, and the window was
        // laid out at the other DPI with pictures of that size.
        EXPECT_EQ(life.Showings[i].ModeClicks, 100);
        const int32_t other = ScreenDpi() == 144 ? 192 : 144;
        EXPECT_NEAR(life.Showings[i].WizWidthThere, ScaleToDpi(241, other), 1);
        EXPECT_EQ(life.AfterShowing[i].size(), life.Loaded.size())
            << "after showing " << i + 1 << ": " << DescribeNewGdiObjects(life.Loaded, life.AfterShowing[i]);
    }
    // The first showing makes the update check's report window, which lives
    // as long as the plug-in; nothing more comes with each showing.
    ExpectSameUserObjects(life.UserAfterShowing[0], life.UserAfterShowing[1], "after the second showing");
    EXPECT_LE(life.UserAfterShowing[0].Total(), life.UserLoaded.Total() + 1) << "after the first showing";
    EXPECT_EQ(life.Unloaded.size(), start.size()) << "after the unload: " << DescribeNewGdiObjects(start, life.Unloaded);
    ExpectSameUserObjects(userStart, life.UserUnloaded, "after the unload");
}

}  // namespace
