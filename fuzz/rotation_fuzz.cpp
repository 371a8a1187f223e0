// One rotation run (DecideRotation) over a fuzzed list, selection, work mode,
// current status and random source; the same run by the scan and over a list
// without its index must agree. Input layout, sections cut at 0xFE:
//   byte 0: work mode (0 to 2, else the byte as a signed number);
//   byte 1: the current icon as a signed byte;
//   then selection, "statuses.txt" text, "list.txt" text, current Status,
//   current xStatus (texts as fuzz::TextOf reads them), and the random
//   draws, four bytes each, taken modulo the range (0 once used up).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/list_loader.h"
#include "core/rotation.h"
#include "core/status_line.h"
#include "core/text_list.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/index_check.h"

namespace {

class TFuzzedRandom final : public TRandomSource {
public:
    explicit TFuzzedRandom(std::string_view bytes) : FBytes(bytes) {}
    uint32_t Below(uint32_t n) override {
        Ranges.push_back(n);
        const uint32_t r = Next(n);
        Draws.push_back(r);
        return r;
    }
    std::vector<uint32_t> Ranges;
    std::vector<uint32_t> Draws;

private:
    uint32_t Next(uint32_t n) {
        if (n == 0 || FBytes.size() < 4) {
            return 0;
        }
        uint32_t r = 0;
        for (int i = 0; i < 4; ++i) {
            r = r << 8 | static_cast<uint8_t>(FBytes[static_cast<size_t>(i)]);
        }
        FBytes.remove_prefix(4);
        return r % n;
    }
    std::string_view FBytes;
};

std::vector<std::string_view> Sections(std::string_view bytes, size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const size_t cut = bytes.find('\xFE');
        out.push_back(bytes.substr(0, cut));
        bytes = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    }
    out.push_back(bytes);
    return out;
}

std::u16string Decimal(int32_t value) {
    const std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

// The selection's pieces between ";;" cuts, from the left, empty ones dropped.
std::vector<std::u16string> Pieces(std::u16string_view selection) {
    std::vector<std::u16string> pieces;
    for (;;) {
        const size_t cut = selection.find(u";;");
        const std::u16string_view piece = selection.substr(0, cut);
        if (!piece.empty()) {
            pieces.emplace_back(piece);
        }
        if (cut == std::u16string_view::npos) {
            return pieces;
        }
        selection.remove_prefix(cut + 2);
    }
}

bool Same(const TExtendedStatus& a, const TExtendedStatus& b) {
    return a.Icon == b.Icon && a.Status == b.Status && a.XStatus == b.XStatus;
}

// What applying an entry of "statuses.txt" may give: the current status with
// its markers expanded when the entry isn't three fields, else its fields.
TExtendedStatus Applied(std::u16string_view entry, const TExtendedStatus& current) {
    TExtendedStatus out = current;
    ParseStatusLine(entry, out.Icon, out.Status, out.XStatus);
    out.XStatus = ExpandLineMarkers(out.XStatus);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const int32_t mode = data[0] <= 2 ? data[0] : static_cast<int8_t>(data[0]);
    TExtendedStatus current;
    current.Icon = static_cast<int8_t>(data[1]);
    const auto parts = Sections(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2), 6);
    const std::u16string selection = fuzz::TextOf(parts[0]);
    TTextList statusLines;
    LoadListText(fuzz::TextOf(parts[1]), statusLines);
    TTextList textLines;
    LoadListText(fuzz::TextOf(parts[2]), textLines);
    current.Status = fuzz::TextOf(parts[3]);
    current.XStatus = fuzz::TextOf(parts[4]);
    TFuzzedRandom random(parts[5]);

    const std::optional<TExtendedStatus> out =
        DecideRotation(TRotationInput{current, mode, selection, textLines, statusLines}, random);

    // The indexed run, the scan and a list without an index give the same
    // result from the same draws, asking for the same ranges.
    fuzz::CheckIndex(statusLines);
    TTextList unindexed;
    for (size_t i = 0; i < statusLines.Count(); ++i) {
        unindexed.Add(statusLines[i]);
    }
    FUZZ_CHECK(!unindexed.Indexed());
    for (const bool scan : {true, false}) {
        TFuzzedRandom again(parts[5]);
        const TRotationInput input{current, mode, selection, textLines, scan ? statusLines : unindexed};
        const std::optional<TExtendedStatus> other =
            scan ? DecideRotationByScan(input, again) : DecideRotation(input, again);
        FUZZ_CHECK(other.has_value() == out.has_value());
        FUZZ_CHECK(!out || Same(*other, *out));
        FUZZ_CHECK(again.Ranges == random.Ranges);
        FUZZ_CHECK(again.Draws == random.Draws);
    }

    // Nothing at all unless the current icon's item is in the selection.
    const bool selected = selection.find(u";;" + Decimal(current.Icon) + u";;") != std::u16string::npos;
    if (!selected) {
        FUZZ_CHECK(!out);
        FUZZ_CHECK(random.Ranges.empty());
        return 0;
    }
    FUZZ_CHECK(out.has_value());

    TExtendedStatus expanded = current;
    expanded.XStatus = ExpandLineMarkers(current.XStatus);

    switch (mode) {
    case WorkModeXStatus: {
        // Only the xStatus text changes, to an expanded entry of "list.txt".
        FUZZ_CHECK(out->Icon == current.Icon);
        FUZZ_CHECK(out->Status == current.Status);
        bool known = out->XStatus == current.XStatus;
        for (size_t i = 0; i < textLines.Count() && !known; ++i) {
            known = out->XStatus == ExpandLineMarkers(textLines[i]);
        }
        FUZZ_CHECK(known);
        for (const uint32_t n : random.Ranges) {
            FUZZ_CHECK(n == textLines.Count());
        }
        break;
    }
    case WorkModeFull:
    case WorkModeIcon: {
        // The entries a run may apply: those of the current icon and, in Full
        // mode, those of every selected piece and of every number a piece
        // reads as.
        std::vector<std::u16string> prefixes{Decimal(current.Icon)};
        const std::vector<std::u16string> pieces = Pieces(selection);
        if (mode == WorkModeFull) {
            for (const auto& piece : pieces) {
                prefixes.push_back(piece);
                int32_t number = 0;
                if (ParseInt32(piece, number)) {
                    prefixes.push_back(Decimal(number));
                }
            }
        }
        bool known = Same(*out, expanded);
        size_t candidates = 0;
        for (size_t i = 0; i < statusLines.Count(); ++i) {
            bool match = false;
            for (const auto& p : prefixes) {
                match = match || fuzz::HasPrefix(statusLines[i], p);
            }
            if (match) {
                ++candidates;
                known = known || Same(*out, Applied(statusLines[i], current));
            }
        }
        FUZZ_CHECK(known);
        // Markers are always expanded in these modes, drawn or not.
        FUZZ_CHECK(!fuzz::HasLowerMarker(out->XStatus));
        if (mode == WorkModeIcon) {
            FUZZ_CHECK(out->Icon == current.Icon);
        }
        // A candidate stands in the list once per piece naming it, and once
        // more for the chosen icon.
        const size_t most = mode == WorkModeFull ? (pieces.size() + 1) * candidates : candidates;
        for (const uint32_t n : random.Ranges) {
            FUZZ_CHECK(n <= most);
        }
        break;
    }
    default:
        FUZZ_CHECK(Same(*out, current));
        FUZZ_CHECK(random.Ranges.empty());
        break;
    }
    return 0;
}
