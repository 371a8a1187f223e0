// A hostile or careless messenger: null texts, no store, damaged stores,
// every message code, long runs, messages nested inside our own sends, and
// a factory call without a place for the interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "tests/win/hostile_support.h"
#include "tests/win/timer_race.h"

namespace {

const char Statuses[] =
    "5|Beer|Cold/nlone\r\n5|Pub|Later\r\n12|Busy|Back soon/nlreally\r\n12|Twelve|t\r\n"
    "-5|Minus|m\r\n2147483647|Max|x\r\n-2147483648|Min|n\r\n7|||\r\n";

// Counts the queries that reach the host while the thread's message loop
// runs for one period of a reference timer, so that a timer gone wild shows.
size_t QueriesWhilePumping(THostService& host, UINT milliseconds) {
    const size_t before = host.CountSent(PM_QUERY_STATUS);
    PumpForReference(milliseconds);
    return host.CountSent(PM_QUERY_STATUS) - before;
}

TEST(HostileHost, NullTextPointersWhereverTheyCanCome) {
    THostileTally tally;
    TStoreValues store;
    store.FreqValue = 1;  // a tick every second
    THostilePlugin plugin(L"hostile-nulls", store);
    plugin.Folder.Write(L"list.txt", "joke\r\njoke\r\n");
    plugin.Start();

    const std::wstring text = L"Text";
    const intptr_t valid = reinterpret_cast<intptr_t>(text.c_str());
    const intptr_t pairs[][2] = {{0, 0}, {valid, 0}, {0, valid}};
    for (const auto& p : pairs) {
        plugin.Host.Sent.clear();
        plugin.Loader.Send(HM_STATUS_INFO, 5, p[0], p[1]);
        const TSentMessage sent = ExpectPair(plugin.Host.Sent);
        EXPECT_EQ(sent.Status, p[0] ? L"Text" : L"");
        tally.Case();
    }

    plugin.Loader.Send(HM_LANGUAGE, 0);
    plugin.Loader.SendLanguage(L"");
    plugin.Loader.SendLanguage(L"English");
    tally.Case(2);

    // The timer's query answered with null texts: the run goes on with
    // empty ones.
    plugin.Host.Icon = 5;
    plugin.Host.NullQueryTexts = true;
    plugin.Host.Sent.clear();
    // The 1-s timer falls due two or three times during a reference of 2.5 s.
    const size_t queries = QueriesWhilePumping(plugin.Host, 2500);
    plugin.Loader.Send(HM_STOP);
    std::printf("[          ] %zu ticks of a 1-s timer during a reference of 2.5 s\n", queries);
    EXPECT_GE(queries, 1u);
    EXPECT_LE(queries, 3u);
    EXPECT_EQ(plugin.Host.CountSent(PM_SET_STATUS_TEXT), 2 * queries);
    for (const TSentMessage& m : plugin.Host.Sent) {
        if (m.Code == PM_SET_STATUS_TEXT) {
            EXPECT_FALSE(m.StatusNull || m.XStatusNull);
            EXPECT_EQ(m.Status, L"");
            EXPECT_TRUE(m.XStatus == L"" || m.XStatus == L"joke");
        }
    }
    tally.Case();
    tally.CheckStore(plugin.Host, store);
}

TEST(HostileHost, NoStoreLeavesThePluginQuietAndTheStoreUntouched) {
    THostileTally tally;
    TStoreValues untouched;
    untouched.Initialized = 0;
    untouched.FreqValue = 1;
    untouched.WorkMode = 1;
    untouched.Selection = L";;5;;";
    THostilePlugin plugin(L"hostile-nostore", untouched);
    plugin.Folder.Write(L"list.txt", "joke\r\njoke\r\n");
    plugin.Host.StoreAvailable = false;

    for (const int32_t code : {HM_START, HM_RESUME, HM_STOP, HM_FINISH, HM_START}) {
        plugin.Loader.Send(code);
        EXPECT_TRUE(plugin.Run(5).empty()) << "nothing is selected without a store";
        tally.Case();
    }
    // The interval stays at 0 without settings: no tick at all.
    EXPECT_EQ(QueriesWhilePumping(plugin.Host, 1500), 0u);
    tally.CheckStore(plugin.Host, untouched);

    // The store comes back: first use writes the defaults.
    plugin.Host.StoreAvailable = true;
    plugin.Start();
    TStoreValues defaults;
    defaults.Selection.clear();
    tally.CheckStore(plugin.Host, defaults);
    EXPECT_TRUE(plugin.Run(5).empty());
    tally.Case();
}

TEST(HostileHost, DamagedStoreValuesAreSurvivedAndKept) {
    THostileTally tally;
    struct TCase {
        const char* Name;
        TStoreValues Store;
        std::vector<int32_t> Selected;     // icons whose runs send
        std::vector<int32_t> NotSelected;  // icons whose runs send nothing
    };
    auto values = [](int32_t freq, int32_t unit, int32_t mode, std::wstring selection) {
        TStoreValues v;
        v.FreqValue = freq;
        v.FreqUnit = unit;
        v.WorkMode = mode;
        v.Selection = std::move(selection);
        return v;
    };
    std::wstring withNul(L";;7;;\0;;5;;", 11);
    std::wstring huge;
    for (int i = 0; i < 12000; ++i) {
        huge += L";;" + std::to_wstring(i % 40) + L";;";
    }
    const std::vector<TCase> cases = {
        {"most negative interval", values(INT_MIN, 2, 0, L";;5;;"), {5}, {6}},
        {"negative interval", values(-1, 1, 1, L";;5;;"), {5}, {}},
        {"largest interval", values(INT_MAX, 2, 2, L";;5;;"), {5}, {}},
        {"unit out of range", values(1, INT_MIN, 0, L";;5;;"), {5}, {}},
        {"negative unit", values(0, -1, 0, L";;5;;"), {5}, {}},
        {"mode -1", values(120, 0, -1, L";;5;;"), {5}, {}},
        {"mode 3", values(120, 0, 3, L";;5;;"), {5}, {}},
        {"largest mode", values(120, 0, INT_MAX, L";;5;;"), {5}, {}},
        {"smallest mode", values(120, 0, INT_MIN, L";;5;;"), {5}, {}},
        {"non-numeric pieces", values(120, 0, 1, L";;abc;;;;5;;x;;+12;;"), {5}, {12, 0}},
        {"separators only", values(120, 0, 1, L";;;;;;;"), {}, {5, 0, -1}},
        {"no separators", values(120, 0, 1, L"5"), {}, {5}},
        {"negative icons", values(120, 0, 1, L";;-5;;;;-2147483648;;"), {-5, INT_MIN}, {5}},
        {"largest icon", values(120, 0, 2, L";;2147483647;;"), {INT_MAX}, {-1}},
        {"embedded NUL", values(120, 0, 1, withNul), {7, 5}, {0}},
        {"surrogates and Cyrillic", values(120, 0, 1, std::wstring(L";;\xD800;;\x0416;;;;5;;")), {5}, {0}},
        {"huge selection", values(120, 0, 1, huge), {5, 39}, {40}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        THostilePlugin plugin(L"hostile-store", c.Store);
        plugin.Folder.Write(L"list.txt", "joke\r\njoke\r\n");
        plugin.Folder.Write(L"statuses.txt", Statuses);
        plugin.Start();
        for (const int32_t icon : c.Selected) {
            // Only a guard against a run that never ends; the time of a run
            // depends on the machine.
            const ULONGLONG start = ::GetTickCount64();
            const TSentMessage sent = ExpectPair(plugin.Run(icon, L"Title", L"Text/nl"));
            EXPECT_LT(::GetTickCount64() - start, 60000u) << "one run held the host";
            if (c.Store.WorkMode < 0 || c.Store.WorkMode > 2) {
                EXPECT_EQ(sent.Icon, icon);
                EXPECT_EQ(sent.Status, L"Title");
                EXPECT_EQ(sent.XStatus, L"Text/nl");
            }
        }
        for (const int32_t icon : c.NotSelected) {
            EXPECT_TRUE(plugin.Run(icon).empty()) << "icon " << icon;
        }
        // A damaged interval must not make the timer fire at once or often.
        if (c.Store.FreqValue != 1) {
            EXPECT_EQ(QueriesWhilePumping(plugin.Host, 300), 0u);
        }
        plugin.Loader.Send(HM_RESUME);
        plugin.Loader.Send(HM_FINISH);
        tally.CheckStore(plugin.Host, c.Store);
        tally.Case();
    }
}

TEST(HostileHost, EveryMessageCodeWithGarbageParameters) {
    THostileTally tally;
    TStoreValues store;
    store.WorkMode = 1;
    store.Selection = L";;;;5;;;;12;;";
    THostilePlugin plugin(L"hostile-codes", store);
    plugin.Folder.Write(L"list.txt", "joke\r\njoke\r\n");
    plugin.Folder.Write(L"statuses.txt", Statuses);
    plugin.Start();

    const std::wstring status = L"Title";
    const std::wstring xstatus = L"Text/nl";
    // Codes the plug-in doesn't read parameters of get unusable addresses:
    // reading any of them would fault.
    const intptr_t bad = 0x10;
    std::vector<int32_t> codes;
    for (int32_t code = 0; code <= 1000; ++code) {
        if (code != HM_SHOW_OPTIONS) {
            codes.push_back(code);
        }
    }
    codes.insert(codes.end(), {-1, INT_MIN, INT_MAX, 0x10000 + HM_STATUS_INFO, 0x10000 + HM_LANGUAGE});
    size_t statusRuns = 0;
    for (const int32_t code : codes) {
        plugin.Host.Sent.clear();
        if (code == HM_STATUS_INFO) {
            plugin.Loader.Send(code, 5, reinterpret_cast<intptr_t>(status.c_str()),
                               reinterpret_cast<intptr_t>(xstatus.c_str()));
            ExpectPair(plugin.Host.Sent);
            ++statusRuns;
        } else if (code == HM_LANGUAGE) {
            plugin.Loader.Send(code, reinterpret_cast<intptr_t>(L"Klingon"), bad, bad);
            EXPECT_TRUE(plugin.Host.Sent.empty());
        } else {
            plugin.Loader.Send(code, bad, bad, bad);
            EXPECT_TRUE(plugin.Host.Sent.empty()) << "code " << code;
        }
        tally.Case();
    }
    EXPECT_EQ(statusRuns, 1u);
    // Still working, and the store as it was.
    plugin.Start();
    ExpectPair(plugin.Run(12));
    tally.CheckStore(plugin.Host, store);
}

TEST(HostileHost, TenThousandRunsLeakNeitherHandlesNorMemory) {
    THostileTally tally;
    for (const int32_t mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        TStoreValues store;
        store.WorkMode = mode;
        store.Selection = L";;;;5;;;;12;;";
        THostilePlugin plugin(L"hostile-longrun", store);
        std::string list;
        for (int i = 0; i < 200; ++i) {
            list += "joke " + std::to_string(i) + "/nlline two\r\n";
        }
        plugin.Folder.Write(L"list.txt", list);
        plugin.Folder.Write(L"statuses.txt", Statuses);
        plugin.Start();

        const std::wstring status = L"Title";
        const std::wstring xstatus = L"Text/nl";
        size_t sent = 0;
        auto runs = [&](int count) {
            for (int i = 0; i < count; ++i) {
                plugin.Host.Sent.clear();
                plugin.Loader.SendStatus(5, status, xstatus);
                sent += plugin.Host.Sent.size();
            }
        };
        runs(1000);  // warm-up: heaps and caches settle
        plugin.Host.Sent.shrink_to_fit();
        const TResources before = MeasureResources();
        sent = 0;
        runs(10000);
        const TResources after = MeasureResources();
        EXPECT_EQ(sent, 20000u);
        std::printf("10000 runs in mode %d\n", mode);
        tally.CheckResources(before, after, 64 * 1024);
        tally.CheckStore(plugin.Host, store);
        tally.Case();
    }
}

TEST(HostileHost, LoadAndUnloadOverAndOverLeaksNothing) {
    THostileTally tally;
    TPluginFolder folder(L"hostile-reload");
    folder.Write(L"list.txt", "joke\r\njoke\r\n");
    auto cycle = [&] {
        THostService host;
        PutStore(host, TStoreValues());
        TPluginLoader loader;
        ASSERT_TRUE(loader.Load(folder.Dll(), host));
        loader.Send(HM_START);
        loader.SendStatus(5, L"Title", L"Text");
        EXPECT_EQ(host.CountSent(PM_SET_STATUS_TEXT), 2u);
        loader.Send(HM_FINISH);
        loader.Unload();
        EXPECT_EQ(host.RefCount, 0) << "the service reference was not released";
    };
    for (int i = 0; i < 5; ++i) {
        cycle();
    }
    const TResources before = MeasureResources();
    for (int i = 0; i < 100; ++i) {
        cycle();
    }
    const TResources after = MeasureResources();
    std::printf("100 load cycles\n");
    tally.CheckResources(before, after, 256 * 1024);
    tally.Case(100);
}

TEST(HostileHost, MessagesNestedInsideEverySendAreSurvived) {
    THostileTally tally;
    TStoreValues store;
    store.WorkMode = 1;
    store.FreqValue = 1;
    store.Selection = L";;;;5;;;;12;;";
    THostilePlugin plugin(L"hostile-nested", store);
    plugin.Folder.Write(L"list.txt", "joke\r\njoke\r\n");
    plugin.Folder.Write(L"statuses.txt", Statuses);
    plugin.Start();
    plugin.Loader.Send(HM_STOP);

    // Message 12 inside each send is ignored: one run, two sends, and the
    // nesting stops at the first level. The cap keeps a faulty plug-in from
    // taking the test down with a stack overflow.
    int depth = 0;
    int deepest = 0;
    int nested = 0;
    plugin.Host.OnMessage = [&](const THostMessageRec&) {
        if (depth >= 4) {
            return;
        }
        ++depth;
        deepest = std::max(deepest, depth);
        ++nested;
        plugin.Loader.SendStatus(12, L"Nested", L"nested");
        --depth;
    };
    for (int i = 0; i < 50; ++i) {
        plugin.Host.Sent.clear();
        nested = 0;
        plugin.Loader.SendStatus(5, L"Title", L"Text/nl");
        EXPECT_EQ(plugin.Host.Sent.size(), 2u);
        EXPECT_EQ(nested, 2);
    }
    EXPECT_EQ(deepest, 1);
    tally.Case();

    // The same from the timer: the query and both sends get a nested 12.
    plugin.Host.Icon = 5;
    plugin.Host.Sent.clear();
    nested = 0;
    plugin.Loader.Send(HM_RESUME);
    const size_t ticks = QueriesWhilePumping(plugin.Host, 1600);
    plugin.Loader.Send(HM_STOP);
    EXPECT_GE(ticks, 1u);
    EXPECT_EQ(plugin.Host.CountSent(PM_SET_STATUS_TEXT), 2 * ticks);
    EXPECT_EQ(static_cast<size_t>(nested), 3 * ticks);
    EXPECT_EQ(deepest, 1);
    tally.Case();

    // Every other message inside a send: settings reread, lists reloaded,
    // timer switched, language changed, all in the middle of a run.
    for (const int32_t code : std::vector<int32_t>{HM_LOADED, HM_START, HM_STOP, HM_RESUME, HM_FINISH, HM_LANGUAGE, 99}) {
        plugin.Host.OnMessage = [&, code](const THostMessageRec&) {
            if (depth >= 4) {
                return;
            }
            ++depth;
            plugin.Loader.Send(code, reinterpret_cast<intptr_t>(L"English"));
            --depth;
        };
        plugin.Host.Sent.clear();
        plugin.Loader.SendStatus(5, L"Title", L"Text/nl");
        EXPECT_EQ(plugin.Host.CountSent(PM_SET_STATUS_TEXT), 2u) << "code " << code;
        tally.Case();
    }
    plugin.Loader.Send(HM_STOP);

    // The host lets go of the plug-in inside a send: the run ends cleanly.
    plugin.Host.OnMessage = [&](const THostMessageRec&) { plugin.Loader.ReleasePlugin(); };
    plugin.Host.Sent.clear();
    plugin.Loader.SendStatus(5, L"Title", L"Text/nl");
    plugin.Host.OnMessage = nullptr;
    EXPECT_EQ(plugin.Host.CountSent(PM_SET_STATUS_TEXT), 2u);
    EXPECT_EQ(plugin.Loader.Plugin, nullptr);
    EXPECT_EQ(plugin.Host.RefCount, 0) << "the released plug-in kept the service";
    tally.Case();
    tally.CheckStore(plugin.Host, store);
}

TEST(HostileHost, FactoryWithoutAPlaceForTheInterfaceOrWithoutAService) {
    THostileTally tally;
    TPluginFolder folder(L"hostile-factory");
    THostService host;
    PutStore(host, TStoreValues());
    TPluginLoader loader;
    ASSERT_TRUE(loader.Load(folder.Dll(), host));
    auto create = reinterpret_cast<TCreateVostekPlugin>(
        reinterpret_cast<void*>(::GetProcAddress(loader.Module, "CreateVostekPLUGIN")));
    ASSERT_NE(create, nullptr);

    THostService other;
    create(nullptr, &other);
    EXPECT_EQ(other.RefCount, 0) << "a plug-in nobody can reach holds the service";
    tally.Case();

    // No service: every message is survived, nothing can be sent.
    IHostedPlugin* lonely = nullptr;
    create(&lonely, nullptr);
    ASSERT_NE(lonely, nullptr);
    TPluginInfoRec* info = lonely->GetInfoRecord();
    ASSERT_NE(info, nullptr);
    info->ModuleHandle = reinterpret_cast<uintptr_t>(loader.Module);
    const std::wstring text = L"Text";
    for (const int32_t code : {HM_LOADED, HM_START, HM_STATUS_INFO, HM_LANGUAGE, HM_RESUME, HM_STOP, HM_FINISH}) {
        THostMessageRec msg{};
        msg.Code = code;
        msg.ParamA = code == HM_LANGUAGE ? reinterpret_cast<intptr_t>(text.c_str()) : 5;
        msg.ParamB = reinterpret_cast<intptr_t>(text.c_str());
        msg.ParamC = reinterpret_cast<intptr_t>(text.c_str());
        lonely->ReceiveHostMessage(&msg);
        tally.Case();
    }
    lonely->ReceiveHostMessage(nullptr);
    tally.Case();
    lonely->Release();

    // A second plug-in created into a variable that holds one: the first is
    // released, with its reference to the service.
    IHostedPlugin* slot = nullptr;
    create(&slot, &other);
    create(&slot, &other);
    EXPECT_EQ(other.RefCount, 1);
    slot->Release();
    EXPECT_EQ(other.RefCount, 0);
    tally.Case();

    loader.Send(HM_START);
    ExpectPair([&] {
        host.Sent.clear();
        loader.SendStatus(5, L"Title", L"Text");
        return host.Sent;
    }());
    tally.CheckStore(host, TStoreValues());
}

}  // namespace
