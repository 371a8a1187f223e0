// The settings in the host's store for the plug-in (Win32 side). The host
// gives the same record each time, but it is asked again before each field
// written, as it expects; a host that stops giving it changes nothing more.
#pragma once

#include <cstdint>

#include "core/settings.h"
#include "sdk/u_plugin_info.h"

// Copies the store into the module's Settings, writing the defaults first
// on first use. Without a store the values stay as they stand.
void ReadSettingsFromStore(IHOXPluginService* service, uintptr_t module);

// Writes the saved values to the store and to Settings, one after the
// other: WorkMode, StatusSelection, FreqValue, FreqUnit.
void WriteSettingsToStore(IHOXPluginService* service, uintptr_t module, const TSettings& saved);
