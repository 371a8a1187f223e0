// Shared pieces of the hostile-input tests: a plug-in loaded from its own
// folder with a store the test sets, process resource counts, and a tally.
// Each test prints one line "hostile cases: N; leaks: L; lost settings: S"
// that scripts/harden.sh adds up.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>
#include <psapi.h>

#include "tests/win/test_support.h"

// The four settings and the first-use mark, as the host's store holds them.
struct TStoreValues {
    uint8_t Initialized = 1;
    int32_t FreqValue = 120;
    int32_t FreqUnit = 0;
    int32_t WorkMode = 0;
    std::wstring Selection = L";;;;5;;";
};

inline void PutStore(THostService& host, const TStoreValues& v) {
    host.Store.Initialized = v.Initialized;
    host.Store.FreqValue = v.FreqValue;
    host.Store.FreqUnit = v.FreqUnit;
    host.Store.WorkMode = v.WorkMode;
    host.SetSelection(v.Selection);
}

inline TStoreValues TakeStore(const THostService& host) {
    TStoreValues v;
    v.Initialized = host.Store.Initialized;
    v.FreqValue = host.Store.FreqValue;
    v.FreqUnit = host.Store.FreqUnit;
    v.WorkMode = host.Store.WorkMode;
    v.Selection = host.Selection();
    return v;
}

// Closes a handle that the test opened.
class TTestHandle {
public:
    explicit TTestHandle(HANDLE handle) noexcept : FHandle(handle) {}
    ~TTestHandle() {
        if (FHandle && FHandle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(FHandle);
        }
    }
    TTestHandle(const TTestHandle&) = delete;
    TTestHandle& operator=(const TTestHandle&) = delete;
    HANDLE Get() const noexcept { return FHandle; }

private:
    HANDLE FHandle;
};

// Handles and memory of this process. Wine reports neither the handle count
// nor PrivateUsage (both read 0), so handles are also counted by probing the
// handle table, committed private memory by walking the address space, and
// heap bytes in use by walking the heaps.
struct TResources {
    DWORD Handles = 0;
    SIZE_T CommittedBytes = 0;  // committed private pages
    SIZE_T HeapBytes = 0;       // busy heap blocks, all heaps
    SIZE_T PrivateBytes = 0;    // as the system reports it; 0 under Wine
    SIZE_T PagefileBytes = 0;
};

inline DWORD CountHandles() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count != 0) {
        return count;
    }
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
        }
    }
    return count;
}

inline SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    const char* at = nullptr;
    while (::VirtualQuery(at, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
            total += info.RegionSize;
        }
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) {
            break;
        }
        at = next;
    }
    return total;
}

inline SIZE_T HeapBytesInUse() {
    HANDLE heaps[256];
    const DWORD count = ::GetProcessHeaps(256, heaps);
    SIZE_T busy = 0;
    for (DWORD i = 0; i < count && i < 256; ++i) {
        if (!::HeapLock(heaps[i])) {
            continue;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                busy += entry.cbData;
            }
        }
        ::HeapUnlock(heaps[i]);
    }
    return busy;
}

inline TResources MeasureResources() {
    TResources r;
    r.Handles = CountHandles();
    r.CommittedBytes = CommittedPrivateBytes();
    r.HeapBytes = HeapBytesInUse();
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters)) {
        r.PrivateBytes = counters.PrivateUsage;
        r.PagefileBytes = counters.PagefileUsage;
    }
    return r;
}

inline std::string Describe(const TResources& r) {
    return "handles " + std::to_string(r.Handles) + ", heap " + std::to_string(r.HeapBytes >> 10) +
           " KB, committed " + std::to_string(r.CommittedBytes >> 10) + " KB, private " +
           std::to_string(r.PrivateBytes >> 10) + " KB";
}

class THostileTally {
public:
    THostileTally() = default;
    THostileTally(const THostileTally&) = delete;
    THostileTally& operator=(const THostileTally&) = delete;
    ~THostileTally() {
        std::printf("hostile cases: %d; leaks: %d; lost settings: %d\n", FCases, FLeaks, FLostSettings);
        std::fflush(stdout);
    }

    void Case(int count = 1) { FCases += count; }

    // The store must hold what the test put there, whatever the plug-in went
    // through meanwhile.
    void CheckStore(const THostService& host, const TStoreValues& expected) {
        const TStoreValues now = TakeStore(host);
        Lost(now.Initialized == expected.Initialized, "Initialized", now.Initialized, expected.Initialized);
        Lost(now.FreqValue == expected.FreqValue, "FreqValue", now.FreqValue, expected.FreqValue);
        Lost(now.FreqUnit == expected.FreqUnit, "FreqUnit", now.FreqUnit, expected.FreqUnit);
        Lost(now.WorkMode == expected.WorkMode, "WorkMode", now.WorkMode, expected.WorkMode);
        if (now.Selection != expected.Selection) {
            ++FLostSettings;
            ADD_FAILURE() << "lost setting StatusSelection: " << now.Selection.size() << " characters, expected "
                          << expected.Selection.size();
        }
    }

    // Handle count unchanged; heap in use and committed memory within noise.
    void CheckResources(const TResources& before, const TResources& after, SIZE_T memoryNoise) {
        std::printf("resources: %s -> %s\n", Describe(before).c_str(), Describe(after).c_str());
        Grown(before.Handles != after.Handles, "handles", before.Handles, after.Handles);
        Grown(after.HeapBytes > before.HeapBytes + memoryNoise, "heap bytes", before.HeapBytes, after.HeapBytes);
        Grown(after.CommittedBytes > before.CommittedBytes + memoryNoise, "committed bytes", before.CommittedBytes,
              after.CommittedBytes);
        Grown(after.PrivateBytes > before.PrivateBytes + memoryNoise, "private bytes", before.PrivateBytes,
              after.PrivateBytes);
        Grown(after.PagefileBytes > before.PagefileBytes + memoryNoise, "pagefile bytes", before.PagefileBytes,
              after.PagefileBytes);
    }

private:
    template <class T>
    void Grown(bool grown, const char* name, T before, T after) {
        if (grown) {
            ++FLeaks;
            ADD_FAILURE() << name << " " << before << " -> " << after;
        }
    }

    template <class T>
    void Lost(bool same, const char* name, T now, T expected) {
        if (!same) {
            ++FLostSettings;
            ADD_FAILURE() << "lost setting " << name << ": " << +now << ", expected " << +expected;
        }
    }

    int FCases = 0;
    int FLeaks = 0;
    int FLostSettings = 0;
};

// A copy of the plug-in in its own folder, loaded by a host whose store is
// set and marked as initialized, so that message 2 reads it as it stands.
class THostilePlugin {
public:
    explicit THostilePlugin(const std::wstring& name, const TStoreValues& store = TStoreValues())
        : Folder(name) {
        PutStore(Host, store);
        if (!Loader.Load(Folder.Dll(), Host)) {
            ADD_FAILURE() << "cannot load the plug-in";
        }
    }

    // Runs the rotation at once (message 12) and returns what the plug-in
    // sent for it.
    std::vector<TSentMessage> Run(int32_t icon, const std::wstring& status = L"Title",
                                  const std::wstring& xstatus = L"Text/nl") {
        Host.Sent.clear();
        Loader.SendStatus(icon, status, xstatus);
        return Host.Sent;
    }

    // Message 2: settings from the store, lists from the folder.
    void Start() { Loader.Send(HM_START); }

    TPluginFolder Folder;
    THostService Host;
    TPluginLoader Loader;
};

// A run that passed the selection test: two status messages, the first with
// icon 0, both with the same non-null texts. Returns the second.
inline TSentMessage ExpectPair(const std::vector<TSentMessage>& sent) {
    EXPECT_EQ(sent.size(), 2u);
    if (sent.size() != 2) {
        return TSentMessage();
    }
    EXPECT_EQ(sent[0].Code, PM_SET_STATUS_TEXT);
    EXPECT_EQ(sent[1].Code, PM_SET_STATUS_TEXT);
    EXPECT_EQ(sent[0].Icon, 0);
    EXPECT_FALSE(sent[0].StatusNull || sent[0].XStatusNull || sent[1].StatusNull || sent[1].XStatusNull);
    EXPECT_EQ(sent[0].Status, sent[1].Status);
    EXPECT_EQ(sent[0].XStatus, sent[1].XStatus);
    return sent[1];
}
