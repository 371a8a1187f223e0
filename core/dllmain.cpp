#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary: give the class back so a reload registers
        // it against the new image. Fails harmlessly while a window lives.
        ::UnregisterClassW(L"BriskletMessageWindow", module);
    }
    return TRUE;
}
