// Binds the card-number file commands: "Обнулить № карт", "присвоить № из файла...",
// "экспорт соответствия N, чипа", "Импорт N, ЧИП", "Чтение из памяти станций" and "Импорт CSV
// из VpConfig". The flows (questions, files, messages) are in exchange/card_numbers.h.
#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "exchange/card_numbers.h"

namespace skarvel {

void bind_card_file_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    Competition& c = ctx.competition;
    CSkarvelView& v = ctx.view;
    auto done = [&ctx](bool changed) {
        if (!changed) return;
        ctx.mark_modified();
        ctx.repaint();
    };
    // The two commands over the current runners need the runner table with a runner in it.
    auto runners_shown = [&v, &c] {
        return CommandState{v.shown_table() == kRunners && !v.finish_entry_active() &&
                            c.tables.runners.live_count() > 0};
    };
    cmd.bind(
        C::kClearCardNumbers,
        [&ctx, &c, done] { done(clear_card_numbers_command(c, ctx.prompts)); }, runners_shown);
    cmd.bind(
        C::kCardNumbersFromFile,
        [&ctx, &c, done] { done(card_numbers_from_file_command(c, ctx.prompts)); }, runners_shown);
    cmd.bind(C::kExportNumberCard, [&ctx, &c] { export_number_card_command(c, ctx.prompts); });
    cmd.bind(C::kImportNumberCard,
             [&ctx, &c, done] { done(import_number_card_command(c, ctx.prompts)); });
    cmd.bind(C::kReadStationMemory,
             [&ctx, &c, done] { done(station_csv_command(c, ctx.prompts)); });
    cmd.bind(C::kImportVpConfig, [&ctx, &c, done] { done(vpconfig_command(c, ctx.prompts)); });
}

}  // namespace skarvel
