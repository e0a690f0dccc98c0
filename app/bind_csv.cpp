// Handlers of the CSV commands: the entry list import under File > Import, the two imports of
// the handheld recorder's CSV and the two on-line CSV exports.
#include <utility>

#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "exchange/csv_exchange.h"

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
}

}  // namespace skarvel
