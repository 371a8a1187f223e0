#include "core/rotation.h"

#include <limits>
#include <unordered_map>

#include "core/status_line.h"

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

// A draw range: the random source counts in 32 bits.
uint32_t Bound(uint64_t n) noexcept {
    return n > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                    : static_cast<uint32_t>(n);
}

// Full mode's choice of icon: the range is the number of candidates, not of
// selected icons, and 0 keeps the current icon.
int32_t ChooseIcon(const std::vector<std::u16string_view>& selected, uint64_t candidateCount, int32_t current,
                   TRandomSource& random) {
    const uint32_t m = Bound(candidateCount);
    const uint32_t r = random.Below(m);
    int32_t chosen = current;
    if (r >= 1 && r <= selected.size() && ParseInt32(selected[r - 1], chosen)) {
        return chosen;
    }
    return current;
}

// Full and Icon mode's candidates as a concatenation of runs of the index,
// never copied: a draw r is looked up run by run.
class TCandidateRuns {
public:
    void Append(const TIconRun& run) {
        if (run.Count > 0) {
            FRuns.push_back(run);
            FTotal += run.Count;
        }
    }
    uint64_t Total() const noexcept { return FTotal; }
    uint32_t At(uint64_t r) const noexcept {
        for (const TIconRun& run : FRuns) {
            if (r < run.Count) {
                return run[static_cast<size_t>(r)];
            }
            r -= run.Count;
        }
        return 0;  // not reached for r below Total()
    }

private:
    std::vector<TIconRun> FRuns;
    uint64_t FTotal = 0;
};

// The entries that begin with piece + "|", for a piece that holds a "|"
// itself. Its first field is the text before that "|", so they are among
// that field's entries; each such piece is filtered once per run.
class TBarPieces {
public:
    TIconRun Find(const TTextList& lines, std::u16string_view piece) {
        // A damaged selection may hold thousands of such pieces: look them up,
        // don't walk the earlier ones.
        const auto known = FSeen.find(piece);
        if (known != FSeen.end()) {
            return RunOf(known->second);
        }
        const TIconRun field = lines.FindIconRun(piece.substr(0, piece.find(u'|')));
        std::vector<uint32_t> matches;
        for (uint32_t i = 0; i < field.Count; ++i) {
            if (HasIconPrefix(lines[field[i]], piece)) {
                matches.push_back(field[i]);
            }
        }
        FSeen.emplace(piece, FMatches.size());
        FMatches.push_back(std::move(matches));
        return RunOf(FMatches.size() - 1);
    }

private:
    TIconRun RunOf(size_t i) const noexcept {
        TIconRun run;
        run.Positions = FMatches[i].data();
        run.Count = static_cast<uint32_t>(FMatches[i].size());
        return run;
    }
    std::unordered_map<std::u16string_view, size_t> FSeen;
    std::vector<std::vector<uint32_t>> FMatches;  // moving keeps each data() in place
};

TIconRun RunOfPiece(const TTextList& lines, std::u16string_view piece, TBarPieces& barPieces) {
    if (piece.find(u'|') != std::u16string_view::npos) {
        return barPieces.Find(lines, piece);
    }
    return lines.FindIconRun(piece);
}

// Full and Icon mode's candidates gathered by walking every entry: the plain
// reading of the rules, kept as the reference and for lists without an index.
class TScannedCandidates {
public:
    explicit TScannedCandidates(const TTextList& lines) : FLines(lines) {}
    void AddPiece(std::u16string_view piece) { AppendCandidates(FLines, piece, FPositions); }
    void AddIcon(int32_t icon) { AppendCandidates(FLines, DecimalText(icon), FPositions); }
    uint64_t Total() const noexcept { return FPositions.size(); }
    uint32_t At(uint64_t r) const noexcept { return FPositions[static_cast<size_t>(r)]; }

private:
    const TTextList& FLines;
    std::vector<uint32_t> FPositions;
};

// The same candidates, in the same order, taken from the index's runs.
class TIndexedCandidates {
public:
    explicit TIndexedCandidates(const TTextList& lines) : FLines(lines) {}
    void AddPiece(std::u16string_view piece) { FRuns.Append(RunOfPiece(FLines, piece, FBarPieces)); }
    void AddIcon(int32_t icon) { FRuns.Append(FLines.FindIconRun(DecimalText(icon))); }
    uint64_t Total() const noexcept { return FRuns.Total(); }
    uint32_t At(uint64_t r) const noexcept { return FRuns.At(r); }

private:
    const TTextList& FLines;
    TCandidateRuns FRuns;
    TBarPieces FBarPieces;
};

// Draws a candidate and applies it as a "statuses.txt" entry; a malformed
// entry changes nothing.
template <class TCandidates>
void ApplyDrawnStatus(const TTextList& lines, const TCandidates& candidates, TRandomSource& random,
                      TExtendedStatus& work) {
    if (candidates.Total() == 0) {
        return;
    }
    const uint32_t r = random.Below(Bound(candidates.Total()));
    ParseStatusLine(lines[candidates.At(r)], work.Icon, work.Status, work.XStatus);
}

template <class TCandidates>
std::optional<TExtendedStatus> DecideWith(const TRotationInput& in, TRandomSource& random) {
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
        TCandidates candidates(in.StatusLines);
        for (const std::u16string_view piece : selected) {
            candidates.AddPiece(piece);
        }
        const int32_t chosen = ChooseIcon(selected, candidates.Total(), in.Current.Icon, random);
        // The chosen icon's entries go in a second time, so they are twice as
        // likely as those of the other selected icons.
        candidates.AddIcon(chosen);
        ApplyDrawnStatus(in.StatusLines, candidates, random, work);
        work.XStatus = ExpandLineMarkers(work.XStatus);
        break;
    }
    case WorkModeIcon: {
        TCandidates candidates(in.StatusLines);
        candidates.AddIcon(in.Current.Icon);
        ApplyDrawnStatus(in.StatusLines, candidates, random, work);
        work.XStatus = ExpandLineMarkers(work.XStatus);
        break;
    }
    default:
        break;
    }
    return work;
}

}  // namespace

std::optional<TExtendedStatus> DecideRotationByScan(const TRotationInput& in, TRandomSource& random) {
    return DecideWith<TScannedCandidates>(in, random);
}

std::optional<TExtendedStatus> DecideRotation(const TRotationInput& in, TRandomSource& random) {
    const bool usesStatusLines = in.WorkMode == WorkModeFull || in.WorkMode == WorkModeIcon;
    if (usesStatusLines && !in.StatusLines.Indexed()) {
        return DecideRotationByScan(in, random);
    }
    return DecideWith<TIndexedCandidates>(in, random);
}
