// The options window, driven as a user drives it: message 6 runs its modal
// loop on this thread while a second thread finds the window, reads its
// controls and clicks them. What the window saved is read from the store.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/win_handles.h"
#include "options/options_layout.h"
#include "options/res/picture_ids.h"
#include "tests/win/test_support.h"
#include "tests/win/window_support.h"

namespace {

HWND UnitItem(HWND form, size_t item) { return ControlById(form, RadioItemId(LayoutIndex(u"RadioGroup1"), item)); }

void Click(HWND button) { Ask(button, BM_CLICK); }
bool Checked(HWND button) { return Ask(button, BM_GETCHECK) == BST_CHECKED; }

void MoveTrackBar(HWND form, int position) {
    const HWND bar = Control(form, u"tbFreq");
    Ask(bar, TBM_SETPOS, TRUE, position);
    Ask(::GetParent(bar), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(bar));
}

// A mouse click in the middle of an entry of clbStatuses.
void ClickEntry(HWND form, int entry) {
    const HWND list = Control(form, u"clbStatuses");
    RECT rect{};
    Ask(list, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Ask(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Ask(list, WM_LBUTTONUP, 0, at);
}

std::vector<int> TickedEntries(HWND form) {
    const HWND list = Control(form, u"clbStatuses");
    std::vector<int> ticked;
    const int count = static_cast<int>(Ask(list, LB_GETCOUNT));
    for (int entry = 0; entry < count; ++entry) {
        if (Ask(list, LB_GETITEMDATA, static_cast<WPARAM>(entry)) == 1) {
            ticked.push_back(entry);
        }
    }
    return ticked;
}

// A tab of the page control clicked with the mouse.
void ClickTab(HWND form, int page) {
    const HWND tabs = Control(form, u"PageControl1");
    RECT rect{};
    Ask(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Ask(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Ask(tabs, WM_LBUTTONUP, 0, at);
}

// Pixels of a bitmap as 32-bit rows, for comparing pictures whatever their format.
std::vector<uint32_t> Pixels(HBITMAP bitmap, SIZE* size = nullptr) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info)) {
        return {};
    }
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
    const TWindowDC screen(nullptr);
    ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header, DIB_RGB_COLORS);
    if (size) {
        *size = SIZE{info.bmWidth, info.bmHeight};
    }
    return pixels;
}

std::vector<uint32_t> ResourcePixels(HMODULE module, int id) {
    const TUniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return Pixels(bitmap.get());
}

// Saves the window as it shows on the screen, as a 24-bit BMP.
bool SaveScreenshot(HWND form, const std::wstring& path) {
    RECT rect{};
    ::GetWindowRect(form, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const TWindowDC screen(nullptr);
    const TUniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const TUniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap) {
        return false;
    }
    const TSelectedObject selected(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    bytes.append(static_cast<const char*>(bits), imageSize);
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) {
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    fclose(out);
    return written;
}

const std::wstring AllEntries = [] {
    std::wstring s = L";;";
    for (int n = 0; n < 34; ++n) {
        s += L";;" + std::to_wstring(n) + L";;";
    }
    return s;
}();

TEST(OptionsWindow, ShowsItsTextsAndComposesTheIntervalText) {
    TOptionsHost p(L"opt-texts");
    p.Store(120, 0, 0, L"");
    ASSERT_TRUE(p.Start()) << Utf8(p.Loader.Error);
    std::wstring caption, version, copyright, interval, moved, minutes, hours, top, pages[3];
    int currentPage = -1;
    bool optionsVisible = false, aboutVisible = true, otherVisible = false;
    RECT client{};
    ASSERT_TRUE(p.Show([&](HWND form) {
        caption = Text(form);
        ::GetClientRect(form, &client);
        version = Text(Control(form, u"lVersion"));
        copyright = Text(Control(form, u"StaticText2"));
        interval = Text(Control(form, u"Label3"));
        currentPage = static_cast<int>(Ask(Control(form, u"PageControl1"), TCM_GETCURSEL));
        optionsVisible = ::IsWindowVisible(Control(form, u"TabSheet1"));
        aboutVisible = ::IsWindowVisible(Control(form, u"TabSheet2"));
        for (int page = 0; page < 3; ++page) {
            wchar_t buffer[64] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = buffer;
            item.cchTextMax = 64;
            Ask(Control(form, u"PageControl1"), TCM_GETITEMW, static_cast<WPARAM>(page),
                reinterpret_cast<LPARAM>(&item));
            pages[page] = buffer;
        }
        ClickTab(form, 1);
        otherVisible = ::IsWindowVisible(Control(form, u"TabSheet4"));
        MoveTrackBar(form, 5);
        moved = Text(Control(form, u"Label3"));
        Click(UnitItem(form, 1));
        minutes = Text(Control(form, u"Label3"));
        MoveTrackBar(form, 300);
        Click(UnitItem(form, 2));
        hours = Text(Control(form, u"Label3"));
        Click(Control(form, u"btnCancel"));
    }));
    EXPECT_EQ(caption, L"Brisklet : Options");
    EXPECT_EQ(client.right, OptionsClientWidth);
    EXPECT_EQ(client.bottom, OptionsClientHeight);
    EXPECT_EQ(version, L"Version: 0.3.6");
    EXPECT_EQ(copyright, L"Copyright (c) Orvane software, 2008-2026, Russia");
    EXPECT_EQ(interval, L"120 seconds") << "composed on showing";
    EXPECT_EQ(currentPage, 0) << "each showing opens on the Options page";
    EXPECT_TRUE(optionsVisible);
    EXPECT_FALSE(aboutVisible);
    EXPECT_EQ(pages[0], L"Options");
    EXPECT_EQ(pages[1], L"Other");
    EXPECT_EQ(pages[2], L"About");
    EXPECT_TRUE(otherVisible) << "clicking a tab shows its page";
    EXPECT_EQ(moved, L"5 seconds");
    EXPECT_EQ(minutes, L"5 minuts");
    EXPECT_EQ(hours, L"300 hours");
    // Cancelled: the store is as it was.
    EXPECT_EQ(p.Host.Store.FreqValue, 120);
    EXPECT_EQ(p.Host.Store.FreqUnit, 0);
}

TEST(OptionsWindow, TicksFollowTheSelectionItemsExactly) {
    struct TCase {
        std::wstring Selection;
        std::vector<int> Ticked;
    };
    const TCase cases[] = {
        {L";;11;;", {11}},
        {L";;1;;", {1}},
        {L";;34;;;;99;;", {}},
        {L"", {}},
        {L";;;;0;;;;33;;x;;7", {0, 33}},
    };
    TOptionsHost p(L"opt-ticks");
    p.Store(60, 0, 0, L"");
    ASSERT_TRUE(p.Start());
    for (const TCase& c : cases) {
        p.Host.SetSelection(c.Selection);
        p.Loader.Send(HM_START);  // read the store again
        std::vector<int> ticked;
        int count = 0;
        ASSERT_TRUE(p.Show([&](HWND form) {
            count = static_cast<int>(Ask(Control(form, u"clbStatuses"), LB_GETCOUNT));
            ticked = TickedEntries(form);
            Click(Control(form, u"btnCancel"));
        }));
        EXPECT_EQ(count, 34);
        EXPECT_EQ(ticked, c.Ticked) << Utf8(c.Selection);
        EXPECT_EQ(p.Host.Selection(), c.Selection) << "Cancel keeps the stored text";
    }
}

TEST(OptionsWindow, SaveRebuildsTheSelection) {
    struct TCase {
        const char* What;
        std::wstring Stored;
        std::function<void(HWND)> Change;
        std::wstring Saved;
    };
    const TCase cases[] = {
        {"unchanged", L";;5;;", [](HWND) {}, L";;;;5;;"},
        {"Select All", L";;5;;", [](HWND form) { Click(Control(form, u"Button1")); }, AllEntries},
        {"Deselect all", AllEntries, [](HWND form) { Click(Control(form, u"Button2")); }, L";;"},
        {"clicks on entries", L";;;;5;;",
         [](HWND form) {
             ClickEntry(form, 2);
             ClickEntry(form, 0);
             ClickEntry(form, 5);  // ticked: now unticked
         },
         L";;;;0;;;;2;;"},
        {"a click twice", L"",
         [](HWND form) {
             ClickEntry(form, 33);
             ClickEntry(form, 33);
             ClickEntry(form, 12);
         },
         L";;;;12;;"},
        {"Space on the current entry", L"",
         [](HWND form) {
             const HWND list = Control(form, u"clbStatuses");
             Ask(list, LB_SETCURSEL, 20);
             Ask(list, LB_SETCARETINDEX, 20);
             Ask(list, WM_KEYDOWN, VK_SPACE, 0);
         },
         L";;;;20;;"},
    };
    for (const TCase& c : cases) {
        TOptionsHost p(L"opt-save");
        p.Store(60, 0, 0, c.Stored);
        ASSERT_TRUE(p.Start());
        ASSERT_TRUE(p.Show([&](HWND form) {
            c.Change(form);
            Click(Control(form, u"btnOk"));
        }));
        EXPECT_EQ(p.Host.Selection(), c.Saved) << c.What;
    }
}

TEST(OptionsWindow, ModeShowsItsPictureAndSaves) {
    TOptionsHost p(L"opt-mode");
    p.Store(60, 1, 1, L";;");
    ASSERT_TRUE(p.Start());
    const std::vector<uint32_t> wiz01 = ResourcePixels(p.Loader.Module, IDB_WIZ_01);
    const std::vector<uint32_t> wiz02 = ResourcePixels(p.Loader.Module, IDB_WIZ_02);
    const std::vector<uint32_t> wiz03 = ResourcePixels(p.Loader.Module, IDB_WIZ_03);
    ASSERT_FALSE(wiz01.empty());
    ASSERT_NE(wiz01, wiz02);
    ASSERT_NE(wiz02, wiz03);
    bool full = false, xstatus = true;
    std::vector<uint32_t> opened, afterIcon, afterXStatus;
    SIZE wizSize{};
    ASSERT_TRUE(p.Show([&](HWND form) {
        const HWND wiz = Control(form, u"WIZ");
        full = Checked(Control(form, u"RadioButton4"));
        xstatus = Checked(Control(form, u"RadioButton3"));
        opened = Pixels(reinterpret_cast<HBITMAP>(Ask(wiz, STM_GETIMAGE, IMAGE_BITMAP)), &wizSize);
        Click(Control(form, u"RadioButton3"));
        afterXStatus = Pixels(reinterpret_cast<HBITMAP>(Ask(wiz, STM_GETIMAGE, IMAGE_BITMAP)));
        Click(Control(form, u"RadioButton5"));
        afterIcon = Pixels(reinterpret_cast<HBITMAP>(Ask(wiz, STM_GETIMAGE, IMAGE_BITMAP)));
        Click(Control(form, u"btnOk"));
    }));
    EXPECT_TRUE(full) << "WorkMode 1 checks RadioButton4";
    EXPECT_FALSE(xstatus);
    EXPECT_TRUE(opened == wiz03) << "full mode shows wiz_03";
    EXPECT_EQ(wizSize.cx, 241);
    EXPECT_EQ(wizSize.cy, 135);
    EXPECT_TRUE(afterXStatus == wiz01) << "xStatus mode shows wiz_01";
    EXPECT_TRUE(afterIcon == wiz02) << "icon mode shows wiz_02";
    EXPECT_EQ(p.Host.Store.WorkMode, 2);
    EXPECT_EQ(p.Host.Store.FreqValue, 60);
    EXPECT_EQ(p.Host.Store.FreqUnit, 1);
    EXPECT_EQ(p.Host.Selection(), L";;");
}

TEST(OptionsWindow, EnterSavesAndTheIntervalReachesTheStore) {
    TOptionsHost p(L"opt-enter");
    p.Store(120, 0, 0, L"");
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Show([&](HWND form) {
        MoveTrackBar(form, 5);
        Click(UnitItem(form, 1));
        Click(Control(form, u"RadioButton4"));
        // Enter goes through the window's own message loop.
        ::PostMessageW(Control(form, u"btnCancel"), WM_KEYDOWN, VK_RETURN, 0);
    }));
    EXPECT_EQ(p.Host.Store.FreqValue, 5);
    EXPECT_EQ(p.Host.Store.FreqUnit, 1);
    EXPECT_EQ(p.Host.Store.WorkMode, 1);
    EXPECT_EQ(p.Host.Selection(), L";;");
}

HWND FocusOf(HWND form) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(form, nullptr), &info);
    return info.hwndFocus;
}

// Tab, as the user presses it: through the window's own message loop.
HWND PressTab(HWND form) {
    const HWND before = FocusOf(form);
    ::PostMessageW(before, WM_KEYDOWN, VK_TAB, 0);
    ::PostMessageW(before, WM_KEYUP, VK_TAB, 0);
    const ULONGLONG end = ::GetTickCount64() + 30000;  // a guard against a hang
    while (FocusOf(form) == before && ::GetTickCount64() < end) {
        ::Sleep(10);
    }
    return FocusOf(form);
}

TEST(OptionsWindow, TabWalksTheControlsInLayoutOrder) {
    TOptionsHost p(L"opt-tab");
    p.Store(60, 0, 1, L"");
    ASSERT_TRUE(p.Start());
    std::vector<std::wstring> walk;
    std::vector<std::wstring> expected;
    ASSERT_TRUE(p.Show([&](HWND form) {
        const std::pair<const char16_t*, HWND> names[] = {
            {u"btnOk", Control(form, u"btnOk")},
            {u"btnCancel", Control(form, u"btnCancel")},
            {u"PageControl1", Control(form, u"PageControl1")},
            {u"RadioButton4", Control(form, u"RadioButton4")},
            {u"clbStatuses", Control(form, u"clbStatuses")},
            {u"Button2", Control(form, u"Button2")},
            {u"Button1", Control(form, u"Button1")},
        };
        const auto nameOf = [&](HWND window) {
            for (const auto& n : names) {
                if (n.second == window) {
                    return std::wstring(reinterpret_cast<const wchar_t*>(n.first));
                }
            }
            return std::wstring(L"?");
        };
        // The window takes the focus just after it shows.
        const ULONGLONG end = ::GetTickCount64() + 30000;  // a guard against a hang
        while (nameOf(FocusOf(form)) == L"?" && ::GetTickCount64() < end) {
            ::Sleep(10);
        }
        walk.push_back(nameOf(FocusOf(form)));
        for (size_t step = 0; step < std::size(names); ++step) {
            walk.push_back(nameOf(PressTab(form)));
        }
        for (const auto& n : names) {
            expected.push_back(reinterpret_cast<const wchar_t*>(n.first));
        }
        expected.push_back(L"btnOk");  // round again
        Click(Control(form, u"btnCancel"));
    }));
    // Into the mode group at its checked button (full mode), never changing it.
    EXPECT_EQ(walk, expected);
    EXPECT_EQ(p.Host.Store.WorkMode, 1);
}

TEST(OptionsWindow, CancelEscapeAndTheCloseBoxChangeNothing) {
    const std::pair<const char*, std::function<void(HWND)>> ways[] = {
        {"Cancel", [](HWND form) { Click(Control(form, u"btnCancel")); }},
        {"Escape",
         [](HWND form) {
             ::PostMessageW(Control(form, u"btnOk"), WM_KEYDOWN, VK_ESCAPE, 0);
         }},
        {"close box", [](HWND form) { Ask(form, WM_CLOSE); }},
        {"close box (system menu)", [](HWND form) { Ask(form, WM_SYSCOMMAND, SC_CLOSE); }},
    };
    for (const auto& way : ways) {
        TOptionsHost p(L"opt-cancel");
        p.Store(30, 1, 2, L";;;;3;;");
        ASSERT_TRUE(p.Start());
        const size_t sentBefore = p.Host.Sent.size();
        ASSERT_TRUE(p.Show([&](HWND form) {
            Click(Control(form, u"Button1"));
            Click(Control(form, u"RadioButton3"));
            MoveTrackBar(form, 250);
            Click(UnitItem(form, 0));
            way.second(form);
        }));
        EXPECT_EQ(p.Host.Store.FreqValue, 30) << way.first;
        EXPECT_EQ(p.Host.Store.FreqUnit, 1) << way.first;
        EXPECT_EQ(p.Host.Store.WorkMode, 2) << way.first;
        EXPECT_EQ(p.Host.Selection(), L";;;;3;;") << way.first;
        EXPECT_EQ(p.Host.Sent.size(), sentBefore) << way.first;
        EXPECT_FALSE(::IsWindow(FindOptionsWindow(0))) << way.first << ": the window is gone";
    }
}

TEST(OptionsWindow, OutOfRangeSettingsComeBackInRange) {
    struct TCase {
        int32_t FreqValue, FreqUnit, WorkMode;
        int Position, Unit;
        bool Picture;
        std::wstring Interval;
        int32_t SavedValue, SavedUnit, SavedMode;
    };
    const TCase cases[] = {
        {0, 0, 7, 1, 0, false, L"1 seconds", 1, 0, 0},
        {999, 5, -1, 300, 2, false, L"300 hours", 300, 2, 0},
        {-20, -1, 2, 1, 0, true, L"1 seconds", 1, 0, 2},
    };
    for (const TCase& c : cases) {
        TOptionsHost p(L"opt-range");
        p.Store(c.FreqValue, c.FreqUnit, c.WorkMode, L"");
        ASSERT_TRUE(p.Start());
        int position = 0, unit = -1;
        bool picture = !c.Picture, xstatus = false;
        std::wstring interval;
        ASSERT_TRUE(p.Show([&](HWND form) {
            position = static_cast<int>(Ask(Control(form, u"tbFreq"), TBM_GETPOS));
            for (size_t item = 0; item < 3; ++item) {
                if (Checked(UnitItem(form, item))) {
                    unit = static_cast<int>(item);
                }
            }
            picture = Ask(Control(form, u"WIZ"), STM_GETIMAGE, IMAGE_BITMAP) != 0;
            xstatus = Checked(Control(form, u"RadioButton3"));
            interval = Text(Control(form, u"Label3"));
            Click(Control(form, u"btnOk"));
        }));
        EXPECT_EQ(position, c.Position) << c.FreqValue;
        EXPECT_EQ(unit, c.Unit) << c.FreqUnit;
        EXPECT_EQ(picture, c.Picture) << c.WorkMode;
        EXPECT_EQ(xstatus, c.WorkMode != 2) << c.WorkMode;
        EXPECT_EQ(interval, c.Interval);
        EXPECT_EQ(p.Host.Store.FreqValue, c.SavedValue);
        EXPECT_EQ(p.Host.Store.FreqUnit, c.SavedUnit);
        EXPECT_EQ(p.Host.Store.WorkMode, c.SavedMode);
    }
}

TEST(OptionsWindow, RussianDictionaryTranslatesTheWindow) {
    TOptionsHost p(L"opt-russian");
    ::CreateDirectoryW((p.Folder.Path() + L"Languages").c_str(), nullptr);
    p.Folder.Write(L"Languages\\Russian.ini",
                   Utf16Le(L"[Dict]\r\n"
                           L"Options=\u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0438\r\n"
                           L"Save=\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C\r\n"
                           L"Version=\u0412\u0435\u0440\u0441\u0438\u044F\r\n"
                           L"minuts=\u043C\u0438\u043D.\r\n"
                           L"seconds (default)=\u0441\u0435\u043A\u0443\u043D\u0434\u044B\r\n"));
    p.Store(7, 1, 0, L"");
    ASSERT_TRUE(p.Start());
    p.Loader.SendLanguage(L"Russian");
    std::wstring caption, save, tab, version, interval, item, cancel;
    ASSERT_TRUE(p.Show([&](HWND form) {
        caption = Text(form);
        save = Text(Control(form, u"btnOk"));
        cancel = Text(Control(form, u"btnCancel"));
        version = Text(Control(form, u"lVersion"));
        interval = Text(Control(form, u"Label3"));
        item = Text(UnitItem(form, 0));
        wchar_t buffer[64] = {};
        TCITEMW tabItem{};
        tabItem.mask = TCIF_TEXT;
        tabItem.pszText = buffer;
        tabItem.cchTextMax = 64;
        Ask(Control(form, u"PageControl1"), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tabItem));
        tab = buffer;
        Click(Control(form, u"btnCancel"));
    }));
    const std::wstring options = L"\u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0438";
    EXPECT_EQ(caption, L"Brisklet : " + options);
    EXPECT_EQ(tab, options);
    EXPECT_EQ(save, L"\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C");
    EXPECT_EQ(cancel, L"Cancel") << "no entry: English";
    EXPECT_EQ(version, L"\u0412\u0435\u0440\u0441\u0438\u044F: 0.3.6");
    EXPECT_EQ(interval, L"7 \u043C\u0438\u043D.");
    EXPECT_EQ(item, L"\u0441\u0435\u043A\u0443\u043D\u0434\u044B");
}

TEST(OptionsWindow, TimerTicksReachTheHostWhileTheWindowIsOpen) {
    TOptionsHost p(L"opt-timer");
    p.Store(1, 0, 0, L";;;;5;;");
    p.Host.Icon = 5;
    p.Host.Status = L"Title";
    p.Host.XStatus = L"Text";
    std::atomic<int> queries{0};
    p.Host.OnMessage = [&](const THostMessageRec& msg) {
        if (msg.Code == PM_QUERY_STATUS) {
            ++queries;
        }
    };
    ASSERT_TRUE(p.Start());
    int duringWindow = 0;
    ASSERT_TRUE(p.Show([&](HWND form) {
        // Waits for the ticks rather than a fixed time: under emulation a
        // tick can come late, and only whether they come at all matters.
        const int before = queries;
        PumpUntil([&] { return queries - before >= 2; }, 20000);
        duringWindow = queries - before;
        Click(Control(form, u"btnCancel"));
    }));
    EXPECT_GE(duringWindow, 2) << "a 1 s timer ticks while the window's loop runs";
}

TEST(OptionsWindow, HostReleasingThePluginDuringTheLoopIsSafe) {
    TOptionsHost p(L"opt-release");
    p.Store(1, 0, 0, L";;;;5;;");
    p.Host.Icon = 5;
    std::atomic<bool> released{false};
    p.Host.OnMessage = [&](const THostMessageRec& msg) {
        if (msg.Code == PM_QUERY_STATUS && !released) {
            released = true;
            p.Loader.ReleasePlugin();  // the host lets go inside a tick
        }
    };
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Show([&](HWND form) {
        PumpUntil([&] { return released.load(); }, 20000);
        Click(Control(form, u"Button1"));
        Click(Control(form, u"btnOk"));
    }));
    EXPECT_TRUE(released);
    EXPECT_EQ(p.Host.Selection(), AllEntries) << "the object lived on until its message was handled";
    EXPECT_EQ(p.Host.RefCount, 0) << "and then went, releasing the service";
}

TEST(OptionsWindow, QuitRequestEndsTheLoopAndIsPassedOn) {
    TOptionsHost p(L"opt-quit");
    p.Store(60, 0, 0, L"");
    ASSERT_TRUE(p.Start());
    const DWORD thread = ::GetCurrentThreadId();
    ASSERT_TRUE(p.Show([&](HWND form) {
        Click(Control(form, u"Button1"));
        ::PostThreadMessageW(thread, WM_QUIT, 42, 0);
    }));
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was swallowed";
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_EQ(p.Host.Selection(), L"") << "quitting saves nothing";
}

TEST(OptionsWindow, UpdateReportAppearsInTheAboutPage) {
    TOptionsHost p(L"opt-update");
    p.Store(60, 0, 0, L"");
    ASSERT_TRUE(p.Start());
    std::wstring report;
    ASSERT_TRUE(p.Show([&](HWND form) {
        report = FinalReport(form);
        Click(Control(form, u"btnCancel"));
    }));
    EXPECT_EQ(report, L"Cannot connect to site. Check your internet connection.");
}

// Not a check: pictures of the pages for the documentation. Runs only when
// BRISKLET_SCREENSHOTS names a folder (scripts/screenshots.sh); the names
// end in BRISKLET_SCREENSHOT_SUFFIX, which tells the DPIs apart.
TEST(OptionsWindow, Screenshots) {
    wchar_t folder[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"BRISKLET_SCREENSHOTS", folder, MAX_PATH)) {
        GTEST_SKIP() << "BRISKLET_SCREENSHOTS is not set";
    }
    wchar_t suffix[16] = {};
    ::GetEnvironmentVariableW(L"BRISKLET_SCREENSHOT_SUFFIX", suffix, 16);
    // A DPI-aware host, as on a screen above 96 DPI the window is shown unscaled.
    ::SetProcessDPIAware();
    const std::wstring out = std::wstring(folder) + L"\\";
    const auto shot = [&](const wchar_t* name) { return out + name + suffix + L".bmp"; };
    {
        TOptionsHost p(L"opt-shots");
        p.Store(120, 0, 0, L";;;;1;;;;5;;;;11;;;;20;;;;28;;");
        ASSERT_TRUE(p.Start());
        std::vector<bool> saved;
        ASSERT_TRUE(p.Show([&](HWND form) {
            ::Sleep(800);
            saved.push_back(SaveScreenshot(form, shot(L"options-page")));
            ClickTab(form, 1);
            ::Sleep(500);
            saved.push_back(SaveScreenshot(form, shot(L"other-page")));
            ClickTab(form, 2);
            FinalReport(form);
            ::Sleep(500);
            saved.push_back(SaveScreenshot(form, shot(L"about-page")));
            Click(Control(form, u"btnCancel"));
        }));
        EXPECT_EQ(saved, std::vector<bool>(3, true));
    }
    {
        TOptionsHost p(L"opt-shots-ru");
        p.Store(120, 0, 1, L";;;;1;;;;5;;;;11;;;;20;;;;28;;");
        // The shipped dictionary, as the plug-in finds it next to itself.
        const std::wstring languages = p.Folder.Path() + L"Languages";
        ::CreateDirectoryW(languages.c_str(), nullptr);
        ::CopyFileW((std::wstring(folder) + L"\\Russian.ini").c_str(), (languages + L"\\Russian.ini").c_str(), FALSE);
        ASSERT_TRUE(p.Start());
        p.Loader.SendLanguage(L"Russian");
        bool saved = false;
        ASSERT_TRUE(p.Show([&](HWND form) {
            ::Sleep(800);
            saved = SaveScreenshot(form, shot(L"options-page-ru"));
            Click(Control(form, u"btnCancel"));
        }));
        EXPECT_TRUE(saved);
    }
}

}  // namespace
