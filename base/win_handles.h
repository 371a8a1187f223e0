// One owner per handle: small move-only wrappers that close on destruction.
#pragma once

#include <utility>

#include <windows.h>
#include <commctrl.h>

template <class Traits>
class TUniqueHandle {
public:
    using pointer = typename Traits::pointer;

    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(pointer value) noexcept : FValue(value) {}
    ~TUniqueHandle() { reset(); }

    TUniqueHandle(TUniqueHandle&& other) noexcept : FValue(other.release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;

    pointer get() const noexcept { return FValue; }
    explicit operator bool() const noexcept { return FValue != Traits::Invalid(); }

    pointer release() noexcept { return std::exchange(FValue, Traits::Invalid()); }
    void reset(pointer value = Traits::Invalid()) noexcept {
        const pointer old = std::exchange(FValue, value);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

private:
    pointer FValue = Traits::Invalid();
};

struct TFileHandleTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(pointer h) noexcept { ::CloseHandle(h); }
};
struct TKernelHandleTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { ::CloseHandle(h); }
};
struct TWindowTraits {
    using pointer = HWND;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { ::DestroyWindow(h); }
};
struct TImageListTraits {
    using pointer = HIMAGELIST;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { ::ImageList_Destroy(h); }
};
template <class T>
struct TGdiTraits {
    using pointer = T;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { ::DeleteObject(h); }
};
struct TModuleTraits {
    using pointer = HMODULE;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { ::FreeLibrary(h); }
};

using TUniqueFile = TUniqueHandle<TFileHandleTraits>;
using TUniqueKernelHandle = TUniqueHandle<TKernelHandleTraits>;
using TUniqueWindow = TUniqueHandle<TWindowTraits>;
using TUniqueImageList = TUniqueHandle<TImageListTraits>;
using TUniqueBitmap = TUniqueHandle<TGdiTraits<HBITMAP>>;
using TUniqueFont = TUniqueHandle<TGdiTraits<HFONT>>;
using TUniqueRegion = TUniqueHandle<TGdiTraits<HRGN>>;
using TUniqueModule = TUniqueHandle<TModuleTraits>;

// A window's device context (the screen's for a null window), released on
// scope exit to the window it came from.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) noexcept : FWindow(window), FDC(::GetDC(window)) {}
    ~TWindowDC() {
        if (FDC) {
            ::ReleaseDC(FWindow, FDC);
        }
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;

    HDC get() const noexcept { return FDC; }
    explicit operator bool() const noexcept { return FDC != nullptr; }

private:
    HWND FWindow;
    HDC FDC;
};

// An object selected into a device context for a scope: what was selected
// before is selected again on exit, so the object can be freed afterwards.
// Declared after the owner of the object, so it lets go first.
class TSelectedObject {
public:
    TSelectedObject(HDC dc, HGDIOBJ object) noexcept : FDC(dc), FOld(dc ? ::SelectObject(dc, object) : nullptr) {}
    ~TSelectedObject() {
        if (FOld && FOld != HGDI_ERROR) {
            ::SelectObject(FDC, FOld);
        }
    }
    TSelectedObject(const TSelectedObject&) = delete;
    TSelectedObject& operator=(const TSelectedObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// A counted interface reference: AddRef on taking, Release on letting go.
template <class I>
class TComPtr {
public:
    TComPtr() noexcept = default;
    explicit TComPtr(I* value) noexcept : FValue(value) {
        if (FValue) {
            FValue->AddRef();
        }
    }
    ~TComPtr() { reset(); }
    TComPtr(TComPtr&& other) noexcept : FValue(std::exchange(other.FValue, nullptr)) {}
    TComPtr& operator=(TComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            FValue = std::exchange(other.FValue, nullptr);
        }
        return *this;
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    I* get() const noexcept { return FValue; }
    I* operator->() const noexcept { return FValue; }
    explicit operator bool() const noexcept { return FValue != nullptr; }
    void reset() noexcept {
        if (I* old = std::exchange(FValue, nullptr)) {
            old->Release();
        }
    }

private:
    I* FValue = nullptr;
};
