// Module-wide values shared by the plug-in's units. They live from the
// module's load to its unload. Portable: no Win32.
#pragma once

#include <cstdint>
#include <string>

// The plug-in's version, shown in the options window and compared by the
// update check.
inline constexpr int32_t VersionMajor = 0;
inline constexpr int32_t VersionMinor = 3;
inline constexpr int32_t VersionRelease = 6;

extern const std::u16string PluginDisplayName;
extern const std::u16string PluginAuthorName;

// The language and the module's file name are read by the update check's
// thread while the host's thread may replace them, so they are only reached
// through these copies taken under one lock.
std::u16string CurrentLanguage();
void SetCurrentLanguage(std::u16string language);
std::u16string ModuleFileName();
void SetModuleFileName(std::u16string fileName);

// Settings mirrors; host thread only.
extern int32_t FreqValue;
extern int32_t FreqUnit;
extern int32_t WorkMode;
extern std::u16string StatusSelection;

// Everything up to and including the last "\" or ":" of a file name.
std::u16string FolderOf(const std::u16string& fileName);
