#include "update/update.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include "base/files_win.h"
#include "base/guard.h"
#include "base/text.h"
#include "base/message_window.h"
#include "base/wide.h"
#include "base/win_handles.h"
#include "lang/LanguageSupport.h"

namespace {

// Private to the report window, which is message-only: no one else sends it.
constexpr UINT WM_UPDATE_REPORT = WM_APP + 51;
constexpr DWORD ReadBufferSize = 1024;
constexpr DWORD ProfileBufferSize = 2048;

// One text for the label, and the page when the check found a newer
// version. Posted by the check's thread; the report window's thread frees it.
struct TUpdateReport {
    HWND Label = nullptr;
    uint64_t Generation = 0;
    std::u16string Text;
    bool FoundPage = false;
    std::u16string Page;
};

[[noreturn]] void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

}  // namespace

// A running check as the module sees it. Its internet handles are kept here
// so that the module can close them to cancel the check; each is closed
// exactly once, by whoever takes it out of the slot. Guarded by the
// module's check lock.
struct TCheckSlot {
    HINTERNET Session = nullptr;
    HINTERNET Address = nullptr;
    bool Cancelled = false;
};

namespace {

// The module's state. The label, the generations and the window belong to
// the user-interface thread; the page is also read from there, but under a
// lock so that a reader never sees it half replaced. The running checks are
// shared with their threads under a lock of their own.
class TUpdateModule {
public:
    TUpdateModule() = default;
    ~TUpdateModule();
    TUpdateModule(const TUpdateModule&) = delete;
    TUpdateModule& operator=(const TUpdateModule&) = delete;

    void SetLabel(HWND label) noexcept {
        FLabel = label;
        ++FGeneration;
    }

    // A new check makes every earlier one stale for the label.
    TUpdateRequest NewRequest(const std::u16string& fileName, const TVersion& installed) {
        TUpdateRequest request;
        request.FileName = fileName;
        request.Installed = installed;
        request.Label = FLabel;
        request.Generation = ++FGeneration;
        request.ReportWindow = ReportWindow();
        request.Slot = std::make_shared<TCheckSlot>();
        std::lock_guard<std::mutex> guard(FChecksLock);
        FChecks.push_back(request.Slot);
        return request;
    }

    // Called by a check's thread as it ends.
    void Forget(const std::shared_ptr<TCheckSlot>& slot) noexcept {
        std::lock_guard<std::mutex> guard(FChecksLock);
        FChecks.erase(std::remove(FChecks.begin(), FChecks.end(), slot), FChecks.end());
    }

    // Puts a handle the check just opened into its slot. False, with the
    // handle closed, when the check was cancelled meanwhile.
    bool Keep(TCheckSlot& slot, HINTERNET TCheckSlot::*field, HINTERNET handle) noexcept {
        {
            std::lock_guard<std::mutex> guard(FChecksLock);
            if (!slot.Cancelled) {
                slot.*field = handle;
                return true;
            }
        }
        ::InternetCloseHandle(handle);
        return false;
    }

    void CloseHandles(TCheckSlot& slot) noexcept {
        HINTERNET address = nullptr;
        HINTERNET session = nullptr;
        {
            std::lock_guard<std::mutex> guard(FChecksLock);
            address = std::exchange(slot.Address, nullptr);
            session = std::exchange(slot.Session, nullptr);
        }
        if (address) {
            ::InternetCloseHandle(address);
        }
        if (session) {
            ::InternetCloseHandle(session);
        }
    }

    // Under the check lock, so that no report is posted once ShutDown has
    // cancelled the check: ShutDown then finds every posted one queued.
    bool Post(const TCheckSlot& slot, HWND window, LPARAM report) noexcept {
        std::lock_guard<std::mutex> guard(FChecksLock);
        return !slot.Cancelled && ::PostMessageW(window, WM_UPDATE_REPORT, 0, report);
    }

    void ShutDown();

    std::u16string Page() const {
        std::lock_guard<std::mutex> guard(FPageLock);
        return FPage;
    }

private:
    HWND ReportWindow();
    void Receive(std::unique_ptr<TUpdateReport> report);
    void DropQueuedReports(HWND window) noexcept;

    mutable std::mutex FPageLock;
    std::u16string FPage{HomePageURL};
    HWND FLabel = nullptr;
    uint64_t FGeneration = 0;
    uint64_t FPageGeneration = 0;
    std::unique_ptr<TMessageWindow> FWindow;
    std::mutex FChecksLock;
    std::vector<std::shared_ptr<TCheckSlot>> FChecks;
};

// At namespace scope: a function-local static's guard makes the static C++
// runtime create two semaphores that FreeLibrary never closes.
TUpdateModule UpdateModule;

HWND TUpdateModule::ReportWindow() {
    if (!FWindow) {
        FWindow = std::make_unique<TMessageWindow>([this](UINT message, WPARAM, LPARAM lParam) {
            if (message != WM_UPDATE_REPORT) {
                return false;
            }
            Receive(std::unique_ptr<TUpdateReport>(reinterpret_cast<TUpdateReport*>(lParam)));
            return true;
        });
    }
    return FWindow->Handle();
}

void TUpdateModule::Receive(std::unique_ptr<TUpdateReport> report) {
    if (!report) {
        return;
    }
    // A page found by a check started later is not overwritten by an
    // earlier one that ends late. It is kept even when the window closed.
    if (report->FoundPage && report->Generation >= FPageGeneration) {
        FPageGeneration = report->Generation;
        std::lock_guard<std::mutex> guard(FPageLock);
        FPage.swap(report->Page);  // the old text is freed with the report, outside the lock
    }
    if (report->Generation == FGeneration && report->Label && report->Label == FLabel && ::IsWindow(report->Label)) {
        ::SetWindowTextW(report->Label, W(report->Text));
    }
}

void TUpdateModule::DropQueuedReports(HWND window) noexcept {
    MSG msg;
    while (::PeekMessageW(&msg, window, WM_UPDATE_REPORT, WM_UPDATE_REPORT, PM_REMOVE | PM_NOYIELD)) {
        std::unique_ptr<TUpdateReport> dropped(reinterpret_cast<TUpdateReport*>(msg.lParam));
    }
}

void TUpdateModule::ShutDown() {
    std::vector<std::shared_ptr<TCheckSlot>> running;
    {
        std::lock_guard<std::mutex> guard(FChecksLock);
        for (const std::shared_ptr<TCheckSlot>& slot : FChecks) {
            slot->Cancelled = true;
        }
        running = FChecks;
    }
    // Closing a handle makes the call that waits on it fail, where the
    // system supports that; the thread then ends at once.
    for (const std::shared_ptr<TCheckSlot>& slot : running) {
        CloseHandles(*slot);
    }
    FLabel = nullptr;
    ++FGeneration;
    if (FWindow && FWindow->Handle() &&
        ::GetWindowThreadProcessId(FWindow->Handle(), nullptr) == ::GetCurrentThreadId()) {
        DropQueuedReports(FWindow->Handle());
        FWindow.reset();
    }
}

TUpdateModule::~TUpdateModule() {
    if (!FWindow) {
        return;
    }
    const HWND window = FWindow->Handle();
    if (!window) {
        return;
    }
    if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
        // Unloaded on the user-interface thread: free the reports still queued.
        DropQueuedReports(window);
        FWindow.reset();
        return;
    }
    // Unloaded by the last check's thread letting go of the module while
    // the plug-in was never released. The window is the user-interface
    // thread's and cannot be destroyed from here, and reports may still be
    // queued for it while this code goes away. So it falls back to the
    // system's procedure, which drops them (their few bytes are lost) and
    // destroys the window on WM_CLOSE in its own thread. The wrapper is let
    // go without destroying: a cross-thread destroy would wait for that
    // thread while the loader lock is held.
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    static_cast<void>(FWindow.release());
}

void PostReport(const TUpdateRequest& request, std::u16string text, bool foundPage = false,
                std::u16string page = std::u16string()) {
    auto report = std::make_unique<TUpdateReport>();
    report->Label = request.Label;
    report->Generation = request.Generation;
    report->Text = std::move(text);
    report->FoundPage = foundPage;
    report->Page = std::move(page);
    if (UpdateModule.Post(*request.Slot, request.ReportWindow, reinterpret_cast<LPARAM>(report.get()))) {
        static_cast<void>(report.release());
    }
}

// One check on its own thread. The thread owns the object and a reference
// to this module, so the host can unload the plug-in while a check runs: the
// code stays until the thread has left it.
class TDownloadThread {
public:
    TDownloadThread(TUpdateRequest request, HMODULE module) : FRequest(std::move(request)), FModule(module) {}

    static void Start(TUpdateRequest request) {
        HMODULE module = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                  reinterpret_cast<LPCWSTR>(&TDownloadThread::ThreadProc), &module)) {
            return;
        }
        TUniqueModule reference(module);
        auto thread = std::make_unique<TDownloadThread>(std::move(request), module);
        const TUniqueKernelHandle handle(::CreateThread(nullptr, 0, &TDownloadThread::ThreadProc, thread.get(), 0, nullptr));
        if (handle) {
            static_cast<void>(thread.release());
            static_cast<void>(reference.release());
        }
    }

private:
    static DWORD WINAPI ThreadProc(LPVOID parameter) {
        HMODULE module = nullptr;
        {
            const std::unique_ptr<TDownloadThread> self(static_cast<TDownloadThread*>(parameter));
            module = self->FModule;
            self->Execute();
            UpdateModule.Forget(self->FRequest.Slot);
        }
        // Nothing of this module may run once the reference is let go.
        ::FreeLibraryAndExitThread(module, 0);
    }

    void Execute() noexcept {
        CatchAll([this] { CheckForUpdate(FRequest); });
    }

    TUpdateRequest FRequest;
    HMODULE FModule;
};

std::u16string ReadProfileText(const std::u16string& fileName, const wchar_t* key) {
    wchar_t buffer[ProfileBufferSize];
    const DWORD length = ::GetPrivateProfileStringW(L"update", key, L"", buffer, ProfileBufferSize, W(fileName));
    return FromWide(buffer, length < ProfileBufferSize ? length : ProfileBufferSize - 1);
}

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

// The slot's handles, closed on every way out of a download unless the
// module has taken them to cancel it.
class TSlotHandles {
public:
    explicit TSlotHandles(TCheckSlot& slot) noexcept : FSlot(slot) {}
    ~TSlotHandles() { UpdateModule.CloseHandles(FSlot); }
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
    if (!session || !UpdateModule.Keep(slot, &TCheckSlot::Session, session)) {
        return false;
    }
    // Straight from the server: a cached copy could hide a new version.
    const HINTERNET address =
        ::InternetOpenUrlW(session, W(url), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!address || !UpdateModule.Keep(slot, &TCheckSlot::Address, address)) {
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
        if (!::InternetReadFile(address, buffer, ReadBufferSize, &read)) {
            read = 0;
        }
        if (read == 0) {
            return true;
        }
        if (body.size() + read > MaxVersionFileSize) {
            return false;
        }
        body.append(buffer, read);
    }
}

std::atomic<uint32_t> TemporaryCounter{0};

// Deletes the half-made copy on every way out but success.
class TTemporaryFile {
public:
    explicit TTemporaryFile(std::u16string name) : FName(std::move(name)) {}
    ~TTemporaryFile() {
        if (!FName.empty()) {
            ::DeleteFileW(W(FName));
        }
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    const std::u16string& Name() const noexcept { return FName; }
    void Keep() noexcept { FName.clear(); }

private:
    std::u16string FName;
};

bool IsSharingError(DWORD error) noexcept {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Writes body under a name of its own next to fileName, then puts it in
// place in one step, so a reader never sees a half-written file and two
// checks never write the same file.
void ReplaceFileWith(const std::u16string& fileName, const std::string& body) {
    TUniqueFile file;
    std::u16string name;
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
        name = fileName + u"." + DecimalText(::GetCurrentProcessId()) + u"-" + DecimalText(::GetCurrentThreadId()) +
               u"-" + DecimalText(++TemporaryCounter) + u".tmp";
        file.reset(::CreateFileW(W(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && ::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            ThrowLastError("cannot create the temporary copy");
        }
    }
    if (!file) {
        ThrowLastError("cannot create the temporary copy");
    }
    TTemporaryFile temporary(name);
    DWORD written = 0;
    if (!::WriteFile(file.get(), body.data(), static_cast<DWORD>(body.size()), &written, nullptr) ||
        written != body.size()) {
        ThrowLastError("cannot write the temporary copy");
    }
    if (!::CloseHandle(file.release())) {
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

void SetUpdateLabel(HWND label) noexcept {
    CatchAll([label] { UpdateModule.SetLabel(label); });
}


void StartUpdateCheck(const std::u16string& fileName, int32_t major, int32_t minor, int32_t release) noexcept {
    CatchAll([&] {
        TUpdateRequest request = UpdateModule.NewRequest(fileName, TVersion{major, minor, release});
        if (request.ReportWindow) {
            TDownloadThread::Start(std::move(request));
        }
    });
}

void ShutDownUpdateChecks() noexcept {
    CatchAll([] { UpdateModule.ShutDown(); });
}

std::u16string UpdatePageURL() noexcept {
    return CatchAllOr(std::u16string(), [] { return UpdateModule.Page(); });
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

void CheckForUpdate(const TUpdateRequest& request) {
    PostReport(request, TranslateWide(TextWaiting));
    const std::u16string url = VersionFileURL(request.FileName);
    const std::u16string folder = GetTempDir();
    if (folder.empty()) {
        // Nowhere to save the copy: as when it cannot be written.
        return;
    }
    const std::u16string localFile = folder + u"\\" + request.FileName;
    if (!DownloadFile(url, localFile, *request.Slot)) {
        PostReport(request, TranslateWide(TextCannotConnect));
        return;
    }
    if (!IsExistingFile(ToWide(localFile))) {
        PostReport(request, TranslateWide(TextCannotOpenTemp));
        return;
    }
    TVersionFileValues values;
    try {
        values = ReadVersionFile(localFile);
    } catch (...) {
        PostReport(request, std::u16string(TextCannotOpenTemp));  // shown as it stands, not translated
        return;
    }
    const TUpdateOutcome outcome = EvaluateVersionFile(values, request.Installed);
    if (!outcome.Newer) {
        PostReport(request, TranslateWide(TextNoUpdates));
        return;
    }
    PostReport(request,
               ComposeUpdateAvailableText(TranslateWide(TextUpdateAvailable), request.Installed,
                                          TranslateWide(TextLatestVersion), outcome.Remote),
               true, outcome.Page);
}
