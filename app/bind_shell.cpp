// Handlers of the shell's own commands: the document commands, printer set-up, Import WDB,
// toolbar and status bar, language, About and Help.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

#include "app/app_context.h"
#include "app/dialogs/import_wdb_dialog.h"
#include "app/help_file.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/wdb_file.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

void run_import_wdb(AppContext& ctx);

void bind_shell_commands(AppContext& ctx) {
    CommandRegistry& cmd = ctx.commands;
    CMainFrame& frame = ctx.frame;
    using C = CommandId;

    cmd.bind(C::kNew, [&frame] {
        if (frame.maybe_save()) frame.new_competition();
    });
    cmd.bind(C::kOpen, [&ctx, &frame] {
        if (!frame.maybe_save()) return;
        auto path = ctx.prompts.choose_open_file(ctx.lang().text(Txt::kDocFilter));
        if (path && !path->empty()) frame.open_file(qpath(*path));
    });
    cmd.bind(C::kSave, [&frame] { frame.save(); });
    cmd.bind(C::kSaveAs, [&frame] { frame.save_as(); });
    for (int i = 0; i < UserSettings::kRecentCount; ++i) {
        auto id = static_cast<CommandId>(static_cast<int>(C::kRecentFile1) + i);
        cmd.bind(
            id, [&frame, i] { frame.open_recent(i); },
            [&ctx, i] { return CommandState{ctx.settings.recent_files().size() > i}; });
    }
    cmd.bind(C::kExit, [&frame] { frame.close(); });
    cmd.bind(C::kSelectPrinter, [&ctx] { ctx.state.printer.choose_printer(ctx.parent()); });
    cmd.bind(C::kImportWdb, [&ctx] { run_import_wdb(ctx); });

    cmd.bind(
        C::kToolbar, [&frame] { frame.tool_bar()->setVisible(!frame.tool_bar()->isVisible()); },
        [&frame] {
            return CommandState{true, !frame.tool_bar()->isHidden()};
        });
    cmd.bind(
        C::kStatusBar, [&frame] { frame.statusBar()->setVisible(!frame.statusBar()->isVisible()); },
        [&frame] {
            return CommandState{true, !frame.statusBar()->isHidden()};
        });

    cmd.bind(
        C::kEnglish,
        [&ctx, &frame] {
            ctx.settings.set_lang(1);
            frame.build_language_table();
        },
        [&ctx] {
            return CommandState{true, ctx.lang().english()};
        });
    cmd.bind(
        C::kRussian,
        [&ctx, &frame] {
            ctx.settings.set_lang(0);
            frame.build_language_table();
        },
        [&ctx] {
            return CommandState{true, !ctx.lang().english()};
        });

    cmd.bind(C::kAbout, [&ctx] {
        QMessageBox::about(
            ctx.parent(),
            ctx.text(Txt::kCmdAbout).section(QLatin1Char('\t'), 0, 0).remove(QStringLiteral("...")),
            QStringLiteral("<b>Skarvel %1</b><p>%2</p>")
                .arg(QCoreApplication::applicationVersion(),
                     ctx.text(Txt::kAboutText).toHtmlEscaped()));
    });
    cmd.bind(C::kHelp, [&ctx] {
        // Said in the status bar: where the guide is, and when nothing could show it.
        QString path = help_file_path(ctx.settings.dir(), ctx.lang().english());
        Txt said = !QFileInfo::exists(path)  ? Txt::kHelpMissing
                   : open_with_desktop(path) ? Txt::kHelpOpened
                                             : Txt::kHelpNoProgram;
        ctx.show_status(
            ctx.text(said).replace(QStringLiteral("%s"), QDir::toNativeSeparators(path)));
    });
}

void run_import_wdb(AppContext& ctx) {
    auto path = ctx.prompts.choose_open_file(ctx.lang().text(Txt::kWdbFilter));
    if (!path || path->empty()) return;
    if (check_import_file(*path, ctx.prompts) != ImportStatus::kOk) return;
    ImportWdbOptions initial;
    initial.only_marked = ctx.competition.info.only_marked != 0;
    ImportWdbDialog dialog(ctx.lang(), initial, ctx.parent());
    if (dialog.exec() != QDialog::Accepted) return;
    const std::uint8_t only_marked = ctx.competition.info.only_marked;
    ImportStatus s = import_wdb(ctx.competition, *path, dialog.options(), ctx.prompts);
    // A refused file merges nothing: the competition changed only if the stored
    // "only marked" choice did.
    ctx.competition.rebuild_number_index();
    if (s == ImportStatus::kOk || ctx.competition.info.only_marked != only_marked)
        ctx.mark_modified();
    ctx.repaint();
}

}  // namespace skarvel
