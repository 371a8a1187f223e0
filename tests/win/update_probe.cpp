// A small library holding the update check, so that a test can unload it
// while a check still runs, as the messenger may unload the plug-in.
#include <windows.h>

#include "update/update.h"

extern "C" __declspec(dllexport) void ProbeStartUpdateCheck(HWND label) {
    SetUpdateLabel(label);
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
}

// What the plug-in does for the update check when the host releases it.
extern "C" __declspec(dllexport) void ProbeRelease() {
    ShutDownUpdateChecks();
}
