#include "platform/qt/display_http_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QRegularExpression>
#include <QWebSocket>
#include <algorithm>

#include "core/cp1251.h"

namespace skarvel {

namespace {

// The page a bare address shows: the large screen's display page.
const char* const kIndexFile = "test2.htm";
// Display files are small; a larger file is not a page of ours.
constexpr qint64 kMaxServedBytes = 16 * 1024 * 1024;

QHttpServerResponse not_found() {
    return QHttpServerResponse(QHttpServerResponder::StatusCode::NotFound);
}

QHttpServerResponse html_response(const QByteArray& bytes) {
    QHttpServerResponse response(display_content_type(QString::fromLatin1(kIndexFile)), bytes);
    response.setHeader("Cache-Control", "no-store");
    return response;
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

// What a live page runs: it follows the live connection, replacing the page with each one
// sent; it reconnects when the connection drops, and reloads every REFRESH seconds instead when
// it has none (no WebSockets, or turned away by the cap).
const char* const kLiveScript =
    "<script>(function(){var tries=0;"
    "function reload(){setTimeout(function(){location.reload();},REFRESH*1000);}"
    "if(!window.WebSocket){reload();return;}"
    "function live(){var w=new WebSocket((location.protocol=='https:'?'wss://':'ws://')"
    "+location.host+'/live');"
    "w.onopen=function(){tries=0;};"
    "w.onmessage=function(e){var d=new DOMParser().parseFromString(e.data,'text/html');"
    "if(d.head.innerHTML!=document.head.innerHTML)document.head.innerHTML=d.head.innerHTML;"
    "document.body.innerHTML=d.body.innerHTML;};"
    "w.onclose=function(e){if(e.code==1008){reload();return;}"
    "setTimeout(live,Math.min(5000,500*++tries));};}"
    "live();})();</script>";

}  // namespace

QByteArray live_display_page(const QByteArray& page) {
    QByteArray out = page;
    int refresh = 10;
    static const QRegularExpression meta(
        QStringLiteral("<META HTTP-EQUIV=\"Refresh\" CONTENT=\"(\\d+)[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    // The page is Windows-1251; the tag is plain ASCII, so Latin-1 keeps every offset.
    const QString text = QString::fromLatin1(out);
    QRegularExpressionMatch m = meta.match(text);
    if (m.hasMatch()) {
        refresh = std::max(1, m.captured(1).toInt());
        out.remove(m.capturedStart(), m.capturedLength());
    }
    QByteArray script(kLiveScript);
    script.replace("REFRESH", QByteArray::number(refresh));
    const qsizetype end = out.toLower().lastIndexOf("</html>");
    out.insert(end >= 0 ? end : out.size(), script);
    return out;
}

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
    // "/live" first: an upgraded request gets no answer from a route (the server then hands
    // it over as a live connection); anything else there is not found.
    server->route("/live", [](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        if (request.value("Upgrade").compare("websocket", Qt::CaseInsensitive) != 0)
            responder.write(QHttpServerResponder::StatusCode::NotFound);
    });
    server->route("/", [this, folder] {
        if (!page_.isEmpty()) return html_response(served_display_page());
        return serve(folder, QString::fromLatin1(kIndexFile));
    });
    server->route("/<arg>", [this, folder](const QString&, const QHttpServerRequest& request) {
        // The last path segment, percent-decoded (class pages carry Cyrillic names).
        QString path = request.url().path(QUrl::FullyDecoded);
        if (!page_.isEmpty() && path.mid(1) == QLatin1String(kIndexFile))
            return html_response(served_display_page());
        return serve(folder, path.mid(1));
    });
    // Upgraded requests become live connections (the server hands them over only while this
    // is connected).
    QObject::connect(server.get(), &QAbstractHttpServer::newWebSocketConnection, server.get(),
                     [this] { take_live_connections(); });
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
    live_.clear();
    server_.reset();
    port_ = 0;
}

QByteArray DisplayHttpServer::served_display_page() const {
    return live_display_page(page_);
}

void DisplayHttpServer::take_live_connections() {
    while (server_ && server_->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = server_->nextPendingWebSocketConnection();
        if (!socket) break;
        const bool ours = socket->requestUrl().path() == QStringLiteral("/live");
        if (!ours || static_cast<int>(live_.size()) >= kMaxLiveConnections) {
            // Turned away: the page falls back to reloading now and then.
            QWebSocket* s = socket.release();
            s->close(QWebSocketProtocol::CloseCodePolicyViolated,
                     ours ? QStringLiteral("too many live screens") : QString());
            s->deleteLater();
            continue;
        }
        QWebSocket* s = socket.get();
        QObject::connect(s, &QWebSocket::disconnected, s, [this, s] {
            for (auto it = live_.begin(); it != live_.end(); ++it)
                if (it->get() == s) {
                    it->release()->deleteLater();
                    live_.erase(it);
                    break;
                }
        });
        if (!page_message_.isEmpty()) s->sendTextMessage(page_message_);
        live_.push_back(std::move(socket));
    }
}

void DisplayHttpServer::publish_display_page(const QByteArray& page) {
    if (page == page_) return;
    page_ = page;
    page_message_ =
        QString::fromStdString(cp1251_to_utf8(std::string_view(page.data(), page.size())));
    for (const auto& socket : live_) socket->sendTextMessage(page_message_);
}

}  // namespace skarvel
