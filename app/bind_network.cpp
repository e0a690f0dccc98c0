// Handlers of the finish exchange and on-line posting: "Параметры сервера", "Запустить
// клиента", "Запустить сервер", "Настройка on-line" and "Send" (Ctrl+Shift+Z on the finish
// table). The client, the server and the poster live as long as the main window; what they
// receive or learn changes the tables only when no modal dialog is open.
#include <QApplication>
#include <QHostAddress>
#include <QSettings>
#include <memory>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/text_format.h"
#include "periph/finish_exchange.h"
#include "periph/online_post.h"
#include "periph/ui/finish_client_qt.h"
#include "periph/ui/finish_server_qt.h"
#include "periph/ui/network_dialogs.h"
#include "periph/ui/online_poster_qt.h"
#include "platform/qt/qt_text.h"
#include "shared/ui/shared_session.h"

namespace skarvel {

namespace {

// User settings of this machine: the UDP port of both stations, and the client's wait after
// each line (tests set it to 0).
const QString kPortKey = QStringLiteral("FinishPort");
const QString kPacingKey = QStringLiteral("FinishClientPacingMs");

// Device events (datagrams, the client's marks, posting answers) change the tables by the same
// rule as cards: not while a modal dialog or popup is open, nor while a command runs.
std::function<bool()> at_top_level(AppContext& ctx) {
    return [&ctx] {
        return QApplication::activeModalWidget() == nullptr &&
               QApplication::activePopupWidget() == nullptr &&
               ctx.commands.running() == CommandId::kCount;
    };
}

void show_status(AppContext& ctx, const std::string& cp1251) {
    ctx.show_status(qs(cp1251));
}

std::string server_status(const LanguageTable& lang, const FinishServerCounts& n) {
    return strf_view(lang.text(Txt::kNetServerStatus), static_cast<long long>(n.received),
                     static_cast<long long>(n.stored), static_cast<long long>(n.status_changes),
                     static_cast<long long>(n.duplicates), static_cast<long long>(n.dropped),
                     static_cast<long long>(n.table_full));
}

// The shared competition the window is joined to, for the finish exchange (empty: none).
std::function<std::string()> joined_to(AppContext& ctx) {
    return [&ctx] {
        SharedSession* s = ctx.frame.shared();
        return s ? s->join().competition_id : std::string();
    };
}

// The port of both stations: --port of this run, else the user setting.
int finish_port(AppContext& ctx) {
    if (ctx.state.finish_port > 0) return ctx.state.finish_port;
    return ctx.settings.setup_int(kPortKey, kDefaultFinishPort);
}

// After an answer of the script: the line is marked, and the finish list's position moves
// one line down from it when it still stands there.
void posted(AppContext& ctx, const OnlinePost& post) {
    Competition& c = ctx.competition;
    int slot = mark_posted(c, post);
    if (slot == kNoSlot) return;
    if (ctx.view.shown_table() == kFinishLines) {
        if (ctx.view.cursor_row() == post.slot) ctx.view.set_cursor_row(slot + 1);
    } else if (c.view.cursor[kFinishLines] == post.slot) {
        c.view.cursor[kFinishLines] = slot + 1;
    }
    ctx.mark_modified();
    ctx.repaint();
}

}  // namespace

void bind_network_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    Competition& c = ctx.competition;
    const LanguageTable& lang = ctx.state.lang;

    FinishClientQt::Environment client_env;
    client_env.competition = [&c]() -> Competition& { return c; };
    client_env.lang = &lang;
    client_env.may_change_tables = at_top_level(ctx);
    client_env.changed = [&ctx] {
        ctx.mark_modified();
        ctx.repaint();
    };
    client_env.message = [&ctx](const std::string& text) { ctx.prompts.message(text); };
    client_env.joined_to = joined_to(ctx);
    auto* client = new FinishClientQt(std::move(client_env), ctx.parent());
    QObject::connect(client, &FinishClientQt::pass_ended, client, [&ctx, client, &lang] {
        show_status(ctx, strf_view(lang.text(Txt::kNetClientStatus), client->lines_sent()));
    });
    ctx.state.send_finish_line = [client](int slot) { client->send_finish_line(slot); };
    ctx.state.send_unsent_finish_lines = [client] { client->send_unsent_finish_lines(); };

    FinishServerQt::Environment server_env;
    server_env.competition = [&c]() -> Competition& { return c; };
    server_env.lang = &lang;
    server_env.may_change_tables = at_top_level(ctx);
    server_env.changed = [&ctx] {
        ctx.mark_modified();
        ctx.repaint();
    };
    // The receive thread has ended; the command stays ticked until the operator stops it.
    server_env.failed = [&ctx](const std::string& text) { ctx.prompts.message(text); };
    server_env.overflowed = [&ctx, &lang](std::int64_t dropped) {
        std::string text =
            strf_view(lang.text(Txt::kNetServerOverflow), static_cast<long long>(dropped));
        show_status(ctx, text);
        ctx.prompts.message(text);
    };
    server_env.start_failed = [&ctx](const std::string& text) {
        ctx.prompts.message(text);
        ctx.frame.refresh_commands();
    };
    server_env.joined_to = joined_to(ctx);
    auto* server = new FinishServerQt(std::move(server_env), ctx.parent());
    auto refused_told = std::make_shared<std::int64_t>(0);
    QObject::connect(server, &FinishServerQt::stored, server, [&ctx, &lang, server, refused_told] {
        show_status(ctx, server_status(lang, server->counts()));
        // Lines of a station on the same shared competition: told once per run of the server.
        std::int64_t refused = server->counts().same_shared;
        if (refused > 0 && *refused_told == 0)
            ctx.prompts.message(lang.text(Txt::kSharedFinishRefused));
        *refused_told = refused;
    });

    OnlinePosterQt::Environment poster_env;
    poster_env.may_change_tables = at_top_level(ctx);
    poster_env.answered = [&ctx](const OnlinePost& post) { posted(ctx, post); };
    poster_env.failed = [&ctx, &lang](const OnlinePost& post, const std::string& reason) {
        show_status(ctx, strf_view(lang.text(Txt::kNetPostFailed),
                                   static_cast<int>(post.start_number), reason.c_str()));
    };
    poster_env.timeout_text = std::string(lang.text(Txt::kNetPostTimeout));
    auto* poster = new OnlinePosterQt(std::move(poster_env), ctx.parent());

    cmd.bind(C::kServerSettings, [&ctx, &c] {
        ServerSettings s;
        s.server_name = finish_server_name(c);
        s.send_mode = c.info.client_send_mode;
        s.port = ctx.settings.setup_int(kPortKey, kDefaultFinishPort);
        ServerSettingsDialog dialog(s, ctx.lang(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        s = dialog.settings();
        set_field_text(c.info.finish_server_name, s.server_name);
        c.info.client_send_mode = static_cast<std::uint8_t>(s.send_mode);
        ctx.settings.set_setup_int(kPortKey, s.port);
        ctx.mark_modified();
    });

    cmd.bind(
        C::kStartClient,
        [&ctx, client] {
            if (client->running()) return client->stop();
            FinishClientQt::Options o;
            o.port = finish_port(ctx);
            o.line_pacing_ms = ctx.settings.setup_int(kPacingKey, kClientLinePacingMs);
            client->start(o);
        },
        [client] {
            return CommandState{true, client->running()};
        });

    cmd.bind(
        C::kStartServer,
        [&ctx, server] {
            if (server->running()) return server->stop();
            int port = finish_port(ctx);
            // Every local address, unless the settings name one ("Setup/FinishListen").
            QHostAddress address(QHostAddress::Any);
            QString listen = QSettings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"))
                                 .value(QStringLiteral("Setup/FinishListen"))
                                 .toString();
            if (!listen.isEmpty()) address.setAddress(listen);
            server->start(address, port);
        },
        [server] {
            return CommandState{true, server->running()};
        });

    cmd.bind(C::kOnlineSetup, [&ctx, &c] {
        OnlineSettings s{online_url_prefix(c), c.info.online_send_crossings != 0};
        OnlineSettingsDialog dialog(s, ctx.lang(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        s = dialog.settings();
        set_field_text(c.info.online_url_prefix, s.url_prefix);
        c.info.online_send_crossings = s.send_crossings ? 1 : 0;
        ctx.mark_modified();
    });

    cmd.bind(
        C::kOnlineSend,
        [&ctx, &c, poster] {
            if (ctx.view.shown_table() != kFinishLines) return;
            if (auto post = prepare_online_post(c, ctx.view.cursor_row(), ctx.program_clock()))
                poster->post(*post);
        },
        [&ctx] {
            return CommandState{ctx.view.shown_table() == kFinishLines, false};
        });
}

}  // namespace skarvel
