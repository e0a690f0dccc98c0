// Binds the multi-day commands: save the day's results, read a day file into a chosen day, the
// two forms of the multi-day protocol and the summary table. The dialogs' choices are kept
// until the program ends.
#include <QCheckBox>
#include <memory>

#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "results/multiday.h"
#include "results/ui/multiday_dialogs.h"
#include "start/ui/prerace_dialogs.h"

namespace skarvel {

namespace {
struct MultiDaySession {
    unsigned days = 1;
    bool handicap = false;
    int read_day = 0;
    bool summary_only_marked = false;
};
}  // namespace

void bind_multiday_commands(AppContext& ctx) {
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    Competition& c = ctx.competition;
    using C = CommandId;
    auto session = std::make_shared<MultiDaySession>();
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
        [&ctx, &c, session] {
            DayChoiceDialog dialog(session->read_day, ctx.lang(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            session->read_day = dialog.day();
            if (read_day_file(c, session->read_day, ctx.prompts)) ctx.mark_modified();
        },
        with_runners);

    for (bool places : {false, true}) {
        cmd.bind(
            places ? C::kMultiDayCalc2 : C::kMultiDayCalc,
            [&ctx, &c, session, env, places] {
                MultiDayDialog dialog(session->days, session->handicap, ctx.lang(), ctx.parent());
                if (dialog.exec() != QDialog::Accepted) return;
                session->days = dialog.days();
                session->handicap = dialog.handicap->isChecked();
                ReportEnv e = env();
                // The protocol rewrites every runner's multi-day total.
                if (multiday_protocol(c, e, session->days, session->handicap, places))
                    ctx.mark_modified();
            },
            with_runners);
    }

    cmd.bind(
        C::kMultiDaySummary,
        [&ctx, &c, session, env] {
            MandateDialog dialog(session->summary_only_marked, ctx.lang(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            session->summary_only_marked = dialog.only_marked->isChecked();
            ReportEnv e = env();
            summary_table(c, e, session->summary_only_marked);
        },
        with_runners);
}

}  // namespace skarvel
