// Handlers of the IOF XML commands: the imports under File > Import, the entry list and course
// data exports under File, and the export button of the start and result dialogs; and of the
// start-list and penalty text files (exchange/text_files.h).
#include "app/bind_exchange.h"

#include <QDialog>

#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "exchange/iof_commands.h"
#include "exchange/text_files.h"
#include "exchange/ui/iof_export_button.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

void add_iof_export(QDialog& dialog, AppContext& ctx, IofExportKind kind) {
    Txt text = kind == IofExportKind::kResults ? Txt::kIofExportResults : Txt::kIofExportStart;
    add_iof_export_button(dialog, ctx.text(text), [&ctx, kind] {
        run_iof_export(ctx.competition, ctx.prompts, ctx.lang(), kind);
    });
}

void bind_exchange_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    auto idle = [&v] { return CommandState{!v.finish_entry_active()}; };
    const std::pair<C, IofImportKind> imports[] = {
        {C::kIofImportEntries, IofImportKind::kEntries},
        {C::kIofImportCourses, IofImportKind::kCourses},
        {C::kIofImportClasses, IofImportKind::kClasses},
        {C::kIofImportStart, IofImportKind::kStart},
        {C::kIofImportResults, IofImportKind::kResults},
    };
    for (auto [id, kind] : imports)
        cmd.bind(
            id,
            [&ctx, kind] {
                if (run_iof_import(ctx.competition, ctx.prompts, ctx.lang(), kind))
                    ctx.mark_modified();
            },
            idle);
    const std::pair<C, IofExportKind> exports[] = {
        {C::kIofExportEntries, IofExportKind::kEntries},
        {C::kIofExportCourses, IofExportKind::kCourses},
    };
    for (auto [id, kind] : exports)
        cmd.bind(
            id, [&ctx, kind] { run_iof_export(ctx.competition, ctx.prompts, ctx.lang(), kind); },
            idle);

    // The start-list and penalty text files.
    cmd.bind(
        C::kExportStartList,
        [&ctx] { run_export_start_list(ctx.competition, ctx.prompts, ctx.lang()); }, idle);
    using Import = bool (*)(Competition&, Prompts&, const LanguageTable&, std::string*);
    const std::pair<C, Import> text_imports[] = {
        {C::kImportStartList, run_import_start_times},
        {C::kPenaltyFromFile, run_import_penalties},
    };
    for (auto [id, import] : text_imports)
        cmd.bind(
            id,
            [&ctx, import] {
                std::string summary;
                if (!import(ctx.competition, ctx.prompts, ctx.lang(), &summary)) return;
                ctx.mark_modified();
                ctx.repaint();
                ctx.show_status(qs(summary));
            },
            idle);
}

}  // namespace skarvel
