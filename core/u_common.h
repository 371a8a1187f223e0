// Module-wide values shared by the plug-in's units. They live from the
// module's load to its unload. Portable: no Win32.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings.h"

extern const std::u16string PluginDisplayName;
extern const std::u16string PluginAuthorName;

// The language and the module's file name are read by the update check's
// thread while the host's thread may replace them, so they are only reached
// through these copies taken under one lock.
std::u16string CurrentLanguage();
void SetCurrentLanguage(std::u16string language);
std::u16string ModuleFileName();
void SetModuleFileName(std::u16string fileName);

// The settings as the host's store last gave them; host thread only.
extern TSettings Settings;
