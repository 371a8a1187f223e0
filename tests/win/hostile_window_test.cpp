// The options window and its update check under stress, and hostile
// dictionaries: message 6 runs the modal window on this thread while a
// watcher thread closes it. The update check talks to the stand-in server
// (tests/win/update_server.py, started by ctest and by scripts/harden.sh)
// through the proxy setting.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "hostile_support.h"
#include "options/options_layout.h"

namespace {

// Every visible dialog of this process; the options window is the only one.
std::vector<HWND> VisibleDialogs() {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND window, LPARAM out) -> BOOL {
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t cls[32] = {};
            ::GetClassNameW(window, cls, 32);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && wcscmp(cls, L"#32770") == 0) {
                reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window) {
    wchar_t buffer[1024] = {};
    Ask(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

HWND Control(HWND form, std::u16string_view name) {
    const int id = LayoutControlId(LayoutIndex(name));
    HWND found = nullptr;
    std::pair<int, HWND*> search{id, &found};
    ::EnumChildWindows(
        form,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<std::pair<int, HWND*>*>(data);
            if (::GetDlgCtrlID(child) == s->first) {
                *s->second = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return found;
}

// Sends message 6 and plays the user on another thread: `user` gets the
// window when it shows; every dialog still open afterwards is closed.
// Returns the number of windows that showed.
int ShowOptions(TPluginLoader& loader, const std::function<void(HWND form)>& user, intptr_t a = 0,
                intptr_t b = 0, intptr_t c = 0) {
    std::atomic<bool> done{false};
    std::atomic<int> shown{0};
    std::thread watcher([&] {
        std::vector<HWND> seen;
        const ULONGLONG end = ::GetTickCount64() + 30000;
        while (!done && ::GetTickCount64() < end) {
            for (const HWND form : VisibleDialogs()) {
                if (std::find(seen.begin(), seen.end(), form) == seen.end()) {
                    seen.push_back(form);
                    ++shown;
                    user(form);
                }
                ::PostMessageW(form, WM_CLOSE, 0, 0);
            }
            ::Sleep(20);
        }
    });
    loader.Send(HM_SHOW_OPTIONS, a, b, c);
    done = true;
    watcher.join();
    return shown;
}

// Wine's WinInet reads http_proxy from ucrtbase's copy of the environment,
// which only that copy's own setter changes.
void SetProxy(const std::wstring& value) {
    ::SetEnvironmentVariableW(L"http_proxy", value.empty() ? nullptr : value.c_str());
    if (HMODULE ucrt = ::LoadLibraryW(L"ucrtbase.dll")) {
        using TPutEnv = int(__cdecl*)(const wchar_t*, const wchar_t*);
        if (const auto put =
                reinterpret_cast<TPutEnv>(reinterpret_cast<void (*)()>(::GetProcAddress(ucrt, "_wputenv_s")))) {
            put(L"http_proxy", value.c_str());
        }
    }
}

// Points the update check at the stand-in server for the test's span, or at
// a port that refuses, so that checks end at once.
class TServer {
public:
    TServer() {
        FILE* f = _wfopen((ProgramFolder() + L"update_server.port").c_str(), L"r");
        unsigned port = 0;
        if (f) {
            if (fscanf(f, "%u", &port) != 1) {
                port = 0;
            }
            fclose(f);
        }
        FPort = static_cast<INTERNET_PORT>(port);
    }
    ~TServer() {
        if (FPort) {
            Answer(0, "");
        }
        Refuse();
    }
    bool Running() const noexcept { return FPort != 0; }

    void Use() { SetProxy(L"http://127.0.0.1:" + std::to_wstring(FPort)); }
    static void Refuse() { SetProxy(L"http://127.0.0.1:9"); }

    // The next answers: the version file, after delay seconds.
    void Answer(double delay, const std::string& body) {
        Request(L"POST", L"/__control?status=200&delay=" + std::to_wstring(delay), body);
    }
    // Requests the server has taken, and how many of them it has answered.
    void Log(size_t& taken, size_t& answered) {
        const std::string log = Request(L"GET", L"/__log", "");
        taken = answered = 0;
        for (size_t at = 0; (at = log.find('\t', at)) != std::string::npos;) {
            const size_t second = log.find('\t', at + 1);
            if (second == std::string::npos) {
                break;
            }
            ++taken;
            answered += log.compare(second + 1, 1, "1") == 0 ? 1 : 0;
            at = log.find('\n', second);
        }
    }

private:
    std::string Request(const wchar_t* verb, const std::wstring& path, const std::string& body) {
        std::string answer;
        HINTERNET session = ::InternetOpenW(L"hostile-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        HINTERNET connection = session ? ::InternetConnectW(session, L"127.0.0.1", FPort, nullptr, nullptr,
                                                            INTERNET_SERVICE_HTTP, 0, 0)
                                       : nullptr;
        HINTERNET request = connection ? ::HttpOpenRequestW(connection, verb, path.c_str(), nullptr, nullptr,
                                                            nullptr, INTERNET_FLAG_RELOAD, 0)
                                       : nullptr;
        if (request && ::HttpSendRequestW(request, nullptr, 0, const_cast<char*>(body.data()),
                                          static_cast<DWORD>(body.size()))) {
            char buffer[4096];
            DWORD read = 0;
            while (::InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
                answer.append(buffer, read);
            }
        } else {
            ADD_FAILURE() << "control request to the stand-in server failed";
        }
        for (HINTERNET h : {request, connection, session}) {
            if (h) {
                ::InternetCloseHandle(h);
            }
        }
        return answer;
    }

    INTERNET_PORT FPort = 0;
};

const char kVersionFile[] = "[update]\r\nmajor=0\r\nminor=3\r\nrelease=7\r\npage=http://www.orvane.example/new\r\n";

// The update check's report once the waiting text has gone.
std::wstring FinalReport(HWND form) {
    const HWND label = Control(form, u"lUpdate");
    const ULONGLONG end = ::GetTickCount64() + 20000;
    std::wstring report = Text(label);
    while ((report.empty() || report.find(L"Please wait") != std::wstring::npos) && ::GetTickCount64() < end) {
        ::Sleep(20);
        report = Text(label);
    }
    return report;
}

// Runs the thread's messages until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() > end) {
            return false;
        }
        PumpMessagesFor(50);
    }
    return true;
}

TEST(HostileWindow, TwentyQuickShowingsAgainstASlowServerThenUnloadWhileChecksRun) {
    THostileTally tally;
    TServer server;
    ASSERT_TRUE(server.Running()) << "the stand-in server is not running (its port file is missing)";
    server.Use();
    THostilePlugin plugin(L"hostile-window");
    plugin.Folder.Write(L"list.txt", "joke\r\njoke\r\n");
    plugin.Start();
    const std::wstring dllPath = plugin.Folder.Dll();

    // Every check is held by the server long past the last showing.
    server.Answer(6, kVersionFile);
    const ULONGLONG start = ::GetTickCount64();
    int shown = 0;
    for (int i = 0; i < 20; ++i) {
        shown += ShowOptions(plugin.Loader, [](HWND) {});
        tally.Case();
    }
    std::printf("20 showings in %llu ms\n", ::GetTickCount64() - start);
    EXPECT_EQ(shown, 20);
    size_t taken = 0, answered = 0;
    server.Log(taken, answered);
    std::printf("checks taken by the server %zu, answered %zu\n", taken, answered);
    EXPECT_GE(taken, 1u) << "no check reached the server";
    EXPECT_LT(answered, taken) << "no check was still held";

    // The host lets go of the plug-in and frees the DLL mid-check. The
    // running checks keep the code loaded until they are done.
    plugin.Loader.Unload();
    EXPECT_NE(::GetModuleHandleW(dllPath.c_str()), nullptr) << "the DLL went while its checks ran";
    tally.Case();
    server.Answer(0, kVersionFile);
    EXPECT_TRUE(PumpUntil([&] { return ::GetModuleHandleW(dllPath.c_str()) == nullptr; }, 60000))
        << "the DLL stayed loaded after its checks";
    PumpMessagesFor(500);  // whatever the last check left for this thread

    // The process goes on: the plug-in loads, rotates and shows its window.
    ASSERT_TRUE(plugin.Loader.Load(dllPath, plugin.Host));
    plugin.Start();
    ExpectPair(plugin.Run(5));
    std::wstring report;
    EXPECT_EQ(ShowOptions(plugin.Loader, [&](HWND form) { report = FinalReport(form); }), 1);
    EXPECT_EQ(report, L"Update available. Installed version: 0.3.6 latest available version: 0.3.7 .");
    tally.Case();
    tally.CheckStore(plugin.Host, TStoreValues());
}

TEST(HostileWindow, WindowAndCheckLoadCyclesLeakNothing) {
    THostileTally tally;
    TServer server;
    ASSERT_TRUE(server.Running()) << "the stand-in server is not running (its port file is missing)";
    server.Use();
    server.Answer(0, kVersionFile);
    TPluginFolder folder(L"hostile-window-cycles");
    const std::wstring dllPath = folder.Dll();
    auto cycle = [&] {
        THostService host;
        PutStore(host, TStoreValues());
        TPluginLoader loader;
        ASSERT_TRUE(loader.Load(dllPath, host));
        loader.Send(HM_START);
        std::wstring report;
        EXPECT_EQ(ShowOptions(loader, [&](HWND form) { report = FinalReport(form); }), 1);
        EXPECT_EQ(report, L"Update available. Installed version: 0.3.6 latest available version: 0.3.7 .");
        loader.Unload();
        // The check's thread lets go of the module last.
        EXPECT_TRUE(PumpUntil([&] { return ::GetModuleHandleW(dllPath.c_str()) == nullptr; }, 20000));
        PumpMessagesFor(100);
    };
    for (int i = 0; i < 3; ++i) {
        cycle();
    }
    const TResources before = MeasureResources();
    for (int i = 0; i < 10; ++i) {
        cycle();
    }
    const TResources after = MeasureResources();
    std::printf("10 load cycles with the window and a check\n");
    tally.CheckResources(before, after, 256 * 1024);
    tally.Case(10);
}

TEST(HostileWindow, MessageSixInOddPlacesAndStates) {
    THostileTally tally;
    TServer::Refuse();
    TStoreValues store;
    store.FreqValue = 1;
    THostilePlugin plugin(L"hostile-six", store);
    plugin.Start();

    // Parameters the plug-in doesn't read hold unusable addresses.
    EXPECT_EQ(ShowOptions(plugin.Loader, [](HWND) {}, 0x10, 0x10, 0x10), 1);
    tally.Case();

    // The window's loop runs the timer; the host asks for the window again
    // from inside a tick's query, and from inside a status message.
    for (const int32_t code : {PM_QUERY_STATUS, PM_SET_STATUS_TEXT}) {
        plugin.Host.Icon = 5;
        bool asked = false;
        plugin.Host.OnMessage = [&](const THostMessageRec& msg) {
            if (msg.Code == code && !asked) {
                asked = true;
                plugin.Loader.Send(HM_SHOW_OPTIONS);
            }
        };
        const int shown = ShowOptions(plugin.Loader, [](HWND) { ::Sleep(2500); });
        plugin.Host.OnMessage = nullptr;
        EXPECT_TRUE(asked) << "code " << code;
        EXPECT_GE(shown, 1);
        tally.Case();
    }

    // No store: the window shows the values as they stand and saving
    // writes nowhere.
    plugin.Host.StoreAvailable = false;
    EXPECT_EQ(ShowOptions(plugin.Loader,
                          [](HWND form) {
                              Ask(Control(form, u"Button1"), BM_CLICK);  // tick every icon
                              Ask(Control(form, u"btnOk"), BM_CLICK);
                          }),
              1);
    plugin.Host.StoreAvailable = true;
    tally.Case();
    tally.CheckStore(plugin.Host, store);

    // Before message 1 the plug-in has no folder of its own; the window
    // still shows and closes.
    THostService host;
    PutStore(host, store);
    auto create = reinterpret_cast<TCreateVostekPlugin>(
        reinterpret_cast<void*>(::GetProcAddress(plugin.Loader.Module, "CreateVostekPLUGIN")));
    ASSERT_NE(create, nullptr);
    TPluginLoader early;
    create(&early.Plugin, &host);
    ASSERT_NE(early.Plugin, nullptr);
    EXPECT_EQ(ShowOptions(early, [](HWND) {}), 1);
    early.ReleasePlugin();
    tally.Case();
    tally.CheckStore(host, store);
}

// A dictionary entry as the profile functions read it.
std::string Dictionary(const std::wstring& entries) { return Utf16Le(L"[Dict]\r\n" + entries); }

// The caption of btnCancel with the given language, and the time the
// window took to show.
std::wstring CancelCaption(THostilePlugin& plugin, const std::wstring& language, ULONGLONG* showMs = nullptr) {
    plugin.Loader.SendLanguage(language);
    std::wstring caption;
    const ULONGLONG start = ::GetTickCount64();
    ULONGLONG shownAt = 0;
    const int shown = ShowOptions(plugin.Loader, [&](HWND form) {
        shownAt = ::GetTickCount64();
        caption = Text(Control(form, u"btnCancel"));
    });
    EXPECT_EQ(shown, 1) << "language of " << language.size() << " characters";
    if (showMs) {
        *showMs = shownAt - start;
    }
    return caption;
}

TEST(HostileLanguage, HugeBinaryAndMisnamedDictionaries) {
    THostileTally tally;
    TServer::Refuse();
    THostilePlugin plugin(L"hostile-lang");
    plugin.Start();
    const std::wstring languages = plugin.Folder.Path() + L"Languages";
    ASSERT_TRUE(::CreateDirectoryW(languages.c_str(), nullptr));

    // A control: a plain dictionary translates.
    plugin.Folder.Write(L"Languages\\Plain.ini", Dictionary(L"Cancel=PLAIN\r\n"));
    EXPECT_EQ(CancelCaption(plugin, L"Plain"), L"PLAIN");

    // 1 MB of entries before the one the window needs.
    std::wstring big;
    for (int i = 0; big.size() < (512u << 10); ++i) {
        big += L"Unused text number " + std::to_wstring(i) + L"=\x0422\x0435\x043A\x0441\x0442\r\n";
    }
    plugin.Folder.Write(L"Languages\\Huge.ini", Dictionary(big + L"Cancel=HUGE\r\n"));
    ULONGLONG showMs = 0;
    EXPECT_EQ(CancelCaption(plugin, L"Huge", &showMs), L"HUGE");
    std::printf("window with a 1 MB dictionary shown in %llu ms\n", showMs);
    EXPECT_LT(showMs, 15000u);
    tally.Case();

    // Binary files under the language's name: English, no crash.
    std::mt19937 engine(7);
    for (const char* mark : {"", "\xFF\xFE", "\xEF\xBB\xBF"}) {
        std::string bytes(mark);
        while (bytes.size() < 64 * 1024) {
            bytes.push_back(static_cast<char>(engine() & 0xFF));
        }
        plugin.Folder.Write(L"Languages\\Russian.ini", bytes);
        EXPECT_EQ(CancelCaption(plugin, L"Russian"), L"Cancel");
        tally.Case();
    }

    // Names that would reach outside the folder, devices, and absurd names:
    // a dictionary placed where they point is never read.
    plugin.Folder.Write(L"evil.ini", Dictionary(L"Cancel=EVIL\r\n"));
    const std::wstring outside = plugin.Folder.Path() + L"evil";
    const std::vector<std::wstring> names = {
        L"..\\evil", L"../evil", L"Plain\\..\\..\\evil", outside, L"\\\\?\\" + outside, L"evil:stream",
        L"CON", L"NUL", L"COM1", L"Plain*", std::wstring(10000, L'a'), std::wstring(L"Pla\0in", 6)};
    for (const auto& name : names) {
        const std::wstring caption = CancelCaption(plugin, name);
        EXPECT_NE(caption, L"EVIL") << "read a dictionary outside the folder";
        EXPECT_TRUE(caption == L"Cancel" || caption == L"PLAIN") << "name of " << name.size() << " characters";
        tally.Case();
    }
    tally.CheckStore(plugin.Host, TStoreValues());
}

}  // namespace
