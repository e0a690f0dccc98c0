// skarvel-cli finish-server FILE.wdb [--port P] [--listen ADDRESS] [--count N | --seconds S]
// A finish server without a screen: receives the client station's datagrams into the finish
// list and saves the file (atomically) after each batch. Port 0 takes a free port; the port
// is printed first ("listening on port P"). Ends after N datagrams received (dropped ones
// included), after S seconds, or on Ctrl+C.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "core/wdb_file.h"
#include "periph/finish_exchange.h"
#include "tools/cli/cli.h"

#ifdef SKARVEL_CLI_HAS_QT
#include <QCoreApplication>
#include <QHostAddress>
#include <QTimer>

#include "periph/ui/finish_server_qt.h"
#endif

namespace {

constexpr const char* kUsage =
    "finish-server FILE.wdb [--port P] [--listen ADDRESS] [--count N | --seconds S]";
#ifdef SKARVEL_CLI_HAS_QT
// Ctrl+C reaches the event loop through this flag (a lock-free atomic store is safe in a
// signal handler); a timer looks at it.
std::atomic<bool> g_interrupted{false};
void on_interrupt(int) {
    g_interrupted.store(true);
}
#endif

}  // namespace

int cmd_finish_server(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    std::string file, listen = "0.0.0.0";
    long long port = kDefaultFinishPort, count = 0, seconds = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        long long* number = a == "--port"      ? &port
                            : a == "--count"   ? &count
                            : a == "--seconds" ? &seconds
                                               : nullptr;
        if (number && i + 1 < args.size()) {
            if (!parse_int(args[++i], *number) || *number < 0 ||
                (number == &port && port > 65535)) {
                error("finish-server: " + a + " needs a number (usage: " + kUsage + ")");
                return kExitUsage;
            }
        } else if (a == "--listen" && i + 1 < args.size()) {
            listen = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            error("finish-server: unknown option '" + a + "' (usage: " + kUsage + ")");
            return kExitUsage;
        } else if (file.empty()) {
            file = a;
        } else {
            error(std::string("usage: ") + kUsage);
            return kExitUsage;
        }
    }
    if (file.empty() || (count > 0 && seconds > 0)) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
#ifndef SKARVEL_CLI_HAS_QT
    (void)listen;
    error("finish-server: this build has no network support (built without Qt)");
    return kExitUsage;
#else
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, file); rc != kExitOk) return rc;
    c->rebuild_number_index();
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(listen))) {
        error("finish-server: --listen needs an IP address");
        return kExitUsage;
    }
    int argc = 1;
    char name[] = "skarvel-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    int save_failures = 0;
    FinishServerQt* server_ptr = nullptr;
    FinishServerQt::Environment env;
    env.competition = [&c]() -> Competition& { return *c; };
    env.lang = &lang;
    env.changed = [&] {
        int why = 0;
        if (!save_wdb(*c, file, &why)) {
            ++save_failures;
            file_error("finish-server: cannot save", file, why);
        } else {
            c->modified = false;
        }
        if (count > 0 && server_ptr->counts().received >= count) app.quit();
    };
    env.failed = [&](const std::string& text) {
        error_cp1251(text);
        app.exit(kExitInput);
    };
    bool start_failed = false;
    env.start_failed = [&](const std::string& text) {
        error_cp1251(text);
        start_failed = true;
        app.exit(kExitInput);
    };
    FinishServerQt server(std::move(env));
    server_ptr = &server;
    QObject::connect(&server, &FinishServerQt::listening, [](int bound) {
        std::printf("listening on port %d\n", bound);
        std::fflush(stdout);
    });
    server.start(address, static_cast<int>(port));

    auto old_int = std::signal(SIGINT, on_interrupt);
    auto old_term = std::signal(SIGTERM, on_interrupt);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&app] {
        if (g_interrupted.load()) app.quit();
    });
    poll.start(100);
    if (seconds > 0)
        QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QCoreApplication::quit);
    int rc = app.exec();
    server.stop();
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    if (start_failed) return kExitInput;

    const FinishServerCounts& n = server.counts();
    std::printf(
        "received %lld, stored %lld, status corrected %lld, repeated %lld, dropped %lld, without "
        "room %lld\n",
        static_cast<long long>(n.received), static_cast<long long>(n.stored),
        static_cast<long long>(n.status_changes), static_cast<long long>(n.duplicates),
        static_cast<long long>(n.dropped), static_cast<long long>(n.table_full));
    if (save_failures) return kExitOutput;
    return rc;
#endif
}
