#include "core/u_common.h"

#include <mutex>

const std::u16string PluginDisplayName = u"Brisklet - \u0441\u043C\u0435\u0448\u043D\u043E\u0439 \u0441\u0442\u0430\u0442\u0443\u0441";
const std::u16string PluginAuthorName = u"Orvane software";

TSettings Settings;

namespace {

// Namespace-scope, not function-local: the first guarded static in the DLL
// makes the C++ runtime create two semaphores that outlive FreeLibrary, so
// each load and unload of the plug-in would leak them.
std::mutex ValuesLock;
std::u16string CurrentLanguageValue = u"English";
std::u16string ModuleFileNameValue;

}  // namespace

std::u16string CurrentLanguage() {
    std::lock_guard<std::mutex> guard(ValuesLock);
    return CurrentLanguageValue;
}

void SetCurrentLanguage(std::u16string language) {
    std::lock_guard<std::mutex> guard(ValuesLock);
    CurrentLanguageValue.swap(language);
    // The old text is freed after the lock is let go.
}

std::u16string ModuleFileName() {
    std::lock_guard<std::mutex> guard(ValuesLock);
    return ModuleFileNameValue;
}

void SetModuleFileName(std::u16string fileName) {
    std::lock_guard<std::mutex> guard(ValuesLock);
    ModuleFileNameValue.swap(fileName);
}
