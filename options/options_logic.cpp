#include "options/options_logic.h"

#include <algorithm>

#include "core/version.h"

int32_t ClampFreqValue(int32_t value) noexcept { return std::clamp(value, FreqMin, FreqMax); }

int32_t ClampFreqUnit(int32_t unit) noexcept {
    return std::clamp<int32_t>(unit, 0, static_cast<int32_t>(std::size(FreqUnitKeys)) - 1);
}

std::u16string IntervalText(int32_t position, int32_t unit, const TTextTranslator& translate) {
    return DecimalText(position) + u" " + translate(FreqUnitKeys[static_cast<size_t>(ClampFreqUnit(unit))]);
}

int32_t ModeRadio(int32_t workMode) noexcept { return workMode >= 0 && workMode <= 2 ? workMode : NoMode; }

int32_t ModePicture(int32_t workMode) noexcept {
    // The pictures are numbered by how much of the panel they tint (text;
    // title and text; all three), so full mode shows wiz_03 and icon mode
    // wiz_02.
    switch (workMode) {
    case 0:
        return 1;
    case 1:
        return 3;
    case 2:
        return 2;
    default:
        return 0;
    }
}

int32_t WorkModeOfRadio(int32_t radio) noexcept { return radio >= 0 && radio <= 2 ? radio : 0; }

std::u16string VersionLine(const std::u16string& translatedVersion) {
    return translatedVersion + u": " + DecimalText(VersionMajor) + u"." + DecimalText(VersionMinor) + u"." +
           DecimalText(VersionRelease);
}

std::u16string CopyrightLine(const std::u16string& translatedCopyright) {
    return translatedCopyright + u"" BRISKLET_COPYRIGHT_REST;
}

std::vector<std::u16string> OptionsWindowTexts() {
    std::vector<std::u16string> texts;
    const auto add = [&](std::u16string_view text) {
        if (!text.empty() && std::find(texts.begin(), texts.end(), text) == texts.end()) {
            texts.emplace_back(text);
        }
    };
    add(OptionsFormCaption);
    for (const TLayoutRow& row : OptionsLayout) {
        add(row.Text);
        if (row.Kind == TControlKind::RadioGroup) {
            for (const std::u16string_view item : RadioGroup1Items) {
                add(item);
            }
        }
    }
    for (const std::u16string_view key : {std::u16string_view(u"Options"), std::u16string_view(u"Copyright (c)"),
                                          std::u16string_view(u"Version")}) {
        add(key);
    }
    for (const std::u16string_view key : FreqUnitKeys) {
        add(key);
    }
    return texts;
}
