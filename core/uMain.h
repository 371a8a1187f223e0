// The plug-in object and its export.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "../sdk/u_plugin_info.h"
#include "message_window.h"
#include "random.h"
#include "text_list.h"
#include "win_handles.h"

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
    void StoreSettings(int32_t workMode, const std::u16string& statusSelection, int32_t freqValue,
                       int32_t freqUnit);

    TPluginStore* Store();
    template <class F>
    void WriteStore(F&& write);

    // The rotation.
    void RotationTick();
    void RotateStatus(std::u16string status, std::u16string xstatus, int32_t icon);

    // The options window; defined with the window. False when a window was
    // already open, which is brought to the front instead.
    bool ShowOptionsCommand();

    void LoadListFile(TTextList& list, const wchar_t* fileName);
    void ReloadLists();

    const TTextList& TextLinesList() const noexcept { return TextLines; }
    const TTextList& StatusLinesList() const noexcept { return StatusLines; }
    TWindowTimer& Timer() noexcept { return *FTimer; }

private:
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
