// Nothing crosses into the host but what the interface allows: every entry
// point catches everything and falls back quietly.
#pragma once

#include <utility>

template <class F>
void CatchAll(F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (...) {
    }
}

template <class R, class F>
R CatchAllOr(R fallback, F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (...) {
        return fallback;
    }
}
