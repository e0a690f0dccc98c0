#include "platform/qt/display_http_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QWebSocket>
#include <algorithm>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// The bytes of a regular file directly inside `folder`, never through a symbolic link (a link
// in the folder could point anywhere); false for anything else.
bool read_served_file(const QString& folder, const QString& name, QByteArray& bytes) {
    QFileInfo info(QDir(folder), name);
    if (info.isSymLink() || !info.isFile() || info.size() > kMaxServedBytes) return false;
    // The folder itself may be reached through a link; the file must sit right in it.
    if (QFileInfo(info.canonicalFilePath()).absolutePath() != QDir(folder).canonicalPath())
        return false;
    QFile file;
#ifndef _WIN32
    // Opened without following a link and checked again once open: a link or a pipe put in
    // its place meanwhile is refused too.
    int fd = ::open(QFile::encodeName(info.filePath()).constData(),
                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxServedBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
#else
    file.setFileName(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) return false;
#endif
    bytes = file.read(kMaxServedBytes + 1);
    return bytes.size() <= kMaxServedBytes;
}

QHttpServerResponse html_response(const QByteArray& bytes) {
    QHttpServerResponse response(display_content_type(QString::fromLatin1(kIndexFile)), bytes);
    response.setHeader("Cache-Control", "no-store");
    return response;
}

QHttpServerResponse serve(const QString& folder, const QString& name) {
    if (name.isEmpty() || name.startsWith('.') || name.contains('/') || name.contains('\\'))
        return not_found();
    QByteArray bytes;
    if (!read_served_file(folder, name, bytes)) return not_found();
    QHttpServerResponse response(display_content_type(name), bytes);
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

QHostAddress listen_address(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty() || t == QLatin1String("*")) return QHostAddress(QHostAddress::Any);
    QHostAddress a;
    if (!a.setAddress(t)) return QHostAddress();
    return a;
}

DisplayHttpServer::DisplayHttpServer() = default;
DisplayHttpServer::~DisplayHttpServer() = default;

bool DisplayHttpServer::start(const QString& folder, int port, QString* error,
                              const QHostAddress& address) {
    return listen(folder, port, address, error);
}

bool DisplayHttpServer::start_local(const QString& folder, int port, QString* error) {
    return listen(folder, port, QHostAddress(QHostAddress::LocalHost), error);
}

bool DisplayHttpServer::listen(const QString& folder, int port, const QHostAddress& address,
                               QString* error) {
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
    auto* tcp = new GuardedTcpServer(limits, server.get());
    if (address.isNull() || !tcp->listen(address, static_cast<quint16>(port))) {
        if (error) *error = QString::number(port);
        return false;
    }
    server->bind(tcp);
    server_ = std::move(server);
    tcp_ = tcp;
    address_ = address;
    port_ = tcp->serverPort();
    folder_ = folder;
    return true;
}

void DisplayHttpServer::stop() {
    live_.clear();
    server_.reset();
    tcp_ = nullptr;
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
        // A live connection sends no more requests: the cap above is its limit, not the
        // waiting time of a connection that has not asked for anything yet.
        if (tcp_) tcp_->release(s->peerAddress(), s->peerPort());
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

QStringList DisplayHttpServer::urls() const {
    QStringList out;
    if (!server_) return out;
    auto url = [this](const QHostAddress& a) {
        QString host = a.protocol() == QAbstractSocket::IPv6Protocol
                           ? QLatin1Char('[') + a.toString() + QLatin1Char(']')
                           : a.toString();
        return QStringLiteral("http://%1:%2/").arg(host).arg(port_);
    };
    bool every = address_ == QHostAddress(QHostAddress::Any) ||
                 address_ == QHostAddress(QHostAddress::AnyIPv4) ||
                 address_ == QHostAddress(QHostAddress::AnyIPv6);
    if (!every) return {url(address_)};
    // IPv4 addresses first (what screens on a local network use), then IPv6 ones that are
    // not link-local (those need an interface name in the address).
    QStringList v6;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        if (!(i.flags() & QNetworkInterface::IsUp)) continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            QHostAddress a = e.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol)
                out << url(a);
            else if (address_ != QHostAddress(QHostAddress::AnyIPv4) && !a.isLinkLocal())
                v6 << url(a);
        }
    }
    return out + v6;
}

}  // namespace skarvel
