// Handlers of the CSV commands: the entry list import under File > Import, the two imports of
// the handheld recorder's CSV, the two on-line CSV exports, and the course control orders.
#include <memory>
#include <utility>

#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "exchange/control_orders.h"
#include "exchange/csv_exchange.h"
#include "exchange/ui/control_order_dialog.h"

namespace skarvel {

void bind_csv_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    auto idle = [&v] { return CommandState{!v.finish_entry_active()}; };
    cmd.bind(
        C::kImportCsv,
        [&ctx] {
            if (run_import_entries_csv(ctx.competition, ctx.prompts)) ctx.mark_modified();
        },
        idle);
    for (auto [id, penalty] : {std::pair{C::kImportPalm, false}, std::pair{C::kImportPalm2, true}})
        cmd.bind(
            id,
            [&ctx, penalty] {
                if (run_import_handheld_csv(ctx.competition, ctx.prompts, penalty))
                    ctx.mark_modified();
            },
            idle);
    cmd.bind(
        C::kOnlineExportCsv, [&ctx] { run_export_online_csv(ctx.competition, ctx.prompts); }, idle);
    cmd.bind(
        C::kOnlineExportCsvRelay,
        [&ctx] { run_export_relay_online_csv(ctx.competition, ctx.prompts, ctx.state.shell); },
        idle);
    // The relay scale chosen last is proposed again while the program runs.
    auto relay_scale = std::make_shared<int>(100);
    cmd.bind(
        C::kImportOcad8,
        [&ctx, relay_scale] {
            ControlOrderDialog dialog(*relay_scale, ctx.lang().english(), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            *relay_scale = dialog.relay_number_scale();
            if (!run_import_control_orders(ctx.competition, *relay_scale, ctx.prompts)) return;
            ctx.mark_modified();
            ctx.repaint();
        },
        idle);
}

}  // namespace skarvel
