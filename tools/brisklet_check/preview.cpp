#include "tools/brisklet_check/preview.h"

#include "base/utf.h"
#include "core/icons.h"
#include "core/list_loader.h"
#include "tools/brisklet_check/check.h"

namespace {

std::string Picture(int32_t icon) {
    return "picture " + std::to_string(icon) + " (" + IconName(icon) + ")";
}

// Line breaks shown as the demo shows them.
std::string Shown(const std::u16string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += " \xE2\x86\xB5 ";
            ++i;
        } else {
            out += Utf16ToUtf8(text.substr(i, 1));
        }
    }
    return out + "\"";
}

bool Kept(const std::u16string& text) { return text == KeptTextMark; }

}  // namespace

std::optional<TExtendedStatus> PreviewRun(const TTextList& textLines, const TTextList& statusLines,
                                          const TPreviewSetup& setup, TRandomSource& random) {
    TExtendedStatus current;
    current.Icon = setup.Icon;
    current.Status = KeptTextMark;
    current.XStatus = KeptTextMark;
    const TRotationInput input{current, setup.WorkMode, setup.StatusSelection, textLines, statusLines};
    return DecideRotation(input, random);
}

std::string PreviewLine(const std::optional<TExtendedStatus>& sent, int32_t icon) {
    if (!sent) {
        return "nothing is sent: " + Picture(icon) + " is not ticked";
    }
    if (sent->Icon == icon && Kept(sent->Status) && Kept(sent->XStatus)) {
        return Picture(icon) + ": the current status is sent unchanged";
    }
    return Picture(sent->Icon) + ": Status " + (Kept(sent->Status) ? "unchanged" : Shown(sent->Status)) +
           ", xStatus " + (Kept(sent->XStatus) ? "unchanged" : Shown(sent->XStatus));
}

int32_t DefaultPreviewIcon(const TTextList& statusLines, const TPreviewSetup& setup) {
    int32_t firstTicked = -1;
    for (int32_t icon = FirstTickableIcon; icon <= LastTickableIcon; ++icon) {
        if (!IsIconSelected(setup.StatusSelection, icon)) {
            continue;
        }
        if (firstTicked < 0) {
            firstTicked = icon;
        }
        if (setup.WorkMode == WorkModeXStatus) {
            break;
        }
        std::vector<uint32_t> entries;
        AppendCandidates(statusLines, DecimalText(icon), entries);
        if (!entries.empty()) {
            return icon;
        }
    }
    return firstTicked < 0 ? 0 : firstTicked;
}

namespace {

const char* ModeName(int32_t mode) noexcept {
    switch (mode) {
    case WorkModeFull: return "Full mode";
    case WorkModeIcon: return "Icon mode";
    default: return "xStatus mode";
    }
}

std::string TickedText(std::u16string_view selection) {
    const TTicks ticks = TicksFromSelection(selection);
    std::string text;
    size_t count = 0;
    for (int32_t icon = FirstTickableIcon; icon <= LastTickableIcon; ++icon) {
        if (ticks[static_cast<size_t>(icon)]) {
            text += (count++ == 0 ? "" : ", ") + std::to_string(icon);
        }
    }
    if (count == ticks.size()) {
        return "all";
    }
    return count == 0 ? "none" : text;
}

}  // namespace

int RunPreview(TPreviewRequest request, TAnsiToUtf16 ansi, TFileOps& ops, std::string& out, std::string& err) {
    TTextList lists[2];
    std::string described;
    std::vector<uint8_t> bytes;
    const char* const names[2] = {"list.txt", "statuses.txt"};
    for (size_t i = 0; i < 2; ++i) {
        const std::string path = JoinPath(request.Folder, names[i]);
        const bool used = (i == 0) == (request.Setup.WorkMode == WorkModeXStatus);
        if (ops.Probe(path) == TPathKind::Missing) {
            if (used) {
                described = path + " (not found: an empty list)";
            }
            continue;
        }
        if (!ops.Read(path, bytes)) {
            err += "brisklet-check: cannot read " + path + "\n";
            return 2;
        }
        LoadListBytes(bytes.data(), bytes.size(), ansi, lists[i]);
        if (used) {
            described = path + " (" + std::to_string(lists[i].Count()) +
                        (lists[i].Count() == 1 ? " entry)" : " entries)");
        }
    }
    if (!request.IconGiven) {
        request.Setup.Icon = DefaultPreviewIcon(lists[1], request.Setup);
    }
    out += std::to_string(request.Runs) + (request.Runs == 1 ? " run" : " runs") + " in " +
           ModeName(request.Setup.WorkMode) + " on " + described + ", " + Picture(request.Setup.Icon) +
           " on now, pictures ticked: " + TickedText(request.Setup.StatusSelection) +
           "; --seed " + std::to_string(request.Seed) + " repeats them\n";
    TDefaultRandom random;
    random.Seed(request.Seed);
    for (uint32_t run = 0; run < request.Runs; ++run) {
        out += std::to_string(uint64_t{run} + 1) + ": " +
               PreviewLine(PreviewRun(lists[0], lists[1], request.Setup, random), request.Setup.Icon) + "\n";
    }
    return 0;
}
