// The options window is modal to the messenger: while it runs, the host's
// other top-level windows take no input; afterwards exactly those are
// enabled again and the window that was active is active again. The host
// here has a main window, a window it disabled itself and a hidden one, all
// on the thread that sends message 6.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>

#include "tests/win/window_support.h"

namespace {

constexpr UINT WM_POKE = WM_APP + 7;

// The messenger's own windows. A posted WM_POKE runs OnPoke on the host's
// thread, inside whatever message loop runs there.
class THostWindows {
public:
    THostWindows() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &THostWindows::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BriskletTestMessenger";
        ::RegisterClassExW(&wc);
        Main = Create(L"messenger", WS_VISIBLE);
        Busy = Create(L"messenger: busy", WS_VISIBLE);
        Hidden = Create(L"messenger: hidden", 0);
        ::EnableWindow(Busy, FALSE);
        ::SetActiveWindow(Main);
    }
    ~THostWindows() {
        for (const HWND window : {Main, Busy, Hidden}) {
            ::DestroyWindow(window);
        }
    }
    THostWindows(const THostWindows&) = delete;
    THostWindows& operator=(const THostWindows&) = delete;

    HWND Main = nullptr;
    HWND Busy = nullptr;
    HWND Hidden = nullptr;
    std::function<void()> OnPoke;

private:
    HWND Create(const wchar_t* title, DWORD visible) {
        const HWND window = ::CreateWindowExW(0, L"BriskletTestMessenger", title, WS_OVERLAPPEDWINDOW | visible, 10,
                                              10, 300, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return window;
    }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<THostWindows*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_POKE && self && self->OnPoke) {
            self->OnPoke();
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

// Waits on the user's thread for the host's thread to finish a poke.
bool WaitFor(const std::atomic<bool>& flag, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!flag && ::GetTickCount64() < end) {
        ::Sleep(10);
    }
    return flag;
}

struct TEnabled {
    bool Main = true;
    bool Busy = true;
    bool Hidden = false;
    bool Form = false;
};

TEnabled EnabledNow(const THostWindows& windows, HWND form) {
    return {::IsWindowEnabled(windows.Main) != FALSE, ::IsWindowEnabled(windows.Busy) != FALSE,
            ::IsWindowEnabled(windows.Hidden) != FALSE, ::IsWindowEnabled(form) != FALSE};
}

TEST(ModalOptionsWindow, EveryWayOutEnablesExactlyTheWindowsItDisabled) {
    const std::pair<const char*, std::function<void(HWND)>> ways[] = {
        {"Save", [](HWND form) { Ask(Control(form, u"btnOk"), BM_CLICK); }},
        {"Cancel", [](HWND form) { Ask(Control(form, u"btnCancel"), BM_CLICK); }},
        {"Escape",
         [](HWND form) {
             ::PostMessageW(Control(form, u"btnOk"), WM_KEYDOWN, VK_ESCAPE, 0);
         }},
        {"close box", [](HWND form) { Ask(form, WM_SYSCOMMAND, SC_CLOSE); }},
    };
    for (const auto& way : ways) {
        THostWindows windows;
        ASSERT_EQ(::GetActiveWindow(), windows.Main);
        TOptionsHost p(L"modal-ways");
        p.Store(30, 0, 0, L";;;;5;;");
        ASSERT_TRUE(p.Start()) << Utf8(p.Loader.Error);
        TEnabled during;
        ASSERT_TRUE(p.Show([&](HWND form) {
            during = EnabledNow(windows, form);
            Ask(Control(form, u"RadioButton4"), BM_CLICK);  // full mode, kept only by Save
            way.second(form);
        })) << way.first;
        EXPECT_FALSE(during.Main) << way.first << ": the main window took input";
        EXPECT_FALSE(during.Busy) << way.first;
        EXPECT_TRUE(during.Hidden) << way.first << ": a hidden window is left as it is";
        EXPECT_TRUE(during.Form) << way.first;

        EXPECT_TRUE(::IsWindowEnabled(windows.Main)) << way.first << ": the main window stays disabled";
        EXPECT_FALSE(::IsWindowEnabled(windows.Busy)) << way.first << ": the host's own disabling is undone";
        EXPECT_TRUE(::IsWindowEnabled(windows.Hidden)) << way.first;
        EXPECT_EQ(::GetActiveWindow(), windows.Main) << way.first << ": activation did not come back";
        EXPECT_EQ(p.Host.Store.WorkMode, std::string(way.first) == "Save" ? 1 : 0) << way.first;
    }
}

// A quit request reaches the window's loop first: the loop ends, the host's
// windows come back, and the request is left for the host's own loop.
TEST(ModalOptionsWindow, AQuitRequestEndsTheLoopAndIsPassedOn) {
    THostWindows windows;
    TOptionsHost p(L"modal-quit");
    p.Store(30, 0, 0, L";;;;5;;");
    ASSERT_TRUE(p.Start());
    const DWORD hostThread = ::GetCurrentThreadId();
    bool mainDuring = true;
    ASSERT_TRUE(p.Show([&](HWND form) {
        mainDuring = EnabledNow(windows, form).Main;
        ::PostThreadMessageW(hostThread, WM_QUIT, 7, 0);
    }));
    EXPECT_FALSE(mainDuring);
    EXPECT_TRUE(::IsWindowEnabled(windows.Main));
    EXPECT_FALSE(::IsWindowEnabled(windows.Busy));
    EXPECT_TRUE(VisibleDialogs().empty());
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was swallowed";
    EXPECT_EQ(msg.wParam, 7u);
}

// Message 6 again while the window is open, from the host's thread inside
// the window's loop: no second window, an immediate return, no settings
// written and no lists reloaded; the open window comes to the front.
TEST(ModalOptionsWindow, AskingAgainWhileOpenBringsTheWindowForward) {
    THostWindows windows;
    TOptionsHost p(L"modal-again");
    p.Store(120, 0, 0, L";;;;5;;");
    p.Folder.Write(L"list.txt", "before\r\n");
    ASSERT_TRUE(p.Start());

    std::atomic<bool> done{false};
    bool openAfterNested = false;
    int storeRequests = -1;
    std::wstring drawnInside;
    windows.OnPoke = [&] {
        const int requestsBefore = p.Host.StoreRequests;
        p.Loader.Send(HM_SHOW_OPTIONS);
        // The user closes the window only after this poke is done, so a
        // request that waited for the window would return with it gone.
        openAfterNested = !VisibleDialogs().empty();
        storeRequests = p.Host.StoreRequests - requestsBefore;
        // A one-entry list always gives its entry: this shows which list
        // the plug-in holds now.
        p.Loader.SendStatus(5, L"Beer", L"now");
        drawnInside = p.Host.XStatus;
        done = true;
    };
    size_t dialogsAfter = 0;
    HWND foregroundAfter = nullptr;
    HWND form = nullptr;
    ASSERT_TRUE(p.Show([&](HWND shown) {
        form = shown;
        p.Folder.Write(L"list.txt", "after\r\n");
        // Someone else takes the foreground first, so that the front has
        // to be given back.
        const HWND other = ::CreateWindowExW(0, L"STATIC", L"other program", WS_POPUP | WS_VISIBLE, 400, 400, 100, 50,
                                             nullptr, nullptr, nullptr, nullptr);
        ::SetForegroundWindow(other);
        ::PostMessageW(windows.Main, WM_POKE, 0, 0);
        WaitFor(done, 30000);  // a guard against a hang
        dialogsAfter = VisibleDialogs().size();
        foregroundAfter = ::GetForegroundWindow();
        ::DestroyWindow(other);
        Ask(Control(shown, u"btnCancel"), BM_CLICK);
    }));
    ASSERT_TRUE(done) << "the host's posted message never ran inside the window's loop";
    EXPECT_EQ(dialogsAfter, 1u) << "a second window opened";
    EXPECT_TRUE(openAfterNested) << "the second request waited for the window to close";
    EXPECT_EQ(storeRequests, 0) << "the second request read or wrote settings";
    EXPECT_EQ(drawnInside, L"before") << "the second request reloaded the lists";
    EXPECT_EQ(foregroundAfter, form) << "the open window was not brought forward";
    EXPECT_TRUE(::IsWindowEnabled(windows.Main));

    // The outer showing still ends as it should: the lists are reloaded.
    p.Loader.SendStatus(5, L"Beer", L"now");
    EXPECT_EQ(p.Host.XStatus, L"after");
    // And the window can be shown again.
    EXPECT_TRUE(p.Show([](HWND shown) { Ask(Control(shown, u"btnCancel"), BM_CLICK); }));
}

}  // namespace
