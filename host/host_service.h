// The messenger's side of the plug-in interface, as the host stand-in and
// the Windows tests play it. It sees the DLL only through the interface.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <oleauto.h>

#include "sdk/u_plugin_info.h"

// One message that the plug-in sent, copied while it was valid.
struct TSentMessage {
    int32_t Code = 0;
    intptr_t Icon = 0;
    bool StatusNull = false;
    bool XStatusNull = false;
    std::wstring Status;
    std::wstring XStatus;
    intptr_t Sender = 0;
};

class THostService final : public IHOXPluginService {
public:
    THostService() = default;
    ~THostService() { ::SysFreeString(Store.StatusSelection); }
    THostService(const THostService&) = delete;
    THostService& operator=(const THostService&) = delete;

    HRESULT __stdcall QueryInterface(const IID&, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG __stdcall AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&RefCount)); }
    ULONG __stdcall Release() override { return static_cast<ULONG>(::InterlockedDecrement(&RefCount)); }

    TPluginStore* __stdcall GetPluginStore(uintptr_t moduleHandle) override {
        ++StoreRequests;
        LastStoreHandle = moduleHandle;
        return StoreAvailable ? &Store : nullptr;
    }

    void __stdcall SendPluginMessage(THostMessageRec* msg) override {
        if (!msg) {
            return;
        }
        TSentMessage sent;
        sent.Code = msg->Code;
        sent.Sender = msg->Sender;
        if (msg->Code == PM_QUERY_STATUS) {
            msg->ParamA = Icon;
            msg->ParamB = NullQueryTexts ? 0 : reinterpret_cast<intptr_t>(Status.c_str());
            msg->ParamC = NullQueryTexts ? 0 : reinterpret_cast<intptr_t>(XStatus.c_str());
        } else if (msg->Code == PM_SET_STATUS_TEXT) {
            const auto* status = reinterpret_cast<const wchar_t*>(msg->ParamB);
            const auto* xstatus = reinterpret_cast<const wchar_t*>(msg->ParamC);
            sent.Icon = msg->ParamA;
            sent.StatusNull = status == nullptr;
            sent.XStatusNull = xstatus == nullptr;
            sent.Status = status ? status : L"";
            sent.XStatus = xstatus ? xstatus : L"";
            const bool changed = Icon != static_cast<int32_t>(msg->ParamA) || Status != sent.Status ||
                                 XStatus != sent.XStatus;
            Icon = static_cast<int32_t>(msg->ParamA);
            Status = sent.Status;
            XStatus = sent.XStatus;
            if (changed && OnChange) {
                OnChange();
            }
        }
        Sent.push_back(sent);
        if (OnMessage) {
            OnMessage(*msg);
        }
    }

    void SetSelection(const std::wstring& text) {
        ::SysFreeString(Store.StatusSelection);
        Store.StatusSelection = text.empty() ? nullptr : ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    std::wstring Selection() const {
        return Store.StatusSelection ? std::wstring(Store.StatusSelection, ::SysStringLen(Store.StatusSelection))
                                     : std::wstring();
    }

    size_t CountSent(int32_t code) const {
        size_t n = 0;
        for (const auto& m : Sent) {
            n += m.Code == code ? 1 : 0;
        }
        return n;
    }

    // The user's current extended status.
    int32_t Icon = 0;
    std::wstring Status;
    std::wstring XStatus;
    bool NullQueryTexts = false;  // answer PM_QUERY_STATUS with null texts

    TPluginStore Store{};
    bool StoreAvailable = true;
    int StoreRequests = 0;
    uintptr_t LastStoreHandle = 0;

    std::vector<TSentMessage> Sent;
    std::function<void()> OnChange;                          // the status changed
    std::function<void(const THostMessageRec&)> OnMessage;  // after each message

    LONG RefCount = 0;
};

// Loads a plug-in DLL and holds its interface, as the messenger does.
class TPluginLoader {
public:
    TPluginLoader() = default;
    ~TPluginLoader() { Unload(); }
    TPluginLoader(const TPluginLoader&) = delete;
    TPluginLoader& operator=(const TPluginLoader&) = delete;

    // Loads the DLL, creates the plug-in, writes the module handle into its
    // info record and sends HM_LOADED. Error is set on failure.
    bool Load(const std::wstring& path, THostService& service) {
        Unload();
        Module = ::LoadLibraryW(path.c_str());
        if (!Module) {
            Error = L"cannot load " + path + L" (error " + std::to_wstring(::GetLastError()) + L")";
            return false;
        }
        auto create = reinterpret_cast<TCreateVostekPlugin>(
            reinterpret_cast<void*>(::GetProcAddress(Module, "CreateVostekPLUGIN")));
        if (!create) {
            Error = path + L" does not export CreateVostekPLUGIN; is it a Vostek plug-in?";
            Unload();
            return false;
        }
        create(&Plugin, &service);
        if (!Plugin) {
            Error = L"CreateVostekPLUGIN returned no interface";
            Unload();
            return false;
        }
        Info = Plugin->GetInfoRecord();
        if (Info) {
            Info->ModuleHandle = reinterpret_cast<uintptr_t>(Module);
        }
        Send(HM_LOADED);
        return true;
    }

    void Send(int32_t code, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0) {
        THostMessageRec msg{};
        msg.Code = code;
        msg.ParamA = a;
        msg.ParamB = b;
        msg.ParamC = c;
        if (Plugin) {
            Plugin->ReceiveHostMessage(&msg);
        }
    }
    void SendStatus(int32_t icon, const std::wstring& status, const std::wstring& xstatus) {
        Send(HM_STATUS_INFO, icon, reinterpret_cast<intptr_t>(status.c_str()), reinterpret_cast<intptr_t>(xstatus.c_str()));
    }
    void SendLanguage(const std::wstring& language) {
        Send(HM_LANGUAGE, reinterpret_cast<intptr_t>(language.c_str()));
    }

    // Drops the host's only reference: the plug-in destroys itself.
    void ReleasePlugin() {
        if (Plugin) {
            Plugin->Release();
            Plugin = nullptr;
            Info = nullptr;
        }
    }
    void Unload() {
        ReleasePlugin();
        if (Module) {
            ::FreeLibrary(Module);
            Module = nullptr;
        }
    }

    HMODULE Module = nullptr;
    IHostedPlugin* Plugin = nullptr;
    TPluginInfoRec* Info = nullptr;
    std::wstring Error;
};

// Pumps the thread's messages, so timer ticks and reports arrive, until
// done() holds (asked at least every 20 ms) or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)),
                                    QS_ALLINPUT);
    }
}

inline void PumpMessagesFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}
