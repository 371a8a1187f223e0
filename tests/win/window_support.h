// Shared pieces of the Windows tests that drive windows and the update
// check: messages with a time-out, controls found by their layout name, the
// options window played by a second thread, the thread's message pump, a
// memory device context's owner, and the stand-in update server
// (tests/win/update_server.py).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <wininet.h>

#include "base/win_handles.h"
#include "host/host_service.h"
#include "tests/win/test_support.h"

struct TMemoryDCTraits {
    using pointer = HDC;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { ::DeleteDC(h); }
};
using TUniqueMemoryDC = TUniqueHandle<TMemoryDCTraits>;  // from CreateCompatibleDC

// A message to a window of another thread. With a time-out, so that a
// window that closed meanwhile cannot hang the test.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring Text(HWND window);

// Every top-level window of the desktop, and every descendant of a window.
std::vector<HWND> TopLevelWindows();
std::vector<HWND> ChildWindows(HWND parent);

HWND ControlById(HWND form, int id);
HWND Control(HWND form, std::u16string_view name);

// Every visible dialog of this process; the options window is the only one.
std::vector<HWND> VisibleDialogs();
// The first one to show within the time, or null.
HWND FindOptionsWindow(DWORD timeoutMs);

// The update check's report in the window once the waiting text has gone.
std::wstring FinalReport(HWND form);

// Sends message 6 and plays the user on another thread: `user` gets each
// window as it shows; every dialog still open afterwards is closed through
// its close box. Returns the number of windows that showed.
int ShowOptions(TPluginLoader& loader, const std::function<void(HWND form)>& user, intptr_t a = 0, intptr_t b = 0,
                intptr_t c = 0);
// The same, where `send` sends message 6 as the caller's host does.
int ShowOptionsBy(const std::function<void()>& send, const std::function<void(HWND form)>& user);

// The HTTP proxy of this process; empty for none. Wine's WinInet reads it
// from ucrtbase's copy of the environment, which only that copy's own setter
// changes.
void SetProxy(const std::wstring& value);

struct TLogEntry {
    std::string Path;
    std::string Agent;
    bool Done = false;         // answered
    bool BodyStarted = false;  // some of the body sent, or all
};

// The stand-in for the maker's server that ctest starts (fixture
// update_server) and scripts/harden.sh starts, found through its port file.
class TUpdateServer {
public:
    TUpdateServer();

    bool Running() const noexcept { return FPort != 0; }
    INTERNET_PORT Port() const noexcept { return FPort; }
    INTERNET_PORT ClosedPort() const noexcept { return FClosedPort; }

    // Makes the server this process's proxy; Refuse points it at a port
    // that refuses, so that checks end at once.
    void Use() const;
    static void Refuse();

    // The next answers: this status and body, after delay seconds. Clears
    // the log unless keepLog. With a stall, the first half of the body is
    // sent at once and the rest that many seconds later.
    void Serve(int status, const std::string& body, double delaySeconds = 0, bool keepLog = false,
               double stallSeconds = 0) const;
    // The next answers wait, before anything is sent (Answer) or halfway
    // through the body (Body), until Release: a test brings about "the
    // check is still running" by construction, on a machine of any speed.
    enum class THold { Answer, Body };
    void Hold(int status, const std::string& body, THold where = THold::Answer, bool keepLog = false) const;
    void Release() const;
    std::vector<TLogEntry> Log() const;
    // Pumps until the server has had this many requests (answered or not).
    bool WaitForRequests(size_t count, DWORD timeoutMs = 30000) const;

    // A request straight to the server, not through the proxy.
    std::string Request(const wchar_t* verb, const std::wstring& path, const std::string& body = std::string()) const;

private:
    INTERNET_PORT FPort = 0;
    INTERNET_PORT FClosedPort = 0;
};

// While it lives, this process's update checks meet a proxy that refuses,
// so that they end at once; the proxy before comes back afterwards.
class TRefusingProxy {
public:
    TRefusingProxy();
    ~TRefusingProxy();
    TRefusingProxy(const TRefusingProxy&) = delete;
    TRefusingProxy& operator=(const TRefusingProxy&) = delete;

private:
    std::wstring FOld;
};

// A loaded plug-in with a store; Show() runs message 6 while `user` plays
// the user on another thread. The user must close the window; if it does
// not, the window is closed through its close box and the test fails. The
// update check meets a proxy that refuses, so it ends fast everywhere.
class TOptionsHost {
public:
    explicit TOptionsHost(const std::wstring& name);
    ~TOptionsHost();
    TOptionsHost(const TOptionsHost&) = delete;
    TOptionsHost& operator=(const TOptionsHost&) = delete;

    // Store values as the host keeps them; message 2 reads them.
    void Store(int32_t freqValue, int32_t freqUnit, int32_t workMode, const std::wstring& selection);
    bool Start();
    // True when the window showed.
    bool Show(const std::function<void(HWND form)>& user);

    TPluginFolder Folder;
    THostService Host;
    TPluginLoader Loader;

private:
    TRefusingProxy FProxy;
};
