// Serves the display folder over HTTP, so that a screen anywhere on the local network opens
// http://<secretariat>:<port>/ and follows the pages' refresh chain without a shared folder.
// "/" is the display page; "/NAME" a regular file of the folder (no sub-folders, no hidden
// files, no symbolic links: nothing outside the folder is ever served). HTML pages go out as
// Windows-1251, and nothing is cached: every refresh reads the page anew. Connections that do
// not ask for anything are closed (see GuardedTcpServer).
//
// Live pages: the display page the program publishes (publish_display_page) is served from
// memory, with its refresh replaced by a small script that keeps a WebSocket open at "/live";
// every page published afterwards goes to each such browser at once, so a screen shows a card
// as soon as the window has it. A browser without WebSockets falls back to reloading. Live
// connections have a cap of their own (kMaxLiveConnections) and are released from the limits
// on connections that wait for a request: a browser beyond the cap is turned away and reloads
// the page now and then instead.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/qt/guarded_tcp_server.h"

class QHttpServer;
class QWebSocket;

namespace skarvel {

class DisplayHttpServer {
  public:
    DisplayHttpServer();
    ~DisplayHttpServer();

    // Listens at `port` (0: any free port) on `address` (every interface when it is Any) and
    // serves `folder`. False (and `error`) when the port cannot be had; a running server is
    // stopped first.
    bool start(const QString& folder, int port, QString* error = nullptr,
               const QHostAddress& address = QHostAddress::Any);
    // Listens on 127.0.0.1 only (for tests).
    bool start_local(const QString& folder, int port, QString* error = nullptr);
    void stop();
    bool running() const { return server_ != nullptr; }
    // The port listened on (0 when stopped).
    int port() const { return port_; }
    QString folder() const { return folder_; }
    // The addresses screens can open now, as "http://192.168.1.20:8080/": the one address
    // listened on, or every address of this computer's interfaces that are up.
    QStringList urls() const;
    // The limits on connections that have not sent a request (before start()).
    ConnectionLimits limits;
    // The listening socket (null when stopped): live page updates release their connections
    // from its limits.
    GuardedTcpServer* tcp_server() const { return tcp_; }

    // The display page as it is now (Windows-1251, the bytes of the page file): served for
    // "/" and the page's name from now on, and sent to every live browser when it differs
    // from the page sent before.
    void publish_display_page(const QByteArray& page);
    // Browsers holding a live connection now.
    int live_connections() const { return static_cast<int>(live_.size()); }
    static constexpr int kMaxLiveConnections = 32;

  private:
    bool listen(const QString& folder, int port, const QHostAddress& address, QString* error);
    void take_live_connections();
    QByteArray served_display_page() const;
    std::unique_ptr<QHttpServer> server_;
    GuardedTcpServer* tcp_ = nullptr;  // owned by server_
    QHostAddress address_;
    int port_ = 0;
    QString folder_;
    QByteArray page_;       // the published display page (Windows-1251)
    QString page_message_;  // the same as sent to live browsers
    std::vector<std::unique_ptr<QWebSocket>> live_;
};

// The display page as a browser gets it from the server: its refresh replaced by the script
// that follows the live connection (and falls back to reloading after `refresh_seconds`).
QByteArray live_display_page(const QByteArray& page);

// The content type of a served file by its extension.
QByteArray display_content_type(const QString& file_name);

// The address a user gives to listen on: empty (or "*") for every interface, else an IP
// address; nullopt-like Null for anything else.
QHostAddress listen_address(const QString& text);

}  // namespace skarvel
