// The options window's tests run in two hosts: win_tests, without a
// manifest, and win_tests_themed, whose manifest asks for the common
// controls of version 6 as the messenger's does. Each host checks that the
// window's controls really are those it asked for, so that a themed run that
// quietly fell back to the old controls cannot pass for one.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>

#include "tests/win/test_support.h"
#include "tests/win/window_support.h"

namespace {

bool HostHasManifest() {
    return ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) != nullptr;
}

// The path, in lower case, of the module whose code runs the window's class:
// the side-by-side comctl32.dll of version 6 for the common controls' own,
// user32.dll for the system's.
std::wstring ClassCode(HWND window) {
    HMODULE module = nullptr;
    const auto procedure = reinterpret_cast<LPCWSTR>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              procedure, &module)) {
        return L"";
    }
    wchar_t name[MAX_PATH] = {};
    ::GetModuleFileNameW(module, name, MAX_PATH);
    std::wstring path = name;
    std::transform(path.begin(), path.end(), path.begin(), [](wchar_t c) { return std::towlower(c); });
    return path;
}

TEST(OptionsVisualStyles, ControlsAreThoseTheHostAskedFor) {
    TOptionsHost p(L"opt-styles");
    p.Store(120, 0, 0, L"");
    ASSERT_TRUE(p.Start());
    std::wstring picture, button;
    ASSERT_TRUE(p.Show([&](HWND form) {
        picture = ClassCode(Control(form, u"WIZ"));
        button = ClassCode(Control(form, u"btnOk"));
        Ask(Control(form, u"btnCancel"), BM_CLICK);
    }));
    std::printf("host %s a manifest: the picture's code is in %s, the button's in %s\n",
                HostHasManifest() ? "with" : "without", Utf8(picture).c_str(), Utf8(button).c_str());
    const auto from = [](const std::wstring& path, const wchar_t* file) {
        const std::wstring tail = std::wstring(L"\\") + file;
        return path.size() > tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (HostHasManifest()) {
        EXPECT_TRUE(from(picture, L"comctl32.dll") && picture.find(L"common-controls") != std::wstring::npos);
        EXPECT_TRUE(from(button, L"comctl32.dll") && button.find(L"common-controls") != std::wstring::npos);
    } else {
        EXPECT_TRUE(from(picture, L"user32.dll"));
        EXPECT_TRUE(from(button, L"user32.dll"));
    }
}

}  // namespace
