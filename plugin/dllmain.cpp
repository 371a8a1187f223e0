#include <windows.h>

#include "base/message_window.h"

// The static C++ runtime's emergency exception pool (libstdc++, not declared
// in its headers).
namespace __gnu_cxx {
void __freeres();
}

// winpthread's own thread callback. A thread of the host that ran our code
// (a lock, a wait) got winpthread's data for it: a thread handle and an
// event, given back only when the thread ends. The host's threads outlive
// us, so on FreeLibrary each load and unload leaked the two handles.
extern "C" PIMAGE_TLS_CALLBACK __xl_f;

namespace {

void NTAPI ReleaseThreadData(PVOID module, DWORD reason, PVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // The unloading thread's data, as if that thread ended now; threads
        // winpthread started itself are left to it.
        __xl_f(module, DLL_THREAD_DETACH, nullptr);
    }
}

}  // namespace

// Runs before winpthread's callback (.CRT$XLF), which tears down its keys.
extern "C" __attribute__((section(".CRT$XLE"), used))
const PIMAGE_TLS_CALLBACK BriskletReleaseThreadData = ReleaseThreadData;

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
