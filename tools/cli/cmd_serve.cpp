// skarvel-cli serve DIR [--port N] [--address ADDR]
// Serves a display folder over HTTP as the desktop program does when its web server is on
// ("/" is the display page, "/NAME" a page of the folder), until Ctrl+C. It listens on every
// interface, or on ADDR alone, and prints the addresses screens can open. Needs the Qt build.
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
    const char* usage = "usage: skarvel-cli serve DIR [--port N] [--address ADDR]";
    std::string dir, address;
    long long port = 8080;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            if (!cli::parse_int(args[++i], port) || port < 0 || port > 65535) {
                cli::error(usage);
                return cli::kExitUsage;
            }
        } else if (args[i] == "--address" && i + 1 < args.size()) {
            address = args[++i];
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
    QHostAddress listen_on = listen_address(QString::fromStdString(address));
    if (listen_on.isNull()) {
        cli::error("serve: not an IP address: " + address);
        return cli::kExitUsage;
    }
    DisplayHttpServer server;
    QString why;
    if (!server.start(QString::fromStdString(dir), int(port), &why, listen_on)) {
        cli::error("serve: cannot listen on port " + why.toStdString() +
                   (address.empty() ? std::string() : " at " + address));
        return cli::kExitOutput;
    }
    // Every address screens can open, one a line (the first is the one to give out).
    for (const QString& url : server.urls()) std::printf("%s\n", url.toUtf8().constData());
    std::fflush(stdout);
    std::signal(SIGINT, [](int) { QCoreApplication::quit(); });
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });
    app.exec();
    return cli::kExitOk;
#endif
}
