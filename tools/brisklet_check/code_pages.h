// The 8-bit code pages that --codepage can name. They are tables here
// rather than the system's converter, so the native and the Windows builds
// read an old list alike. Portable: no Win32.
#pragma once

#include <cstdint>

#include "core/reference_decoder.h"

// "866, 1251, 1252 and 20866 (KOI8-R)", for the messages.
inline constexpr const char* SupportedCodePages = "866, 1251, 1252 and 20866 (KOI8-R)";

// The converter of a supported code page; nullptr for any other number.
TAnsiToUtf16 CodePageConverter(uint32_t codePage) noexcept;

// A code unit that stands for a byte the code page has no letter for: the
// replacement character, or a C1 control, which is what an unassigned byte
// becomes and which no one writes in a status text.
bool IsUndecodable(char16_t c) noexcept;
