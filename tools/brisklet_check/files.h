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
// Creates or empties path and writes bytes, through to the disk; false when
// any step fails (the file may then hold part of them).
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Puts from in the place of to in one step: to is either the old file or
// the new one, never a mix.
bool MoveFileOver(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);

// The steps of a rewrite, so a test can make one of them fail.
class TFileOps {
public:
    virtual ~TFileOps() = default;
    virtual TPathKind Probe(const std::string& path) { return ProbePath(path); }
    virtual bool Read(const std::string& path, std::vector<uint8_t>& bytes) { return ReadFileBytes(path, bytes); }
    virtual bool Write(const std::string& path, const std::string& bytes) { return WriteFileBytes(path, bytes); }
    virtual bool MoveOver(const std::string& from, const std::string& to) { return MoveFileOver(from, to); }
    virtual bool Remove(const std::string& path) { return RemoveFile(path); }
};

// Replaces path with bytes whole or not at all: they go to a file beside it
// first, which then takes its place. On failure path is as it was, and why
// says what went wrong.
bool WriteWhole(TFileOps& ops, const std::string& path, const std::string& bytes, std::string& why);
