#include "shared/server_ops.h"

#include <algorithm>

#include "shared/schema.h"

namespace skarvel::shared {

namespace {

std::int32_t key_in(int kind, const Bytes& data) {
    int at = key_offset(kind);
    if (at < 0 || data.size() < static_cast<std::size_t>(at + 4)) return 0;
    return codec::read_at<std::int32_t>(data.data(), static_cast<std::size_t>(at));
}

// The row a change names: (uid, seq, op) parameters, uid NULL for a provisional one.
void add_row_reference(std::vector<pg::Param>& p, std::int64_t uid, const Writer& w) {
    if (uid > 0) {
        p.push_back(pg::Param::number(uid));
        p.push_back(pg::Param::text(w.origin));
        p.push_back(pg::Param::null());
        p.push_back(pg::Param::null());
    } else {
        p.push_back(pg::Param::null());
        p.push_back(pg::Param::text(w.origin));
        p.push_back(pg::Param::number(static_cast<long long>(provisional_seq(uid))));
        p.push_back(pg::Param::number(provisional_op(uid)));
    }
}

pg::Statement statement_of(const Change& ch, int op, std::uint64_t seq, const Writer& w) {
    pg::Statement s;
    const bool keyed = key_offset(ch.kind) >= 0;
    switch (ch.action) {
        case Action::kInsert:
            s.sql =
                "SELECT o_uid, o_key FROM skarvel_insert($1::smallint, $2::integer, "
                "$3::integer, $4::bytea, $5, $6::bigint, $7::integer)";
            s.params = {pg::Param::number(ch.kind),
                        keyed ? pg::Param::number(key_in(ch.kind, ch.data)) : pg::Param::null(),
                        pg::Param::number(key_offset(ch.kind)),
                        pg::Param::bytes(ch.data),
                        pg::Param::text(w.origin),
                        pg::Param::number(static_cast<long long>(seq)),
                        pg::Param::number(op)};
            break;
        case Action::kReorder:
            s.sql = "SELECT skarvel_reorder($1::smallint, $2::bigint, $3, $4::bigint, $5::integer)";
            s.params = {pg::Param::number(ch.kind)};
            add_row_reference(s.params, ch.uid, w);
            break;
        default:
            s.sql =
                "SELECT o_status, o_uid, o_deleted, o_data FROM skarvel_update($1::smallint, "
                "$2::bigint, $3, $4::bigint, $5::integer, $6::smallint, $7::bytea, $8::bytea, "
                "$9::integer)";
            s.params = {pg::Param::number(ch.kind)};
            add_row_reference(s.params, ch.uid, w);
            s.params.push_back(pg::Param::number(static_cast<int>(ch.action)));
            s.params.push_back(pg::Param::bytes(ch.base));
            s.params.push_back(ch.action == Action::kDelete ? pg::Param::bytes(ch.base)
                                                            : pg::Param::bytes(ch.data));
            s.params.push_back(keyed ? pg::Param::number(key_in(ch.kind, ch.data))
                                     : pg::Param::null());
            break;
    }
    return s;
}

// A set the server says it stored before (sent again after its answer was lost): what its
// appends became, and whether each change was written then (the row holds it now) or found
// the row changed (it holds something else).
void recover_stored(pg::Connection& db, const Writer& w, const ChangeSet& cs,
                    ChangeSetOutcome& out) {
    out.outcomes.assign(cs.changes.size(), {});
    for (ChangeOutcome& o : out.outcomes) o.status = ChangeOutcome::Status::kStored;
    pg::Result r = db.exec(
        "SELECT origin_op, uid, coalesce(key, 0), pos FROM skarvel_rows "
        "WHERE origin = $1 AND origin_seq = $2::bigint",
        {pg::Param::text(w.origin), pg::Param::number(static_cast<long long>(cs.seq))}, true);
    for (int i = 0; r.ok() && i < r.rows(); ++i) {
        long long op = r.integer(i, 0);
        if (op < 0 || op >= static_cast<long long>(cs.changes.size())) continue;
        ChangeOutcome& o = out.outcomes[op];
        o.uid = r.integer(i, 1);
        o.key = static_cast<std::int32_t>(r.integer(i, 2));
        o.pos = r.integer(i, 3);
    }
    for (std::size_t i = 0; i < cs.changes.size(); ++i) {
        const Change& ch = cs.changes[i];
        if (ch.action == Action::kInsert || ch.action == Action::kReorder) continue;
        pg::Statement s{
            "SELECT deleted, data, pos FROM skarvel_rows WHERE kind = $1::smallint "
            "AND uid = skarvel_row($1::smallint, $2::bigint, $3, $4::bigint, "
            "$5::integer)",
            {pg::Param::number(ch.kind)}};
        add_row_reference(s.params, ch.uid, w);
        pg::Result row = db.exec(s, true);
        ChangeOutcome& o = out.outcomes[i];
        if (!row.ok() || row.rows() != 1) {
            o.status = ChangeOutcome::Status::kMissing;
            continue;
        }
        bool deleted = row.integer(0, 0) != 0;
        Bytes data = row.bytes(0, 1);
        bool written = ch.action == Action::kDelete ? deleted : (!deleted && data == ch.data);
        if (!written) {
            o.status = ChangeOutcome::Status::kStale;
            o.theirs_deleted = deleted;
            o.theirs = std::move(data);
        }
    }
}

}  // namespace

std::vector<ChangeSetOutcome> store_change_sets(pg::Connection& db, const Writer& w,
                                                const std::vector<ChangeSet>& sets) {
    std::vector<pg::Statement> statements;
    std::vector<std::size_t> ends;
    for (const ChangeSet& cs : sets) {
        statements.push_back({"SELECT skarvel_begin($1, $2, $3::bigint)",
                              {pg::Param::text(w.origin), pg::Param::text(w.host),
                               pg::Param::number(static_cast<long long>(cs.seq))}});
        for (std::size_t i = 0; i < cs.changes.size(); ++i)
            statements.push_back(statement_of(cs.changes[i], static_cast<int>(i), cs.seq, w));
        statements.push_back({std::string("SELECT pg_notify('") + kNotifyChannel +
                                  "', (SELECT seq FROM skarvel_clock)::text)",
                              {}});
        ends.push_back(statements.size());
    }
    std::vector<pg::Result> results = db.pipeline(statements, true, ends);
    std::vector<ChangeSetOutcome> out;
    if (results.size() != statements.size()) return out;

    std::size_t at = 0;
    for (const ChangeSet& cs : sets) {
        ChangeSetOutcome o;
        o.seq = cs.seq;
        const pg::Result& begin = results[at];
        std::size_t end = at + cs.changes.size() + 2;
        if (!begin.ok()) {
            if (begin.sqlstate() == "SK001") {
                o.stored = o.already_stored = true;
                recover_stored(db, w, cs, o);
            } else {
                o.error = begin.error();
            }
            out.push_back(std::move(o));
            at = end;
            continue;
        }
        o.change = begin.integer(0, 0);
        bool all_ok = true;
        for (std::size_t i = 0; i < cs.changes.size(); ++i) {
            const pg::Result& r = results[at + 1 + i];
            ChangeOutcome c;
            if (!r.ok() || r.rows() != 1) {
                all_ok = false;
                if (o.error.empty()) o.error = r.error();
                o.outcomes.push_back(c);
                continue;
            }
            switch (cs.changes[i].action) {
                case Action::kInsert:
                    c.status = ChangeOutcome::Status::kStored;
                    c.uid = r.integer(0, 0);
                    c.key = static_cast<std::int32_t>(r.integer(0, 1));
                    c.pos = c.uid;
                    break;
                case Action::kReorder:
                    c.status = r.is_null(0, 0) ? ChangeOutcome::Status::kMissing
                                               : ChangeOutcome::Status::kStored;
                    c.pos = r.integer(0, 0);
                    break;
                default: {
                    long long status = r.integer(0, 0);
                    c.uid = r.integer(0, 1);
                    c.theirs_deleted = r.integer(0, 2) != 0;
                    if (status == 0) {
                        c.status = ChangeOutcome::Status::kStored;
                    } else if (status == 1) {
                        c.status = ChangeOutcome::Status::kStale;
                        c.theirs = r.bytes(0, 3);
                    } else {
                        c.status = ChangeOutcome::Status::kMissing;
                    }
                    break;
                }
            }
            o.outcomes.push_back(std::move(c));
        }
        const pg::Result& notify = results[end - 1];
        o.stored = all_ok && notify.ok();
        if (!o.stored && o.error.empty())
            o.error = notify.ok() ? "a change failed" : notify.error();
        out.push_back(std::move(o));
        at = end;
    }
    return out;
}

bool pull_changes(pg::Connection& db, std::int64_t since, std::vector<ServerRow>& rows,
                  std::int64_t& last_change, std::string& error) {
    // One statement sees one moment: the clock and the rows agree.
    pg::Result r = db.exec(
        "SELECT r.kind, r.uid, r.pos, r.version, r.deleted, r.origin, r.data, c.seq "
        "FROM (SELECT seq FROM skarvel_clock) c "
        "LEFT JOIN skarvel_rows r ON r.version > $1::bigint "
        "ORDER BY r.version, r.kind, r.pos",
        {pg::Param::number(since)}, true);
    if (!r.ok()) {
        error = r.error();
        return false;
    }
    rows.clear();
    last_change = since;
    for (int i = 0; i < r.rows(); ++i) {
        last_change = std::max<std::int64_t>(last_change, r.integer(i, 7));
        if (!r.is_null(i, 0)) rows.push_back(server_row(r, i));
    }
    return true;
}

bool listen_for_changes(pg::Connection& db) {
    return db.exec(std::string("LISTEN ") + kNotifyChannel).ok();
}

std::vector<std::string> writer_hosts(pg::Connection& db) {
    std::vector<std::string> hosts;
    pg::Result r = db.exec("SELECT host FROM skarvel_origins ORDER BY last_seen DESC");
    for (int i = 0; r.ok() && i < r.rows(); ++i) hosts.emplace_back(r.text(i, 0));
    return hosts;
}

std::int64_t last_stored_seq(pg::Connection& db, const std::string& origin) {
    pg::Result r = db.exec("SELECT last_seq FROM skarvel_origins WHERE origin = $1 FOR UPDATE",
                           {pg::Param::text(origin)}, false);
    if (!r.ok()) return -1;
    return r.rows() == 0 ? 0 : r.integer(0, 0);
}

}  // namespace skarvel::shared
