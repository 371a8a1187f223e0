// Settings in the messenger's store and the rotation's messages, through
// the 64-bit DLL.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/win/test_support.h"

namespace {

struct TPlugin {
    explicit TPlugin(const std::wstring& name) : Folder(name) {}
    ~TPlugin() { Loader.Unload(); }
    bool Load() { return Loader.Load(Folder.Dll(), Host); }

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
    PumpMessagesFor(1200);
    EXPECT_EQ(p.Host.CountSent(PM_QUERY_STATUS), 0u) << "interval 0 from the empty mirrors";
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
        PumpMessagesFor(300);
        EXPECT_EQ(p.Host.CountSent(PM_QUERY_STATUS), 0u) << c.value << " x unit " << c.unit;
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
    PumpMessagesFor(1600);
    EXPECT_GE(p.Host.CountSent(PM_QUERY_STATUS), 1u);
}

TEST(Settings, ResumeWithUnchangedIntervalKeepsTheCountdown) {
    TPlugin p(L"countdown");
    p.Host.Store.Initialized = 1;
    p.Host.Store.FreqValue = 2;
    p.Host.SetSelection(L";;0;;");
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    PumpMessagesFor(1200);
    p.Loader.Send(HM_RESUME);  // same values: the countdown goes on
    PumpMessagesFor(1300);
    EXPECT_EQ(p.Host.CountSent(PM_QUERY_STATUS), 1u) << "a tick about 2 s after the start";

    p.Host.Store.FreqValue = 3;
    const size_t before = p.Host.CountSent(PM_QUERY_STATUS);
    PumpMessagesFor(1000);
    p.Loader.Send(HM_RESUME);  // a new interval restarts it from 3 s
    PumpMessagesFor(2200);
    EXPECT_EQ(p.Host.CountSent(PM_QUERY_STATUS), before);
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
    PumpMessagesFor(1500);
    EXPECT_GE(p.Host.CountSent(PM_QUERY_STATUS), 1u);
    EXPECT_EQ(p.Host.CountSent(PM_SET_STATUS_TEXT), 2 * p.Host.CountSent(PM_QUERY_STATUS));
}

TEST(Rotation, QueryAnsweredWithNullTextsCountsAsEmpty) {
    TRotating p(L"nulls", 9);  // unknown mode: the current status is sent back
    p.Host.Store.FreqValue = 1;
    p.Host.Icon = 5;
    p.Host.NullQueryTexts = true;
    ASSERT_TRUE(p.Load());
    p.Loader.Send(HM_START);
    PumpMessagesFor(1500);
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
    PumpMessagesFor(1600);
    EXPECT_EQ(p.Host.RefCount, 0) << "released after the run";
    const size_t sent = p.Host.Sent.size();
    PumpMessagesFor(1300);
    EXPECT_EQ(p.Host.Sent.size(), sent) << "no ticks after the object is gone";
}

}  // namespace
