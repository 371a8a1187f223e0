// Small number and text helpers shared by every layer. Portable: no Win32.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The value in decimal, with a leading "-" when negative, as ordinary
// integer formatting writes it.
std::u16string DecimalText(int64_t value);

// Reads a decimal integer with an optional sign; false when text is not one
// or leaves 32 bits.
bool ParseInt32(std::u16string_view text, int32_t& value) noexcept;

// Everything up to and including the last "\" or ":" of a file name.
std::u16string FolderOf(const std::u16string& fileName);
