// Serves the display folder over HTTP, so that a screen anywhere on the local network opens
// http://<secretariat>:<port>/ and follows the pages' refresh chain without a shared folder.
// "/" is the display page; "/NAME" a file of the folder (no sub-folders, no hidden files).
// HTML pages go out as Windows-1251, and nothing is cached: every refresh reads the page anew.
//
// Live pages: the display page the program publishes (publish_display_page) is served from
// memory, with its refresh replaced by a small script that keeps a WebSocket open at "/live";
// every page published afterwards goes to each such browser at once, so a screen shows a card
// as soon as the window has it. A browser without WebSockets falls back to reloading. Live
// connections have a cap of their own (kMaxLiveConnections): a browser beyond it is turned
// away and reloads the page now and then instead.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class QHttpServer;
class QWebSocket;

namespace skarvel {

class DisplayHttpServer {
  public:
    DisplayHttpServer();
    ~DisplayHttpServer();

    // Listens on every address at `port` (0: any free port) and serves `folder`. False (and
    // `error`) when the port cannot be had; a running server is stopped first.
    bool start(const QString& folder, int port, QString* error = nullptr);
    // Listens on 127.0.0.1 only (for tests).
    bool start_local(const QString& folder, int port, QString* error = nullptr);
    void stop();
    bool running() const { return server_ != nullptr; }
    // The port listened on (0 when stopped).
    int port() const { return port_; }
    QString folder() const { return folder_; }

    // The display page as it is now (Windows-1251, the bytes of the page file): served for
    // "/" and the page's name from now on, and sent to every live browser when it differs
    // from the page sent before.
    void publish_display_page(const QByteArray& page);
    // Browsers holding a live connection now.
    int live_connections() const { return static_cast<int>(live_.size()); }
    static constexpr int kMaxLiveConnections = 32;

  private:
    bool listen(const QString& folder, int port, bool local, QString* error);
    void take_live_connections();
    QByteArray served_display_page() const;
    std::unique_ptr<QHttpServer> server_;
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

}  // namespace skarvel
