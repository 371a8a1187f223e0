#include <windows.h>

#include "base/utf.h"
#include "base/wide.h"
#include "base/win_handles.h"
#include "core/list_file.h"
#include "tools/brisklet_check/files.h"

namespace {

// The checker keeps paths in UTF-8, as it got them from the command line.
std::wstring WidePath(const std::string& path) { return ToWide(Utf8ToUtf16(path)); }

}  // namespace

TPathKind ProbePath(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return TPathKind::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? TPathKind::Folder : TPathKind::File;
}

// The plug-in's own reader, so the checker sees the bytes the plug-in sees.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    return ReadWholeFile(WidePath(path), bytes);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' || folder.back() == '/' || folder.back() == ':'
               ? folder + name
               : folder + "\\" + name;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    TUniqueFile file(::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(bytes.size() - done > (1u << 24) ? (1u << 24) : bytes.size() - done);
        DWORD wrote = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, want, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        done += wrote;
    }
    return ::FlushFileBuffers(file.get()) != 0;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return ::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(WidePath(path).c_str()) != 0; }
