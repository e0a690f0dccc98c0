#include "platform/qt/display_http_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>

namespace skarvel {

namespace {

// The page a bare address shows: the large screen's display page.
const char* const kIndexFile = "test2.htm";
// Display files are small; a larger file is not a page of ours.
constexpr qint64 kMaxServedBytes = 16 * 1024 * 1024;

QHttpServerResponse not_found() {
    return QHttpServerResponse(QHttpServerResponder::StatusCode::NotFound);
}

QHttpServerResponse serve(const QString& folder, const QString& name) {
    if (name.isEmpty() || name.startsWith('.') || name.contains('/') || name.contains('\\'))
        return not_found();
    QFileInfo info(QDir(folder), name);
    if (!info.isFile() || info.size() > kMaxServedBytes) return not_found();
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) return not_found();
    QHttpServerResponse response(display_content_type(name), file.readAll());
    response.setHeader("Cache-Control", "no-store");
    return response;
}

}  // namespace

QByteArray display_content_type(const QString& file_name) {
    QString ext = QFileInfo(file_name).suffix().toLower();
    if (ext == "htm" || ext == "html") return "text/html; charset=windows-1251";
    if (ext == "gif") return "image/gif";
    if (ext == "png") return "image/png";
    if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
    if (ext == "css") return "text/css";
    return "application/octet-stream";
}

DisplayHttpServer::DisplayHttpServer() = default;
DisplayHttpServer::~DisplayHttpServer() = default;

bool DisplayHttpServer::start(const QString& folder, int port, QString* error) {
    return listen(folder, port, false, error);
}

bool DisplayHttpServer::start_local(const QString& folder, int port, QString* error) {
    return listen(folder, port, true, error);
}

bool DisplayHttpServer::listen(const QString& folder, int port, bool local, QString* error) {
    stop();
    auto server = std::make_unique<QHttpServer>();
    server->route("/", [folder] { return serve(folder, QString::fromLatin1(kIndexFile)); });
    server->route("/<arg>", [folder](const QString&, const QHttpServerRequest& request) {
        // The last path segment, percent-decoded (class pages carry Cyrillic names).
        QString path = request.url().path(QUrl::FullyDecoded);
        return serve(folder, path.mid(1));
    });
    quint16 got = server->listen(local ? QHostAddress(QHostAddress::LocalHost) : QHostAddress::Any,
                                 static_cast<quint16>(port));
    if (got == 0) {
        if (error) *error = QString::number(port);
        return false;
    }
    server_ = std::move(server);
    port_ = got;
    folder_ = folder;
    return true;
}

void DisplayHttpServer::stop() {
    server_.reset();
    port_ = 0;
}

}  // namespace skarvel
