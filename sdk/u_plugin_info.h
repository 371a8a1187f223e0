// Interfaces and records shared with the Vostek messenger.
//
// Interfaces are COM-style tables of __stdcall operations, the three base
// operations first. They carry no virtual destructor: that would add slots
// the messenger does not expect.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>
#include <oleauto.h>

#include "sdk/u_plugin_msg.h"

#pragma pack(push, 8)

struct TPluginInfoRec {
    uintptr_t ModuleHandle;      // written by the messenger
    const wchar_t* ModulePath;   // full file name of the plug-in
    uint16_t ApiVersionMajor;
    uint16_t ApiVersionMinor;
    uint16_t PluginVersionMajor;
    uint16_t PluginVersionMinor;
    const wchar_t* PluginName;
    const wchar_t* PluginAuthor;
};

// The messenger's per-plug-in store. It is larger; the plug-in touches only
// the fields named here and keeps the gaps as they are.
struct TPluginStore {
    uint8_t Flag0;
    uint8_t Gap1;
    uint8_t Flag2;
    uint8_t Gap3[6];
    uint8_t Initialized;
    uint8_t Gap10[2];
    int32_t FreqValue;
    int32_t FreqUnit;
    uint8_t Gap20[4];
    int32_t WorkMode;
    uint8_t Gap28[36];
    BSTR StatusSelection;
};

#pragma pack(pop)

struct IHOXPluginService {
    virtual HRESULT __stdcall QueryInterface(const IID& riid, void** ppv) = 0;
    virtual ULONG __stdcall AddRef() = 0;
    virtual ULONG __stdcall Release() = 0;
    virtual TPluginStore* __stdcall GetPluginStore(uintptr_t moduleHandle) = 0;
    virtual void __stdcall SendPluginMessage(THostMessageRec* msg) = 0;
};

struct IHostedPlugin {
    virtual HRESULT __stdcall QueryInterface(const IID& riid, void** ppv) = 0;
    virtual ULONG __stdcall AddRef() = 0;
    virtual ULONG __stdcall Release() = 0;
    virtual TPluginInfoRec* __stdcall GetInfoRecord() = 0;
    virtual void __stdcall ReceiveHostMessage(THostMessageRec* msg) = 0;
};

// The plug-in's only export: stores the plug-in's interface into *plugin.
typedef void(__stdcall* TCreateVostekPlugin)(IHostedPlugin** plugin, IHOXPluginService* service);

static_assert(offsetof(TPluginInfoRec, ModuleHandle) == 0, "ModuleHandle at 0");
static_assert(offsetof(TPluginStore, Flag0) == 0, "flag byte at 0");
static_assert(offsetof(TPluginStore, Flag2) == 2, "flag byte at 2");
static_assert(offsetof(TPluginStore, Initialized) == 9, "Initialized at 9");
static_assert(offsetof(TPluginStore, FreqValue) == 12, "FreqValue at 12");
static_assert(offsetof(TPluginStore, FreqUnit) == 16, "FreqUnit at 16");
static_assert(offsetof(TPluginStore, WorkMode) == 24, "WorkMode at 24");
static_assert(offsetof(TPluginStore, StatusSelection) == 64, "StatusSelection at 64");

#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(TPluginInfoRec) == 24, "TPluginInfoRec is 24 bytes");
static_assert(offsetof(TPluginInfoRec, ModulePath) == 4, "ModulePath at 4");
static_assert(offsetof(TPluginInfoRec, ApiVersionMajor) == 8, "ApiVersionMajor at 8");
static_assert(offsetof(TPluginInfoRec, ApiVersionMinor) == 10, "ApiVersionMinor at 10");
static_assert(offsetof(TPluginInfoRec, PluginVersionMajor) == 12, "PluginVersionMajor at 12");
static_assert(offsetof(TPluginInfoRec, PluginVersionMinor) == 14, "PluginVersionMinor at 14");
static_assert(offsetof(TPluginInfoRec, PluginName) == 16, "PluginName at 16");
static_assert(offsetof(TPluginInfoRec, PluginAuthor) == 20, "PluginAuthor at 20");
static_assert(sizeof(TPluginStore) == 68, "store fields end at 68");
static_assert(sizeof(THostMessageRec*) == 4, "32-bit addresses");
#else
static_assert(sizeof(TPluginInfoRec) == 40, "TPluginInfoRec is 40 bytes");
static_assert(offsetof(TPluginInfoRec, ModulePath) == 8, "ModulePath at 8");
static_assert(offsetof(TPluginInfoRec, ApiVersionMajor) == 16, "ApiVersionMajor at 16");
static_assert(offsetof(TPluginInfoRec, ApiVersionMinor) == 18, "ApiVersionMinor at 18");
static_assert(offsetof(TPluginInfoRec, PluginVersionMajor) == 20, "PluginVersionMajor at 20");
static_assert(offsetof(TPluginInfoRec, PluginVersionMinor) == 22, "PluginVersionMinor at 22");
static_assert(offsetof(TPluginInfoRec, PluginName) == 24, "PluginName at 24");
static_assert(offsetof(TPluginInfoRec, PluginAuthor) == 32, "PluginAuthor at 32");
static_assert(sizeof(TPluginStore) == 72, "store fields end at 72");
#endif
