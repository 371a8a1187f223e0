#include <windows.h>

#include "base/message_window.h"

// The static C++ runtime's emergency exception pool (libstdc++, not declared
// in its headers).
namespace __gnu_cxx {
void __freeres();
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // The plug-in object gives its classes back as it goes; this is for
        // a host that unloads without releasing it.
        UnregisterMessageWindowClass();
        // The pool lives on the process heap, which outlives us: give it
        // back, or every load and unload of the plug-in leaks it.
        __gnu_cxx::__freeres();
    }
    return TRUE;
}
