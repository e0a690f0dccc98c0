// Binds the multi-day commands: save the day's results, read a day file into a chosen day, the
// two forms of the multi-day protocol and the summary table. The dialogs' choices are kept in
// the competition (the summary's choice is the mandate report's "only marked").
#include <QCheckBox>

#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "results/multiday.h"
#include "results/ui/multiday_dialogs.h"
#include "start/ui/prerace_dialogs.h"

namespace skarvel {

void bind_multiday_commands(AppContext& ctx) {
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    Competition& c = ctx.competition;
    using C = CommandId;
    auto env = [&ctx] { return ReportEnv{ctx.prompts, ctx.state.printer, ctx.state.shell}; };
    auto with_runners = [&v, &c] {
        return CommandState{!v.finish_entry_active() && c.tables.runners.occupied_count() > 0};
    };

    cmd.bind(
        C::kMultiDaySave,
        [&c, env] {
            ReportEnv e = env();
            save_day_file(c, e);
        },
        with_runners);

    cmd.bind(
        C::kMultiDayRead,
        [&ctx, &c] {
            DayChoiceDialog dialog(c.info.read_day, ctx.lang(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            c.info.read_day = static_cast<std::uint8_t>(dialog.day());
            ctx.mark_modified();
            read_day_file(c, c.info.read_day, ctx.prompts);
        },
        with_runners);

    for (bool places : {false, true}) {
        cmd.bind(
            places ? C::kMultiDayCalc2 : C::kMultiDayCalc,
            [&ctx, &c, env, places] {
                MultiDayDialog dialog(stored_multiday_days(c.info),
                                      c.info.export_handicap_start != 0, ctx.lang(), ctx.parent());
                if (dialog.exec() != QDialog::Accepted) return;
                store_multiday_days(c.info, dialog.days());
                c.info.export_handicap_start = dialog.handicap->isChecked() ? 1 : 0;
                // The protocol also rewrites every runner's multi-day total.
                ctx.mark_modified();
                ReportEnv e = env();
                multiday_protocol(c, e, dialog.days(), c.info.export_handicap_start != 0, places);
            },
            with_runners);
    }

    cmd.bind(
        C::kMultiDaySummary,
        [&ctx, &c, env] {
            MandateDialog dialog(c.info.only_marked != 0, ctx.lang(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            c.info.only_marked = dialog.only_marked->isChecked() ? 1 : 0;
            ctx.mark_modified();
            ReportEnv e = env();
            summary_table(c, e, c.info.only_marked != 0);
        },
        with_runners);
}

}  // namespace skarvel
