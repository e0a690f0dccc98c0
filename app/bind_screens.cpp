// Handlers of the screens in the finish area: the "LCD" menu ("Start", "Finish",
// "Отображать", and the folder with its web server), "мультипэйдж" and "мультипэйдж-2", and
// the display-board button of the toolbar.
#include <QDialog>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <memory>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "periph/multi_screen.h"
#include "periph/ui/screen_dialogs.h"
#include "periph/ui/screens_qt.h"
#include "platform/qt/display_http_server.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {

// What the screens keep for the run: the page settings of the two page kinds, the folder
// and the web server.
struct ScreensState {
    MultiScreenSettings pages, tables;
    ScreenSettings settings = ScreenSettings::load();
    DisplayHttpServer http;
    // The web server's address, in a pane of its own beside the message pane (owned by the
    // status bar).
    QLabel* address = nullptr;
};

void status_message(AppContext& ctx, const QString& text) {
    ctx.show_status(text);
}

// Starts, restarts or stops the web server as the settings say; its address stays in the
// status bar while it runs, a port that cannot be had is told in the message pane.
void apply_http(AppContext& ctx, ScreensState& s) {
    s.http.stop();
    if (!s.address) {
        s.address = new QLabel(&ctx.frame);
        s.address->setObjectName(QStringLiteral("screen_server_pane"));
        s.address->setFrameShape(QFrame::StyledPanel);
        ctx.frame.statusBar()->insertPermanentWidget(1, s.address);  // before the clock
    }
    s.address->hide();
    if (!s.settings.http_on) return;
    QHostAddress address = listen_address(s.settings.http_address);
    if (address.isNull()) {
        status_message(ctx, ctx.text(Txt::kScreenHttpBadAddress) + s.settings.http_address);
        return;
    }
    QString why;
    if (s.http.start(s.settings.folder, s.settings.http_port, &why, address)) {
        s.address->setText(ctx.text(Txt::kScreenHttpRunning) +
                           s.http.urls().join(QStringLiteral("  ")));
        s.address->show();
    } else {
        status_message(ctx, ctx.text(Txt::kScreenHttpFailed) + why);
    }
}

}  // namespace

void bind_screens_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    Competition& c = ctx.competition;
    auto state = std::make_shared<ScreensState>();
    apply_http(ctx, *state);

    DisplayPages::Environment pages_env;
    pages_env.competition = [&c]() -> Competition& { return c; };
    pages_env.folder = [state] { return state->settings.folder; };
    pages_env.report = [&ctx](const QString& why) {
        status_message(ctx, ctx.text(Txt::kDisplayWriteFailed) + why);
    };
    // The web server's browsers follow the page live.
    pages_env.watched = [state] { return state->http.running(); };
    pages_env.publish = [state](const std::string& page) {
        state->http.publish_display_page(QByteArray(page.data(), qsizetype(page.size())));
    };
    // Owned by the main window: stopped when the program ends.
    auto* display = new DisplayPages(std::move(pages_env), ctx.parent());
    QObject::connect(&ctx.frame, &CMainFrame::competition_changed, display,
                     &DisplayPages::data_changed);

    DisplayBoardQt::Environment board_env;
    board_env.competition = [&c]() -> Competition& { return c; };
    board_env.com_number = [&c] { return c.info.port_index + 1; };
    board_env.device = [&c] {
        QSettings s("Skarvel", "Skarvel");
        s.beginGroup("Setup");
        // The board hangs on the station's port (a device path set for it wins).
        return com_port_device(c.info.port_index + 1,
                               s.value("StationDevice").toString().toStdString());
    };
    board_env.message = [&ctx](const std::string& text) { ctx.prompts.message(text); };
    board_env.lang = [&ctx]() -> const LanguageTable& { return ctx.lang(); };
    auto* board = new DisplayBoardQt(std::move(board_env), ctx.parent());

    auto set_mode = [&ctx, &c](int mode) {
        if (c.info.display_mode == mode) return;
        c.info.display_mode = static_cast<std::uint8_t>(mode);
        ctx.mark_modified();
    };
    cmd.bind(
        C::kLcdStart, [set_mode] { set_mode(1); },
        [&c] {
            return CommandState{true, c.info.display_mode == 1};
        });
    cmd.bind(
        C::kLcdFinish, [set_mode] { set_mode(0); },
        [&c] {
            return CommandState{true, c.info.display_mode == 0};
        });
    cmd.bind(
        C::kLcdShow, [display] { display->toggle(); },
        [&c] {
            return CommandState{true, c.info.display_on != 0};
        });
    cmd.bind(C::kLcdSettings, [&ctx, state] {
        ScreenSettingsDialog dialog(state->settings, ctx.lang(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        state->settings = dialog.settings();
        state->settings.save();
        apply_http(ctx, *state);
    });

    auto multipage = [&ctx, &c, state](MultiScreenKind kind) {
        MultiScreenSettings& page = kind == MultiScreenKind::kLines ? state->pages : state->tables;
        MultiScreenDialog dialog(MultiScreenShared::from(c.info), page, ctx.lang(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        dialog.shared().store(c.info);
        page = dialog.page();
        ctx.mark_modified();
        int written =
            write_multi_screen_pages(c, page, kind, path_of(state->settings.folder), ctx.prompts);
        status_message(ctx, ctx.text(Txt::kMultiScreenWritten) + QString::number(written));
    };
    cmd.bind(C::kMultipage, [multipage] { multipage(MultiScreenKind::kLines); });
    cmd.bind(C::kMultipage2, [multipage] { multipage(MultiScreenKind::kTables); });

    cmd.bind(
        C::kDisplayBoard, [board] { board->toggle(); },
        [board] {
            return CommandState{true, board->on()};
        });
}

}  // namespace skarvel
