// The window's responsiveness as a test may check it on any machine: by the time the program
// itself held the window's thread (the stall meter's `own_ms`: a stall's length less the time
// the thread only waited for a processor), never by wall-clock gaps, which a loaded machine
// stretches at will. The bound is for the program as it ships (optimised); a sanitizer or
// unoptimised build runs several times slower, so there the figures are logged and not checked.
#pragma once

#include <QString>
#include <vector>

#include "app/stall_meter.h"

namespace skarvel::testing {

#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
inline constexpr bool kStallBoundChecked = true;
#else
inline constexpr bool kStallBoundChecked = false;
#endif
// No stall in which the program held the window this long.
inline constexpr double kStallBoundMs = 50;

// The first stall the program held the window for kStallBoundMs or longer, as text; empty when
// there is none (or the bound is not checked in this build).
inline QString stall_over_bound(const std::vector<Stall>& stalls) {
    if (!kStallBoundChecked) return {};
    for (const Stall& s : stalls)
        if (s.own_ms() >= kStallBoundMs)
            return QStringLiteral("%1 ms (own %2 ms): %3")
                .arg(s.ms)
                .arg(s.own_ms())
                .arg(QString::fromStdString(s.what));
    return {};
}

}  // namespace skarvel::testing
