#include "core/finish_results.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace skarvel {

void finish_data_changed(Competition& c) {
    // The records changed by other hands: every index over them is to be built again.
    c.bump_generation();
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

bool place_entry_of(const Competition& c, Runner& r, PlaceEntry& out) {
    const PlaceRule rule(c);
    const bool counted = PlaceRule::counts(r);
    const bool placed = rule.placed(r);
    if (!counted && !placed) return false;
    out = PlaceEntry{rule.group(r), rule.value(r), r.place, counted, placed, &r};
    return true;
}

bool place_entry_less(const PlaceEntry& a, const PlaceEntry& b) {
    return a.group != b.group ? a.group < b.group : a.value < b.value;
}

bool lap_entry_of(const Competition& c, Runner& r, LapEntry& out) {
    const int n = r.start_number;
    if (n <= 0 || n >= kNumberIndexSize || c.number_index[n] != &r) return false;
    const int laps = c.finish_count_by_number[n];
    if (laps <= 0) return false;
    out.group = lap_group_key(r.class_id, laps);
    out.result = r.result;
    out.leads = !r.out_of_competition && r.finish_time != 0 && r.result != 0;
    out.ranked = !r.out_of_competition && result_is_time(r);
    out.runner = &r;
    return true;
}

bool lap_entry_less(const LapEntry& a, const LapEntry& b) {
    return a.group != b.group ? a.group < b.group : a.result < b.result;
}

namespace {

// Recomputes the places of the group that starts at `begin` of the sorted entries, writing
// the places that changed into the runners; returns the end of the group.
std::size_t assign_group_places(std::vector<PlaceEntry>& entries, std::size_t begin) {
    const std::int64_t group = entries[begin].group;
    int counted_in_group = 0;
    int counted_below_value = 0;
    std::size_t k = begin;
    for (; k < entries.size() && entries[k].group == group; ++k) {
        PlaceEntry& e = entries[k];
        if (k == begin || e.value != entries[k - 1].value) counted_below_value = counted_in_group;
        if (e.placed) {
            const auto place = static_cast<std::uint16_t>(counted_below_value + 1);
            if (e.place != place) {
                e.place = place;
                e.runner->place = place;
            }
        }
        if (e.counted) ++counted_in_group;
    }
    return k;
}

std::size_t group_begin(const std::vector<PlaceEntry>& entries, std::int64_t group) {
    auto it = std::lower_bound(entries.begin(), entries.end(), group,
                               [](const PlaceEntry& e, std::int64_t g) { return e.group < g; });
    return static_cast<std::size_t>(it - entries.begin());
}

// Removes a runner's entry (found by its group and value); false when it is not there.
template <class E>
bool erase_entry(std::vector<E>& entries, const E& entry, bool (*less)(const E&, const E&)) {
    auto range = std::equal_range(entries.begin(), entries.end(), entry, less);
    for (auto it = range.first; it != range.second; ++it)
        if (it->runner == entry.runner) {
            entries.erase(it);
            return true;
        }
    return false;
}

}  // namespace

void assign_finish_places(Competition& c) {
    const PlaceRule rule(c);
    // One walk gathers every runner who can be better than another (counted) or has a place of
    // his own (placed) with his group and value. Sorted by group and value, one pass gives each
    // placed runner 1 + the counted runners of his group below his value; the places are then
    // written in slot order. (The runners are records of their own: fetch a few ahead.) The
    // sorted entries are kept (LiveIndexes::place_entries) for the card reader's updates.
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

    std::vector<PlaceEntry>& kept = c.live.place_entries();
    kept.clear();
    kept.reserve(entries.size());
    for (const Entry& e : entries)
        kept.push_back(PlaceEntry{e.group, e.value, place_of[static_cast<std::size_t>(e.slot)],
                                  e.counted, e.placed, t[e.slot]});
    c.live.stamp_places();
}

RunnerUpdate::RunnerUpdate(Competition& c, int start_number)
    : c_(c),
      number_(start_number),
      runner_(c.runner_by_number(start_number)),
      places_fresh_(c.live.places_fresh()),
      laps_fresh_(c.live.laps_fresh()),
      place_builds_(c.live.place_builds()),
      lap_builds_(c.live.lap_builds()),
      generation_(c.generation()),
      runners_revision_(c.tables.runners.revision()) {
    if (!runner_) return;
    placed_before_ = place_entry_of(c, *runner_, place_before_);
    lapped_before_ = lap_entry_of(c, *runner_, lap_before_);
}

void RunnerUpdate::line_appended(std::int32_t time) {
    ++lines_;
    if (time != 0) last_time_ = time;
}

void RunnerUpdate::commit() {
    LiveIndexes& live = c_.live;
    // Anything else that changed since the update began (a dialog's event loop runs timers,
    // a runner may have been made) leaves no difference to apply: recompute everything.
    if (everything_ || !places_fresh_ || c_.generation() != generation_ ||
        c_.tables.runners.revision() != runners_revision_ || live.place_builds() != place_builds_) {
        finish_data_changed(c_);
        return;
    }
    if (!runner_) return;  // the number's line counts for nobody

    Runner& r = *runner_;
    c_.finish_count_by_number[number_] += lines_;
    if (last_time_ != 0) r.finish_time = last_time_;
    r.result = r.finish_time != 0 ? c_.result_of(r, r.finish_time) : 0;

    std::vector<PlaceEntry>& places = live.place_entries();
    if (placed_before_ && !erase_entry(places, place_before_, place_entry_less)) {
        finish_data_changed(c_);  // the kept places did not hold this runner as they should
        return;
    }
    PlaceEntry after;
    const bool placed_after = place_entry_of(c_, r, after);
    if (placed_after)
        places.insert(std::upper_bound(places.begin(), places.end(), after, place_entry_less),
                      after);
    else if (r.place != 0)
        r.place = 0;
    if (placed_before_) {
        const std::size_t b = group_begin(places, place_before_.group);
        if (b < places.size() && places[b].group == place_before_.group)
            assign_group_places(places, b);
    }
    if (placed_after && !(placed_before_ && place_before_.group == after.group))
        assign_group_places(places, group_begin(places, after.group));

    if (!laps_fresh_ || live.lap_builds() != lap_builds_) {
        live.forget_laps();
        return;
    }
    std::vector<LapEntry>& laps = live.lap_entries_kept();
    if (lapped_before_ && !erase_entry(laps, lap_before_, lap_entry_less)) {
        live.forget_laps();
        return;
    }
    LapEntry lap_after;
    if (lap_entry_of(c_, r, lap_after))
        laps.insert(std::upper_bound(laps.begin(), laps.end(), lap_after, lap_entry_less),
                    lap_after);
}

LapFigures lap_figures(const Competition& c, std::int32_t class_id, int laps) {
    LapFigures out;
    if (laps <= 0) return out;
    const std::vector<LapEntry>& entries = c.live.lap_entries();
    LapEntry key;
    key.group = lap_group_key(class_id, laps);
    auto [lo, hi] =
        std::equal_range(entries.begin(), entries.end(), key,
                         [](const LapEntry& a, const LapEntry& b) { return a.group < b.group; });
    out.finishers = static_cast<int>(hi - lo);
    // Sorted by result: the first of each kind leads (statuses sort last, by their large
    // results, so the walk is short).
    for (auto it = lo; it != hi && !(out.has_leader && out.has_ranked_leader); ++it) {
        if (it->leads && !out.has_leader) {
            out.has_leader = true;
            out.leader = it->result;
        }
        if (it->ranked && !out.has_ranked_leader) {
            out.has_ranked_leader = true;
            out.ranked_leader = it->result;
        }
    }
    return out;
}

std::int32_t finish_gap_of(Competition& c, const Runner& r) {
    const PlaceRule rule(c);
    if (!rule.placed(r)) return 0;
    const std::int64_t group = rule.group(r);
    const std::int32_t value = rule.value(r);
    const std::vector<PlaceEntry>& entries = c.live.place_entries();
    // Sorted by value within the group: the first runner below who counts is placed first.
    for (std::size_t k = group_begin(entries, group);
         k < entries.size() && entries[k].group == group && entries[k].value < value; ++k)
        if (entries[k].counted) return value - entries[k].value;
    return 0;
}

}  // namespace skarvel
