#include "core/settings.h"

#include "base/text.h"

std::u16string SelectionKey(int32_t icon) {
    return u";;" + DecimalText(icon) + u";;";
}

TTicks TicksFromSelection(std::u16string_view selection) {
    TTicks ticks{};
    for (int32_t n = 0; n < TickableIconCount; ++n) {
        ticks[static_cast<size_t>(n)] = selection.find(SelectionKey(n)) != std::u16string_view::npos;
    }
    return ticks;
}

std::u16string SelectionFromTicks(const TTicks& ticks) {
    std::u16string selection = u";;";
    for (int32_t n = 0; n < TickableIconCount; ++n) {
        if (ticks[static_cast<size_t>(n)]) {
            selection += SelectionKey(n);
        }
    }
    return selection;
}

int64_t UnitFactor(int32_t freqUnit) noexcept {
    switch (freqUnit) {
    case 1: return 60000;
    case 2: return 3600000;
    default: return 1000;
    }
}

uint32_t IntervalMs(int32_t freqValue, int32_t freqUnit) noexcept {
    if (freqValue <= 0) {
        return 0;
    }
    const int64_t product = int64_t(freqValue) * UnitFactor(freqUnit);
    return product > int64_t(MaxTimerInterval) ? MaxTimerInterval : static_cast<uint32_t>(product);
}
