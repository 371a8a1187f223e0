#include "plugin/uMain.h"

#include <vector>

#include "base/guard.h"
#include "base/text.h"
#include "base/thread_data_win.h"
#include "base/wide.h"
#include "core/list_file.h"
#include "core/rotation_win.h"
#include "core/settings_win.h"
#include "core/u_common.h"
#include "core/version.h"
#include "options/uOptions.h"
#include "update/update.h"

namespace {

// The module's full file name, however long: a name cut at 260 characters
// would give the wrong folder.
std::wstring ModuleFileNameOf(HMODULE module) {
    std::vector<wchar_t> buffer(261);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        if (buffer.size() >= 32768) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Plug-in objects alive in this module; host thread only.
int LivePlugins = 0;

uint32_t SeedFromClock() noexcept {
    LARGE_INTEGER counter{};
    if (::QueryPerformanceCounter(&counter) && counter.QuadPart != 0) {
        return static_cast<uint32_t>(counter.LowPart);
    }
    return ::GetTickCount();
}

}  // namespace

extern "C" void __stdcall CreateVostekPLUGIN(IHostedPlugin** plugin, IHOXPluginService* service) {
    CatchAll([&] {
        if (!plugin) {
            return;
        }
        auto object = std::make_unique<TW2IPlugin>(service);
        object->AddRef();
        IHostedPlugin* old = *plugin;
        *plugin = object.release();
        if (old) {
            old->Release();
        }
    });
}

TW2IPlugin::TW2IPlugin(IHOXPluginService* service) : FService(service) {
    FTimer = std::make_unique<TWindowTimer>([this] {
        // The host may release us from inside a send of this run.
        AddRef();
        CatchAll([this] { RotationTick(); });
        Release();
    });
    FTimer->SetInterval(5000);
    FTimer->SetEnabled(false);
    ++LivePlugins;  // last: the destructor runs only for a finished object
}

TW2IPlugin::~TW2IPlugin() {
    FTimer.reset();
    TextLines.Clear();
    StatusLines.Clear();
    if (--LivePlugins == 0) {
        // The host may free the DLL next. Nothing of ours may run on its
        // thread after that, and a reload must not find our old classes.
        ShutDownUpdateChecks();
        UnregisterMessageWindowClass();
        // A check's thread may hold the DLL past FreeLibrary, and the unload
        // then runs on that thread, which cannot give back this one's data.
        GiveBackThreadData();
    }
}

HRESULT __stdcall TW2IPlugin::QueryInterface(const IID&, void** ppv) {
    // The interface carries no identifier; any query gets this object.
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = static_cast<IHostedPlugin*>(this);
    AddRef();
    return S_OK;
}

ULONG __stdcall TW2IPlugin::AddRef() {
    return ::InterlockedIncrement(reinterpret_cast<volatile LONG*>(&FRefCount));
}

ULONG __stdcall TW2IPlugin::Release() {
    const ULONG count = ::InterlockedDecrement(reinterpret_cast<volatile LONG*>(&FRefCount));
    if (count == 0) {
        CatchAll([this] { delete this; });
    }
    return count;
}

TPluginInfoRec* __stdcall TW2IPlugin::GetInfoRecord() {
    return &FInfo;
}

void __stdcall TW2IPlugin::ReceiveHostMessage(THostMessageRec* msg) {
    if (!msg) {
        return;
    }
    // The host may release us from inside a nested call; stay alive until
    // this message is handled.
    AddRef();
    CatchAll([&] { Dispatch(*msg); });
    Release();
}

void TW2IPlugin::Dispatch(const THostMessageRec& msg) {
    switch (msg.Code) {
    case HM_LOADED:
        OnLoaded();
        break;
    case HM_START:
        ReadStoredSettings();
        ReloadLists();
        FTimer->SetEnabled(true);
        break;
    case HM_STOP:
    case HM_FINISH:
        FTimer->SetEnabled(false);
        break;
    case HM_RESUME:
        FTimer->SetEnabled(true);
        ReadStoredSettings();
        ReloadLists();
        break;
    case HM_SHOW_OPTIONS:
        if (ShowOptionsCommand()) {
            ReloadLists();
        }
        break;
    case HM_STATUS_INFO: {
        std::u16string status = FromWide(reinterpret_cast<const wchar_t*>(msg.ParamB));
        std::u16string xstatus = FromWide(reinterpret_cast<const wchar_t*>(msg.ParamC));
        RotateStatus(std::move(status), std::move(xstatus), static_cast<int32_t>(msg.ParamA));
        break;
    }
    case HM_LANGUAGE:
        SetCurrentLanguage(FromWide(reinterpret_cast<const wchar_t*>(msg.ParamA)));
        break;
    default:
        break;
    }
}

bool TW2IPlugin::ShowOptionsCommand() {
    TSettings edited = Settings;
    const TOptionsResult result = ShowOptionsWindow(edited);
    if (result == TOptionsResult::AlreadyOpen) {
        return false;
    }
    if (result == TOptionsResult::Saved) {
        StoreSettings(edited);
    }
    ReloadLists();
    return true;
}

void TW2IPlugin::OnLoaded() {
    FRandom.Seed(SeedFromClock());
    FModuleFileName = ModuleFileNameOf(reinterpret_cast<HMODULE>(FInfo.ModuleHandle));
    FInfo.ModulePath = FModuleFileName.c_str();
    FInfo.ApiVersionMajor = 1;
    FInfo.ApiVersionMinor = 4;
    FInfo.PluginVersionMajor = static_cast<uint16_t>(VersionMajor);
    FInfo.PluginVersionMinor = static_cast<uint16_t>(VersionMinor);
    FInfo.PluginName = W(PluginDisplayName);
    FInfo.PluginAuthor = W(PluginAuthorName);
    SetModuleFileName(FromWide(FModuleFileName.c_str(), FModuleFileName.size()));
}

// Marks the span of a run's sends; a message 12 that the host delivers
// inside one is ignored instead of starting a nested run.
class TW2IPlugin::TSendScope {
public:
    explicit TSendScope(bool& flag) noexcept : FFlag(flag) { FFlag = true; }
    ~TSendScope() { FFlag = false; }
    TSendScope(const TSendScope&) = delete;
    TSendScope& operator=(const TSendScope&) = delete;

private:
    bool& FFlag;
};

void TW2IPlugin::RotationTick() {
    if (!FService || FInSend) {
        return;
    }
    TExtendedStatus current;
    {
        TSendScope scope(FInSend);
        current = QueryStatus(*FService.get(), FInfo.ModuleHandle);
    }
    RotateStatus(std::move(current.Status), std::move(current.XStatus), current.Icon);
}

void TW2IPlugin::RotateStatus(std::u16string status, std::u16string xstatus, int32_t icon) {
    if (!FService || FInSend) {
        return;
    }
    TExtendedStatus current;
    current.Icon = icon;
    current.Status = std::move(status);
    current.XStatus = std::move(xstatus);
    const std::optional<TExtendedStatus> next = DecideRotation(
        TRotationInput{current, Settings.WorkMode, Settings.StatusSelection, TextLines, StatusLines}, FRandom);
    if (next) {
        TSendScope scope(FInSend);
        SendStatus(*FService.get(), FInfo.ModuleHandle, *next);
    }
}

void TW2IPlugin::ReadStoredSettings() {
    ReadSettingsFromStore(FService.get(), FInfo.ModuleHandle);
    FTimer->SetInterval(IntervalMs(Settings.FreqValue, Settings.FreqUnit));
    ReloadLists();
}

void TW2IPlugin::StoreSettings(const TSettings& saved) {
    WriteSettingsToStore(FService.get(), FInfo.ModuleHandle, saved);
    ReadStoredSettings();
}

void TW2IPlugin::LoadListFile(TTextList& list, const wchar_t* fileName) {
    const std::u16string modulePath = FromWide(FInfo.ModulePath);
    const std::wstring path = ToWide(FolderOf(modulePath)) + fileName;
    LoadListPath(path, list);
}

void TW2IPlugin::ReloadLists() {
    LoadListFile(TextLines, L"list.txt");
    LoadListFile(StatusLines, L"statuses.txt");
}
