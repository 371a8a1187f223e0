// The 64-bit DLL driven as the messenger drives it: load, info record,
// dispatch, timer, store and list files.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "tests/win/test_support.h"
#include "tests/win/timer_race.h"

namespace {

const wchar_t DisplayName[] = L"Brisklet - \u0441\u043C\u0435\u0448\u043D\u043E\u0439 \u0441\u0442\u0430\u0442\u0443\u0441";

// A loaded plug-in with a store that selects icon 5 in xStatus mode.
struct TLoaded {
    explicit TLoaded(const std::wstring& name) : Folder(name) { TickIconFiveEverySecond(Host); }
    ~TLoaded() { Loader.Unload(); }

    bool Load() { return Loader.Load(Folder.Dll(), Host); }

    // The xStatus that one message-12 run sends for icon 5.
    std::wstring RunOnce() {
        const size_t before = Host.Sent.size();
        Loader.SendStatus(5, L"Title", L"Current");
        if (Host.Sent.size() != before + 2) {
            return L"<" + std::to_wstring(Host.Sent.size() - before) + L" messages>";
        }
        return Host.Sent.back().XStatus;
    }

    TPluginFolder Folder;
    THostService Host;
    TPluginLoader Loader;
};

TEST(PluginLoad, InfoRecordAfterMessage1) {
    TLoaded p(L"info");
    ASSERT_TRUE(p.Load()) << Utf8(p.Loader.Error);
    const TPluginInfoRec* info = p.Loader.Info;
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->ModuleHandle, reinterpret_cast<uintptr_t>(p.Loader.Module));
    ASSERT_NE(info->ModulePath, nullptr);
    EXPECT_EQ(_wcsicmp(info->ModulePath, p.Folder.Dll().c_str()), 0) << Utf8(info->ModulePath);
    EXPECT_EQ(info->ApiVersionMajor, 1);
    EXPECT_EQ(info->ApiVersionMinor, 4);
    EXPECT_EQ(info->PluginVersionMajor, 0);
    EXPECT_EQ(info->PluginVersionMinor, 3);
    EXPECT_STREQ(info->PluginName, DisplayName);
    EXPECT_STREQ(info->PluginAuthor, L"Orvane software");
    // GetInfoRecord has no side effect and keeps its address.
    EXPECT_EQ(p.Loader.Plugin->GetInfoRecord(), info);
}

TEST(PluginLoad, ReleasingTheHostReferenceDestroysTheObjectAndReleasesTheService) {
    TLoaded p(L"release");
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.Host.RefCount, 1) << "the plug-in keeps one counted reference";
    p.Loader.ReleasePlugin();
    EXPECT_EQ(p.Host.RefCount, 0);
}

TEST(PluginLoad, CreateReplacesWhatTheVariableHeldAndSurvivesNull) {
    TPluginFolder folder(L"create");
    HMODULE module = ::LoadLibraryW(folder.Dll().c_str());
    ASSERT_NE(module, nullptr);
    auto create = reinterpret_cast<TCreateVostekPlugin>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateVostekPLUGIN")));
    ASSERT_NE(create, nullptr);
    THostService host;
    create(nullptr, &host);  // no variable: nothing happens
    EXPECT_EQ(host.RefCount, 0);
    IHostedPlugin* plugin = nullptr;
    create(&plugin, &host);
    ASSERT_NE(plugin, nullptr);
    IHostedPlugin* first = plugin;
    create(&plugin, &host);  // the old interface is released, the new one kept
    EXPECT_NE(plugin, first);
    EXPECT_EQ(host.RefCount, 1);
    plugin->Release();
    EXPECT_EQ(host.RefCount, 0);
    ::FreeLibrary(module);
}

TEST(PluginLoad, LongModulePathIsReadWhole) {
    TTempFolder base(L"long");
    std::wstring folder = base.Path();
    for (int i = 0; i < 2; ++i) {
        folder += std::wstring(140, static_cast<wchar_t>(L'a' + i)) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    const std::wstring dll = folder + L"Brisklet.dll";
    ASSERT_GT(dll.size(), 300u);
    ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"Brisklet.dll").c_str(), dll.c_str(), FALSE));
    const std::string list = "deep joke\r\n";
    HANDLE f = ::CreateFileW((folder + L"list.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(f, list.data(), static_cast<DWORD>(list.size()), &written, nullptr);
    ::CloseHandle(f);

    THostService host;
    host.Store.Initialized = 1;
    host.SetSelection(L";;5;;");
    TPluginLoader loader;
    ASSERT_TRUE(loader.Load(dll, host)) << Utf8(loader.Error);
    EXPECT_EQ(std::wstring(loader.Info->ModulePath).size(), dll.size());
    loader.Send(HM_START);
    loader.SendStatus(5, L"t", L"x");
    ASSERT_EQ(host.Sent.size(), 2u);
    EXPECT_EQ(host.Sent[1].XStatus, L"deep joke") << "the list beside the DLL is found";
    loader.Unload();
    for (int i = 0; i < 2; ++i) {
        ::DeleteFileW((folder + L"Brisklet.dll").c_str());
        ::DeleteFileW((folder + L"list.txt").c_str());
        ::RemoveDirectoryW(folder.c_str());
        folder.resize(folder.size() - 141);
    }
}

TEST(Dispatch, CodesOutsideTheTableChangeNothing) {
    TLoaded p(L"codes");
    ASSERT_TRUE(p.Load());
    for (int32_t code = -2; code <= 1000; ++code) {
        if ((code >= 1 && code <= 6) || code == 12 || code == 28) {
            continue;
        }
        // Parameters that would crash a handler that read them.
        p.Loader.Send(code, 0x10, 0x20, 0x30);
    }
    EXPECT_TRUE(p.Host.Sent.empty());
    EXPECT_EQ(p.Host.StoreRequests, 0);
    EXPECT_EQ(p.Host.Store.FreqValue, 1);
    // A 1-s timer would have ticked before a reference of 1.5 s.
    EXPECT_FALSE(EventBeforeReference(1500, [&] { return !p.Host.Sent.empty(); })) << "the timer was never started";
}

TEST(Dispatch, TimerFollowsStartStopResumeFinish) {
    TLoaded p(L"timer");
    p.Folder.Write(L"list.txt", "tick joke\r\n");
    ASSERT_TRUE(p.Load());
    const auto sentSince = [&](size_t count) { return [&p, count] { return p.Host.Sent.size() > count; }; };
    EXPECT_FALSE(EventBeforeReference(1500, sentSince(0))) << "loaded, not running";

    p.Loader.Send(HM_START);
    // Started after the plug-in's 1-s timer: it falls due between its
    // second and third tick.
    PumpForReference(2500);
    const size_t ticks = p.Host.CountSent(PM_QUERY_STATUS);
    std::printf("[          ] %zu ticks of a 1-s timer during a reference of 2.5 s\n", ticks);
    EXPECT_GE(ticks, 1u);
    EXPECT_LE(ticks, 3u);
    EXPECT_EQ(p.Host.XStatus, L"tick joke");
    EXPECT_EQ(p.Host.CountSent(PM_SET_STATUS_TEXT), 2 * ticks);

    p.Loader.Send(HM_STOP);
    const size_t stopped = p.Host.Sent.size();
    EXPECT_FALSE(EventBeforeReference(1500, sentSince(stopped))) << "message 3 disables the timer";

    p.Loader.Send(HM_RESUME);
    EXPECT_TRUE(EventBeforeReference(1500, sentSince(stopped))) << "message 4 enables it";

    p.Loader.Send(HM_FINISH);
    const size_t finished = p.Host.Sent.size();
    EXPECT_FALSE(EventBeforeReference(1500, sentSince(finished))) << "message 5 disables it";
    for (const auto& m : p.Host.Sent) {
        EXPECT_EQ(m.Sender, reinterpret_cast<intptr_t>(p.Loader.Module));
    }
}

TEST(Dispatch, ZeroIntervalKeepsTheTimerSilent) {
    TLoaded p(L"silent");
    p.Host.Store.FreqValue = 0;
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    EXPECT_FALSE(EventBeforeReference(1500, [&] { return p.Host.CountSent(PM_QUERY_STATUS) > 0; }));
    // Message 12 still runs at once.
    p.Loader.SendStatus(5, L"a", L"b");
    EXPECT_EQ(p.Host.CountSent(PM_SET_STATUS_TEXT), 2u);
}

TEST(Dispatch, LanguageMessageAcceptsNull) {
    TLoaded p(L"language");
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    p.Loader.Send(HM_LANGUAGE, 0);
    p.Loader.SendLanguage(L"Russian");
    p.Loader.SendStatus(5, L"a", L"b");
    EXPECT_EQ(p.Host.CountSent(PM_SET_STATUS_TEXT), 2u) << "the plug-in goes on working";
}

TEST(ListFiles, ReloadFollowsTheFilesAtEachActivation) {
    TLoaded p(L"reload");
    p.Folder.Write(L"list.txt", "\xEF\xBB\xBF" "only one\r\n");
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.RunOnce(), L"<0 messages>") << "no settings, so nothing selected, before message 2";
    p.Loader.Send(HM_START);
    EXPECT_EQ(p.RunOnce(), L"only one");

    p.Folder.Write(L"list.txt", Utf16Le(L"second\r\n"));
    EXPECT_EQ(p.RunOnce(), L"only one") << "files are read at activation only";
    p.Loader.Send(HM_START);
    EXPECT_EQ(p.RunOnce(), L"second");

    p.Folder.Remove(L"list.txt");
    p.Loader.Send(HM_RESUME);
    EXPECT_EQ(p.RunOnce(), L"Current") << "a deleted file empties its list";
}

TEST(ListFiles, EachFileFillsItsOwnList) {
    TLoaded p(L"two-files");
    p.Folder.Write(L"list.txt", "from list\r\n");
    ASSERT_TRUE(p.Load());
    p.Host.Store.WorkMode = 2;  // icon mode draws from statuses.txt, which is missing
    p.Loader.Send(HM_START);
    EXPECT_EQ(p.RunOnce(), L"Current");
    p.Folder.Write(L"statuses.txt", "5|Beer|Cold/nlone\r\n");
    p.Loader.Send(HM_START);
    EXPECT_EQ(p.RunOnce(), L"Cold\r\none");
    EXPECT_EQ(p.Host.Sent.back().Status, L"Beer");
}

TEST(ListFiles, UnreadableFilesGiveEmptyLists) {
    TLoaded p(L"unreadable");
    ASSERT_TRUE(p.Load());
    ASSERT_TRUE(::CreateDirectoryW(p.Folder.File(L"list.txt").c_str(), nullptr));
    p.Loader.Send(HM_START);
    EXPECT_EQ(p.RunOnce(), L"Current") << "a folder named list.txt";
    ::RemoveDirectoryW(p.Folder.File(L"list.txt").c_str());

    p.Folder.Write(L"list.txt", "locked joke\r\n");
    HANDLE lock = ::CreateFileW(p.Folder.File(L"list.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    p.Loader.Send(HM_START);
    EXPECT_EQ(p.RunOnce(), L"Current") << "a file opened exclusively elsewhere";
    ::CloseHandle(lock);
    p.Loader.Send(HM_START);
    EXPECT_EQ(p.RunOnce(), L"locked joke");
}

TEST(ListFiles, EncodingsReachTheHostIntact) {
    const std::wstring ru = L"\u041F\u0440\u0438\u0432\u0435\u0442";
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"UTF-16 LE", Utf16Le(ru)},
        {"UTF-16 BE", [&] {
             std::string s = "\xFE\xFF";
             for (wchar_t c : ru) {
                 s.push_back(static_cast<char>(c >> 8));
                 s.push_back(static_cast<char>(c & 0xFF));
             }
             return s;
         }()},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Utf8(ru)},
        {"UTF-8 without mark", Utf8(ru)},
    };
    for (const auto& c : cases) {
        TLoaded p(L"encoding");
        p.Folder.Write(L"list.txt", c.bytes);
        ASSERT_TRUE(p.Load());
        p.Loader.Send(HM_START);
        EXPECT_EQ(p.RunOnce(), ru) << c.name;
    }
}

}  // namespace
