// On-line posting over HTTP: each post is a GET request sent asynchronously with a 10-second
// time-out, so a slow or hanging script never freezes the window. At most a few requests are
// on their way at once (the time-out counts from the moment a request is really sent); the
// others wait in order. A line already waiting or on its way is not posted twice.
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <deque>
#include <functional>
#include <string>

#include "periph/online_post.h"

class QNetworkReply;

namespace skarvel {

class OnlinePosterQt : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTimeoutMs = 10000;
    static constexpr int kMaxInFlight = 6;  // Qt's connections per server

    struct Environment {
        // True when the tables may change now (no modal dialog); otherwise answers wait.
        std::function<bool()> may_change_tables;
        // The script answered (any HTTP answer, an error status included).
        std::function<void(const OnlinePost&)> answered;
        // No answer: no connection, name not found, time-out (the reason, Windows-1251).
        std::function<void(const OnlinePost&, const std::string& reason)> failed;
        // The reason text of a time-out.
        std::string timeout_text = "timeout";
    };

    explicit OnlinePosterQt(Environment env, QObject* parent = nullptr);
    // Requests still on their way are dropped without telling anyone.
    ~OnlinePosterQt() override;

    // Queues the post; false when the same line is already waiting or on its way.
    bool post(const OnlinePost& post);
    // Posts waiting or on their way.
    int pending() const { return static_cast<int>(waiting_.size()) + in_flight_; }

  signals:
    void idle();

  private:
    void pump();
    void finished(QNetworkReply* reply, const OnlinePost& post);
    void settle(const OnlinePost& post, bool ok, const std::string& reason);

    Environment env_;
    QNetworkAccessManager manager_;
    std::deque<OnlinePost> waiting_;
    std::deque<OnlinePost> on_way_;  // in flight, for the duplicate test
    int in_flight_ = 0;
};

}  // namespace skarvel
