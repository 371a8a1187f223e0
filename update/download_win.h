// The update check's download and its files (Win32): the version file is
// fetched, then saved whole in the user's temporary folder and read back.
#pragma once

#include <atomic>
#include <string>

#include <windows.h>
#include <wininet.h>

#include "update/running_checks_win.h"
#include "update/version_logic.h"

// Fetches url and saves the body as fileName. False, and nothing written,
// when the server cannot be reached, answers other than 200 or sends more
// than MaxVersionFileSize, or the check was cancelled. The file is replaced
// whole, never written in place, so overlapping checks cannot mix their
// bytes. Throws when the file cannot be written.
bool DownloadFile(const std::u16string& url, const std::u16string& fileName, TCheckSlot& slot);

// The user's temporary folder, ending in "\"; empty when the system has none.
std::u16string GetTempDir();

// The saved version file's values, through the profile functions. Throws
// when the file cannot be opened.
TVersionFileValues ReadVersionFile(const std::u16string& fileName);

// What writes the temporary copy: the system's WriteFile. A test puts a
// failing one here, as a full disk would fail.
using TWriteFileCall = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
extern std::atomic<TWriteFileCall> WriteTemporaryCopy;

// What reads the answer's body: the system's InternetReadFile. A test puts
// a counting one here, to know that a check holds part of a body.
using TInternetReadFileCall = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
extern std::atomic<TInternetReadFileCall> ReadAnswerBody;
