#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "tools/brisklet_check/files.h"

namespace {

using TFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

}  // namespace

TPathKind ProbePath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return TPathKind::Missing;
    }
    return S_ISDIR(info.st_mode) ? TPathKind::Folder : TPathKind::File;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    const TFile file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        return false;
    }
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return std::ferror(file.get()) == 0;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0 &&
              ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }
