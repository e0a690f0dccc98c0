// Every way a finish line, a start time or a status changes leaves the finish table right at
// the next repaint: the paint only reads, so the result and place cells it shows must already
// be those of a full recomputation, and must be the expected ones.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/view_logic.h"
#include "core/finish_results.h"
#include "core/list_edit.h"
#include "core/record_edit.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/finish_list.h"
#include "punch/readout.h"
#include "start/start_ops.h"
#include "tests/core/competition_fixture.h"

namespace skarvel {
namespace {

using namespace skarvel::testing;
namespace v = skarvel::view;

constexpr std::int32_t T(int h, int m) {
    return h * kCentisPerHour + m * kCentisPerMinute;
}

// Runner A (card 7001) starts at 10:00 and finishes at 10:38 on every path; runner B (card
// 7002) starts at 10:05 and finished at 10:40. A has the longer run but crosses the line
// first: 2nd by result, 1st on a relay leg and in a handicap start.
enum class Kind { kIndividual, kRelay, kHandicap };

struct Race {
    std::unique_ptr<Competition> owner = std::make_unique<Competition>();
    Competition& c = *owner;
    Kind kind;
    int a, b;  // start numbers
    ScriptedPrompts prompts;

    explicit Race(Kind k) : kind(k) {
        a = k == Kind::kRelay ? 101 : 1;
        b = k == Kind::kRelay ? 102 : 2;
        if (k == Kind::kRelay) c.info.relay = 1;
        if (k == Kind::kHandicap) c.info.competition_kind = kKindHandicap;
        add_class(c, "M21", 1);
        Runner& ra = add_runner(c, "Alpha", a, 1, 0, 7001);
        Runner& rb = add_runner(c, "Bravo", b, 1, 0, 7002);
        ra.start_time = T(10, 0);
        rb.start_time = T(10, 5);
        add_line(c, b, T(10, 40));
        finish_data_changed(c);
    }
    Runner& A() { return *c.runner_by_number(a); }
    int line_of(int number) const {
        const auto& t = c.tables.finish_lines;
        int found = -1;
        for (int i = 0; i < t.capacity() && t[i]; ++i)
            if (t[i]->start_number == number && t[i]->time() != 0) found = i;
        return found;
    }
    CardReadout card_of_a() const {
        CardReadout k;
        k.card_number = 7001;
        k.start.time = T(10, 0);
        k.finish.time = T(10, 38);
        k.punch_count = 1;
        k.punches[0].code = 31;
        k.punches[0].time = T(10, 20);
        return k;
    }
};

// The result and place cells of a finish row, as the next paint shows them.
std::vector<std::string> shown(Competition& c, int slot) {
    v::RowContext ctx;
    v::prepare_paint(c, kFinishLines, ctx);
    auto cells = v::row_cells(c, kFinishLines, slot, ctx);
    if (cells.size() < 9) return {};
    return {cells[7].text, cells[8].text};
}

struct Path {
    const char* name;
    std::function<void(Race&)> setup;  // state before the change (results then recomputed)
    std::function<void(Race&)> change;
};

const std::vector<Path>& paths() {
    static const std::vector<Path> list = {
        {"card read", nullptr,
         [](Race& r) {
             PunchSettings s;
             s.finish_source = kSourceStation;
             ReadoutState state;
             process_card(r.c, r.card_of_a(), s, state, r.prompts, {});
         }},
        {"station memory record", nullptr,
         [](Race& r) { store_memory_record(r.c, 7001, T(10, 38), r.prompts); }},
        {"clock click on a numbered line", [](Race& r) { add_line(r.c, r.a, 0); },
         [](Race& r) { register_clock_time(r.c, T(10, 38)); }},
        {"typed number on a clocked line", [](Race& r) { add_line(r.c, 0, T(10, 38)); },
         [](Race& r) {
             FinishEntry e;
             int row = r.c.tables.finish_lines.live_count() - 1;
             for (char d : std::to_string(r.a)) e.digit(r.c, row, d - '0', r.prompts, false);
             e.enter(r.c, row, r.prompts, {});
         }},
        {"quick edit of the time", [](Race& r) { add_line(r.c, r.a, T(10, 50)); },
         [](Race& r) {
             r.prompts.texts = {std::string("10"), std::string("38"), std::string("0")};
             quick_edit_finish_time(r.c, r.c.tables.finish_lines.live_count() - 1, r.prompts, {});
         }},
        {"finish text import", nullptr,
         [](Race& r) {
             char line[64];
             std::snprintf(line, sizeof line, "%4d %11s %d\r\n", r.a, "10:38:00", 0);
             import_finish_text(r.c, line, false);
         }},
        {"rebuild from card readouts",
         [](Race& r) { *r.c.tables.card_readouts[r.c.new_record(kCardReadouts)] = r.card_of_a(); },
         [](Race& r) {
             RebuildOptions o;
             o.finish_source = 1;
             rebuild_finish_from_readouts(r.c, o, r.prompts);
         }},
        {"finish generated from card readouts",
         [](Race& r) { *r.c.tables.card_readouts[r.c.new_record(kCardReadouts)] = r.card_of_a(); },
         [](Race& r) { generate_finish_from_readouts(r.c); }},
        {"runner editor changes the start",
         [](Race& r) {
             r.A().start_time = T(9, 0);
             add_line(r.c, r.a, T(10, 38));
         },
         [](Race& r) {
             int slot = 0;
             RunnerForm f = runner_form(r.c, &r.A());
             f.start_time = "10:00:00";
             store_runner_form(r.c, slot, f, false);
         }},
        {"start times (F5)",
         [](Race& r) {
             r.A().start_time = T(9, 0);
             add_line(r.c, r.a, T(10, 38));
         },
         [](Race& r) {
             assign_start_times(r.c, {T(10, 0), T(0, 5), 1});
         }},
        {"shift of the start times",
         [](Race& r) {
             r.A().start_time -= T(1, 0);
             r.c.runner_by_number(r.b)->start_time -= T(1, 0);
             add_line(r.c, r.a, T(10, 38));
         },
         [](Race& r) {
             shift_start_times(r.c, {T(1, 0), false});
         }},
        {"deletion of a wrong line",
         [](Race& r) {
             add_line(r.c, r.a, T(10, 38));
             add_line(r.c, r.a, T(10, 59));
         },
         [](Race& r) {
             r.prompts.yes_no_answers = {true};
             delete_with_rules(r.c, kFinishLines, r.c.tables.finish_lines.live_count() - 1,
                               r.prompts, false);
         }},
        {"status cleared",
         [](Race& r) {
             add_line(r.c, r.a, T(10, 38));
             r.A().status = kStatusWrongPunch;
         },
         [](Race& r) { apply_status(r.c, r.a, kStatusOk, r.prompts, false); }},
        {"import from another competition file", nullptr,
         [](Race& r) {
             Competition other;
             add_line(other, r.a, T(10, 38));
             auto path =
                 std::filesystem::temp_directory_path() /
                 ("skarvel_paths_" + std::to_string(reinterpret_cast<std::uintptr_t>(&r)) + ".wdb");
             ASSERT_TRUE(save_wdb(other, path.string()));
             ImportWdbOptions o;
             o.runners_clubs_classes = o.courses = o.card_readouts = false;
             import_wdb(r.c, path.string(), o, r.prompts);
             std::filesystem::remove(path);
         }},
    };
    return list;
}

struct Case {
    Kind kind;
    int path;
};

class FinishPaths : public ::testing::TestWithParam<Case> {};

TEST_P(FinishPaths, TheNextRepaintShowsFreshResultsAndPlaces) {
    const Case k = GetParam();
    const Path& path = paths()[static_cast<std::size_t>(k.path)];
    SCOPED_TRACE(path.name);
    Race r(k.kind);
    if (path.setup) {
        path.setup(r);
        finish_data_changed(r.c);
    }
    path.change(r);

    int la = r.line_of(r.a), lb = r.line_of(r.b);
    ASSERT_GE(la, 0);
    ASSERT_GE(lb, 0);
    std::vector<std::string> a_cells = shown(r.c, la), b_cells = shown(r.c, lb);

    // What a full recomputation gives is what was shown.
    finish_data_changed(r.c);
    EXPECT_EQ(a_cells, shown(r.c, la));
    EXPECT_EQ(b_cells, shown(r.c, lb));

    // And it is right: A ran 38:00 and crossed the line at 10:38, B ran 35:00 and crossed at
    // 10:40. Relay legs and handicap starts rank by the clock at the finish.
    ASSERT_EQ(a_cells.size(), 2u);
    EXPECT_EQ(a_cells[0], "00:38:00");
    EXPECT_EQ(b_cells[0], "00:35:00");
    bool by_clock = k.kind != Kind::kIndividual;
    EXPECT_EQ(a_cells[1], by_clock ? "(1) 1/2" : "(1) 2/2");
    EXPECT_EQ(b_cells[1], by_clock ? "(1) 2/2" : "(1) 1/2");
}

std::vector<Case> all_cases() {
    std::vector<Case> v;
    for (Kind kind : {Kind::kIndividual, Kind::kRelay, Kind::kHandicap})
        for (int i = 0; i < static_cast<int>(paths().size()); ++i) v.push_back({kind, i});
    return v;
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    static const char* const kKinds[] = {"individual", "relay", "handicap"};
    std::string name = std::string(kKinds[static_cast<int>(info.param.kind)]) + "_" +
                       paths()[static_cast<std::size_t>(info.param.path)].name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryPath, FinishPaths, ::testing::ValuesIn(all_cases()), case_name);

}  // namespace
}  // namespace skarvel
