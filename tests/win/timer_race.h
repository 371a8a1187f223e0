// Timer tests that do not read the wall clock. A reference timer on the
// test's own thread lives in the same message queue as the plug-in's timer:
// a slow or busy machine delays both alike, and the queue hands out timers
// that have fallen due in the order they fell due. "The plug-in ticked
// before a reference timer of 1.5 s, started after it, ticked" therefore
// means the same on every machine. Each check leaves a margin of half a
// second or more between the case it expects and the fault it guards
// against.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

class TReferenceTimer {
public:
    explicit TReferenceTimer(UINT milliseconds) : FId(::SetTimer(nullptr, 0, milliseconds, &OnTick)) {
        if (FId) {
            Counts().push_back({FId, 0});
        }
    }
    ~TReferenceTimer() {
        if (FId) {
            ::KillTimer(nullptr, FId);
            auto& counts = Counts();
            counts.erase(std::remove_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == FId; }),
                         counts.end());
        }
    }
    TReferenceTimer(const TReferenceTimer&) = delete;
    TReferenceTimer& operator=(const TReferenceTimer&) = delete;

    bool Started() const noexcept { return FId != 0; }
    int Ticks() const {
        for (const auto& c : Counts()) {
            if (c.first == FId) {
                return c.second;
            }
        }
        return 0;
    }

private:
    // A named callback: a lambda does not convert to a stdcall pointer in a
    // 32-bit build.
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD) {
        for (auto& c : Counts()) {
            if (c.first == id) {
                ++c.second;
            }
        }
    }
    static std::vector<std::pair<UINT_PTR, int>>& Counts() {
        static std::vector<std::pair<UINT_PTR, int>> counts;
        return counts;
    }

    UINT_PTR FId;
};

// Dispatches this thread's messages one at a time until `done` holds, so
// that nothing which fell due after the awaited message runs before the
// caller looks. The limit only guards against a hang; false when it passed.
inline bool PumpEachUntil(const std::function<bool()>& done, DWORD hangGuardMs = 120000) {
    const ULONGLONG end = ::GetTickCount64() + hangGuardMs;
    while (!done()) {
        MSG msg;
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            continue;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)),
                                    QS_ALLINPUT);
    }
    return true;
}

// Runs this thread's loop until `event` holds or a reference timer of
// `milliseconds`, started now, has ticked, whichever comes first. True when
// the event came first.
inline bool EventBeforeReference(UINT milliseconds, const std::function<bool()>& event) {
    TReferenceTimer reference(milliseconds);
    if (!reference.Started()) {
        ADD_FAILURE() << "no reference timer";
        return event();
    }
    if (!PumpEachUntil([&] { return event() || reference.Ticks() > 0; })) {
        ADD_FAILURE() << "neither the event nor the reference timer of " << milliseconds << " ms came";
    }
    return event();
}

// Runs this thread's loop for one period of a reference timer started now.
inline void PumpForReference(UINT milliseconds) {
    EventBeforeReference(milliseconds, [] { return false; });
}
