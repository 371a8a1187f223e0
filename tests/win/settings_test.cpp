// Settings in the messenger's store and the rotation's messages, through
// the 64-bit DLL.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/win/test_support.h"
#include "tests/win/timer_race.h"

namespace {

struct TPlugin {
    explicit TPlugin(const std::wstring& name) : Folder(name) {}
    ~TPlugin() { Loader.Unload(); }
    bool Load() { return Loader.Load(Folder.Dll(), Host); }
    size_t Queries() const { return Host.CountSent(PM_QUERY_STATUS); }
    // Whether the timer queried the host again before a reference timer of
    // `milliseconds`, started now, ticked.
    bool QueriedWithin(UINT milliseconds) {
        const size_t before = Queries();
        return EventBeforeReference(milliseconds, [&] { return Queries() > before; });
    }

    TPluginFolder Folder;
    THostService Host;
    TPluginLoader Loader;
};

TEST(Settings, FreshStoreGetsDefaultsOnce) {
    TPlugin p(L"defaults");
    p.Host.Store.Flag0 = 0xAA;
    p.Host.Store.Flag2 = 0xAA;
    p.Host.Store.Gap1 = 0x55;
    p.Host.Store.FreqValue = 9;
    p.Host.Store.WorkMode = 2;
    p.Host.SetSelection(L";;;;5;;");
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    const TPluginStore& s = p.Host.Store;
    EXPECT_EQ(s.Initialized, 1);
    EXPECT_EQ(s.Flag0, 0);
    EXPECT_EQ(s.Flag2, 0);
    EXPECT_EQ(s.Gap1, 0x55) << "bytes the plug-in does not own stay";
    EXPECT_EQ(s.FreqValue, 120);
    EXPECT_EQ(s.FreqUnit, 0);
    EXPECT_EQ(s.WorkMode, 0);
    EXPECT_EQ(s.StatusSelection, nullptr) << "the old string is freed and the field left null";
    EXPECT_EQ(p.Host.LastStoreHandle, reinterpret_cast<uintptr_t>(p.Loader.Module));

    // With nothing selected no run sends anything.
    p.Loader.SendStatus(5, L"a", L"b");
    p.Loader.SendStatus(0, L"a", L"b");
    EXPECT_EQ(p.Host.CountSent(PM_SET_STATUS_TEXT), 0u);

    // The second activation reads what the user has, and writes nothing.
    p.Host.Store.FreqValue = 7;
    p.Host.Store.WorkMode = 1;
    p.Host.SetSelection(L";;;;3;;");
    p.Loader.Send(HM_RESUME);
    EXPECT_EQ(s.FreqValue, 7);
    EXPECT_EQ(s.WorkMode, 1);
    EXPECT_EQ(p.Host.Selection(), L";;;;3;;");
}

TEST(Settings, NoStoreChangesNothingAndCrashesNothing) {
    TPlugin p(L"no-store");
    p.Folder.Write(L"list.txt", "joke\r\n");
    p.Host.StoreAvailable = false;
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    p.Loader.Send(HM_RESUME);
    EXPECT_GE(p.Host.StoreRequests, 2);
    EXPECT_FALSE(p.QueriedWithin(1500)) << "interval 0 from the empty mirrors";
    p.Loader.SendStatus(0, L"a", L"b");
    EXPECT_TRUE(p.Host.Sent.empty()) << "nothing selected";
}

TEST(Settings, DamagedValuesDoNotWrapOrCrash) {
    struct Case {
        int32_t value, unit;
    } cases[] = {{-5, 0}, {INT32_MAX, 2}, {INT32_MIN, 1}, {2000000, 2}};
    for (const auto& c : cases) {
        TPlugin p(L"damaged");
        p.Host.Store.Initialized = 1;
        p.Host.Store.FreqValue = c.value;
        p.Host.Store.FreqUnit = c.unit;
        p.Host.SetSelection(L";;0;;");
        ASSERT_TRUE(p.Load());
        p.Loader.Send(HM_START);
        EXPECT_FALSE(p.QueriedWithin(300)) << c.value << " x unit " << c.unit;
        EXPECT_EQ(p.Host.Store.FreqValue, c.value) << "the store is left as the host had it";
    }
}

TEST(Settings, UnknownUnitCountsAsSeconds) {
    TPlugin p(L"unit");
    p.Host.Store.Initialized = 1;
    p.Host.Store.FreqValue = 1;
    p.Host.Store.FreqUnit = 3;
    p.Host.SetSelection(L";;0;;");
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    EXPECT_TRUE(p.QueriedWithin(1600)) << "a tick after 1 s";
}

TEST(Settings, ResumeWithUnchangedIntervalKeepsTheCountdown) {
    TPlugin p(L"countdown");
    p.Host.Store.Initialized = 1;
    p.Host.Store.FreqValue = 2;
    p.Host.SetSelection(L";;0;;");
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    PumpForReference(1000);
    EXPECT_EQ(p.Queries(), 0u);
    // Same values: the countdown goes on. The tick 2 s after the start
    // comes before 1.5 s from now; one 2 s from now would come after.
    p.Loader.Send(HM_RESUME);
    EXPECT_TRUE(p.QueriedWithin(1500)) << "a tick 2 s after the start";
    EXPECT_EQ(p.Queries(), 1u);

    // A new interval restarts it from 3 s: no tick 2.2 s from now. The old
    // countdown would tick within 2 s of any moment.
    p.Host.Store.FreqValue = 3;
    PumpForReference(1000);
    p.Loader.Send(HM_RESUME);
    EXPECT_FALSE(p.QueriedWithin(2200)) << "the new interval of 3 s restarted the countdown";
    EXPECT_TRUE(p.QueriedWithin(1500)) << "and it ticks 3 s after the resume";
}

struct TRotating : TPlugin {
    TRotating(const std::wstring& name, int32_t mode) : TPlugin(name) {
        Host.Store.Initialized = 1;
        Host.Store.FreqValue = 100;
        Host.Store.WorkMode = mode;
        Host.SetSelection(L";;;;5;;;;12;;");
        Folder.Write(L"list.txt", "one/nltwo\r\nthree\r\n");
        Folder.Write(L"statuses.txt", "5|Beer|Cold\r\n12|Busy|Back soon/nlreally\r\n1|Angry|Grr\r\n");
    }
};

TEST(Rotation, EveryRunSendsTwoMessagesFirstWithIconZero) {
    for (int32_t mode : {0, 1, 2, 9}) {
        TRotating p(L"pairs", mode);
        ASSERT_TRUE(p.Load());
        p.Loader.Send(HM_START);
        for (int i = 0; i < 30; ++i) {
            p.Loader.SendStatus(i % 2 ? 5 : 12, L"", L"");
        }
        p.Loader.SendStatus(1, L"x", L"y");  // not selected
        ASSERT_EQ(p.Host.Sent.size(), 60u) << "mode " << mode;
        for (size_t i = 0; i < p.Host.Sent.size(); i += 2) {
            const TSentMessage& a = p.Host.Sent[i];
            const TSentMessage& b = p.Host.Sent[i + 1];
            EXPECT_EQ(a.Code, PM_SET_STATUS_TEXT);
            EXPECT_EQ(a.Icon, 0);
            EXPECT_TRUE(b.Icon == 5 || b.Icon == 12) << b.Icon;
            EXPECT_FALSE(a.StatusNull || a.XStatusNull || b.StatusNull || b.XStatusNull);
            EXPECT_EQ(a.Status, b.Status);
            EXPECT_EQ(a.XStatus, b.XStatus);
            EXPECT_EQ(a.Sender, reinterpret_cast<intptr_t>(p.Loader.Module));
        }
    }
}

TEST(Rotation, EachModeChangesItsOwnFields) {
    {
        TRotating p(L"mode0", 0);
        ASSERT_TRUE(p.Load());
        p.Loader.Send(HM_START);
        for (int i = 0; i < 20; ++i) {
            p.Loader.SendStatus(12, L"Keep", L"old");
            EXPECT_EQ(p.Host.Sent.back().Status, L"Keep");
            EXPECT_EQ(p.Host.Sent.back().Icon, 12);
            const std::wstring& x = p.Host.Sent.back().XStatus;
            EXPECT_TRUE(x == L"one\r\ntwo" || x == L"three") << Utf8(x);
        }
    }
    {
        TRotating p(L"mode2", 2);
        ASSERT_TRUE(p.Load());
        p.Loader.Send(HM_START);
        p.Loader.SendStatus(12, L"Keep", L"old");
        EXPECT_EQ(p.Host.Sent.back().Status, L"Busy");
        EXPECT_EQ(p.Host.Sent.back().XStatus, L"Back soon\r\nreally");
        EXPECT_EQ(p.Host.Sent.back().Icon, 12);
    }
    {
        TRotating p(L"mode1", 1);
        ASSERT_TRUE(p.Load());
        p.Loader.Send(HM_START);
        bool sawOther = false;
        for (int i = 0; i < 60; ++i) {
            p.Loader.SendStatus(5, L"Keep", L"old");
            const TSentMessage& m = p.Host.Sent.back();
            EXPECT_TRUE((m.Icon == 5 && m.Status == L"Beer") || (m.Icon == 12 && m.Status == L"Busy"));
            sawOther = sawOther || m.Icon == 12;
        }
        EXPECT_TRUE(sawOther) << "full mode may move to another selected icon";
    }
}

TEST(Rotation, NestedStatusMessageInsideASendIsIgnored) {
    TRotating p(L"nested", 0);
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    int nested = 0;
    p.Host.OnMessage = [&](const THostMessageRec&) {
        ++nested;
        p.Loader.SendStatus(5, L"again", L"again");
    };
    p.Loader.SendStatus(5, L"t", L"x");
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(p.Host.CountSent(PM_SET_STATUS_TEXT), 2u);

    // Also inside the query of a timer run.
    p.Host.Store.FreqValue = 1;
    p.Loader.Send(HM_RESUME);
    p.Host.Sent.clear();
    EXPECT_TRUE(p.QueriedWithin(1500));
    EXPECT_EQ(p.Host.CountSent(PM_SET_STATUS_TEXT), 2 * p.Host.CountSent(PM_QUERY_STATUS));
}

TEST(Rotation, QueryAnsweredWithNullTextsCountsAsEmpty) {
    TRotating p(L"nulls", 9);  // unknown mode: the current status is sent back
    p.Host.Store.FreqValue = 1;
    p.Host.Icon = 5;
    p.Host.NullQueryTexts = true;
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    ASSERT_TRUE(p.QueriedWithin(1500));
    ASSERT_GE(p.Host.CountSent(PM_SET_STATUS_TEXT), 2u);
    EXPECT_EQ(p.Host.Sent.back().Status, L"");
    EXPECT_FALSE(p.Host.Sent.back().StatusNull);
    // Message 12 with null texts too.
    p.Loader.Send(HM_STATUS_INFO, 5, 0, 0);
    EXPECT_EQ(p.Host.Sent.back().XStatus, L"");
}

TEST(Rotation, HostReleasingThePluginInsideASendIsSurvived) {
    TRotating p(L"release-inside", 0);
    p.Host.Store.FreqValue = 1;
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    p.Host.OnMessage = [&](const THostMessageRec& msg) {
        if (msg.Code == PM_QUERY_STATUS) {
            p.Host.OnMessage = nullptr;
            p.Loader.ReleasePlugin();
        }
    };
    EXPECT_TRUE(EventBeforeReference(1600, [&] { return p.Host.RefCount == 0; })) << "released after the run";
    const size_t sent = p.Host.Sent.size();
    // The 1-s timer, were it alive, would tick before a reference of 1.5 s.
    EXPECT_FALSE(EventBeforeReference(1500, [&] { return p.Host.Sent.size() > sent; }))
        << "no ticks after the object is gone";
}

}  // namespace
