#include <windows.h>

#include "base/message_window.h"
#include "base/thread_data_win.h"

// The static C++ runtime's emergency exception pool (libstdc++, not declared
// in its headers).
namespace __gnu_cxx {
void __freeres();
}

namespace {

void NTAPI ReleaseThreadData(PVOID, DWORD reason, PVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // A thread of the host that ran our code (a lock, a wait) got
        // winpthread's data, given back only when the thread ends; the
        // host's threads outlive us. So the unloading thread's is given back
        // here. Threads winpthread started itself are left to it. When a
        // check's thread unloads us, the host's thread gave back its own
        // as it let go of the last plug-in object.
        GiveBackThreadData();
    }
}

}  // namespace

// Runs before winpthread's callback (.CRT$XLF), which tears down its keys.
extern "C" __attribute__((section(".CRT$XLE"), used))
const PIMAGE_TLS_CALLBACK BriskletReleaseThreadData = ReleaseThreadData;

// Thread notifications stay on: winpthread gives back the data of a thread
// that ends while we stay loaded, such as a thread of the host that ran our
// code, in its thread-detach callback. (The loader ignores
// DisableThreadLibraryCalls for a module with a TLS directory anyway.)
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // The plug-in object gives its classes back as it goes; this is for
        // a host that unloads without releasing it.
        UnregisterMessageWindowClass();
        // The pool lives on the process heap, which outlives us: give it
        // back, or every load and unload of the plug-in leaks it.
        __gnu_cxx::__freeres();
    }
    return TRUE;
}
