// Shared pieces of the Windows tests: a private plug-in folder with a copy
// of the 64-bit DLL, and file helpers. Fixtures are written by the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_service.h"

// Folder of the running test program (the build's bin folder).
std::wstring ProgramFolder();

// A fresh folder under the temporary folder, removed with its files.
class TTempFolder {
public:
    explicit TTempFolder(const std::wstring& name);
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::wstring& Path() const noexcept { return FPath; }  // ends with "\"
    std::wstring File(const std::wstring& name) const { return FPath + name; }
    void Write(const std::wstring& name, const std::string& bytes) const;
    void Remove(const std::wstring& name) const;

private:
    std::wstring FPath;
};

// A plug-in folder holding a copy of Brisklet.dll.
class TPluginFolder : public TTempFolder {
public:
    explicit TPluginFolder(const std::wstring& name, const std::wstring& subfolder = L"");
    std::wstring Dll() const { return FDll; }

private:
    std::wstring FDll;
};

// A store that ticks icon 5 in xStatus mode with a change every second, and
// the host's status at icon 5, "Title", "Current".
void TickIconFiveEverySecond(THostService& host);

// UTF-8 as base/utf.h makes it: a lone surrogate becomes U+FFFD.
std::string Utf8(const std::wstring& text);
std::string Utf16Le(const std::wstring& text, bool withMark = true);
