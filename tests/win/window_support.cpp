#include "tests/win/window_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <thread>

#include "options/options_layout.h"
#include "tests/options_layout_lookups.h"
#include "tests/win/test_support.h"

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    // Only a guard: a thread that is merely slow, on a busy machine, still answers.
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 30000, &result);
    return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window) {
    wchar_t buffer[1024] = {};
    Ask(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

namespace {

// A named callback, not a lambda: a lambda does not convert to a stdcall
// function pointer in a 32-bit build.
BOOL CALLBACK CollectWindow(HWND window, LPARAM out) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    ::EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND ControlById(HWND form, int id) {
    for (const HWND child : ChildWindows(form)) {
        if (::GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

HWND Control(HWND form, std::u16string_view name) { return ControlById(form, LayoutControlId(LayoutIndex(name))); }

std::vector<HWND> VisibleDialogs() {
    std::vector<HWND> found;
    for (const HWND window : TopLevelWindows()) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t cls[32] = {};
        ::GetClassNameW(window, cls, 32);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && wcscmp(cls, L"#32770") == 0) {
            found.push_back(window);
        }
    }
    return found;
}

HWND FindOptionsWindow(DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        const std::vector<HWND> found = VisibleDialogs();
        if (!found.empty()) {
            return found.front();
        }
        if (::GetTickCount64() > end) {
            return nullptr;
        }
        ::Sleep(20);
    }
}

std::wstring FinalReport(HWND form) {
    const HWND label = Control(form, u"lUpdate");
    const ULONGLONG end = ::GetTickCount64() + 20000;
    std::wstring report = Text(label);
    while ((report.empty() || report.find(L"Please wait") != std::wstring::npos) && ::GetTickCount64() < end) {
        ::Sleep(20);
        report = Text(label);
    }
    return report;
}

int ShowOptions(TPluginLoader& loader, const std::function<void(HWND form)>& user, intptr_t a, intptr_t b,
                intptr_t c) {
    return ShowOptionsBy([&] { loader.Send(HM_SHOW_OPTIONS, a, b, c); }, user);
}

int ShowOptionsBy(const std::function<void()>& send, const std::function<void(HWND form)>& user) {
    std::atomic<bool> done{false};
    std::atomic<int> shown{0};
    std::thread watcher([&] {
        std::vector<HWND> seen;
        const ULONGLONG end = ::GetTickCount64() + 30000;
        while (!done && ::GetTickCount64() < end) {
            for (const HWND form : VisibleDialogs()) {
                if (std::find(seen.begin(), seen.end(), form) == seen.end()) {
                    seen.push_back(form);
                    ++shown;
                    user(form);
                }
                ::PostMessageW(form, WM_CLOSE, 0, 0);
            }
            ::Sleep(20);
        }
    });
    send();
    done = true;
    watcher.join();
    return shown;
}

void SetProxy(const std::wstring& value) {
    ::SetEnvironmentVariableW(L"http_proxy", value.empty() ? nullptr : value.c_str());
    if (HMODULE ucrt = ::LoadLibraryW(L"ucrtbase.dll")) {  // the one WinInet uses
        using TPutEnv = int(__cdecl*)(const wchar_t*, const wchar_t*);
        if (const auto put =
                reinterpret_cast<TPutEnv>(reinterpret_cast<void (*)()>(::GetProcAddress(ucrt, "_wputenv_s")))) {
            put(L"http_proxy", value.c_str());  // empty removes it
        }
    }
}

TUpdateServer::TUpdateServer() {
    FILE* f = _wfopen((ProgramFolder() + L"update_server.port").c_str(), L"r");
    if (!f) {
        return;
    }
    unsigned port = 0;
    unsigned closed = 0;
    if (fscanf(f, "%u %u", &port, &closed) == 2 && port > 0 && port < 65536 && closed < 65536) {
        FPort = static_cast<INTERNET_PORT>(port);
        FClosedPort = static_cast<INTERNET_PORT>(closed);
    }
    fclose(f);
}

void TUpdateServer::Use() const { SetProxy(L"http://127.0.0.1:" + std::to_wstring(FPort)); }

void TUpdateServer::Refuse() { SetProxy(L"http://127.0.0.1:9"); }

void TUpdateServer::Serve(int status, const std::string& body, double delaySeconds, bool keepLog,
                          double stallSeconds) const {
    wchar_t path[128];
    swprintf(path, std::size(path), L"/__control?status=%d&delay=%.2f&keeplog=%d&stall=%.2f", status, delaySeconds,
             keepLog ? 1 : 0, stallSeconds);
    EXPECT_EQ(Request(L"POST", path, body), "ok\n");
}

void TUpdateServer::Hold(int status, const std::string& body, THold where, bool keepLog) const {
    wchar_t path[128];
    swprintf(path, std::size(path), L"/__control?status=%d&keeplog=%d&hold=%ls", status, keepLog ? 1 : 0,
             where == THold::Answer ? L"answer" : L"body");
    EXPECT_EQ(Request(L"POST", path, body), "ok\n");
}

void TUpdateServer::Release() const { EXPECT_EQ(Request(L"POST", L"/__release"), "ok\n"); }

bool TUpdateServer::WaitForRequests(size_t count, DWORD timeoutMs) const {
    return PumpUntil([&] { return Log().size() >= count; }, timeoutMs);
}

std::vector<TLogEntry> TUpdateServer::Log() const {
    const std::string text = Request(L"GET", L"/__log");
    std::vector<TLogEntry> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string::npos ? std::string::npos : line.find('\t', tab1 + 1);
        if (tab2 != std::string::npos) {
            const std::string done = line.substr(tab2 + 1);
            entries.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), done == "1",
                               done == "1" || done == "p"});
        }
        start = end + 1;
    }
    return entries;
}

std::string TUpdateServer::Request(const wchar_t* verb, const std::wstring& path, const std::string& body) const {
    std::string answer;
    HINTERNET session = ::InternetOpenW(L"brisklet-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection =
        session ? ::InternetConnectW(session, L"127.0.0.1", FPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                : nullptr;
    HINTERNET request = connection ? ::HttpOpenRequestW(connection, verb, path.c_str(), nullptr, nullptr, nullptr,
                                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                   : nullptr;
    if (request &&
        ::HttpSendRequestW(request, nullptr, 0, const_cast<char*>(body.data()), static_cast<DWORD>(body.size()))) {
        char buffer[4096];
        DWORD read = 0;
        while (::InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
            answer.append(buffer, read);
        }
    } else {
        ADD_FAILURE() << "control request to the stand-in server failed: " << ::GetLastError();
    }
    for (HINTERNET h : {request, connection, session}) {
        if (h) {
            ::InternetCloseHandle(h);
        }
    }
    return answer;
}

TRefusingProxy::TRefusingProxy() {
    wchar_t old[512] = {};
    if (::GetEnvironmentVariableW(L"http_proxy", old, 512) < 512) {
        FOld = old;
    }
    TUpdateServer::Refuse();
}

TRefusingProxy::~TRefusingProxy() { SetProxy(FOld); }

TOptionsHost::TOptionsHost(const std::wstring& name) : Folder(name) {}

TOptionsHost::~TOptionsHost() { Loader.Unload(); }

void TOptionsHost::Store(int32_t freqValue, int32_t freqUnit, int32_t workMode, const std::wstring& selection) {
    Host.Store.Initialized = 1;
    Host.Store.FreqValue = freqValue;
    Host.Store.FreqUnit = freqUnit;
    Host.Store.WorkMode = workMode;
    Host.SetSelection(selection);
}

bool TOptionsHost::Start() {
    if (!Loader.Load(Folder.Dll(), Host)) {
        return false;
    }
    Loader.Send(HM_START);
    return true;
}

bool TOptionsHost::Show(const std::function<void(HWND form)>& user) {
    std::atomic<bool> shown{false};
    std::thread watcher([&] {
        const HWND form = FindOptionsWindow(20000);
        if (!form) {
            return;
        }
        shown = true;
        user(form);
        const ULONGLONG end = ::GetTickCount64() + 30000;  // a guard: a window may be slow to go
        while (::IsWindow(form) && ::IsWindowVisible(form) && ::GetTickCount64() < end) {
            ::Sleep(10);
        }
        if (::IsWindow(form) && ::IsWindowVisible(form)) {
            ADD_FAILURE() << "the test left the window open";
            ::PostMessageW(form, WM_CLOSE, 0, 0);
        }
    });
    Loader.Send(HM_SHOW_OPTIONS);
    watcher.join();
    return shown;
}
