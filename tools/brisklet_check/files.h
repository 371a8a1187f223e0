// File access for brisklet-check, one small file per platform, so the
// checker needs neither iostreams nor <filesystem> (each would add most of a
// megabyte to the statically linked Windows program). Paths are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TPathKind { Missing, File, Folder };

TPathKind ProbePath(const std::string& path);
// The whole file; false when it can't be opened or read.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);
std::string JoinPath(const std::string& folder, const std::string& name);
