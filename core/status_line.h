// The rules of a "statuses.txt" entry and of the "/nl" line marker.
// Portable: no Win32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "/nl" becomes CR LF, in any letter case, but only when the text holds at
// least one marker in exactly the lower-case form.
std::u16string ExpandLineMarkers(std::u16string_view text);

// Splits a "statuses.txt" entry "icon|title|text". The outputs are written
// only when the entry has exactly three fields; otherwise they keep what the
// caller put in them. A first field that is no integer gives icon 0.
void ParseStatusLine(std::u16string_view entry, int32_t& icon, std::u16string& status,
                     std::u16string& xstatus);
