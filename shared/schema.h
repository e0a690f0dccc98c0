// The tables of a shared competition on the server. One database holds one competition:
//
//   skarvel_meta     name/value: the schema version ("schema"), the competition's own id
//                    ("competition"), when it was shared ("created")
//   skarvel_clock    one row: the number of the last change; every writing transaction takes
//                    the next one first (which also puts the writers one after the other, so
//                    the numbers are in commit order and a reader that has seen change N has
//                    seen everything before it)
//   skarvel_origins  one row per joined computer: its id, host name, the last of its change
//                    sets stored (a change set sent twice is stored once) and when it wrote
//   skarvel_rows     every record, the header and the names kept beside the competition:
//                    kind (RowKind), uid (from the kind's own sequence skarvel_uid_<kind>),
//                    pos (the table order: the uid when appended, a new number when the order
//                    changes), version (the change that last wrote it), deleted (a deleted
//                    record stays as a tombstone, so others learn of the deletion), key (the
//                    record's id, for runners, clubs, classes and courses), origin (the
//                    computer that made it) and data (the shared bytes, see row_codec.h)
//
// Writers call the functions skarvel_begin, skarvel_insert, skarvel_update, skarvel_delete and
// skarvel_reorder inside one transaction; every committed change set notifies the channel
// "skarvel" with its change number.
#pragma once

#include <string>

#include "shared/pg.h"

namespace skarvel::shared {

// The schema this program writes and reads. A database with a newer one is refused: an older
// program would not know what the newer one keeps.
constexpr int kSchemaVersion = 1;
constexpr const char* kNotifyChannel = "skarvel";

enum class SchemaState {
    kNone,     // no shared competition in this database
    kCurrent,  // ours
    kNewer,    // made by a newer program
    kOlder,    // made by an older program (none exists yet)
    kBroken,   // tables of ours, but unreadable
};

struct SchemaInfo {
    SchemaState state = SchemaState::kNone;
    int version = 0;
    std::string competition_id;
    std::string error;
};

SchemaInfo read_schema(pg::Connection& db);
// Creates the tables, sequences and functions (inside the caller's transaction). False and
// `error` set on failure.
bool create_schema(pg::Connection& db, std::string& error);
// Removes every table and function of a shared competition (inside the caller's transaction).
bool drop_schema(pg::Connection& db, std::string& error);

}  // namespace skarvel::shared
