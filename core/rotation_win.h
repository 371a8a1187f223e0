// The rotation's messages to the host (Win32 side): the query for the
// current extended status and the pair of status messages.
#pragma once

#include <cstdint>

#include "core/rotation.h"
#include "sdk/u_plugin_info.h"

// PM_QUERY_STATUS; the host's texts are copied before it returns.
TExtendedStatus QueryStatus(IHOXPluginService& service, uintptr_t module);

// PM_SET_STATUS_TEXT twice: first with icon 0, then with the status's own,
// both with its texts, which the host copies during the call.
void SendStatus(IHOXPluginService& service, uintptr_t module, const TExtendedStatus& status);
