// A small library holding the update check, so that a test can unload it
// while a check still runs, as the messenger may unload the plug-in.
#include <windows.h>

#include <atomic>

#include "update/download_win.h"
#include "update/update.h"

namespace {

std::atomic<unsigned long> BytesRead{0};

BOOL WINAPI CountingRead(HINTERNET file, LPVOID buffer, DWORD size, LPDWORD read) {
    const BOOL ok = ::InternetReadFile(file, buffer, size, read);
    if (ok) {
        BytesRead += *read;
    }
    return ok;
}

}  // namespace

extern "C" __declspec(dllexport) void ProbeStartUpdateCheck(HWND label) {
    SetUpdateLabel(label);
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
}

// What the plug-in does for the update check when the host releases it.
extern "C" __declspec(dllexport) void ProbeRelease() {
    ShutDownUpdateChecks();
}

// The bytes of answers' bodies that this library's checks have read so far.
extern "C" __declspec(dllexport) unsigned long ProbeCountBodyBytes() {
    ReadAnswerBody = &CountingRead;
    return BytesRead.load();
}
