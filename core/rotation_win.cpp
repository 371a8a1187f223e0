#include "rotation.h"
#include "u_common.h"
#include "uMain.h"
#include "wide.h"

namespace {

// Marks the span of a run's sends; a message 12 that the host delivers
// inside one is ignored instead of starting a nested run.
class TSendScope {
public:
    explicit TSendScope(bool& flag) noexcept : FFlag(flag) { FFlag = true; }
    ~TSendScope() { FFlag = false; }
    TSendScope(const TSendScope&) = delete;
    TSendScope& operator=(const TSendScope&) = delete;

private:
    bool& FFlag;
};

}  // namespace

void TW2IPlugin::RotationTick() {
    if (!FService || FInSend) {
        return;
    }
    THostMessageRec query{};
    query.Code = PM_QUERY_STATUS;
    query.Sender = static_cast<intptr_t>(FInfo.ModuleHandle);
    {
        TSendScope scope(FInSend);
        FService->SendPluginMessage(&query);
    }
    // The host's texts are valid only until we copy them, right here.
    std::u16string status = FromWide(reinterpret_cast<const wchar_t*>(query.ParamB));
    std::u16string xstatus = FromWide(reinterpret_cast<const wchar_t*>(query.ParamC));
    RotateStatus(std::move(status), std::move(xstatus), static_cast<int32_t>(query.ParamA));
}

void TW2IPlugin::RotateStatus(std::u16string status, std::u16string xstatus, int32_t icon) {
    if (!FService || FInSend) {
        return;
    }
    TExtendedStatus current;
    current.Icon = icon;
    current.Status = std::move(status);
    current.XStatus = std::move(xstatus);
    const std::optional<TExtendedStatus> next =
        DecideRotation(TRotationInput{current, WorkMode, StatusSelection, TextLines, StatusLines}, FRandom);
    if (!next) {
        return;
    }
    // The first message with icon 0, then the real one; both carry the texts,
    // which the host copies during the call.
    TSendScope scope(FInSend);
    for (const int32_t sentIcon : {int32_t(0), next->Icon}) {
        THostMessageRec msg{};
        msg.Code = PM_SET_STATUS_TEXT;
        msg.ParamA = sentIcon;
        msg.ParamB = reinterpret_cast<intptr_t>(W(next->Status));
        msg.ParamC = reinterpret_cast<intptr_t>(W(next->XStatus));
        msg.Sender = static_cast<intptr_t>(FInfo.ModuleHandle);
        FService->SendPluginMessage(&msg);
    }
}
