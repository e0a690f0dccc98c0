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

struct Ranked {
    std::int64_t group;
    std::int32_t value;
    bool operator<(const Ranked& o) const {
        return group != o.group ? group < o.group : value < o.value;
    }
};

int laps_of(const Competition& c, const Runner& r) {
    int n = r.start_number;
    return n > 0 && n < kNumberIndexSize ? c.finish_count_by_number[n] : 0;
}

}  // namespace

void assign_finish_places(Competition& c) {
    const bool relay = c.info.relay != 0;
    const bool by_clock = relay || c.info.competition_kind == kKindHandicap;
    auto group_of = [&](const Runner& r) -> std::int64_t {
        int second = relay ? leg_of_number(r.start_number) : laps_of(c, r);
        return (std::int64_t(r.class_id) << 32) | static_cast<std::uint32_t>(second);
    };
    auto value_of = [&](const Runner& r) { return by_clock ? r.finish_time : r.result; };

    // Every runner who can be better than another, sorted by group and value: the place of a
    // runner is then 1 + the entries of his group below his value (two binary searches).
    std::vector<Ranked> ranked;
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.used_end(); ++i) {
        const Runner* s = t[i];
        if (!s || s->out_of_competition || !result_is_time(*s)) continue;
        ranked.push_back({group_of(*s), value_of(*s)});
    }
    std::sort(ranked.begin(), ranked.end());

    for (int i = 0; i < t.used_end(); ++i) {
        Runner* r = t[i];
        if (!r) continue;
        std::uint16_t place = 0;
        int n = r->start_number;
        bool listed = n > 0 && n < kNumberIndexSize && c.number_index[n] == r &&
                      c.finish_count_by_number[n] > 0;
        if (listed && r->finish_time != 0 && r->result > 0) {
            std::int64_t g = group_of(*r);
            auto first = std::lower_bound(ranked.begin(), ranked.end(),
                                          Ranked{g, std::numeric_limits<std::int32_t>::min()});
            auto own = std::lower_bound(first, ranked.end(), Ranked{g, value_of(*r)});
            place = static_cast<std::uint16_t>(own - first + 1);
        }
        if (r->place != place) r->place = place;
    }
}

}  // namespace skarvel
