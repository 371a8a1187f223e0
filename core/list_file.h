// Reading a list file from disk (Win32 side of the text lists).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/text_list.h"

// The system's ANSI code page, for files without a byte-order mark.
void AnsiToUtf16(const char* bytes, size_t count, std::u16string& out);

// Reads the whole file; false when it can't be opened or read whole.
bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes);

// Loads path into list. Any failure leaves the list empty.
void LoadListPath(const std::wstring& path, TTextList& list) noexcept;
