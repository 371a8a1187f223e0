// File questions asked by several layers (Win32).
#pragma once

#include <string>

// True when path names an existing file, not a folder.
bool IsExistingFile(const std::wstring& path) noexcept;
