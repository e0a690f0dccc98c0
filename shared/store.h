// Putting a competition on the server and reading it back whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"
#include "shared/pg.h"
#include "shared/row_codec.h"

namespace skarvel::shared {

// One row as the server has it.
struct ServerRow {
    int kind = 0;
    std::int64_t uid = 0;
    std::int64_t pos = 0;
    std::int64_t version = 0;
    bool deleted = false;
    std::string origin;
    Bytes data;
};

// Array parameters in PostgreSQL's binary array form.
pg::Param bytea_array(const std::vector<Bytes>& values);
pg::Param int4_array(const std::vector<std::int32_t>& values, const std::vector<bool>& present);

// The rows of a competition as they are shared: every record in table order (set-aside runners
// too), the header, and the names kept beside the competition when there are any.
struct RowSet {
    std::vector<Bytes> data[kRowKindCount];
};
RowSet rows_of(const Competition& c);

enum class ShareStatus {
    kOk,
    kAlreadyShared,  // the database holds a shared competition (and `replace` was not given)
    kNewerSchema,    // ... made by a newer program: never replaced by this one
    kFailed,
};
struct ShareResult {
    ShareStatus status = ShareStatus::kFailed;
    std::string error;
    std::string competition_id;
};
// Puts the competition into the database in one transaction, as change 1 of `origin` (the
// sharing computer). With `replace`, a shared competition already there is removed first.
ShareResult share_competition(pg::Connection& db, const Competition& c, const std::string& origin,
                              const std::string& host, bool replace);

// The whole shared competition at one moment.
struct Snapshot {
    std::int64_t change = 0;  // the last change it holds
    std::string competition_id;
    std::vector<ServerRow> rows;  // live rows, by kind, in table order
};
enum class FetchStatus { kOk, kNotShared, kNewerSchema, kFailed };
struct FetchResult {
    FetchStatus status = FetchStatus::kFailed;
    std::string error;
    int schema_version = 0;
};
FetchResult fetch_snapshot(pg::Connection& db, Snapshot& out);

// Rows of a result of `SELECT kind, uid, pos, version, deleted, origin, data` (binary): row i,
// and all of them.
ServerRow server_row(const pg::Result& r, int i);
std::vector<ServerRow> server_rows(const pg::Result& r);

// Replaces the competition with the snapshot: records in table order, each tagged with its
// row (made elsewhere when its origin is not `my_origin`), the header's shared bytes over its
// present local ones, then the derived figures. Rows whose bytes have the wrong size are left
// out and counted.
int build_competition(Competition& c, const Snapshot& s, const std::string& my_origin);

// Stores one row's record into the competition's table (a new record at the first free slot,
// or at `at` when given); returns the slot or kNoSlot (full table, wrong size).
int insert_row_record(Competition& c, const ServerRow& row, bool foreign, int at = -1);

}  // namespace skarvel::shared
