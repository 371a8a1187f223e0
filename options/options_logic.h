// The options window's decisions that need no window: the selection text,
// the ticks, the interval text, the mode table and the ranges the controls
// keep. Portable: no Win32.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "core/icons.h"
#include "core/settings.h"
#include "lang/translatable_form.h"
#include "options/options_layout.h"

// clbStatuses: entry n shows the host's extended-status picture n.
inline constexpr int32_t StatusEntryCount = TickableIconCount;
inline constexpr int32_t StatusColumns = 6;
inline constexpr int32_t StatusEntryHeight = 22;
inline constexpr int32_t StatusCheckWidth = 15;    // the check box's part of an entry, at its left
inline constexpr int32_t StatusCheckSize = 13;
inline constexpr int32_t StatusPictureSize = 16;

static_assert(StatusEntryCount == std::tuple_size<TTicks>::value, "one tick per status entry");

// tbFreq's range and position as laid out.
inline constexpr int32_t FreqMin = 1;
inline constexpr int32_t FreqMax = 300;
inline constexpr int32_t LaidOutFreq = 1;
// The track bar keeps its position in its range.
int32_t ClampFreqValue(int32_t value) noexcept;
// RadioGroup1's item for a FreqUnit: above 2 the last item. Below 0 the
// first: the window always has a unit chosen, so Save never hands back -1.
int32_t ClampFreqUnit(int32_t unit) noexcept;

// Translation keys of the interval units, indexed by FreqUnit. Not the radio
// group's items: item 0 reads "seconds (default)".
inline constexpr std::u16string_view FreqUnitKeys[] = {u"seconds", u"minuts", u"hours"};

// Label3: position, a blank, the translated unit ('120 seconds').
std::u16string IntervalText(int32_t position, int32_t unit, const TTextTranslator& translate);

// The mode table. Radio buttons are numbered 0 RadioButton3, 1 RadioButton4,
// 2 RadioButton5; pictures 1 wiz_01, 2 wiz_02, 3 wiz_03.
inline constexpr int32_t NoMode = -1;
int32_t ModeRadio(int32_t workMode) noexcept;    // NoMode outside 0..2
int32_t ModePicture(int32_t workMode) noexcept;  // 0 (none) outside 0..2
int32_t WorkModeOfRadio(int32_t radio) noexcept;

// The version line and the copyright line, from their translated keys.
std::u16string VersionLine(const std::u16string& translatedVersion);
std::u16string CopyrightLine(const std::u16string& translatedCopyright);

// Every English text the window passes through the translation: its
// layout's captions, texts and radio-group items, and the keys it
// translates itself ("Options", "Copyright (c)", "Version", the units).
std::vector<std::u16string> OptionsWindowTexts();

// The mode radio buttons, indexed by ModeRadio, by name and by row.
inline constexpr std::u16string_view ModeRadioNames[] = {u"RadioButton3", u"RadioButton4", u"RadioButton5"};
inline constexpr size_t ModeRadioRows[] = {RadioButton3Row, RadioButton4Row, RadioButton5Row};
static_assert(ModeRadioRows[0] == LayoutIndex(ModeRadioNames[0]) &&
              ModeRadioRows[1] == LayoutIndex(ModeRadioNames[1]) &&
              ModeRadioRows[2] == LayoutIndex(ModeRadioNames[2]));
