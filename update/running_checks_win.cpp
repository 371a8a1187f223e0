#include "update/running_checks_win.h"

#include <algorithm>
#include <utility>

// At namespace scope: a function-local static's guard makes the static C++
// runtime create two semaphores that FreeLibrary never closes.
TRunningChecks RunningChecks;

std::shared_ptr<TCheckSlot> TRunningChecks::Add() {
    auto slot = std::make_shared<TCheckSlot>();
    std::lock_guard<std::mutex> guard(FLock);
    FChecks.push_back(slot);
    return slot;
}

void TRunningChecks::Forget(const std::shared_ptr<TCheckSlot>& slot) noexcept {
    std::lock_guard<std::mutex> guard(FLock);
    FChecks.erase(std::remove(FChecks.begin(), FChecks.end(), slot), FChecks.end());
}

bool TRunningChecks::Keep(TCheckSlot& slot, HINTERNET TCheckSlot::*field, HINTERNET handle) noexcept {
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (!slot.Cancelled) {
            slot.*field = handle;
            return true;
        }
    }
    ::InternetCloseHandle(handle);
    return false;
}

void TRunningChecks::CloseHandles(TCheckSlot& slot) noexcept {
    HINTERNET address = nullptr;
    HINTERNET session = nullptr;
    {
        std::lock_guard<std::mutex> guard(FLock);
        address = std::exchange(slot.Address, nullptr);
        session = std::exchange(slot.Session, nullptr);
    }
    if (address) {
        ::InternetCloseHandle(address);
    }
    if (session) {
        ::InternetCloseHandle(session);
    }
}

bool TRunningChecks::IsCancelled(const TCheckSlot& slot) noexcept {
    std::lock_guard<std::mutex> guard(FLock);
    return slot.Cancelled;
}

bool TRunningChecks::Post(const TCheckSlot& slot, HWND window, UINT message, LPARAM report) noexcept {
    std::lock_guard<std::mutex> guard(FLock);
    return !slot.Cancelled && ::PostMessageW(window, message, 0, report);
}

void TRunningChecks::CancelAll() {
    std::vector<std::shared_ptr<TCheckSlot>> running;
    {
        std::lock_guard<std::mutex> guard(FLock);
        for (const std::shared_ptr<TCheckSlot>& slot : FChecks) {
            slot->Cancelled = true;
        }
        running = FChecks;
    }
    for (const std::shared_ptr<TCheckSlot>& slot : running) {
        CloseHandles(*slot);
    }
}

size_t TRunningChecks::Count() {
    std::lock_guard<std::mutex> guard(FLock);
    return FChecks.size();
}
