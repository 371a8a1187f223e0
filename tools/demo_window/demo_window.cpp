// brisklet-window: lets the demo script wait for a top-level window of
// another program (the plug-in's options window in the host stand-in), learn
// where it is for a screenshot, and close it as the title bar's close box
// would. Wine has no such tool and the demo wants no extra packages.
//   brisklet-window wait TITLE-PREFIX SECONDS   prints the client area's
//                                               "left top width height"
//   brisklet-window close TITLE-PREFIX
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct TSearch {
    std::wstring Prefix;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TSearch*>(param);
    if (!::IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t title[256] = {};
    ::GetWindowTextW(window, title, 256);
    if (std::wcsncmp(title, search->Prefix.c_str(), search->Prefix.size()) == 0) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindByPrefix(const std::wstring& prefix) {
    TSearch search{prefix};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"wait" && argc == 4) {
        const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(std::wcstod(argv[3], nullptr) * 1000);
        do {
            if (HWND window = FindByPrefix(argv[2])) {
                // Let it finish painting before anyone takes a picture.
                ::Sleep(500);
                // The client area: without a window manager the frame is
                // not drawn, and a black band would spoil the picture.
                RECT r{};
                ::GetClientRect(window, &r);
                POINT origin{0, 0};
                ::ClientToScreen(window, &origin);
                std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right - r.left, r.bottom - r.top);
                return 0;
            }
            ::Sleep(100);
        } while (::GetTickCount64() < end);
        std::fprintf(stderr, "brisklet-window: no window appeared\n");
        return 1;
    }
    if (command == L"close" && argc == 3) {
        HWND window = FindByPrefix(argv[2]);
        if (!window) {
            std::fprintf(stderr, "brisklet-window: no such window\n");
            return 1;
        }
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: brisklet-window wait TITLE-PREFIX SECONDS | close TITLE-PREFIX\n");
    return 2;
}
