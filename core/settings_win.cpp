#include "core/settings_win.h"

#include <new>

#include "base/wide.h"
#include "core/u_common.h"

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

class TStoreAccess {
public:
    TStoreAccess(IHOXPluginService* service, uintptr_t module) noexcept : FService(service), FModule(module) {}

    TPluginStore* Get() const { return FService ? FService->GetPluginStore(FModule) : nullptr; }

    template <class F>
    void Write(F&& write) const {
        if (TPluginStore* store = Get()) {
            write(*store);
        }
    }

private:
    IHOXPluginService* FService;
    uintptr_t FModule;
};

}  // namespace

void ReadSettingsFromStore(IHOXPluginService* service, uintptr_t module) {
    const TStoreAccess access(service, module);
    TPluginStore* store = access.Get();
    if (!store) {
        return;
    }
    if (store->Initialized == 0) {
        access.Write([](TPluginStore& s) { s.Initialized = 1; });
        access.Write([](TPluginStore& s) { s.Flag0 = 0; });
        access.Write([](TPluginStore& s) { s.FreqValue = 120; });
        access.Write([](TPluginStore& s) { s.FreqUnit = 0; });
        access.Write([](TPluginStore& s) { s.Flag2 = 0; });
        access.Write([](TPluginStore& s) { s.WorkMode = 0; });
        access.Write([](TPluginStore& s) { ReplaceBstr(s.StatusSelection, std::u16string()); });
        Settings.StatusSelection.clear();
        store = access.Get();
    }
    if (store) {
        Settings.StatusSelection = BstrText(store->StatusSelection);
        Settings.WorkMode = store->WorkMode;
        Settings.FreqUnit = store->FreqUnit;
        Settings.FreqValue = store->FreqValue;
    }
}

void WriteSettingsToStore(IHOXPluginService* service, uintptr_t module, const TSettings& saved) {
    const TStoreAccess access(service, module);
    access.Write([&](TPluginStore& s) { s.WorkMode = saved.WorkMode; });
    Settings.WorkMode = saved.WorkMode;
    access.Write([&](TPluginStore& s) { ReplaceBstr(s.StatusSelection, saved.StatusSelection); });
    Settings.StatusSelection = saved.StatusSelection;
    access.Write([&](TPluginStore& s) { s.FreqValue = saved.FreqValue; });
    Settings.FreqValue = saved.FreqValue;
    access.Write([&](TPluginStore& s) { s.FreqUnit = saved.FreqUnit; });
    Settings.FreqUnit = saved.FreqUnit;
}
