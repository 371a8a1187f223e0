#include "tests/win/test_support.h"

#include <windows.h>

#include <stdexcept>

#include "base/utf.h"
#include "base/wide.h"

std::wstring ProgramFolder() {
    wchar_t buf[MAX_PATH * 4];
    const DWORD n = ::GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
    std::wstring path(buf, n);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring full = folder + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + L"\\");
            } else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

TTempFolder::TTempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    FPath = std::wstring(temp) + L"brisklet-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + name + L"\\";
    RemoveTree(FPath);
    if (!::CreateDirectoryW(FPath.c_str(), nullptr)) {
        throw std::runtime_error("cannot create test folder");
    }
}

TTempFolder::~TTempFolder() { RemoveTree(FPath); }

void TTempFolder::Write(const std::wstring& name, const std::string& bytes) const {
    const std::wstring path = File(name);
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write test file");
    }
    DWORD written = 0;
    ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(f);
}

void TTempFolder::Remove(const std::wstring& name) const { ::DeleteFileW(File(name).c_str()); }

TPluginFolder::TPluginFolder(const std::wstring& name, const std::wstring& subfolder) : TTempFolder(name) {
    std::wstring folder = Path();
    if (!subfolder.empty()) {
        folder += subfolder + L"\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    FDll = folder + L"Brisklet.dll";
    if (!::CopyFileW((ProgramFolder() + L"Brisklet.dll").c_str(), FDll.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy Brisklet.dll");
    }
}

std::string Utf8(const std::wstring& text) { return Utf16ToUtf8(FromWide(text.data(), text.size())); }

std::string Utf16Le(const std::wstring& text, bool withMark) {
    std::string out = withMark ? std::string("\xFF\xFE", 2) : std::string();
    for (const wchar_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return out;
}

void TickIconFiveEverySecond(THostService& host) {
    host.Store.Initialized = 1;
    host.Store.FreqValue = 1;
    host.Store.FreqUnit = 0;
    host.Store.WorkMode = 0;
    host.SetSelection(L";;;;5;;");
    host.Icon = 5;
    host.Status = L"Title";
    host.XStatus = L"Current";
}
