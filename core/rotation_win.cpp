#include "core/rotation_win.h"

#include "base/wide.h"

TExtendedStatus QueryStatus(IHOXPluginService& service, uintptr_t module) {
    THostMessageRec query{};
    query.Code = PM_QUERY_STATUS;
    query.Sender = static_cast<intptr_t>(module);
    service.SendPluginMessage(&query);
    // The host's texts are valid only until we copy them, right here.
    TExtendedStatus current;
    current.Icon = static_cast<int32_t>(query.ParamA);
    current.Status = FromWide(reinterpret_cast<const wchar_t*>(query.ParamB));
    current.XStatus = FromWide(reinterpret_cast<const wchar_t*>(query.ParamC));
    return current;
}

void SendStatus(IHOXPluginService& service, uintptr_t module, const TExtendedStatus& status) {
    for (const int32_t sentIcon : {int32_t(0), status.Icon}) {
        THostMessageRec msg{};
        msg.Code = PM_SET_STATUS_TEXT;
        msg.ParamA = sentIcon;
        msg.ParamB = reinterpret_cast<intptr_t>(W(status.Status));
        msg.ParamC = reinterpret_cast<intptr_t>(W(status.XStatus));
        msg.Sender = static_cast<intptr_t>(module);
        service.SendPluginMessage(&msg);
    }
}
