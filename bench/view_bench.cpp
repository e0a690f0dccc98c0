// One repaint of the list view at full table capacity, into an image: the recount of the
// tables and the drawing of the visible rows. Scrolling calls this once per step, so it must
// stay well under a frame (16 ms). The "AfterChange" cases add finish_data_changed, the work
// every card, click or typed number does before the next repaint: the two together must
// still fit in a frame.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <memory>

#include "app/skarvel_view.h"
#include "core/competition.h"
#include "core/finish_results.h"
#include "core/list_ops.h"
#include "core/prompts.h"

namespace {

using namespace skarvel;

std::unique_ptr<Competition> full_competition() {
    auto c = std::make_unique<Competition>();
    for (int i = 0; i < 200; ++i) {
        auto k = std::make_unique<ClassRecord>();
        k->id = i + 1;
        std::snprintf(k->name, sizeof k->name, "M%d", i + 10);
        k->course_id = static_cast<std::int16_t>(i % 50 + 1);
        c->tables.classes.slot(i) = std::move(k);
    }
    for (int i = 0; i < 50; ++i) {
        auto d = std::make_unique<Course>();
        d->id = i + 1;
        std::snprintf(d->name, sizeof d->name, "D%d", i + 1);
        c->tables.courses.slot(i) = std::move(d);
    }
    for (int i = 0; i < 1000; ++i) {
        auto k = std::make_unique<Club>();
        k->id = i + 1;
        std::snprintf(k->name, sizeof k->name, "Club %d", i + 1);
        c->tables.clubs.slot(i) = std::move(k);
    }
    for (int i = 0; i < kRunnerCapacity; ++i) {
        auto r = std::make_unique<Runner>();
        r->id = i + 1;
        std::snprintf(r->name, sizeof r->name, "Runner %05d", (i * 7919) % kRunnerCapacity);
        r->start_number = static_cast<std::uint16_t>(i + 1);
        r->class_id = static_cast<std::int16_t>(i % 200 + 1);
        r->club_id = static_cast<std::int16_t>(i % 1000 + 1);
        r->card_number = 2000000 + i;
        r->start_time = 10 * 360000 + i * 100;
        r->birth_year = static_cast<std::uint16_t>(1960 + i % 50);
        r->fee_flags = (i % 3 == 0) ? Runner::kFeeOwnCard : 0;
        r->marked = i % 5 == 0;
        c->tables.runners.slot(i) = std::move(r);
    }
    for (int i = 0; i < kFinishLineCapacity; ++i) {
        auto f = std::make_unique<FinishLine>();
        f->start_number = static_cast<std::int16_t>(i + 1);
        f->set_time(11 * 360000 + i * 50);
        c->tables.finish_lines.slot(i) = std::move(f);
    }
    for (int i = 0; i < kCardReadoutCapacity; ++i) {
        auto k = std::make_unique<CardReadout>();
        k->card_number = 2000000 + (i * 7) % kRunnerCapacity;
        k->start_number = static_cast<std::uint16_t>(i % kRunnerCapacity + 1);
        k->punch_count = 0;
        c->tables.card_readouts.slot(i) = std::move(k);
    }
    finish_data_changed(*c);
    return c;
}

void repaint(benchmark::State& state, int table, bool at_end, bool after_change = false) {
    auto c = full_competition();
    ScriptedPrompts prompts;
    CSkarvelView view(*c, prompts);
    view.resize(1400, 800);
    view.show_table(table);
    if (at_end) view.set_cursor_row(table_capacity(*c, table) - 1);
    QImage image(1400, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        if (after_change) finish_data_changed(*c);
        QPainter p(&image);
        view.render_to(p, image.rect());
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["rows"] = view.visible_row_count();
}

void BM_RepaintRunnersTop(benchmark::State& s) {
    repaint(s, kRunners, false);
}
void BM_RepaintRunnersEnd(benchmark::State& s) {
    repaint(s, kRunners, true);
}
void BM_RepaintFinishEnd(benchmark::State& s) {
    repaint(s, kFinishLines, true);
}
void BM_RepaintRunnersAfterChange(benchmark::State& s) {
    repaint(s, kRunners, true, true);
}
void BM_RepaintFinishAfterChange(benchmark::State& s) {
    repaint(s, kFinishLines, true, true);
}
void BM_RepaintCardReadoutsEnd(benchmark::State& s) {
    repaint(s, kCardReadouts, true);
}
BENCHMARK(BM_RepaintRunnersTop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintRunnersAfterChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintFinishAfterChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintCardReadoutsEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintRunnersEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintFinishEnd)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
