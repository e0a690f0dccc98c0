#include "shared/store.h"

#include <memory>

#include "core/finish_results.h"
#include "shared/schema.h"

namespace skarvel::shared {

namespace {

void put_be32(std::string& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The binary array header: one dimension of n elements of type `oid`, counted from 1.
std::string array_header(std::size_t n, std::uint32_t oid, bool has_nulls) {
    std::string out;
    put_be32(out, 1);
    put_be32(out, has_nulls ? 1 : 0);
    put_be32(out, oid);
    put_be32(out, static_cast<std::uint32_t>(n));
    put_be32(out, 1);
    return out;
}

constexpr std::uint32_t kOidBytea = 17;
constexpr std::uint32_t kOidInt4 = 23;

template <class R>
void table_rows(const Table<R>& t, std::vector<Bytes>& out) {
    for (int i = 0; i < t.used_end(); ++i)
        if (const R* r = t[i]) out.push_back(shared_bytes(*r));
}

std::int32_t key_of(int kind, const Bytes& data) {
    int at = key_offset(kind);
    return codec::read_at<std::int32_t>(data.data(), static_cast<std::size_t>(at));
}

template <class R>
int insert_record(Table<R>& t, const ServerRow& row, bool foreign, int at) {
    if (row.data.size() != static_cast<std::size_t>(R::kSize)) return kNoSlot;
    auto r = std::make_unique<R>();
    codec::get(row.data.data(), *r);
    r->row.uid = row.uid;
    r->row.foreign = foreign;
    return at >= 0 ? t.insert_at(at, std::move(r)) : t.insert(std::move(r));
}

}  // namespace

pg::Param bytea_array(const std::vector<Bytes>& values) {
    std::string out = array_header(values.size(), kOidBytea, false);
    for (const Bytes& v : values) {
        put_be32(out, static_cast<std::uint32_t>(v.size()));
        out.append(reinterpret_cast<const char*>(v.data()), v.size());
    }
    return {pg::Param::Kind::kBytes, std::move(out)};
}

pg::Param int4_array(const std::vector<std::int32_t>& values, const std::vector<bool>& present) {
    bool nulls = false;
    for (bool p : present) nulls = nulls || !p;
    std::string out = array_header(values.size(), kOidInt4, nulls);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i < present.size() && !present[i]) {
            put_be32(out, 0xFFFFFFFFu);  // -1: NULL
            continue;
        }
        put_be32(out, 4);
        put_be32(out, static_cast<std::uint32_t>(values[i]));
    }
    return {pg::Param::Kind::kBytes, std::move(out)};
}

RowSet rows_of(const Competition& c) {
    RowSet s;
    table_rows(c.tables.runners, s.data[kRowRunners]);
    table_rows(c.tables.clubs, s.data[kRowClubs]);
    table_rows(c.tables.classes, s.data[kRowClasses]);
    table_rows(c.tables.courses, s.data[kRowCourses]);
    table_rows(c.tables.finish_lines, s.data[kRowFinishLines]);
    table_rows(c.tables.card_readouts, s.data[kRowCardReadouts]);
    s.data[kRowInfo].push_back(shared_info_bytes(c.info));
    for (const auto& [key, name] : c.long_names.entries())
        s.data[kRowNames].push_back(encode_name_row(key.first, key.second, name));
    return s;
}

ShareResult share_competition(pg::Connection& db, const Competition& c, const std::string& origin,
                              const std::string& host, bool replace) {
    ShareResult res;
    auto fail = [&db, &res](std::string error) {
        db.exec("ROLLBACK");
        res.status = ShareStatus::kFailed;
        res.error = std::move(error);
        return res;
    };
    pg::Result r = db.exec("BEGIN");
    if (!r.ok()) return fail(r.error());
    // Two computers sharing into one database at once: the second waits, then finds the first.
    r = db.exec("SELECT pg_advisory_xact_lock(7201)");
    if (!r.ok()) return fail(r.error());
    SchemaInfo schema = read_schema(db);
    if (schema.state == SchemaState::kNewer) {
        db.exec("ROLLBACK");
        res.status = ShareStatus::kNewerSchema;
        return res;
    }
    if (schema.state != SchemaState::kNone) {
        if (!replace) {
            db.exec("ROLLBACK");
            res.status = ShareStatus::kAlreadyShared;
            return res;
        }
        std::string error;
        if (!drop_schema(db, error)) return fail(error);
    }
    std::string error;
    if (!create_schema(db, error)) return fail(error);
    r = db.exec("SELECT skarvel_begin($1, $2, 1)", {pg::Param::text(origin), pg::Param::text(host)},
                false);
    if (!r.ok()) return fail(r.error());

    RowSet rows = rows_of(c);
    int op = 0;
    for (int kind = 0; kind < kRowKindCount; ++kind) {
        const std::vector<Bytes>& data = rows.data[kind];
        if (data.empty()) continue;
        std::vector<std::int32_t> keys(data.size());
        std::vector<bool> present(data.size(), key_offset(kind) >= 0);
        if (key_offset(kind) >= 0)
            for (std::size_t i = 0; i < data.size(); ++i) keys[i] = key_of(kind, data[i]);
        // Each table in its order: the uid (and place) from the kind's sequence, row by row.
        const std::string seq = "skarvel_uid_" + std::to_string(kind);
        r = db.exec(
            "INSERT INTO skarvel_rows (kind, uid, pos, version, key, origin, origin_seq, "
            "origin_op, data) "
            "SELECT $1::smallint, u, u, 1, k, $2, 1, $3::integer + o::integer, d FROM "
            "(SELECT nextval('" +
                seq +
                "') AS u, d, k, o FROM "
                "(SELECT d, k, o FROM unnest($4::bytea[], $5::integer[]) WITH ORDINALITY "
                "AS t(d, k, o) ORDER BY o) x) y",
            {pg::Param::number(kind), pg::Param::text(origin), pg::Param::number(op),
             bytea_array(data), int4_array(keys, present)},
            false);
        if (!r.ok()) return fail(r.error());
        op += static_cast<int>(data.size());
    }
    r = db.exec("SELECT value FROM skarvel_meta WHERE name = 'competition'");
    if (!r.ok()) return fail(r.error());
    res.competition_id = r.text(0, 0);
    r = db.exec("COMMIT");
    if (!r.ok()) return fail(r.error());
    // Table statistics at once: until the server gathers them by itself, it reads every row for
    // each computer's "what changed since" instead of using the version index.
    db.exec("ANALYZE skarvel_rows");
    res.status = ShareStatus::kOk;
    return res;
}

ServerRow server_row(const pg::Result& r, int i) {
    ServerRow row;
    row.kind = static_cast<int>(r.integer(i, 0));
    row.uid = r.integer(i, 1);
    row.pos = r.integer(i, 2);
    row.version = r.integer(i, 3);
    row.deleted = r.integer(i, 4) != 0;
    row.origin = std::string(r.text(i, 5));
    row.data = r.bytes(i, 6);
    return row;
}

std::vector<ServerRow> server_rows(const pg::Result& r) {
    std::vector<ServerRow> rows;
    rows.reserve(r.rows());
    for (int i = 0; i < r.rows(); ++i) rows.push_back(server_row(r, i));
    return rows;
}

FetchResult fetch_snapshot(pg::Connection& db, Snapshot& out) {
    FetchResult res;
    auto fail = [&db, &res](std::string error) {
        db.exec("ROLLBACK");
        res.status = FetchStatus::kFailed;
        res.error = std::move(error);
        return res;
    };
    pg::Result r = db.exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (!r.ok()) return fail(r.error());
    SchemaInfo schema = read_schema(db);
    res.schema_version = schema.version;
    if (schema.state == SchemaState::kBroken) return fail(schema.error);
    if (schema.state == SchemaState::kNone || schema.state == SchemaState::kNewer) {
        db.exec("ROLLBACK");
        res.status = schema.state == SchemaState::kNone ? FetchStatus::kNotShared
                                                        : FetchStatus::kNewerSchema;
        return res;
    }
    out.competition_id = schema.competition_id;
    r = db.exec("SELECT seq FROM skarvel_clock");
    if (!r.ok() || r.rows() != 1) return fail(r.error());
    out.change = r.integer(0, 0);
    r = db.exec(
        "SELECT kind, uid, pos, version, deleted, origin, data FROM skarvel_rows "
        "WHERE NOT deleted ORDER BY kind, pos",
        {}, true);
    if (!r.ok()) return fail(r.error());
    out.rows = server_rows(r);
    db.exec("COMMIT");
    res.status = FetchStatus::kOk;
    return res;
}

int insert_row_record(Competition& c, const ServerRow& row, bool foreign, int at) {
    RecordTables& t = c.tables;
    switch (row.kind) {
        case kRowRunners:
            return insert_record(t.runners, row, foreign, at);
        case kRowClubs:
            return insert_record(t.clubs, row, foreign, at);
        case kRowClasses:
            return insert_record(t.classes, row, foreign, at);
        case kRowCourses:
            return insert_record(t.courses, row, foreign, at);
        case kRowFinishLines:
            return insert_record(t.finish_lines, row, foreign, at);
        case kRowCardReadouts:
            return insert_record(t.card_readouts, row, foreign, at);
        default:
            return kNoSlot;
    }
}

int build_competition(Competition& c, const Snapshot& s, const std::string& my_origin) {
    // The header's local bytes (the list view's filter, the station port, ...) stay this
    // computer's own.
    CompetitionInfo before = c.info;
    c.clear();
    Bytes local(CompetitionInfo::kSize);
    before.encode(local.data());
    c.info.decode(local.data());
    int refused = 0;
    for (const ServerRow& row : s.rows) {
        if (row.kind == kRowInfo) {
            if (row.data.size() == static_cast<std::size_t>(CompetitionInfo::kSize))
                apply_shared_info(c.info, row.data);
            else
                ++refused;
            continue;
        }
        if (row.kind == kRowNames) {
            int type = 0;
            std::int32_t id = 0;
            LongName name;
            if (decode_name_row(row.data, type, id, name))
                c.long_names.set(static_cast<RecordType>(type), id, std::move(name));
            else
                ++refused;
            continue;
        }
        if (row.kind > kRowNames) continue;
        if (insert_row_record(c, row, row.origin != my_origin) == kNoSlot) ++refused;
    }
    c.info.display_on = 0;
    c.rebuild_number_index();
    finish_data_changed(c);
    c.modified = false;
    return refused;
}

}  // namespace skarvel::shared
