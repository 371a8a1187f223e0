#include "settings.h"
#include "u_common.h"
#include "uMain.h"
#include "wide.h"

namespace {

std::u16string BstrText(BSTR value) {
    return value ? FromWide(value, ::SysStringLen(value)) : std::u16string();
}

// Frees the store's old string and puts a copy of text in its place; an
// empty text leaves the field null.
void ReplaceBstr(BSTR& field, const std::u16string& text) {
    BSTR fresh = nullptr;
    if (!text.empty()) {
        fresh = ::SysAllocStringLen(W(text), static_cast<UINT>(text.size()));
        if (!fresh) {
            throw std::bad_alloc();
        }
    }
    ::SysFreeString(field);
    field = fresh;
}

}  // namespace

TPluginStore* TW2IPlugin::Store() {
    return FService ? FService->GetPluginStore(FInfo.ModuleHandle) : nullptr;
}

// The host gives the same record each time, but it is asked again before
// each write, as it expects; a host that stops giving it changes nothing.
template <class F>
void TW2IPlugin::WriteStore(F&& write) {
    if (TPluginStore* store = Store()) {
        write(*store);
    }
}

void TW2IPlugin::ReadStoredSettings() {
    TPluginStore* store = Store();
    if (store) {
        if (store->Initialized == 0) {
            WriteStore([](TPluginStore& s) { s.Initialized = 1; });
            WriteStore([](TPluginStore& s) { s.Flag0 = 0; });
            WriteStore([](TPluginStore& s) { s.FreqValue = 120; });
            WriteStore([](TPluginStore& s) { s.FreqUnit = 0; });
            WriteStore([](TPluginStore& s) { s.Flag2 = 0; });
            WriteStore([](TPluginStore& s) { s.WorkMode = 0; });
            WriteStore([](TPluginStore& s) { ReplaceBstr(s.StatusSelection, std::u16string()); });
            StatusSelection.clear();
        }
        store = Store();
    }
    if (store) {
        StatusSelection = BstrText(store->StatusSelection);
        WorkMode = store->WorkMode;
        FreqUnit = store->FreqUnit;
        FreqValue = store->FreqValue;
    }
    FTimer->SetInterval(IntervalMs(FreqValue, FreqUnit));
    ReloadLists();
}

void TW2IPlugin::StoreSettings(int32_t workMode, const std::u16string& statusSelection, int32_t freqValue,
                               int32_t freqUnit) {
    WriteStore([&](TPluginStore& s) { s.WorkMode = workMode; });
    WorkMode = workMode;
    WriteStore([&](TPluginStore& s) { ReplaceBstr(s.StatusSelection, statusSelection); });
    StatusSelection = statusSelection;
    WriteStore([&](TPluginStore& s) { s.FreqValue = freqValue; });
    FreqValue = freqValue;
    WriteStore([&](TPluginStore& s) { s.FreqUnit = freqUnit; });
    FreqUnit = freqUnit;
    ReadStoredSettings();
}
