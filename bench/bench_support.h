// Pieces the benchmarks share: the demo competition at a tenth or the full size of the tables,
// and a cold start for work that runs once per click.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/demo_competition.h"

namespace skarvel {

// The demo competition at `tenths` tenths of every table's capacity (10: full).
inline DemoOptions demo_tenths(int tenths, std::uint64_t seed = 7) {
    DemoOptions o = DemoOptions::full_capacity(seed);
    for (int* n : {&o.runners, &o.clubs, &o.classes, &o.courses, &o.finish_lines, &o.card_readouts})
        *n = *n * tenths / 10;
    return o;
}

// Writes a buffer larger than the processor's caches (64 MB), so the next measured step starts
// from cold caches. Call it with the timing paused.
inline void evict_caches() {
    static std::vector<char> evict(64u << 20);
    for (std::size_t i = 0; i < evict.size(); i += 64) evict[i] = static_cast<char>(evict[i] + 1);
    benchmark::ClobberMemory();
}

}  // namespace skarvel
