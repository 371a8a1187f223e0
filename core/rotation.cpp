#include "rotation.h"

#include <limits>

std::u16string DecimalText(int32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string SelectionKey(int32_t icon) {
    return u";;" + DecimalText(icon) + u";;";
}

bool IsIconSelected(std::u16string_view selection, int32_t icon) {
    return selection.find(SelectionKey(icon)) != std::u16string_view::npos;
}

std::vector<std::u16string_view> SelectedIcons(std::u16string_view selection) {
    std::vector<std::u16string_view> pieces;
    size_t start = 0;
    for (;;) {
        const size_t cut = selection.find(u";;", start);
        const std::u16string_view piece =
            selection.substr(start, cut == std::u16string_view::npos ? std::u16string_view::npos : cut - start);
        if (!piece.empty()) {
            pieces.push_back(piece);
        }
        if (cut == std::u16string_view::npos) {
            return pieces;
        }
        start = cut + 2;
    }
}

bool HasIconPrefix(std::u16string_view entry, std::u16string_view iconText) noexcept {
    return entry.size() > iconText.size() && entry[iconText.size()] == u'|' &&
           entry.compare(0, iconText.size(), iconText) == 0;
}

void AppendCandidates(const TTextList& lines, std::u16string_view iconText, std::vector<uint32_t>& candidates) {
    const size_t n = lines.Count();
    for (size_t i = 0; i < n; ++i) {
        if (HasIconPrefix(lines[i], iconText)) {
            candidates.push_back(static_cast<uint32_t>(i));
        }
    }
}

std::optional<size_t> DrawIndex(size_t n, TRandomSource& random) {
    if (n == 0) {
        return std::nullopt;
    }
    const uint32_t bound = n > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                                    : static_cast<uint32_t>(n);
    return random.Below(bound);
}

namespace {

// Draws a candidate and applies it as a "statuses.txt" entry; a malformed
// entry changes nothing.
void ApplyDrawnStatus(const TTextList& lines, const std::vector<uint32_t>& candidates, TRandomSource& random,
                      TExtendedStatus& work) {
    if (const auto r = DrawIndex(candidates.size(), random)) {
        ParseStatusLine(lines[candidates[*r]], work.Icon, work.Status, work.XStatus);
    }
}

// Full mode's choice of icon: the range is the number of candidates, not of
// selected icons, and 0 keeps the current icon.
int32_t ChooseIcon(const std::vector<std::u16string_view>& selected, size_t candidateCount, int32_t current,
                   TRandomSource& random) {
    const uint32_t m = candidateCount > std::numeric_limits<uint32_t>::max()
                           ? std::numeric_limits<uint32_t>::max()
                           : static_cast<uint32_t>(candidateCount);
    const uint32_t r = random.Below(m);
    int32_t chosen = current;
    if (r >= 1 && r <= selected.size() && ParseInt32(selected[r - 1], chosen)) {
        return chosen;
    }
    return current;
}

}  // namespace

std::optional<TExtendedStatus> DecideRotation(const TRotationInput& in, TRandomSource& random) {
    if (!IsIconSelected(in.StatusSelection, in.Current.Icon)) {
        return std::nullopt;
    }
    TExtendedStatus work = in.Current;
    switch (in.WorkMode) {
    case WorkModeXStatus:
        if (const auto r = DrawIndex(in.TextLines.Count(), random)) {
            work.XStatus = ExpandLineMarkers(in.TextLines[*r]);
        }
        break;
    case WorkModeFull: {
        const std::vector<std::u16string_view> selected = SelectedIcons(in.StatusSelection);
        std::vector<uint32_t> candidates;
        for (const std::u16string_view piece : selected) {
            AppendCandidates(in.StatusLines, piece, candidates);
        }
        const int32_t chosen = ChooseIcon(selected, candidates.size(), in.Current.Icon, random);
        // The chosen icon's entries go in a second time, so they are twice as
        // likely as those of the other selected icons.
        AppendCandidates(in.StatusLines, DecimalText(chosen), candidates);
        ApplyDrawnStatus(in.StatusLines, candidates, random, work);
        work.XStatus = ExpandLineMarkers(work.XStatus);
        break;
    }
    case WorkModeIcon: {
        std::vector<uint32_t> candidates;
        AppendCandidates(in.StatusLines, DecimalText(in.Current.Icon), candidates);
        ApplyDrawnStatus(in.StatusLines, candidates, random, work);
        work.XStatus = ExpandLineMarkers(work.XStatus);
        break;
    }
    default:
        break;
    }
    return work;
}
