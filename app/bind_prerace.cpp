// Binds the pre-race printouts: entry extracts (one and two days), the credentials committee
// protocol, the start grid, the overview lists of clubs, classes and courses, runner cards and
// number bibs. Each shows its dialog (start/ui/prerace_dialogs), stores what the competition
// keeps, and runs the plain function.
#include <QApplication>
#include <QCheckBox>

#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "results/report_output.h"
#include "start/extracts.h"
#include "start/number_bibs.h"
#include "start/prerace_lists.h"
#include "start/runner_cards.h"
#include "start/ui/prerace_dialogs.h"

namespace skarvel {

void bind_prerace_commands(AppContext& ctx) {
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    Competition& c = ctx.competition;
    using C = CommandId;

    auto env = [&ctx] { return ReportEnv{ctx.prompts, ctx.state.printer, ctx.state.shell}; };
    auto with_runners = [&v, &c] {
        return CommandState{!v.finish_entry_active() && c.tables.runners.occupied_count() > 0};
    };
    auto idle = [&v] { return CommandState{!v.finish_entry_active()}; };

    for (bool two_day : {false, true}) {
        cmd.bind(
            two_day ? C::kPrintExtractsMk : C::kPrintExtracts,
            [&ctx, &c, env, two_day] {
                ExtractDialog dialog(ExtractOptions::from_info(c.info), ctx.lang(), ctx.parent());
                if (dialog.exec() != QDialog::Accepted) return;
                ExtractOptions o = dialog.options();
                o.store(c.info);
                ctx.mark_modified();
                ReportEnv e = env();
                print_extracts(c, o, e, two_day);
            },
            idle);
    }

    cmd.bind(
        C::kMandateReport,
        [&ctx, &c, env] {
            MandateDialog dialog(c.info.only_marked != 0, ctx.lang(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            c.info.only_marked = dialog.only_marked->isChecked() ? 1 : 0;
            ctx.mark_modified();
            ReportEnv e = env();
            print_mandate_protocol(c, c.info.only_marked != 0, e);
        },
        with_runners);

    cmd.bind(
        C::kChessList,
        [&ctx, &c] {
            StartGridDialog dialog(c, ctx.lang(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            std::uint8_t only = dialog.only_marked->isChecked() ? 1 : 0;
            if (only != c.info.only_marked) {
                c.info.only_marked = only;
                ctx.mark_modified();
            }
        },
        with_runners);

    const std::pair<C, OverviewList> lists[] = {{C::kPrintClubs, OverviewList::kClubs},
                                                {C::kPrintClasses, OverviewList::kClasses},
                                                {C::kPrintCourses, OverviewList::kCourses}};
    for (auto [id, which] : lists) {
        cmd.bind(
            id,
            [&c, env, which] {
                ReportEnv e = env();
                print_overview_list(c, which, e);
            },
            idle);
    }

    cmd.bind(
        C::kPrintRunnerCards,
        [&ctx, &c, env] {
            CardPrintDialog dialog(CardPrintOptions::from_info(c.info), ctx.lang(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            CardPrintOptions o = dialog.options();
            o.store(c.info);
            ctx.mark_modified();
            ReportEnv e = env();
            // The wait cursor while the sheets are made (not over the printer's file dialog or
            // the messages).
            print_runner_cards(c, o, e, [](bool busy) {
                if (busy)
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                else
                    QApplication::restoreOverrideCursor();
            });
        },
        idle);

    for (bool large : {false, true}) {
        cmd.bind(
            large ? C::kPrintBibsWoc : C::kPrintBibs2007,
            [&ctx, &c, env, large] {
                BibDialog dialog(BibOptions::initial(c.info), ctx.lang(), ctx.parent());
                if (dialog.exec() != QDialog::Accepted) return;
                ReportEnv e = env();
                print_number_bibs(c, dialog.options(), large, e);
            },
            idle);
    }
}

}  // namespace skarvel
