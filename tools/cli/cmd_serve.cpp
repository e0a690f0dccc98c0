// skarvel-cli serve DIR [--port N]
// Serves a display folder over HTTP as the desktop program does when its web server is on
// ("/" is the display page, "/NAME" a page of the folder), until Ctrl+C. Needs the Qt build.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/cli/cli.h"

#ifdef SKARVEL_CLI_HAS_QT
#include <QCoreApplication>

#include "platform/qt/display_http_server.h"
#endif

using namespace skarvel;

int cmd_serve(const std::vector<std::string>& args) {
    const char* usage = "usage: skarvel-cli serve DIR [--port N]";
    std::string dir;
    long long port = 8080;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            if (!cli::parse_int(args[++i], port) || port < 0 || port > 65535) {
                cli::error(usage);
                return cli::kExitUsage;
            }
        } else if (dir.empty() && !args[i].empty() && args[i][0] != '-') {
            dir = args[i];
        } else {
            cli::error(usage);
            return cli::kExitUsage;
        }
    }
    if (dir.empty()) {
        cli::error(usage);
        return cli::kExitUsage;
    }
#ifndef SKARVEL_CLI_HAS_QT
    cli::error("serve: the web server needs the build with Qt");
    return cli::kExitUsage;
#else
    int argc = 1;
    char name[] = "skarvel-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    DisplayHttpServer server;
    QString why;
    if (!server.start(QString::fromStdString(dir), int(port), &why)) {
        cli::error("serve: cannot listen on port " + why.toStdString());
        return cli::kExitOutput;
    }
    std::printf("http://localhost:%d/\n", server.port());
    std::fflush(stdout);
    std::signal(SIGINT, [](int) { QCoreApplication::quit(); });
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });
    app.exec();
    return cli::kExitOk;
#endif
}
