#include "core/finish_results.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace skarvel {

void finish_data_changed(Competition& c) {
    c.rebuild_number_index();
    c.recompute_finish_results();
    assign_finish_places(c);
}

int leg_of_number(int n) {
    return n / 1000 != 0 ? n / 1000 : n / 100;
}

bool result_is_time(const Runner& r) {
    return r.status == 0 && r.finish_time != 0 && r.result > 0;
}

namespace {

// How many records ahead a walk over a table fetches.
constexpr int kFetchAhead = 8;

int laps_of(const Competition& c, const Runner& r) {
    int n = r.start_number;
    return n > 0 && n < kNumberIndexSize ? c.finish_count_by_number[n] : 0;
}

struct PlaceRule {
    const Competition& c;
    bool relay, by_clock;
    explicit PlaceRule(const Competition& comp)
        : c(comp),
          relay(comp.info.relay != 0),
          by_clock(relay || comp.info.competition_kind == kKindHandicap) {}
    std::int64_t group(const Runner& r) const {
        int second = relay ? leg_of_number(r.start_number) : laps_of(c, r);
        return (std::int64_t(r.class_id) << 32) | static_cast<std::uint32_t>(second);
    }
    std::int32_t value(const Runner& r) const { return by_clock ? r.finish_time : r.result; }
    // Can be better than another runner.
    static bool counts(const Runner& s) { return !s.out_of_competition && result_is_time(s); }
    // Has a place of his own (his own status is not looked at).
    bool placed(const Runner& r) const {
        int n = r.start_number;
        return n > 0 && n < kNumberIndexSize && c.number_index[n] == &r &&
               c.finish_count_by_number[n] > 0 && r.finish_time != 0 && r.result > 0;
    }
};

}  // namespace

int finish_place_of(const Competition& c, const Runner& r) {
    const PlaceRule rule(c);
    if (!rule.placed(r)) return 0;
    const std::int64_t g = rule.group(r);
    const std::int32_t v = rule.value(r);
    int place = 1;
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.used_end(); ++i)
        if (const Runner* s = t[i];
            s && PlaceRule::counts(*s) && rule.group(*s) == g && rule.value(*s) < v)
            ++place;
    return place;
}

std::vector<int> finish_places_of(const Competition& c, const std::vector<const Runner*>& runners) {
    const PlaceRule rule(c);
    struct Query {
        std::int64_t group;
        std::int32_t value;
    };
    std::vector<int> places(runners.size(), 0);
    std::vector<Query> queries(runners.size());
    std::vector<std::size_t> asked;
    for (std::size_t q = 0; q < runners.size(); ++q) {
        const Runner* r = runners[q];
        if (!r || !rule.placed(*r)) continue;
        queries[q] = {rule.group(*r), rule.value(*r)};
        places[q] = 1;
        asked.push_back(q);
    }
    if (asked.empty()) return places;
    const auto& t = c.tables.runners;
    const int used = t.used_end();
    for (int i = 0; i < used; ++i) {
        // Each runner is a record of its own: fetch a few ahead while this one is looked at.
        if (const Runner* ahead = t[i + kFetchAhead]) {
            __builtin_prefetch(&ahead->class_id);
            __builtin_prefetch(&ahead->status);
        }
        const Runner* s = t[i];
        if (!s || !PlaceRule::counts(*s)) continue;
        const std::int64_t g = rule.group(*s);
        const std::int32_t v = rule.value(*s);
        for (std::size_t q : asked)
            if (queries[q].group == g && v < queries[q].value) ++places[q];
    }
    return places;
}

void assign_finish_places(Competition& c) {
    const PlaceRule rule(c);
    // One walk gathers every runner who can be better than another (counted) or has a place of
    // his own (placed) with his group and value. Sorted by group and value, one pass gives each
    // placed runner 1 + the counted runners of his group below his value; the places are then
    // written in slot order. (The runners are records of their own: fetch a few ahead.)
    struct Entry {
        std::int64_t group;
        std::int32_t value;
        std::int32_t slot;
        bool counted, placed;
    };
    std::vector<Entry> entries;
    std::vector<std::int32_t> placed_slots;
    auto& t = c.tables.runners;
    const int used = t.used_end();
    entries.reserve(static_cast<std::size_t>(used));
    placed_slots.reserve(static_cast<std::size_t>(used));
    for (int i = 0; i < used; ++i) {
        if (const Runner* ahead = t[i + kFetchAhead]) {
            __builtin_prefetch(&ahead->class_id);
            __builtin_prefetch(&ahead->status);
        }
        Runner* r = t[i];
        if (!r) continue;
        const bool counted = PlaceRule::counts(*r);
        const bool placed = rule.placed(*r);
        if (!counted && !placed) {
            if (r->place != 0) r->place = 0;
            continue;
        }
        entries.push_back({rule.group(*r), rule.value(*r), i, counted, placed});
        if (placed) placed_slots.push_back(i);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.group != b.group ? a.group < b.group : a.value < b.value;
    });

    std::vector<std::uint16_t> place_of(static_cast<std::size_t>(used), 0);
    int counted_in_group = 0;
    int counted_below_value = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        const bool new_group = k == 0 || e.group != entries[k - 1].group;
        if (new_group) counted_in_group = 0;
        if (new_group || e.value != entries[k - 1].value) counted_below_value = counted_in_group;
        if (e.placed)
            place_of[static_cast<std::size_t>(e.slot)] =
                static_cast<std::uint16_t>(counted_below_value + 1);
        if (e.counted) ++counted_in_group;
    }
    for (std::size_t k = 0; k < placed_slots.size(); ++k) {
        if (k + kFetchAhead < placed_slots.size())
            __builtin_prefetch(&t[placed_slots[k + kFetchAhead]]->place);
        Runner* r = t[placed_slots[k]];
        const std::uint16_t place = place_of[static_cast<std::size_t>(placed_slots[k])];
        if (r->place != place) r->place = place;
    }
}

}  // namespace skarvel
