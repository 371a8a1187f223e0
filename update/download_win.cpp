#include "update/download_win.h"

#include <atomic>
#include <system_error>
#include <utility>

#include "base/text.h"
#include "base/wide.h"
#include "base/win_handles.h"
#include "update/running_checks_win.h"
#include "update/version_logic.h"

std::atomic<TWriteFileCall> WriteTemporaryCopy{&::WriteFile};
std::atomic<TInternetReadFileCall> ReadAnswerBody{&::InternetReadFile};

namespace {

constexpr DWORD ReadBufferSize = 1024;
constexpr DWORD ProfileBufferSize = 2048;

[[noreturn]] void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

std::u16string ReadProfileText(const std::u16string& fileName, const wchar_t* key) {
    wchar_t buffer[ProfileBufferSize];
    const DWORD length = ::GetPrivateProfileStringW(L"update", key, L"", buffer, ProfileBufferSize, W(fileName));
    return FromWide(buffer, length < ProfileBufferSize ? length : ProfileBufferSize - 1);
}

// The slot's handles, closed on every way out of a download unless the
// module has taken them to cancel it.
class TSlotHandles {
public:
    explicit TSlotHandles(TCheckSlot& slot) noexcept : FSlot(slot) {}
    ~TSlotHandles() { RunningChecks.CloseHandles(FSlot); }
    TSlotHandles(const TSlotHandles&) = delete;
    TSlotHandles& operator=(const TSlotHandles&) = delete;

private:
    TCheckSlot& FSlot;
};

// The body in memory, or false when the answer is not a version file.
bool FetchBody(const std::u16string& url, std::string& body, TCheckSlot& slot) {
    const TSlotHandles closer(slot);
    const HINTERNET session =
        ::InternetOpenW(W(std::u16string(UpdateAgentName)), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session || !RunningChecks.Keep(slot, &TCheckSlot::Session, session)) {
        return false;
    }
    // Straight from the server: a cached copy could hide a new version.
    const HINTERNET address =
        ::InternetOpenUrlW(session, W(url), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!address || !RunningChecks.Keep(slot, &TCheckSlot::Address, address)) {
        return false;
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoW(address, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status != 200) {
        return false;
    }
    char buffer[ReadBufferSize];
    for (;;) {
        DWORD read = 0;
        if (!ReadAnswerBody.load()(address, buffer, ReadBufferSize, &read)) {
            // Cancelled (the module closed the handles) or cut off: what came
            // so far is not the whole file.
            return false;
        }
        if (read == 0) {
            // Where closing the handles does not interrupt a read, a
            // cancelled check may still get its whole body; it writes
            // nothing all the same.
            return !RunningChecks.IsCancelled(slot);
        }
        if (body.size() + read > MaxVersionFileSize) {
            return false;
        }
        body.append(buffer, read);
    }
}

std::atomic<uint32_t> TemporaryCounter{0};

// The copy while it is written: a new file under a name of its own, closed
// and deleted on every way out but success. Its handle is not shared, so
// the file can be deleted only once the handle is closed.
class TTemporaryFile {
public:
    TTemporaryFile() = default;
    ~TTemporaryFile() {
        FFile.reset();
        if (!FName.empty()) {
            ::DeleteFileW(W(FName));
        }
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    // False when a file of that name exists or cannot be made.
    bool Create(const std::u16string& name) {
        FFile.reset(::CreateFileW(W(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!FFile) {
            return false;
        }
        FName = name;
        return true;
    }
    HANDLE Handle() const noexcept { return FFile.get(); }
    bool Close() noexcept { return ::CloseHandle(FFile.release()) != FALSE; }
    const std::u16string& Name() const noexcept { return FName; }
    void Keep() noexcept { FName.clear(); }

private:
    TUniqueFile FFile;
    std::u16string FName;
};

bool IsSharingError(DWORD error) noexcept {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Writes body under a name of its own next to fileName, then puts it in
// place in one step, so a reader never sees a half-written file and two
// checks never write the same file.
void ReplaceFileWith(const std::u16string& fileName, const std::string& body) {
    TTemporaryFile temporary;
    bool created = false;
    for (int attempt = 0; attempt < 16 && !created; ++attempt) {
        created = temporary.Create(fileName + u"." + DecimalText(::GetCurrentProcessId()) + u"-" +
                                   DecimalText(::GetCurrentThreadId()) + u"-" + DecimalText(++TemporaryCounter) +
                                   u".tmp");
        if (!created && ::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            ThrowLastError("cannot create the temporary copy");
        }
    }
    if (!created) {
        ThrowLastError("cannot create the temporary copy");
    }
    DWORD written = 0;
    if (!WriteTemporaryCopy.load()(temporary.Handle(), body.data(), static_cast<DWORD>(body.size()), &written,
                                   nullptr) ||
        written != body.size()) {
        ThrowLastError("cannot write the temporary copy");
    }
    if (!temporary.Close()) {
        ThrowLastError("cannot close the temporary copy");
    }
    // A check that is reading the old file holds it for a moment.
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(W(temporary.Name()), W(fileName), MOVEFILE_REPLACE_EXISTING)) {
            break;
        }
        if (attempt == 20 || !IsSharingError(::GetLastError())) {
            ThrowLastError("cannot replace the version file");
        }
        ::Sleep(25);
    }
    temporary.Keep();
}

}  // namespace

TVersionFileValues ReadVersionFile(const std::u16string& fileName) {
    // The profile functions report no errors: a file that cannot be opened
    // would read as all defaults. Opening it first tells the two apart.
    TUniqueFile probe(::CreateFileW(W(fileName), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) {
        ThrowLastError("cannot open the version file");
    }
    probe.reset();
    TVersionFileValues values;
    values.Major = ReadProfileText(fileName, L"major");
    values.Minor = ReadProfileText(fileName, L"minor");
    values.Release = ReadProfileText(fileName, L"release");
    values.Page = ReadProfileText(fileName, L"page");
    return values;
}

std::u16string GetTempDir() {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length > buffer.size()) {
        // Too small: length is the size needed, terminator included.
        buffer.assign(length, L'\0');
        length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size()) {
        return std::u16string();
    }
    return FromWide(buffer.data(), length);
}

bool DownloadFile(const std::u16string& url, const std::u16string& fileName, TCheckSlot& slot) {
    std::string body;
    if (!FetchBody(url, body, slot)) {
        return false;
    }
    ReplaceFileWith(fileName, body);
    return true;
}
