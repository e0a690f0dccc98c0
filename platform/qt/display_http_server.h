// Serves the display folder over HTTP, so that a screen anywhere on the local network opens
// http://<secretariat>:<port>/ and follows the pages' refresh chain without a shared folder.
// "/" is the display page; "/NAME" a file of the folder (no sub-folders, no hidden files).
// HTML pages go out as Windows-1251, and nothing is cached: every refresh reads the page anew.
#pragma once

#include <QString>
#include <memory>

class QHttpServer;

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

  private:
    bool listen(const QString& folder, int port, bool local, QString* error);
    std::unique_ptr<QHttpServer> server_;
    int port_ = 0;
    QString folder_;
};

// The content type of a served file by its extension.
QByteArray display_content_type(const QString& file_name);

}  // namespace skarvel
