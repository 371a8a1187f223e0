#include <windows.h>

#include "base/win_handles.h"
#include "core/list_file.h"
#include "tools/brisklet_check/files.h"

namespace {

std::wstring ToWide(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    }
    return out;
}

}  // namespace

TPathKind ProbePath(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return TPathKind::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? TPathKind::Folder : TPathKind::File;
}

// The plug-in's own reader, so the checker sees the bytes the plug-in sees.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    return ReadWholeFile(ToWide(path), bytes);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' || folder.back() == '/' || folder.back() == ':'
               ? folder + name
               : folder + "\\" + name;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    TUniqueFile file(::CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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
    return ::MoveFileExW(ToWide(from).c_str(), ToWide(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(ToWide(path).c_str()) != 0; }
