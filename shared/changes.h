// A change set: what one computer changed at one moment (a command, a card, an edit), written
// to the server in one transaction. Each change names its row by uid, or, for a row this
// computer appended and the server has not numbered yet, by the change set and place of the
// append ("provisional" uids, negative), which the server resolves itself, so change sets can
// be sent back to back without waiting for each other's answers.
//
// A change carries the row's shared bytes before and after: the server writes it only when the
// row still holds the bytes it started from (compare and swap on the content), and otherwise
// answers with the row as it is, which this computer merges (row_codec.h) and sends again or
// puts to the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shared/row_codec.h"

namespace skarvel::shared {

enum class Action : std::uint8_t {
    kInsert = 1,
    kUpdate = 2,
    kDelete = 3,
    kUndelete = 4,  // a deleted record brought back (undo)
    kReorder = 5,   // the row moves to the end of its table's order
};

struct Change {
    int kind = 0;
    Action action = Action::kUpdate;
    std::int64_t uid = 0;  // > 0: numbered by the server; < 0: provisional
    Bytes base;            // update, delete, undelete: the row as the change found it
    Bytes data;            // insert, update, undelete: the row as it became
};

struct ChangeSet {
    std::uint64_t seq = 0;  // this computer's numbering of its change sets, from 1
    std::vector<Change> changes;
    // Made by a background writer (a card reader, the finish server): its conflicts wait until
    // the window is free.
    bool background = false;
};

// Provisional uids: the change set and the place of the append in it.
constexpr int kProvisionalOpBits = 20;
constexpr std::int64_t provisional_uid(std::uint64_t seq, int op) {
    return -static_cast<std::int64_t>((seq << kProvisionalOpBits) | static_cast<std::uint64_t>(op));
}
constexpr std::uint64_t provisional_seq(std::int64_t uid) {
    return static_cast<std::uint64_t>(-uid) >> kProvisionalOpBits;
}
constexpr int provisional_op(std::int64_t uid) {
    return static_cast<int>(static_cast<std::uint64_t>(-uid) &
                            ((std::uint64_t(1) << kProvisionalOpBits) - 1));
}

// The outcome of one change as the server answered it.
struct ChangeOutcome {
    enum class Status : std::uint8_t {
        kStored,   // written
        kStale,    // the row had changed (or was deleted): `theirs` is the row as it is now
        kMissing,  // no such row on the server
        kFailed,   // the statement failed (see the set's error)
    };
    Status status = Status::kFailed;
    std::int64_t uid = 0;  // inserts: the uid the server gave
    std::int32_t key = 0;  // inserts of keyed rows: the id as stored (renumbered when taken)
    std::int64_t pos = 0;  // reorders: the new place
    bool theirs_deleted = false;
    Bytes theirs;
};

struct ChangeSetOutcome {
    std::uint64_t seq = 0;
    bool stored = false;                  // committed (or found stored by an earlier sending)
    bool already_stored = false;          // sent before, and stored then
    std::int64_t change = 0;              // the server's change number of the commit
    std::vector<ChangeOutcome> outcomes;  // one per change, in order
    std::string error;                    // when not stored
};

// The stored form of change sets (the outbox file).
Bytes encode_change_set(const ChangeSet& cs);
// Reads one change set from `data` at `at` (advanced past it); nullopt on damage.
std::optional<ChangeSet> decode_change_set(const Bytes& data, std::size_t& at);

}  // namespace skarvel::shared
