// recount_tables and recompute_finish_results against a plain, slow reading of their rules,
// on demo competitions roughened with the awkward cases: duplicated ids and numbers, missing
// classes and clubs, set-aside runners, lines for unknown or negative numbers, lines without
// a time, statuses and penalties.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "core/demo_competition.h"
#include "core/time_text.h"

using namespace skarvel;

namespace {

template <class R>
R* first_by_id(const Table<R>& t, int id) {
    for (int i = 0; i < t.capacity(); ++i)
        if (R* r = t[i]; r && r->id == id) return r;
    return nullptr;
}

struct Counters {
    std::map<const void*, std::array<int, 3>> by_record;
};

// The rules as written, one runner and one line at a time.
Counters reference_recount(Competition& c) {
    Counters out;
    auto& t = c.tables;
    for (int i = 0; i < t.clubs.capacity(); ++i)
        if (t.clubs[i]) out.by_record[t.clubs[i]] = {0, 0, 0};
    for (int i = 0; i < t.classes.capacity(); ++i)
        if (t.classes[i]) out.by_record[t.classes[i]] = {0, 0, 0};
    for (int i = 0; i < t.courses.capacity(); ++i)
        if (t.courses[i]) out.by_record[t.courses[i]] = {0, 0, 0};
    auto add = [&](const void* rec, int field, int v) { out.by_record[rec][field] += v; };
    for (int i = 0; i < t.runners.capacity(); ++i) {
        const Runner* r = t.runners[i];
        if (!r) continue;
        int m = r->marked ? 1 : 0;
        if (ClassRecord* k = first_by_id(t.classes, r->class_id)) {
            add(k, 0, 1);
            add(k, 2, m);
            if (Course* d = first_by_id(t.courses, k->course_id)) {
                add(d, 0, 1);
                add(d, 2, m);
            }
        }
        if (Club* k = first_by_id(t.clubs, r->club_id)) {
            add(k, 0, 1);
            add(k, 2, m);
        }
    }
    c.rebuild_number_index();
    for (int i = 0; i < t.finish_lines.capacity() && t.finish_lines[i]; ++i) {
        int n = t.finish_lines[i]->start_number;
        if (n <= 0) continue;
        const Runner* r = c.runner_by_number(n);
        if (!r) continue;
        if (ClassRecord* k = first_by_id(t.classes, r->class_id)) {
            add(k, 1, 1);
            if (Course* d = first_by_id(t.courses, k->course_id)) add(d, 1, 1);
        }
        if (Club* k = first_by_id(t.clubs, r->club_id)) add(k, 1, 1);
    }
    return out;
}

void roughen(Competition& c, std::uint32_t seed) {
    std::mt19937 rng(seed);
    auto& t = c.tables;
    int runners = t.runners.live_count();
    for (int i = 0; i < runners; ++i) {
        Runner& r = *t.runners[i];
        switch (rng() % 12) {
            case 0:
                r.class_id = static_cast<std::int16_t>(rng() % 40 - 5);
                break;  // maybe none
            case 1:
                r.club_id = static_cast<std::int16_t>(rng() % 40 - 5);
                break;
            case 2:
                r.start_number = static_cast<std::uint16_t>(1 + rng() % runners);
                break;  // duplicates
            case 3:
                r.marked = 1;
                break;
            case 4:
                r.status = static_cast<std::uint8_t>(rng() % 9);
                break;
            case 5:
                r.penalty = static_cast<std::uint16_t>(rng() % 20);
                break;
            case 6:
                r.start_number = 0;
                break;
            default:
                break;
        }
    }
    // Duplicated ids: the first in slot order counts.
    t.clubs[2]->id = t.clubs[1]->id;
    t.classes[3]->id = t.classes[0]->id;
    t.classes[4]->course_id = 999;
    // A runner set aside behind empty slots.
    t.runners.slot(runners + 5) = std::make_unique<Runner>(*t.runners[0]);
    t.runners.slot(runners + 5)->start_number = 4;
    // Odd finish lines.
    auto line = [&](int number, int time) {
        FinishLine& f = *t.finish_lines[c.new_record(kFinishLines)];
        f.start_number = static_cast<std::int16_t>(number);
        f.set_time(time);
    };
    line(-3, 4000000);
    line(0, 4000000);
    line(29999, 4100000);
    line(32000, 4100000);
    line(5, 0);
    line(5, 4200000);
    line(6, 4300000);
    line(6, 0);
    // A runner whose number changed after the index was built keeps its index entry.
    c.rebuild_number_index();
    t.runners[7]->start_number = 0;
}

}  // namespace

TEST(Recount, MatchesTheRulesOnAwkwardData) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        Competition c;
        DemoOptions o;
        o.runners = 400;
        o.seed = seed;
        make_demo_competition(c, o);
        roughen(c, seed);
        c.info.competition_kind = seed % 2 ? kKindMarkedMinutes : kKindCourseOrder;
        Counters want = reference_recount(c);
        c.recount_tables();
        for (auto& [rec, counts] : want.by_record) {
            // Every counted record type has the three counters at the same names.
            const void* p = rec;
            std::array<int, 3> got{};
            bool found = false;
            auto check = [&](auto& table) {
                for (int i = 0; i < table.capacity(); ++i)
                    if (table[i] == p) {
                        got = {table[i]->runner_count, table[i]->finish_line_count,
                               table[i]->marked_count};
                        found = true;
                    }
            };
            check(c.tables.clubs);
            check(c.tables.classes);
            check(c.tables.courses);
            ASSERT_TRUE(found);
            EXPECT_EQ(got, counts) << "seed " << seed;
        }
    }
}

TEST(Recount, FinishResultsMatchTheRulesOnAwkwardData) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        Competition c;
        DemoOptions o;
        o.runners = 400;
        o.seed = seed;
        make_demo_competition(c, o);
        roughen(c, seed);
        c.info.competition_kind = seed % 2 ? kKindMarkedMinutes : kKindCourseOrder;
        auto& t = c.tables;
        // The rules line by line.
        std::map<const Runner*, std::pair<int, int>> want;
        std::vector<int> counts(kNumberIndexSize, 0);
        for (int i = 0; i < t.runners.capacity(); ++i)
            if (t.runners[i]) want[t.runners[i]] = {0, 0};
        for (int i = 0; i < t.finish_lines.capacity() && t.finish_lines[i]; ++i) {
            const FinishLine& f = *t.finish_lines[i];
            if (f.start_number <= 0) continue;
            const Runner* r = c.runner_by_number(f.start_number);
            if (r && r->start_number != 0) ++counts[f.start_number];
            if (f.time() == 0 || !r) continue;
            std::int64_t res = r->status != 0
                                   ? std::int64_t(r->status) * kDay + r->start_number * 100
                               : c.info.competition_kind == kKindMarkedMinutes
                                   ? std::int64_t(f.time()) + r->penalty * 6000 - r->start_time
                                   : std::int64_t(f.time()) - r->start_time;
            want[r] = {f.time(), static_cast<std::int32_t>(res)};
        }
        c.recompute_finish_results();
        for (auto& [r, v] : want) {
            EXPECT_EQ(r->finish_time, v.first) << "seed " << seed;
            EXPECT_EQ(r->result, v.second) << "seed " << seed;
        }
        for (int n = 0; n < kNumberIndexSize; ++n)
            ASSERT_EQ(c.finish_count_by_number[n], counts[n]) << n;
    }
}
