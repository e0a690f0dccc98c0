// What this computer knows of the shared competition's rows, beside its own copy of the
// competition. It finds the local changes (capture: every record compared with what it was, so
// every editor, command, card and import is caught without telling anybody), brings in the
// rows that changed on the server (apply), and settles the server's answers to the change
// sets sent (settle): new uids and places, ids given anew, rows that had changed meanwhile
// (merged, or put to the user as conflicts).
//
// Everything here runs on the thread that owns the competition.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/competition.h"
#include "shared/changes.h"
#include "shared/store.h"

namespace skarvel::shared {

// Two computers changed the same row differently: the user decides.
struct Conflict {
    int kind = 0;
    std::int64_t uid = 0;
    Bytes base;    // the row both started from
    Bytes mine;    // this computer's version (empty when this computer deleted it)
    Bytes theirs;  // the server's version
    bool mine_deleted = false;
    bool theirs_deleted = false;
    std::vector<Span> fields;  // the fields both changed (all, for a deletion)
    bool background = false;   // from a change a background writer made
};

// What bringing in rows or answers changed in the competition.
struct Applied {
    int rows = 0;              // records added, changed or removed
    bool finish_data = false;  // finish lines, runners or card readouts: results follow
    bool info = false;         // the header
};

class Mirror {
  public:
    explicit Mirror(std::string origin);
    ~Mirror();
    Mirror(const Mirror&) = delete;
    Mirror& operator=(const Mirror&) = delete;

    const std::string& origin() const { return origin_; }

    // The competition was just built from `s` (build_competition): its records are the
    // server's rows.
    void adopt(const Competition& c, const Snapshot& s);

    // The local changes since the last capture as change set `seq` (no changes when nothing
    // changed). Records new to the mirror get provisional uids.
    ChangeSet capture(Competition& c, std::uint64_t seq);

    // Rows changed on the server (call capture first, so that local changes are known).
    Applied apply(Competition& c, const std::vector<ServerRow>& rows);

    // The server's answer to a change set sent: `resend` gets changes merged with a row that
    // had changed meanwhile (to send again), `conflicts` what the user must decide.
    Applied settle(Competition& c, const ChangeSet& sent, const ChangeSetOutcome& outcome,
                   std::vector<Change>& resend, std::vector<Conflict>& conflicts);

    // The user's decision on a conflict. keep_mine returns the change that writes this
    // computer's version over the server's (none when the row is no more); take_theirs makes
    // the local record the server's.
    std::vector<Change> keep_mine(Competition& c, const Conflict& k);
    Applied take_theirs(Competition& c, const Conflict& k);

    // Rows with changes sent or waiting (for tests and the status line).
    int pending_rows() const;
    // The server uid of a row known by a provisional one (0 when not yet stored).
    std::int64_t resolved_uid(std::int64_t uid) const;

    struct Sides;  // per record type (mirror.cpp)

  private:
    std::int64_t resolved_uid_or(std::int64_t uid) const;
    void settle_name(Competition& c, const ChangeSet& sent, const Change& ch,
                     const ChangeOutcome& o, std::vector<Change>& resend,
                     std::vector<Conflict>& conflicts);

    std::string origin_;
    std::uint32_t generation_ = 0;
    std::unique_ptr<Sides> sides_;
    std::unordered_map<std::int64_t, std::int64_t> resolved_;  // provisional -> server uid
};

}  // namespace skarvel::shared
