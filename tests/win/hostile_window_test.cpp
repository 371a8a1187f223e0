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

#include "options/options_layout.h"
#include "tests/win/hostile_support.h"
#include "tests/win/window_support.h"

namespace {

// Points the update check at the stand-in server for the test's span, or at
// a port that refuses, so that checks end at once.
class TServer : public TUpdateServer {
public:
    ~TServer() {
        if (Running()) {
            Release();
            Answer(0, "");
        }
        Refuse();
    }

    // The next answers: the version file, after delay seconds.
    void Answer(double delay, const std::string& body) { Serve(200, body, delay); }
    // Requests the server has taken, and how many of them it has answered.
    void Log(size_t& taken, size_t& answered) {
        const std::vector<TLogEntry> log = TUpdateServer::Log();
        taken = log.size();
        answered = static_cast<size_t>(
            std::count_if(log.begin(), log.end(), [](const TLogEntry& entry) { return entry.Done; }));
    }
};

const char VersionFile[] = "[update]\r\nmajor=0\r\nminor=3\r\nrelease=7\r\npage=http://www.orvane.example/new\r\n";

TEST(HostileWindow, TwentyQuickShowingsAgainstASlowServerThenUnloadWhileChecksRun) {
    THostileTally tally;
    TServer server;
    ASSERT_TRUE(server.Running()) << "the stand-in server is not running (its port file is missing)";
    server.Use();
    THostilePlugin plugin(L"hostile-window");
    plugin.Folder.Write(L"list.txt", "joke\r\njoke\r\n");
    plugin.Start();
    const std::wstring dllPath = plugin.Folder.Dll();

    // Every check is held by the server until the DLL has been freed.
    server.Hold(200, VersionFile);
    const ULONGLONG start = ::GetTickCount64();
    int shown = 0;
    for (int i = 0; i < 20; ++i) {
        shown += ShowOptions(plugin.Loader, [](HWND) {});
        tally.Case();
    }
    std::printf("20 showings in %llu ms\n", ::GetTickCount64() - start);
    EXPECT_EQ(shown, 20);
    EXPECT_TRUE(server.WaitForRequests(1)) << "no check reached the server";
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
    server.Release();
    server.Answer(0, VersionFile);
    EXPECT_TRUE(PumpUntil([&] { return ::GetModuleHandleW(dllPath.c_str()) == nullptr; }, 60000))
        << "the DLL stayed loaded after its checks";
    // Whatever the last check posted to this thread is queued by now: its
    // thread has let go of the DLL.
    PumpUntil([] { return true; }, 0);

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
    server.Answer(0, VersionFile);
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
        PumpUntil([] { return true; }, 0);  // what the check posted before it let go
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
        std::atomic<bool> asked{false};
        plugin.Host.OnMessage = [&](const THostMessageRec& msg) {
            if (msg.Code == code && !asked) {
                asked = true;
                plugin.Loader.Send(HM_SHOW_OPTIONS);
            }
        };
        // Until the tick has asked, however late it comes under emulation.
        const int shown = ShowOptions(plugin.Loader, [&](HWND) { PumpUntil([&] { return asked.load(); }, 20000); });
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
    // Only a guard against a hang; how fast the window shows depends on the
    // machine.
    EXPECT_LT(showMs, 120000u);
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
