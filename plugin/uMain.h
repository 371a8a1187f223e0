// The plug-in object and its export.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/message_window.h"
#include "base/win_handles.h"
#include "core/random.h"
#include "core/settings.h"
#include "core/text_list.h"
#include "sdk/u_plugin_info.h"

extern "C" void __stdcall CreateVostekPLUGIN(IHostedPlugin** plugin, IHOXPluginService* service);

class TW2IPlugin final : public IHostedPlugin {
public:
    explicit TW2IPlugin(IHOXPluginService* service);
    ~TW2IPlugin();
    TW2IPlugin(const TW2IPlugin&) = delete;
    TW2IPlugin& operator=(const TW2IPlugin&) = delete;

    // IHostedPlugin. Each is a shell that lets nothing escape into the host.
    HRESULT __stdcall QueryInterface(const IID& riid, void** ppv) override;
    ULONG __stdcall AddRef() override;
    ULONG __stdcall Release() override;
    TPluginInfoRec* __stdcall GetInfoRecord() override;
    void __stdcall ReceiveHostMessage(THostMessageRec* msg) override;

    void Dispatch(const THostMessageRec& msg);
    void OnLoaded();

    // Settings in the host's store.
    void ReadStoredSettings();
    // The values the user saved in the options window, written in the
    // order WorkMode, StatusSelection, FreqValue, FreqUnit, then applied.
    void StoreSettings(const TSettings& saved);

    // The rotation.
    void RotationTick();
    void RotateStatus(std::u16string status, std::u16string xstatus, int32_t icon);

    // Message 6: the options window for the settings in force, saved ones
    // stored and applied, then the lists reloaded. False when a window was
    // already open, which is brought to the front instead.
    bool ShowOptionsCommand();

    void LoadListFile(TTextList& list, const wchar_t* fileName);
    void ReloadLists();

private:
    class TSendScope;

    ULONG FRefCount = 0;
    TComPtr<IHOXPluginService> FService;
    TPluginInfoRec FInfo{};
    std::wstring FModuleFileName;
    std::unique_ptr<TWindowTimer> FTimer;
    TTextList TextLines;
    TTextList StatusLines;
    TDefaultRandom FRandom;
    bool FInSend = false;  // inside a SendPluginMessage of a rotation run
};
