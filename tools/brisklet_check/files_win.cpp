#include <windows.h>

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
