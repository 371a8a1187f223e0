// Shared pieces of the hostile-input tests: a plug-in loaded from its own
// folder with a store the test sets, process resource counts (handles,
// memory, GDI and USER objects), and a tally.
// Each test prints one line "hostile cases: N; leaks: L; lost settings: S"
// that scripts/harden.sh adds up.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
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

// The GDI objects of this process, by handle. Wine's GetGuiResources reads
// 0, but Wine keeps the GDI handle table where Windows does, at the PEB's
// GdiSharedHandleTable: cells of 24 bytes in both sizes, whose type byte
// (offset 14) is non-zero while the object lives; a handle is its cell's
// index with the cell's 16-bit generation (offset 12) above it. Windows' own
// table has other cells on x86 and is shared with other processes: where
// GetGuiResources answers, this list is empty and GdiObjectCount uses that.
inline std::vector<HGDIOBJ> GdiObjects() {
    std::vector<HGDIOBJ> live;
    if (::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) != 0) {
        return live;
    }
#ifdef _WIN64
    constexpr size_t TableOfPeb = 0xF8;
#else
    constexpr size_t TableOfPeb = 0x94;
#endif
    constexpr size_t CellSize = 24, TypeAt = 14, GenerationAt = 12, MaxCells = 0x10000;
    struct TBasicInformation {
        LONG_PTR ExitStatus;
        const uint8_t* PebBaseAddress;
        ULONG_PTR Reserved[4];
    } basic{};
    using TQueryInformationProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<TQueryInformationProcess>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query || query(::GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0 || !basic.PebBaseAddress) {
        return live;
    }
    const auto* table = *reinterpret_cast<const uint8_t* const*>(basic.PebBaseAddress + TableOfPeb);
    MEMORY_BASIC_INFORMATION info{};
    if (!table || ::VirtualQuery(table, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT) {
        return live;
    }
    const size_t readable =
        static_cast<size_t>(static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize - table);
    const size_t cells = std::min(MaxCells, readable / CellSize);
    for (size_t cell = 1; cell < cells; ++cell) {
        const uint8_t* at = table + cell * CellSize;
        if (at[TypeAt] != 0) {
            uint16_t generation = 0;
            std::memcpy(&generation, at + GenerationAt, sizeof generation);
            live.push_back(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(cell | (uint32_t{generation} << 16))));
        }
    }
    return live;
}

inline DWORD GdiObjectCount() {
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    return reported != 0 ? reported : static_cast<DWORD>(GdiObjects().size());
}

// What the objects in `after` but not in `before` are: "2 bitmaps (181x92x32,
// 241x135x32), 1 font".
inline std::string DescribeNewGdiObjects(std::vector<HGDIOBJ> before, std::vector<HGDIOBJ> after) {
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::vector<HGDIOBJ> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    static const std::map<DWORD, const char*> names = {
        {OBJ_BITMAP, "bitmap"}, {OBJ_BRUSH, "brush"}, {OBJ_FONT, "font"}, {OBJ_PEN, "pen"},
        {OBJ_EXTPEN, "pen"}, {OBJ_REGION, "region"}, {OBJ_DC, "DC"}, {OBJ_MEMDC, "memory DC"},
        {OBJ_PAL, "palette"}};
    std::map<std::string, std::vector<std::string>> byKind;
    for (const HGDIOBJ object : added) {
        const auto name = names.find(::GetObjectType(object));
        std::string detail;
        BITMAP bitmap{};
        if (::GetObjectType(object) == OBJ_BITMAP && ::GetObjectW(object, sizeof bitmap, &bitmap)) {
            detail = std::to_string(bitmap.bmWidth) + "x" + std::to_string(bitmap.bmHeight) + "x" +
                     std::to_string(bitmap.bmBitsPixel);
        }
        byKind[name == names.end() ? "other" : name->second].push_back(detail);
    }
    std::string text;
    for (const auto& [kind, details] : byKind) {
        text += (text.empty() ? "" : ", ") + std::to_string(details.size()) + " " + kind;
        std::string sizes;
        for (const std::string& detail : details) {
            sizes += detail.empty() ? "" : (sizes.empty() ? "" : ", ") + detail;
        }
        text += sizes.empty() ? "" : " (" + sizes + ")";
    }
    return text.empty() ? "none" : text;
}

// USER objects of this process. Wine's GetGuiResources reads 0 here too.
// Windows are enumerated: top-level and message-only ones and all their
// descendants. Menus, icons and cursors have no list; they are found by
// probing every 16-bit user handle, a form that both Wine and Windows
// accept for any generation of the object.
struct TUserObjects {
    DWORD Windows = 0;
    DWORD Menus = 0;
    DWORD Icons = 0;  // icons and cursors
    DWORD Reported = 0;  // GetGuiResources; 0 under Wine
    DWORD Total() const { return Windows + Menus + Icons; }
};

// The system's input-method windows, one for each thread that has a window,
// are not counted.
inline BOOL CALLBACK CountWindowOfProcess(HWND window, LPARAM count) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (process == ::GetCurrentProcessId() && std::wcscmp(name, L"IME") != 0 && std::wcscmp(name, L"MSCTFIME UI") != 0) {
        ++*reinterpret_cast<DWORD*>(count);
    }
    return TRUE;
}

inline TUserObjects CountUserObjects() {
    TUserObjects objects;
    objects.Reported = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    std::vector<HWND> tops;
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr;) {
        tops.push_back(window);
    }
    for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
        tops.push_back(window);
    }
    for (const HWND top : tops) {
        CountWindowOfProcess(top, reinterpret_cast<LPARAM>(&objects.Windows));
        ::EnumChildWindows(top, &CountWindowOfProcess, reinterpret_cast<LPARAM>(&objects.Windows));
    }
    for (ULONG_PTR value = 0x20; value <= 0xFFEE; value += 2) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        if (::IsMenu(static_cast<HMENU>(handle))) {
            ++objects.Menus;
            continue;
        }
        ICONINFO icon{};
        if (::GetIconInfo(static_cast<HICON>(handle), &icon)) {
            ++objects.Icons;
            if (icon.hbmMask) {
                ::DeleteObject(icon.hbmMask);
            }
            if (icon.hbmColor) {
                ::DeleteObject(icon.hbmColor);
            }
        }
    }
    return objects;
}

inline std::string Describe(const TUserObjects& u) {
    return std::to_string(u.Windows) + " windows, " + std::to_string(u.Menus) + " menus, " +
           std::to_string(u.Icons) + " icons and cursors";
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
