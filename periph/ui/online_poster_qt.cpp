#include "periph/ui/online_poster_qt.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {
constexpr int kRetryMs = 50;

bool same_line(const OnlinePost& a, const OnlinePost& b) {
    return a.start_number == b.start_number && a.time_word == b.time_word;
}
}  // namespace

OnlinePosterQt::OnlinePosterQt(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {}

OnlinePosterQt::~OnlinePosterQt() {
    for (QNetworkReply* reply : manager_.findChildren<QNetworkReply*>()) {
        reply->disconnect(this);
        reply->abort();
    }
}

bool OnlinePosterQt::post(const OnlinePost& post) {
    auto is_same = [&post](const OnlinePost& p) { return same_line(p, post); };
    if (std::any_of(waiting_.begin(), waiting_.end(), is_same) ||
        std::any_of(on_way_.begin(), on_way_.end(), is_same))
        return false;
    waiting_.push_back(post);
    pump();
    return true;
}

void OnlinePosterQt::pump() {
    while (in_flight_ < kMaxInFlight && !waiting_.empty()) {
        OnlinePost post = waiting_.front();
        waiting_.pop_front();
        // The query goes out as built: Qt's tolerant parsing leaves its ':' ',' '&' '='
        // alone and only encodes what a URL cannot carry (spaces, non-ASCII letters).
        QNetworkRequest request(QUrl(qs(post.url), QUrl::TolerantMode));
        request.setTransferTimeout(kTimeoutMs);
        QNetworkReply* reply = manager_.get(request);
        ++in_flight_;
        on_way_.push_back(post);
        connect(reply, &QNetworkReply::finished, this,
                [this, reply, post] { finished(reply, post); });
    }
}

void OnlinePosterQt::finished(QNetworkReply* reply, const OnlinePost& post) {
    // The body (at most a few kilobytes from such a script) is not looked at.
    reply->readAll();
    // Any HTTP answer counts, an error status as well; only a missing answer is a failure.
    bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    std::string reason;
    if (!answered)
        reason = reply->error() == QNetworkReply::OperationCanceledError ||
                         reply->error() == QNetworkReply::TimeoutError
                     ? env_.timeout_text
                     : cp(reply->errorString());
    reply->deleteLater();
    --in_flight_;
    settle(post, answered, reason);
    pump();
}

void OnlinePosterQt::settle(const OnlinePost& post, bool ok, const std::string& reason) {
    if (env_.may_change_tables && !env_.may_change_tables()) {
        QTimer::singleShot(kRetryMs, this, [this, post, ok, reason] { settle(post, ok, reason); });
        return;
    }
    auto it = std::find_if(on_way_.begin(), on_way_.end(),
                           [&post](const OnlinePost& p) { return same_line(p, post); });
    if (it != on_way_.end()) on_way_.erase(it);
    if (ok) {
        if (env_.answered) env_.answered(post);
    } else if (env_.failed) {
        env_.failed(post, reason);
    }
    if (pending() == 0) emit idle();
}

}  // namespace skarvel
