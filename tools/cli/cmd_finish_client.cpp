// skarvel-cli finish-client FILE.wdb --server HOST [--port P] [--once]
// A finish client without a screen: sends the finish lines of the file that are due (as the
// desktop client does, 50 ms apart) to the server station, marks them sent and saves the file
// after each pass. --once makes one pass and ends; otherwise passes repeat until Ctrl+C.
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
#include <QTimer>

#include "periph/ui/finish_client_qt.h"
#endif

namespace {

constexpr const char* kUsage = "finish-client FILE.wdb --server HOST [--port P] [--once]";
#ifdef SKARVEL_CLI_HAS_QT
// Ctrl+C reaches the event loop through this flag (a lock-free atomic store is safe in a
// signal handler); a timer looks at it.
std::atomic<bool> g_interrupted{false};
void on_interrupt(int) {
    g_interrupted.store(true);
}
#endif

}  // namespace

int cmd_finish_client(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    std::string file, host;
    long long port = kDefaultFinishPort;
    bool once = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port" && i + 1 < args.size()) {
            if (!parse_int(args[++i], port) || port < 1 || port > 65535) {
                error("finish-client: --port needs a number 1..65535");
                return kExitUsage;
            }
        } else if (a == "--server" && i + 1 < args.size()) {
            host = args[++i];
        } else if (a == "--once") {
            once = true;
        } else if (!a.empty() && a[0] == '-') {
            error("finish-client: unknown option '" + a + "' (usage: " + kUsage + ")");
            return kExitUsage;
        } else if (file.empty()) {
            file = a;
        } else {
            error(std::string("usage: ") + kUsage);
            return kExitUsage;
        }
    }
    if (file.empty() || host.empty()) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
#ifndef SKARVEL_CLI_HAS_QT
    (void)once;
    error("finish-client: this build has no network support (built without Qt)");
    return kExitUsage;
#else
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, file); rc != kExitOk) return rc;
    int argc = 1;
    char name[] = "skarvel-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    int failures = 0, save_failures = 0;
    FinishClientQt::Environment env;
    env.competition = [&c]() -> Competition& { return *c; };
    env.lang = &lang;
    env.message = [&](const std::string& text) {
        ++failures;
        error_cp1251(text);
    };
    FinishClientQt client(std::move(env));
    auto save = [&] {
        if (!c->modified) return;
        int why = 0;
        if (!save_wdb(*c, file, &why)) {
            ++save_failures;
            file_error("finish-client: cannot save", file, why);
        } else {
            c->modified = false;
        }
    };
    QObject::connect(&client, &FinishClientQt::pass_ended, [&] {
        save();
        if (failures) app.quit();
    });
    QObject::connect(&client, &FinishClientQt::stopped, &app, &QCoreApplication::quit);

    FinishClientQt::Options options;
    options.port = static_cast<int>(port);
    options.server_name = host;
    options.send_mode = once ? kSendOnce : kSendContinuously;
    if (!client.start(options)) return kExitInput;

    auto old_int = std::signal(SIGINT, on_interrupt);
    auto old_term = std::signal(SIGTERM, on_interrupt);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&app] {
        if (g_interrupted.load()) app.quit();
    });
    poll.start(100);
    // With nothing to send, "--once" has ended already.
    if (client.running()) app.exec();
    client.stop();
    save();
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    std::printf("sent %d finish line(s)\n", client.lines_sent());
    if (failures) return kExitInput;
    return save_failures ? kExitOutput : kExitOk;
#endif
}
