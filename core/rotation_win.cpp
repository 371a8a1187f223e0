#include "uMain.h"
#include "wide.h"

void TW2IPlugin::RotationTick() {
    if (!FService) {
        return;
    }
    THostMessageRec query{};
    query.Code = PM_QUERY_STATUS;
    query.Sender = static_cast<intptr_t>(FInfo.ModuleHandle);
    FService->SendPluginMessage(&query);
    // The host's texts are valid only until we copy them, right here.
    std::u16string status = FromWide(reinterpret_cast<const wchar_t*>(query.ParamB));
    std::u16string xstatus = FromWide(reinterpret_cast<const wchar_t*>(query.ParamC));
    RotateStatus(std::move(status), std::move(xstatus), static_cast<int32_t>(query.ParamA));
}

// Filled in with the rotation.
void TW2IPlugin::RotateStatus(std::u16string, std::u16string, int32_t) {}
