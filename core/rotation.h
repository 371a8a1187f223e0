// The rotation's decisions: the selection test, the draw and the three work
// modes. Portable: no Win32. The caller sends what DecideRotation returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "core/random.h"
#include "core/settings.h"
#include "core/text_list.h"

struct TExtendedStatus {
    int32_t Icon = 0;
    std::u16string Status;
    std::u16string XStatus;
};

enum : int32_t {
    WorkModeXStatus = 0,
    WorkModeFull = 1,
    WorkModeIcon = 2,
};


// True when the icon's key occurs anywhere in the selection.
bool IsIconSelected(std::u16string_view selection, int32_t icon);

// The pieces of the selection between its ";;" separators, empty ones
// dropped, in order.
std::vector<std::u16string_view> SelectedIcons(std::u16string_view selection);

// True when entry begins with exactly iconText followed by "|".
bool HasIconPrefix(std::u16string_view entry, std::u16string_view iconText) noexcept;

// Appends the positions of the entries with the icon prefix, in list order.
void AppendCandidates(const TTextList& lines, std::u16string_view iconText, std::vector<uint32_t>& candidates);

// A uniform choice among n entries; nothing when n is 0.
std::optional<size_t> DrawIndex(size_t n, TRandomSource& random);

struct TRotationInput {
    const TExtendedStatus& Current;
    int32_t WorkMode;
    std::u16string_view StatusSelection;
    const TTextList& TextLines;
    const TTextList& StatusLines;
};

// One run. Returns nothing when the current icon is not selected (nothing is
// sent); otherwise the extended status to send, which is the current one
// when nothing was drawn.
//
// With an indexed StatusLines a run takes time in the size of the selection,
// not of the list: the candidates are the index's runs, read in place.
std::optional<TExtendedStatus> DecideRotation(const TRotationInput& in, TRandomSource& random);

// The same run by walking StatusLines once per selected icon, as the
// candidates are defined; the indexed run gives the same result for the
// same draws. Used for lists without an index.
std::optional<TExtendedStatus> DecideRotationByScan(const TRotationInput& in, TRandomSource& random);
