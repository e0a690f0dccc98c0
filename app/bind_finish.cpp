// Handlers of the finish-list and split-printout commands, and the right mouse button of the
// list view (the finish judge's clock registration).
#include "app/bind_finish.h"

#include <memory>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/wdb_file.h"
#include "platform/stall_scope.h"
#include "punch/finish_list.h"
#include "punch/result_plate.h"
#include "punch/split_sheet.h"
#include "punch/ui/finish_dialogs.h"

namespace skarvel {

namespace {

// Choices that last until the program ends.
struct FinishSession {
    bool recheck_on_rebuild = false;  // "Перепроверить отметку"
    SplitRangeState split_range;      // "Печать информашек"
};

}  // namespace

CompetitionSaver competition_saver(AppContext& ctx) {
    return CompetitionSaver{[&ctx] { return !ctx.file_path().empty(); },
                            [&ctx] { return ctx.frame.saver().request(); }};
}

void bind_finish_commands(AppContext& ctx) {
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    Competition& c = ctx.competition;
    using C = CommandId;
    auto session = std::make_shared<FinishSession>();
    auto env =
        std::make_shared<ReportEnv>(ReportEnv{ctx.prompts, ctx.state.printer, ctx.state.shell});
    CompetitionSaver saver = competition_saver(ctx);
    auto english = [&ctx] { return ctx.lang().english(); };
    auto report_full = [&ctx](bool full) {
        if (full) ctx.prompts.message(ctx.prompts.text(Txt::kFinishTableFull));
    };

    v.set_right_button_handler([&ctx, &c, saver](bool) {
        StallScope named("finish click");
        int slot = register_clock_time(c, ctx.program_clock());
        if (slot == kNoSlot) {
            ctx.prompts.message(ctx.prompts.text(Txt::kFinishTableFull));
            return;
        }
        ctx.journal_finish_line(slot);
        ctx.mark_modified();
        ctx.repaint();
        StallScope saving("finish autosave");
        autosave_finish(c, saver, ctx.prompts);
    });

    cmd.bind(
        C::kFinishAutosave,
        [&ctx, &c, saver] {
            std::uint8_t before = c.info.finish_autosave;
            toggle_finish_autosave(c, saver, ctx.prompts);
            if (c.info.finish_autosave != before) ctx.mark_modified();
        },
        [&c] {
            return CommandState{true, c.info.finish_autosave != 0};
        });

    cmd.bind(C::kExportFinish, [&ctx, &c] { export_finish_file(c, ctx.prompts, ctx.lang()); });

    cmd.bind(C::kImportFinish, [&ctx, &c, &v] {
        if (!import_finish_file(c, ctx.prompts)) return;
        ctx.mark_modified();
        v.show_table(kFinishLines);
    });

    cmd.bind(C::kPrepareFinish, [&ctx, &c, &v, english] {
        FinishPreparationDialog dialog(english(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        prepare_finish(c, dialog.options());
        ctx.mark_modified();
        v.show_table(kFinishLines);
        v.first_row();
    });

    cmd.bind(C::kRebuildFinish, [&ctx, &c, session, english, report_full] {
        RebuildOptions initial{c.info.start_source, c.info.finish_source,
                               session->recheck_on_rebuild};
        RebuildFinishDialog dialog(initial, english(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        RebuildOptions o = dialog.options();
        session->recheck_on_rebuild = o.recheck;
        RebuildResult r = rebuild_finish_from_readouts(c, o, ctx.prompts);
        ctx.mark_modified();
        report_full(r.table_full);
    });

    cmd.bind(C::kStartersByCard, [&ctx, &c] {
        if (enter_starters_file(c, ctx.prompts)) ctx.mark_modified();
    });

    cmd.bind(C::kFinishFromReadouts, [&ctx, &c, report_full] {
        GenerateResult r = generate_finish_from_readouts(c);
        ctx.mark_modified();
        report_full(r.table_full);
    });

    cmd.bind(
        C::kResultPlate,
        [&c, &v, env] {
            if (print_result_plate(c, *env)) v.set_cursor_row(c.view.cursor[kFinishLines]);
        },
        [&c, &v] {
            return CommandState{v.shown_table() == kFinishLines && !v.finish_entry_active() &&
                                c.tables.finish_lines[v.cursor_row()] != nullptr};
        });

    cmd.bind(
        C::kPrintSplits,
        [&ctx, &c, &v, session, env, english] {
            SplitRangeDialog dialog(session->split_range, english(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            SplitRangeState state = dialog.state();
            // "0" starts at the list view's current row, whatever table is on show.
            int current = v.cursor_row();
            bool was_modified = c.modified;
            print_split_range(c, state, current, *env);
            session->split_range = state;
            if (c.modified && !was_modified) ctx.mark_modified();
        },
        [&c] { return CommandState{c.tables.card_readouts[0] != nullptr}; });

    cmd.bind(C::kPrintExtractsSorted, [&ctx, &c, env] {
        bool was_modified = c.modified;
        print_splits_by_runner_order(c, *env);
        if (c.modified && !was_modified) ctx.mark_modified();
    });
}

}  // namespace skarvel
