#include "shared/schema.h"

#include <cstdlib>

#include "shared/row_codec.h"

namespace skarvel::shared {

namespace {

std::string create_sql() {
    std::string s = R"SQL(
CREATE TABLE skarvel_meta (name text PRIMARY KEY, value text NOT NULL);
CREATE TABLE skarvel_clock (one boolean PRIMARY KEY DEFAULT true CHECK (one), seq bigint NOT NULL);
INSERT INTO skarvel_clock VALUES (true, 0);
CREATE TABLE skarvel_origins (
    origin text PRIMARY KEY,
    host text NOT NULL,
    last_seq bigint NOT NULL,
    last_seen timestamptz NOT NULL DEFAULT now());
CREATE TABLE skarvel_rows (
    kind smallint NOT NULL,
    uid bigint NOT NULL,
    pos bigint NOT NULL,
    version bigint NOT NULL,
    deleted boolean NOT NULL DEFAULT false,
    key integer,
    origin text NOT NULL,
    origin_seq bigint NOT NULL,
    origin_op integer NOT NULL,
    data bytea NOT NULL,
    PRIMARY KEY (kind, uid));
CREATE INDEX skarvel_rows_version ON skarvel_rows (version);
CREATE INDEX skarvel_rows_key ON skarvel_rows (kind, key) WHERE key IS NOT NULL;
CREATE INDEX skarvel_rows_origin ON skarvel_rows (origin, origin_seq, origin_op);

-- A 32-bit little-endian integer written into a record's bytes (a record id given anew).
CREATE FUNCTION skarvel_put_i32(d bytea, at integer, v integer) RETURNS bytea
LANGUAGE sql IMMUTABLE AS $$
    SELECT set_byte(set_byte(set_byte(set_byte(d, at, v & 255), at + 1, (v >> 8) & 255),
                             at + 2, (v >> 16) & 255), at + 3, (v >> 24) & 255)
$$;

-- Starts a change set: takes the next change number (and with it the clock's row, so writers
-- follow one another) and refuses a change set this computer has stored already.
CREATE FUNCTION skarvel_begin(p_origin text, p_host text, p_seq bigint) RETURNS bigint
LANGUAGE plpgsql AS $$
DECLARE
    s bigint;
    last bigint;
BEGIN
    UPDATE skarvel_clock SET seq = seq + 1 RETURNING seq INTO s;
    SELECT last_seq INTO last FROM skarvel_origins WHERE origin = p_origin FOR UPDATE;
    IF NOT FOUND THEN
        INSERT INTO skarvel_origins (origin, host, last_seq) VALUES (p_origin, p_host, 0);
        last := 0;
    END IF;
    IF p_seq <= last THEN
        RAISE EXCEPTION 'change set % of % is stored already', p_seq, p_origin
            USING ERRCODE = 'SK001';
    END IF;
    UPDATE skarvel_origins SET last_seq = p_seq, host = p_host, last_seen = now()
        WHERE origin = p_origin;
    RETURN s;
END $$;

-- Appends a row: its uid and place from the kind's sequence. A record id another computer has
-- taken meanwhile is replaced by the next free one (returned).
CREATE FUNCTION skarvel_insert(p_kind smallint, p_key integer, p_key_at integer, p_data bytea,
                               p_origin text, p_seq bigint, p_op integer,
                               OUT o_uid bigint, OUT o_key integer)
LANGUAGE plpgsql AS $$
DECLARE
    d bytea := p_data;
BEGIN
    o_key := p_key;
    IF p_key IS NOT NULL AND EXISTS (
            SELECT 1 FROM skarvel_rows r WHERE r.kind = p_kind AND r.key = p_key) THEN
        SELECT coalesce(max(r.key), 0) + 1 INTO o_key FROM skarvel_rows r WHERE r.kind = p_kind;
        d := skarvel_put_i32(d, p_key_at, o_key);
    END IF;
    o_uid := nextval(format('skarvel_uid_%s', p_kind)::regclass);
    INSERT INTO skarvel_rows (kind, uid, pos, version, deleted, key, origin, origin_seq,
                              origin_op, data)
        VALUES (p_kind, o_uid, o_uid, (SELECT seq FROM skarvel_clock), false, o_key, p_origin,
                p_seq, p_op, d);
END $$;

-- The uid of a row named by uid, or by the change set and place that appended it.
CREATE FUNCTION skarvel_row(p_kind smallint, p_uid bigint, p_origin text, p_seq bigint,
                            p_op integer) RETURNS bigint
LANGUAGE sql STABLE AS $$
    SELECT CASE WHEN p_uid IS NOT NULL THEN p_uid ELSE
        (SELECT uid FROM skarvel_rows WHERE origin = p_origin AND origin_seq = p_seq
             AND origin_op = p_op AND kind = p_kind) END
$$;

-- Changes a row that still holds what the change found (p_base; for p_action 4, bringing a
-- deleted record back, a tombstone holding it): 2 update, 3 delete, 4 undelete; status 0.
-- Otherwise nothing is written and the row as it is now comes back: status 1; no such row: 2.
CREATE FUNCTION skarvel_update(p_kind smallint, p_uid bigint, p_origin text, p_seq bigint,
                               p_op integer, p_action smallint, p_base bytea, p_data bytea,
                               p_key integer,
                               OUT o_status smallint, OUT o_uid bigint,
                               OUT o_deleted boolean, OUT o_data bytea)
LANGUAGE plpgsql AS $$
BEGIN
    o_uid := skarvel_row(p_kind, p_uid, p_origin, p_seq, p_op);
    SELECT deleted, data INTO o_deleted, o_data
        FROM skarvel_rows WHERE kind = p_kind AND uid = o_uid FOR UPDATE;
    IF NOT FOUND THEN
        o_status := 2;
        RETURN;
    END IF;
    IF o_deleted <> (p_action = 4) OR o_data <> p_base THEN
        o_status := 1;
        RETURN;
    END IF;
    UPDATE skarvel_rows
        SET data = CASE WHEN p_action = 3 THEN data ELSE p_data END,
            key = CASE WHEN p_action = 3 THEN key ELSE p_key END,
            deleted = (p_action = 3), version = (SELECT seq FROM skarvel_clock)
        WHERE kind = p_kind AND uid = o_uid;
    o_status := 0;
    o_deleted := (p_action = 3);
    o_data := NULL;
END $$;

-- Moves a row to the end of its table's order; its new place.
CREATE FUNCTION skarvel_reorder(p_kind smallint, p_uid bigint, p_origin text, p_seq bigint,
                                p_op integer) RETURNS bigint
LANGUAGE plpgsql AS $$
DECLARE
    p bigint;
BEGIN
    UPDATE skarvel_rows SET pos = nextval(format('skarvel_uid_%s', p_kind)::regclass),
                            version = (SELECT seq FROM skarvel_clock)
        WHERE kind = p_kind AND uid = skarvel_row(p_kind, p_uid, p_origin, p_seq, p_op)
        RETURNING pos INTO p;
    RETURN p;
END $$;
)SQL";
    for (int k = 0; k < kRowKindCount; ++k)
        s += "CREATE SEQUENCE skarvel_uid_" + std::to_string(k) + ";\n";
    return s;
}

const char* const kDropSql = R"SQL(
DROP FUNCTION IF EXISTS skarvel_reorder(smallint, bigint, text, bigint, integer);
DROP FUNCTION IF EXISTS skarvel_update(smallint, bigint, text, bigint, integer, smallint, bytea,
                                       bytea, integer);
DROP FUNCTION IF EXISTS skarvel_row(smallint, bigint, text, bigint, integer);
DROP FUNCTION IF EXISTS skarvel_insert(smallint, integer, integer, bytea, text, bigint, integer);
DROP FUNCTION IF EXISTS skarvel_begin(text, text, bigint);
DROP FUNCTION IF EXISTS skarvel_put_i32(bytea, integer, integer);
DROP TABLE IF EXISTS skarvel_rows, skarvel_origins, skarvel_clock, skarvel_meta;
)SQL";

}  // namespace

SchemaInfo read_schema(pg::Connection& db) {
    SchemaInfo info;
    pg::Result r = db.exec("SELECT to_regclass('skarvel_meta') IS NOT NULL");
    if (!r.ok()) {
        info.state = SchemaState::kBroken;
        info.error = r.error();
        return info;
    }
    if (r.text(0, 0) != "t") return info;
    r = db.exec("SELECT name, value FROM skarvel_meta WHERE name IN ('schema', 'competition')");
    if (!r.ok()) {
        info.state = SchemaState::kBroken;
        info.error = r.error();
        return info;
    }
    for (int i = 0; i < r.rows(); ++i) {
        if (r.text(i, 0) == "schema") info.version = std::atoi(std::string(r.text(i, 1)).c_str());
        if (r.text(i, 0) == "competition") info.competition_id = r.text(i, 1);
    }
    if (info.version <= 0) {
        info.state = SchemaState::kBroken;
        info.error = "skarvel_meta names no schema version";
    } else if (info.version > kSchemaVersion) {
        info.state = SchemaState::kNewer;
    } else if (info.version < kSchemaVersion) {
        info.state = SchemaState::kOlder;
    } else {
        info.state = SchemaState::kCurrent;
    }
    return info;
}

bool create_schema(pg::Connection& db, std::string& error) {
    pg::Result r = db.exec(create_sql());
    if (!r.ok()) {
        error = r.error();
        return false;
    }
    r = db.exec(
        "INSERT INTO skarvel_meta VALUES ('schema', $1), ('competition', gen_random_uuid()::text),"
        " ('created', now()::text)",
        {pg::Param::number(kSchemaVersion)}, false);
    if (!r.ok()) {
        error = r.error();
        return false;
    }
    return true;
}

bool drop_schema(pg::Connection& db, std::string& error) {
    pg::Result r = db.exec(kDropSql);
    if (!r.ok()) {
        error = r.error();
        return false;
    }
    for (int k = 0; k < kRowKindCount; ++k) {
        r = db.exec("DROP SEQUENCE IF EXISTS skarvel_uid_" + std::to_string(k));
        if (!r.ok()) {
            error = r.error();
            return false;
        }
    }
    return true;
}

}  // namespace skarvel::shared
