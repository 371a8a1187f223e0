// The messenger may release the plug-in and free the DLL at any time, also
// while update checks still wait for the server, and may load it again in
// the same process. Nothing of the old image may run on the host's thread
// after the release, and a reload must find none of the old classes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/win/hostile_support.h"
#include "tests/win/window_support.h"

namespace {

const char NewerVersion[] = "[update]\r\nmajor=0\r\nminor=3\r\nrelease=7\r\npage=http://www.orvane.example/new\r\n";
const wchar_t NewerReport[] = L"Update available. Installed version: 0.3.6 latest available version: 0.3.7 .";

// Every window of this process whose class the module registered: top-level
// ones, their children, and message-only ones.
std::vector<HWND> WindowsOfModule(HMODULE module) {
    std::vector<HWND> tops;
    for (const HWND window : TopLevelWindows()) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId()) {
            tops.push_back(window);
        }
    }
    for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
        tops.push_back(window);
    }
    std::vector<HWND> found;
    const auto take = [&](HWND window) {
        if (reinterpret_cast<HMODULE>(::GetClassLongPtrW(window, GCLP_HMODULE)) == module) {
            found.push_back(window);
        }
    };
    for (const HWND top : tops) {
        take(top);
        for (const HWND child : ChildWindows(top)) {
            take(child);
        }
    }
    return found;
}

std::set<std::wstring> ClassNames(const std::vector<HWND>& windows) {
    std::set<std::wstring> names;
    for (const HWND window : windows) {
        wchar_t name[256] = {};
        if (::GetClassNameW(window, name, 256) > 0) {
            names.insert(name);
        }
    }
    return names;
}

bool Loaded(const std::wstring& dll) { return ::GetModuleHandleW(dll.c_str()) != nullptr; }

TEST(PluginUnload, ReleasingAndFreeingWhileChecksHangLeavesNothingToRun) {
    TUpdateServer server;
    ASSERT_TRUE(server.Running()) << "the stand-in server is not running (its port file is missing)";
    server.Use();
    TPluginFolder folder(L"unload-hang");
    const std::wstring dll = folder.Dll();
    int cycles = 0;
    int heldAfterFree = 0;
    int freedWhileHeld = 0;
    int windowsLeft = 0;
    const ULONGLONG start = ::GetTickCount64();
    for (int i = 0; i < 30; ++i) {
        // The answers wait for the test, which lets them go at one stage of
        // the unload in turn: while the host still holds the plug-in, between
        // the release and FreeLibrary, and after FreeLibrary. So the last
        // report of a check meets every stage, on a machine of any speed.
        const int stage = i % 3;
        const int showings = 1 + (i / 3) % 3;
        server.Hold(200, NewerVersion);
        THostService host;
        PutStore(host, TStoreValues());
        TPluginLoader loader;
        ASSERT_TRUE(loader.Load(dll, host)) << Utf8(loader.Error);
        loader.Send(HM_START);
        for (int showing = 0; showing < showings; ++showing) {
            ShowOptions(loader, [](HWND) {});  // each showing starts a check
        }
        ASSERT_TRUE(server.WaitForRequests(static_cast<size_t>(showings)))
            << "cycle " << i << ": " << server.Log().size() << " of " << showings << " checks reached the server";
        if (stage == 0) {
            server.Release();
        }
        const HMODULE module = loader.Module;
        loader.ReleasePlugin();
        windowsLeft += static_cast<int>(WindowsOfModule(module).size());
        if (stage == 1) {
            server.Release();
        }
        loader.Unload();
        const bool held = Loaded(dll);
        heldAfterFree += held ? 1 : 0;
        if (stage == 2) {
            freedWhileHeld += 1;
            EXPECT_TRUE(held) << "cycle " << i << ": FreeLibrary unloaded the DLL under a running check";
            server.Release();
        }
        // The host's thread goes on pumping while the checks end.
        ASSERT_TRUE(PumpUntil([&] { return !Loaded(dll); }, 20000)) << "cycle " << i << ": the DLL stayed loaded";
        ++cycles;
    }
    std::printf("%d unload cycles in %llu ms; a check still held the DLL after FreeLibrary in %d (%d freed while "
                "every check was held)\n",
                cycles, ::GetTickCount64() - start, heldAfterFree, freedWhileHeld);
    EXPECT_EQ(windowsLeft, 0) << "windows of ours outlived the plug-in";
    EXPECT_GE(heldAfterFree, freedWhileHeld) << "no cycle freed the DLL while a check ran";
    server.Serve(200, "");
    TUpdateServer::Refuse();
}

// The host's thread gets the threads runtime's data (a thread handle and an
// event) as it runs our code. When a check's thread holds the DLL past
// FreeLibrary, the unload runs on that thread, which can give back only its
// own: the host thread's must be back before.
TEST(PluginUnload, UnloadsOnACheckThreadLeaveNoHandlesOfTheHostThread) {
    TUpdateServer server;
    ASSERT_TRUE(server.Running()) << "the stand-in server is not running (its port file is missing)";
    server.Use();
    TPluginFolder folder(L"unload-handles");
    const std::wstring dll = folder.Dll();
    int heldAfterFree = 0;
    const auto cycle = [&] {
        // The answer waits until the DLL is freed: the unload runs on the
        // check's thread every time.
        server.Hold(200, NewerVersion);
        THostService host;
        PutStore(host, TStoreValues());
        TPluginLoader loader;
        ASSERT_TRUE(loader.Load(dll, host)) << Utf8(loader.Error);
        loader.Send(HM_START);
        ShowOptions(loader, [](HWND) {});
        ASSERT_TRUE(server.WaitForRequests(1)) << "the check did not reach the server";
        loader.ReleasePlugin();
        loader.Unload();
        heldAfterFree += Loaded(dll) ? 1 : 0;
        server.Release();
        ASSERT_TRUE(PumpUntil([&] { return !Loaded(dll); }, 20000)) << "the DLL stayed loaded";
        // Its request is answered and its connection closed.
        ASSERT_TRUE(PumpUntil(
            [&] {
                const std::vector<TLogEntry> log = server.Log();
                return std::all_of(log.begin(), log.end(), [](const TLogEntry& e) { return e.Done; });
            },
            10000));
    };
    for (int i = 0; i < 3; ++i) {
        cycle();  // warm-up: Wine's and WinInet's own handles settle
    }
    heldAfterFree = 0;
    const DWORD before = CountHandles();
    const int cycles = 20;
    for (int i = 0; i < cycles; ++i) {
        cycle();
    }
    const DWORD after = CountHandles();
    std::printf("%d load, show-options and free cycles: a check held the DLL after FreeLibrary in %d; handles %lu -> %lu\n",
                cycles, heldAfterFree, static_cast<unsigned long>(before), static_cast<unsigned long>(after));
    server.Serve(200, "");
    TUpdateServer::Refuse();
    ASSERT_EQ(heldAfterFree, cycles) << "an unload did not run on a check's thread: the count shows less";
    EXPECT_EQ(after, before) << "handles left by unloads on a check's thread";
}

TEST(PluginUnload, FreeingAfterACheckLeavesNoClassAndAReloadWorks) {
    TUpdateServer server;
    ASSERT_TRUE(server.Running()) << "the stand-in server is not running (its port file is missing)";
    server.Use();
    server.Serve(200, NewerVersion);
    TPluginFolder folder(L"unload-reload");
    folder.Write(L"list.txt", "only joke\r\n");
    const std::wstring dll = folder.Dll();

    THostService host;
    PutStore(host, TStoreValues());
    TPluginLoader loader;
    ASSERT_TRUE(loader.Load(dll, host));
    loader.Send(HM_START);
    const HMODULE first = loader.Module;
    std::set<std::wstring> classes;
    std::wstring report;
    EXPECT_EQ(ShowOptions(loader,
                          [&](HWND form) {
                              report = FinalReport(form);
                              classes = ClassNames(WindowsOfModule(first));
                          }),
              1);
    EXPECT_EQ(report, NewerReport);
    // The timer's and the report's message windows, and the pages.
    EXPECT_TRUE(classes.count(L"BriskletMessageWindow")) << "no class found: the search itself is broken";
    EXPECT_TRUE(classes.count(L"BriskletTabSheet"));
    loader.Unload();
    ASSERT_TRUE(PumpUntil([&] { return !Loaded(dll); }, 20000));
    for (const std::wstring& name : classes) {
        WNDCLASSEXW info{};
        info.cbSize = sizeof(info);
        EXPECT_FALSE(::GetClassInfoExW(first, name.c_str(), &info)) << Utf8(name) << " is still registered";
    }

    // Loaded again, it checks and rotates with its own code.
    ASSERT_TRUE(loader.Load(dll, host));
    loader.Send(HM_START);
    report.clear();
    EXPECT_EQ(ShowOptions(loader, [&](HWND form) { report = FinalReport(form); }), 1);
    EXPECT_EQ(report, NewerReport);
    host.Sent.clear();
    loader.SendStatus(5, L"Beer", L"Friday");
    EXPECT_EQ(ExpectPair(host.Sent).XStatus, L"only joke");
    loader.Unload();
    PumpUntil([&] { return !Loaded(dll); }, 20000);
    TUpdateServer::Refuse();
}

}  // namespace
