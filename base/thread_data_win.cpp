#include "base/thread_data_win.h"

#include <windows.h>

// winpthread's own thread callback.
extern "C" PIMAGE_TLS_CALLBACK __xl_f;
extern "C" IMAGE_DOS_HEADER __ImageBase;

void GiveBackThreadData() noexcept {
    __xl_f(&__ImageBase, DLL_THREAD_DETACH, nullptr);
}
