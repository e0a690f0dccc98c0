// A competition shared on a PostgreSQL server, as the desktop program runs it. The window's
// thread owns the competition and the bookkeeping (shared::SyncCore); a worker owns the
// connection (shared::SyncLink), so the window never waits for the server.
//
// - Local changes: after every change point (a command, an editor, a card, a click) the window
//   calls changed(); the session looks for what changed once the window is at its top level
//   (no dialog open, no command running) and queues it as one change set, which the worker
//   sends in one transaction.
// - Changes of the other computers: the worker hears the server's notice and reads the rows;
//   they are put into the competition when the window is at its top level, then `changed`
//   brings the results up to date and repaints.
// - Conflicts are put to the user in the same way, one at a time, never in the middle of a
//   dialog or of a background writer's work.
// - Without the server the window goes on with its own copy; what waits is sent, in order,
//   when the server is back.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "core/competition.h"
#include "core/language.h"
#include "shared/store.h"
#include "shared/sync_driver.h"

namespace skarvel {

class SharedSession : public QObject {
    Q_OBJECT
  public:
    struct Environment {
        std::function<Competition&()> competition;
        // May the tables change now (no modal dialog, no command running)?
        std::function<bool()> may_apply;
        // Rows are about to come in (the view keeps the record under its cursor), and rows
        // came in or a conflict was decided: results and the view follow.
        std::function<void()> before_changes;
        std::function<void(const shared::Applied&)> changed;
        // Puts a conflict to the user: 1 keep mine, 0 take theirs, -1 not decided (asked
        // again later).
        std::function<int(const shared::Conflict&)> decide;
        // Everything that was changed here is on the server now.
        std::function<void()> all_stored;
        // The server refused a change set (a fault, not a conflict): tell the user.
        std::function<void(const std::string&)> refused;
    };

    // What joining a competition needs: where it is, who this computer is there.
    struct Join {
        std::string conninfo;  // with the network options
        std::string describe;  // for the title and messages
        std::string database;  // the database's name (a snapshot's proposed file name)
        std::string origin;    // this computer's id in the competition
        std::string host;      // this machine's name
        std::string competition_id;
        std::string outbox;  // this computer's outbox file (see shared/outbox_file.h)
    };

    // Starts a session on a competition just built from `snapshot` (build_competition) read
    // on `db`; what the outbox kept from an earlier run is sent first, on `db`.
    SharedSession(Environment env, Join join, Competition& c, const shared::Snapshot& snapshot,
                  pg::Connection* db, QObject* parent = nullptr);
    ~SharedSession() override;

    // Something may have changed in the competition: captured as soon as the window allows.
    void changed();
    // Captures now (the window is at its top level); the change set's number, 0 when nothing
    // changed. For a card: wait_stored(number) before the station is told it was taken.
    std::uint64_t capture_now(bool background = false);
    // From any thread: waits until change set `seq` is on the server; false when the server
    // cannot be reached or did not answer within `timeout`.
    bool wait_stored(std::uint64_t seq, std::chrono::milliseconds timeout);

    bool connected() const { return driver_->connected(); }
    int waiting() const { return driver_->waiting(); }
    const Join& join() const { return join_; }
    // "сервер: связь есть" / "сервер: нет связи, ждут %d".
    std::string status_text(const LanguageTable& lang) const;
    shared::SyncCore& core() { return driver_->core(); }

  signals:
    // Connected or not, or the number waiting changed.
    void state_changed();

  private:
    void process();
    void ask_conflicts();

    Environment env_;
    Join join_;
    std::unique_ptr<shared::SyncDriver> driver_;
    QTimer* capture_timer_ = nullptr;
    QTimer* retry_timer_ = nullptr;
    QTimer* conflict_timer_ = nullptr;
    bool processing_ = false;
    bool asking_ = false;
    int last_waiting_ = -1;
};

}  // namespace skarvel
