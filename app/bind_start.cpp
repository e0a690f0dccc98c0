// Binds the start commands: numbers, start times, the draw, the smaller runner operations, F4
// on the finish table and the start protocol. Each command shows its dialog (start/ui), runs
// the plain function (start/) and marks the competition modified when records changed.
#include <memory>

#include "app/app_context.h"
#include "app/bind_exchange.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "results/report_output.h"
#include "start/start_list.h"
#include "start/start_ops.h"
#include "start/ui/start_dialogs.h"

namespace skarvel {

void bind_start_commands(AppContext& ctx) {
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    Competition& c = ctx.competition;
    using C = CommandId;
    // What the start commands remember until the program ends (group size, shift, the
    // renumbering and heat dialogs' last values, relay first-leg times).
    auto session = std::make_shared<StartSession>();
    auto heat_range = std::make_shared<HeatRangeOptions>();

    auto en = [&ctx] { return ctx.lang().english(); };
    auto current = [&c] { return c.tables.runners.live_count(); };
    auto runners_shown = [&v] { return v.shown_table() == kRunners && !v.finish_entry_active(); };
    auto runners_with = [runners_shown, current](int n) {
        return
            [runners_shown, current, n] { return CommandState{runners_shown() && current() >= n}; };
    };
    auto done = [&ctx](bool changed) {
        if (changed) ctx.mark_modified();
    };

    // F4: numbers on the runner table; on the finish table it cycles the status of the runner
    // named by the current finish line.
    cmd.bind(
        C::kSetStartNumbers,
        [&ctx, &v, &c, en, done] {
            if (v.shown_table() == kFinishLines) {
                if (!v.finish_entry_active()) done(cycle_finish_status(c, v.cursor_row()));
                return;
            }
            NumberingDialog dialog(c.info, en(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            done(assign_numbers(c, dialog.options(), ctx.prompts) == NumberingResult::Done);
        },
        [&v, &c, runners_shown, current] {
            if (v.shown_table() == kFinishLines)
                return CommandState{!v.finish_entry_active() &&
                                    c.tables.finish_lines[v.cursor_row()] != nullptr};
            return CommandState{runners_shown() && current() >= 1};
        });

    cmd.bind(
        C::kSetStartTimes,
        [&ctx, &c, session, en, done] {
            StartTimeDialog dialog(c.info, session->group_size, en(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            StartTimeOptions o = dialog.options();
            session->group_size = o.group_size;
            assign_start_times(c, o);
            done(true);
        },
        runners_with(1));

    cmd.bind(
        C::kDraw,
        [&ctx, &c, en, done] {
            DrawDialog dialog(c.info, en(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            draw_start_order(c, dialog.options(), ctx.state.rand15, ctx.prompts);
            done(true);
        },
        runners_with(2));

    cmd.bind(
        C::kShiftStartTimes,
        [&ctx, &c, session, en, done] {
            ShiftDialog dialog(*session, c.info.time_precision, en(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            ShiftOptions o = dialog.options();
            session->shift_interval = o.interval;
            session->shift_subtract = o.subtract;
            shift_start_times(c, o);
            done(true);
        },
        runners_with(1));

    cmd.bind(
        C::kClearSeconds, [&ctx, &c, done] { done(truncate_start_seconds(c, ctx.prompts)); },
        [runners_shown] { return CommandState{runners_shown()}; });

    cmd.bind(C::kCopyResultToStart,
             [&ctx, &c, done] { done(copy_result_to_start(c, ctx.prompts)); });

    // The heat dialog opens again after every OK with the same values, until Cancel.
    cmd.bind(
        C::kSetRound,
        [&ctx, &c, heat_range, en, done] {
            for (;;) {
                HeatRangeDialog dialog(*heat_range, en(), ctx.parent());
                if (dialog.exec() != QDialog::Accepted) return;
                *heat_range = dialog.options();
                done(assign_heat_by_numbers(c, *heat_range) > 0);
                ctx.repaint();
            }
        },
        runners_with(1));

    cmd.bind(C::kChangeNumber, [&ctx, &c, session, en, done] {
        c.rebuild_number_index();
        for (;;) {
            RenumberDialog dialog(
                {session->renumber_old, session->renumber_new},
                [&c](int n) { return runner_name_for_number(c, n); }, en(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            RenumberOptions o = dialog.options();
            session->renumber_old = o.old_number;
            session->renumber_new = o.new_number;
            done(change_start_number(c, o, ctx.prompts));
            ctx.repaint();
        }
    });

    // Reorders only (the list shows the doubled numbers from the top); not a modification.
    cmd.bind(
        C::kCheckDoubleNumbers, [&ctx, &c] { check_duplicate_numbers(c, ctx.prompts); },
        runners_with(2));

    cmd.bind(C::kCardToStartNumber,
             [&ctx, &c, done] { done(card_number_to_start_number(c, ctx.prompts)); });

    cmd.bind(
        C::kWorkWithMarked,
        [&ctx, &c, en, done] {
            BulkDialog dialog(c, en(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            apply_to_marked(c, dialog.options());
            done(true);
        },
        [runners_shown] { return CommandState{runners_shown()}; });

    // The start protocol: relay or individual by the competition's relay flag.
    cmd.bind(
        C::kPrintStartList,
        [&ctx, &c, session, en, done] {
            StartListSettings s = StartListSettings::from_info(c.info);
            s.relay_first_leg_times = session->relay_first_leg_times;
            ReportEnv env{ctx.prompts, ctx.state.printer, ctx.state.shell};
            if (c.info.relay) {
                RelayStartListDialog dialog(s, en(), ctx.parent());
                add_iof_export(dialog, ctx, IofExportKind::kStart);
                if (dialog.exec() != QDialog::Accepted) return;
                s = dialog.settings();
                s.store_relay(c.info);
                session->relay_first_leg_times = s.relay_first_leg_times;
                print_relay_start_list(c, s, env, en());
            } else {
                StartListDialog dialog(s, en(), ctx.parent());
                add_iof_export(dialog, ctx, IofExportKind::kStart);
                if (dialog.exec() != QDialog::Accepted) return;
                s = dialog.settings();
                s.store_individual(c.info);
                done(true);
                print_start_list(c, s, env);
            }
        },
        [&v, &c] {
            return CommandState{!v.finish_entry_active() && c.tables.runners.occupied_count() > 0};
        });
}

}  // namespace skarvel
