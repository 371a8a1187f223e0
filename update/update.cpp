#include "update/update.h"

#include <memory>
#include <mutex>
#include <utility>

#include "base/files_win.h"
#include "base/guard.h"
#include "base/message_window.h"
#include "base/thread_data_win.h"
#include "base/wide.h"
#include "base/win_handles.h"
#include "lang/LanguageSupport.h"
#include "update/download_win.h"
#include "update/running_checks_win.h"

namespace {

// Private to the report window, which is message-only: no one else sends it.
constexpr UINT WM_UPDATE_REPORT = WM_APP + 51;

// One text for the label, and the page when the check found a newer
// version. Posted by the check's thread; the report window's thread frees it.
struct TUpdateReport {
    HWND Label = nullptr;
    uint64_t Generation = 0;
    std::u16string Text;
    bool FoundPage = false;
    std::u16string Page;
};

// The module's state. The label, the generations and the window belong to
// the user-interface thread; the page is also read from there, but under a
// lock so that a reader never sees it half replaced. The running checks are
// RunningChecks, shared with their threads.
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
        return request;
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
};

// At namespace scope: a function-local static's guard makes the static C++
// runtime create two semaphores that FreeLibrary never closes.
TUpdateModule UpdateModule;

HWND TUpdateModule::ReportWindow() {
    // One that could not be made is tried again at the next showing.
    if (!FWindow || !FWindow->Handle()) {
        FWindow.reset();
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
    RunningChecks.CancelAll();
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
    if (RunningChecks.Post(*request.Slot, request.ReportWindow, WM_UPDATE_REPORT, reinterpret_cast<LPARAM>(report.get()))) {
        static_cast<void>(report.release());
    }
}

// A check's slot in RunningChecks, taken out again unless handed over to
// the check's thread, which takes it out as it ends.
class TSlotClaim {
public:
    TSlotClaim() : FSlot(RunningChecks.Add()) {}
    ~TSlotClaim() {
        if (FSlot) {
            RunningChecks.Forget(FSlot);
        }
    }
    TSlotClaim(const TSlotClaim&) = delete;
    TSlotClaim& operator=(const TSlotClaim&) = delete;
    const std::shared_ptr<TCheckSlot>& Get() const noexcept { return FSlot; }
    void HandOver() noexcept { FSlot.reset(); }

private:
    std::shared_ptr<TCheckSlot> FSlot;
};

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
        // In the running checks before the thread runs, so that a shutdown
        // meanwhile cancels it; given back here unless the thread starts.
        TSlotClaim slot;
        request.Slot = slot.Get();
        auto thread = std::make_unique<TDownloadThread>(std::move(request), module);
        const TUniqueKernelHandle handle(::CreateThread(nullptr, 0, &TDownloadThread::ThreadProc, thread.get(), 0, nullptr));
        if (handle) {
            static_cast<void>(thread.release());
            static_cast<void>(reference.release());
            slot.HandOver();
        }
    }

private:
    static DWORD WINAPI ThreadProc(LPVOID parameter) {
        HMODULE module = nullptr;
        {
            const std::unique_ptr<TDownloadThread> self(static_cast<TDownloadThread*>(parameter));
            module = self->FModule;
            self->Execute();
            RunningChecks.Forget(self->FRequest.Slot);
        }
        // Once the reference is let go, the host may unload the module
        // before this thread's detach would reach it.
        GiveBackThreadData();
        // Nothing of this module may run once the reference is let go.
        ::FreeLibraryAndExitThread(module, 0);
    }

    void Execute() noexcept {
        CatchAll([this] { CheckForUpdate(FRequest); });
    }

    TUpdateRequest FRequest;
    HMODULE FModule;
};

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
