#include "shared/mirror.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <type_traits>

namespace skarvel::shared {

namespace {

template <class R>
struct Entry {
    R copy;                      // the record as last seen here (its row tag unused)
    std::uint32_t seen = 0;      // the capture that last met it in its table
    int pending = 0;             // its changes sent or waiting for the server
    Bytes pending_base;          // while pending: the row the local record went on from
    std::uint64_t last_seq = 0;  // the change set that last changed it here
    std::int64_t pos = 0;        // table order on the server (shared orders); 0 unknown
    bool deleted = false;
    bool conflict = false;  // waiting for the user's decision
};

template <class R>
struct Side {
    std::unordered_map<std::int64_t, Entry<R>> rows;
    int live = 0;  // entries not deleted
};

struct InfoSide {
    std::int64_t uid = 0;
    Bytes shared;  // as last captured or brought in
    int pending = 0;
    Bytes pending_base;
    bool conflict = false;
};

// The long names: one row per (table, record id).
struct NameEntry {
    std::int64_t uid = 0;
    Bytes data;  // as last captured or brought in
    int pending = 0;
    Bytes pending_base;
    std::uint64_t last_seq = 0;
    bool deleted = false;
    bool conflict = false;
};
struct NamesSide {
    std::map<LongNames::Key, NameEntry> by_key;
    std::unordered_map<std::int64_t, LongNames::Key> key_of;
};

template <class R>
constexpr std::size_t data_bytes() {
    static_assert(std::is_standard_layout_v<R>);
    return offsetof(R, row);
}

// The record's fields are where they were: a cheap test before its bytes are compared.
template <class R>
bool same_memory(const R& a, const R& b) {
    return std::memcmp(&a, &b, data_bytes<R>()) == 0;
}

template <class R>
void mark_pending(Entry<R>& e, const Bytes& before, std::uint64_t seq) {
    if (e.pending == 0) e.pending_base = before;
    ++e.pending;
    e.last_seq = seq;
}

template <class E>
void unmark_pending(E& e) {
    if (e.pending > 0 && --e.pending == 0) e.pending_base.clear();
}

// Tables whose order every computer shares. The runners' order is each computer's own: the
// list view's selection commands put the chosen runners first.
constexpr bool ordered_kind(int kind) {
    return kind > kRowRunners && kind < kRowInfo;
}

std::int32_t key_in(int kind, const Bytes& data) {
    int at = key_offset(kind);
    if (at < 0 || data.size() < static_cast<std::size_t>(at + 4)) return 0;
    return codec::read_at<std::int32_t>(data.data(), static_cast<std::size_t>(at));
}

template <class R>
std::int32_t* id_field(R& r) {
    if constexpr (requires { r.id; })
        return &r.id;
    else
        return nullptr;
}

// Records by uid (pointers stay valid while slots move).
template <class R>
std::unordered_map<std::int64_t, R*> index_of(const Table<R>& t) {
    std::unordered_map<std::int64_t, R*> m;
    m.reserve(static_cast<std::size_t>(t.used_end()));
    for (int i = 0; i < t.used_end(); ++i)
        if (R* r = t[i]; r && r->row.uid != 0) m.emplace(r->row.uid, r);
    return m;
}

template <class R>
int slot_of(const Table<R>& t, const R* r) {
    for (int i = 0; i < t.used_end(); ++i)
        if (t[i] == r) return i;
    return kNoSlot;
}

}  // namespace

struct Mirror::Sides {
    Side<Runner> runners;
    Side<Club> clubs;
    Side<ClassRecord> classes;
    Side<Course> courses;
    Side<FinishLine> lines;
    Side<CardReadout> readouts;
    InfoSide info;
    NamesSide names;
};

namespace {

// Calls f(table, side) for a record kind.
template <class F>
void with_kind(RecordTables& t, Mirror::Sides& s, int kind, F&& f) {
    switch (kind) {
        case kRowRunners:
            f(t.runners, s.runners);
            break;
        case kRowClubs:
            f(t.clubs, s.clubs);
            break;
        case kRowClasses:
            f(t.classes, s.classes);
            break;
        case kRowCourses:
            f(t.courses, s.courses);
            break;
        case kRowFinishLines:
            f(t.finish_lines, s.lines);
            break;
        case kRowCardReadouts:
            f(t.card_readouts, s.readouts);
            break;
        default:
            break;
    }
}

template <class F>
void each_kind(RecordTables& t, Mirror::Sides& s, F&& f) {
    for (int k = 0; k < kRowInfo; ++k)
        with_kind(t, s, k, [&f, k](auto& table, auto& side) { f(k, table, side); });
}

// ---- capture ----

template <class R>
void capture_table(Table<R>& t, Side<R>& side, int kind, ChangeSet& cs, std::uint32_t gen) {
    int seen = 0;
    for (int i = 0; i < t.used_end(); ++i) {
        R* r = t[i];
        if (!r) continue;
        std::int64_t uid = r->row.uid;
        auto it = uid != 0 ? side.rows.find(uid) : side.rows.end();
        if (it == side.rows.end() || it->second.seen == gen) {
            // A new record (or a copy of one met already in this pass).
            int op = static_cast<int>(cs.changes.size());
            std::int64_t p = provisional_uid(cs.seq, op);
            r->row.uid = p;
            r->row.foreign = false;
            Entry<R> e;
            e.copy = *r;
            e.seen = gen;
            e.pending = 1;
            e.last_seq = cs.seq;
            side.rows.emplace(p, std::move(e));
            ++side.live;
            ++seen;
            cs.changes.push_back({kind, Action::kInsert, p, {}, shared_bytes(*r)});
            continue;
        }
        Entry<R>& e = it->second;
        e.seen = gen;
        if (e.conflict) {
            // Its changes wait for the user's decision, which takes the record as it is then.
            if (e.deleted) {
                e.deleted = false;
                ++side.live;
            }
            ++seen;
            continue;
        }
        if (e.deleted) {
            // Brought back (undo of a deletion).
            e.deleted = false;
            ++side.live;
            ++seen;
            Bytes before = shared_bytes(e.copy);
            e.copy = *r;
            mark_pending(e, before, cs.seq);
            cs.changes.push_back({kind, Action::kUndelete, uid, before, shared_bytes(*r)});
            continue;
        }
        ++seen;
        if (same_memory(*r, e.copy)) continue;
        Bytes now = shared_bytes(*r);
        Bytes before = shared_bytes(e.copy);
        e.copy = *r;
        if (now == before) continue;  // only this computer's own fields changed
        mark_pending(e, before, cs.seq);
        cs.changes.push_back({kind, Action::kUpdate, uid, std::move(before), std::move(now)});
    }
    if (seen < side.live) {
        for (auto& [uid, e] : side.rows) {
            if (e.seen == gen || e.deleted) continue;
            e.deleted = true;
            --side.live;
            if (e.conflict) continue;
            Bytes before = shared_bytes(e.copy);
            mark_pending(e, before, cs.seq);
            cs.changes.push_back({kind, Action::kDelete, uid, std::move(before), {}});
        }
    }
    if (!ordered_kind(kind)) return;
    // The table order is shared: rows the server has placed must stand in its order, before
    // the rows still on their way. A local sort breaks it: the rows are then placed anew, in
    // the local order.
    std::int64_t last = 0;
    bool unplaced_seen = false, broken = false;
    for (int i = 0; i < t.used_end() && !broken; ++i) {
        const R* r = t[i];
        if (!r) continue;
        const Entry<R>& e = side.rows.at(r->row.uid);
        if (e.pos == 0) {
            unplaced_seen = true;
        } else {
            broken = e.pos < last || unplaced_seen;
            last = e.pos;
        }
    }
    if (!broken) return;
    for (int i = 0; i < t.used_end(); ++i) {
        const R* r = t[i];
        if (!r) continue;
        Entry<R>& e = side.rows.at(r->row.uid);
        e.pos = 0;
        ++e.pending;
        if (e.pending == 1) e.pending_base = shared_bytes(e.copy);
        cs.changes.push_back({kind, Action::kReorder, r->row.uid, {}, {}});
    }
}

void capture_info(CompetitionInfo& info, InfoSide& side, ChangeSet& cs) {
    if (side.conflict || side.uid == 0) return;
    Bytes now = shared_info_bytes(info);
    if (now == side.shared) return;
    if (side.pending == 0) side.pending_base = side.shared;
    ++side.pending;
    cs.changes.push_back({kRowInfo, Action::kUpdate, side.uid, side.shared, now});
    side.shared = std::move(now);
}

void capture_names(const LongNames& names, NamesSide& side, ChangeSet& cs) {
    for (const auto& [key, name] : names.entries()) {
        Bytes now = encode_name_row(key.first, key.second, name);
        auto it = side.by_key.find(key);
        if (it == side.by_key.end() || (it->second.deleted && !it->second.conflict)) {
            std::int64_t p = provisional_uid(cs.seq, static_cast<int>(cs.changes.size()));
            NameEntry& e = side.by_key[key];
            Bytes before = e.data;
            bool undelete = it != side.by_key.end() && e.uid > 0;
            if (!undelete) e.uid = p;
            e.deleted = false;
            e.data = now;
            if (e.pending++ == 0) e.pending_base = before;
            e.last_seq = cs.seq;
            side.key_of[e.uid] = key;
            if (undelete)
                cs.changes.push_back({kRowNames, Action::kUndelete, e.uid, before, now});
            else
                cs.changes.push_back({kRowNames, Action::kInsert, p, {}, now});
            continue;
        }
        NameEntry& e = it->second;
        if (e.conflict || e.data == now) continue;
        if (e.pending++ == 0) e.pending_base = e.data;
        e.last_seq = cs.seq;
        cs.changes.push_back({kRowNames, Action::kUpdate, e.uid, e.data, now});
        e.data = std::move(now);
    }
    for (auto& [key, e] : side.by_key) {
        if (e.deleted || e.conflict || names.entries().count(key)) continue;
        e.deleted = true;
        if (e.pending++ == 0) e.pending_base = e.data;
        e.last_seq = cs.seq;
        cs.changes.push_back({kRowNames, Action::kDelete, e.uid, e.data, {}});
    }
}

// A names row as the server has it: into the competition's long names, merged with a change
// of ours on its way. Returns whether they changed.
bool apply_name(LongNames& names, NamesSide& side, const ServerRow& row) {
    int type = 0;
    std::int32_t id = 0;
    LongName name;
    bool readable = decode_name_row(row.data, type, id, name);
    auto k = side.key_of.find(row.uid);
    if (k == side.key_of.end()) {
        if (row.deleted || !readable) return false;
        LongNames::Key key{type, id};
        NameEntry& e = side.by_key[key];
        e.uid = row.uid;
        e.data = row.data;
        e.deleted = false;
        side.key_of[row.uid] = key;
        names.set(static_cast<RecordType>(type), id, std::move(name));
        return true;
    }
    NameEntry& e = side.by_key[k->second];
    if (e.conflict || e.pending > 0) return false;  // met when our change comes back
    if (row.deleted) {
        if (e.deleted) return false;
        e.deleted = true;
        names.erase(static_cast<RecordType>(k->second.first), k->second.second);
        return true;
    }
    if (!readable || (row.data == e.data && !e.deleted)) return false;
    e.deleted = false;
    e.data = row.data;
    names.set(static_cast<RecordType>(type), id, std::move(name));
    return true;
}

// ---- bringing rows in ----

// The slot where a row placed at `pos` goes: after the placed rows before it, before the rows
// placed after it and the rows still on their way.
template <class R>
int slot_for_pos(const Table<R>& t, const Side<R>& side, std::int64_t pos) {
    auto pos_of = [&side](const R* r) {
        auto it = side.rows.find(r->row.uid);
        return it == side.rows.end() ? std::int64_t(0) : it->second.pos;
    };
    int n = t.live_count();
    int placed_end = n;
    while (placed_end > 0 && pos_of(t[placed_end - 1]) == 0) --placed_end;
    int lo = 0, hi = placed_end;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (pos_of(t[mid]) < pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

template <class R>
struct Incoming {
    Table<R>& t;
    Side<R>& side;
    int kind;
    const std::string& origin;
    std::unordered_map<std::int64_t, R*> index;
    bool indexed = false;

    R* find(std::int64_t uid) {
        if (!indexed) {
            index = index_of(t);
            indexed = true;
        }
        auto it = index.find(uid);
        return it == index.end() ? nullptr : it->second;
    }

    R* insert(const ServerRow& row, std::int64_t pos) {
        int at = ordered_kind(kind) ? slot_for_pos(t, side, pos) : -1;
        int slot = insert_row_record_into(t, row, row.origin != origin, at);
        if (slot == kNoSlot) return nullptr;
        R* r = t[slot];
        if (indexed) index[row.uid] = r;
        return r;
    }

    static int insert_row_record_into(Table<R>& t, const ServerRow& row, bool foreign, int at) {
        if (row.data.size() != static_cast<std::size_t>(R::kSize)) return kNoSlot;
        auto r = std::make_unique<R>();
        codec::get(row.data.data(), *r);
        r->row.uid = row.uid;
        r->row.foreign = foreign;
        return at >= 0 ? t.insert_at(at, std::move(r)) : t.insert(std::move(r));
    }

    void remove(R* r) {
        // The uid is read before the record is let go: extract() hands back its only owner.
        auto uid = r->row.uid;
        int slot = slot_of(t, r);
        if (slot != kNoSlot) t.extract(slot);
        if (indexed) index.erase(uid);
    }

    // Puts a record whose place changed where the server now has it.
    void move(R* r, std::int64_t pos) {
        int slot = slot_of(t, r);
        if (slot == kNoSlot) return;
        std::unique_ptr<R> owned = t.extract(slot);
        int at = slot_for_pos(t, side, pos);
        t.insert_at(at, std::move(owned));
    }

    // Returns whether the competition changed.
    bool apply(const ServerRow& row) {
        if (row.data.size() != static_cast<std::size_t>(R::kSize)) return false;
        auto it = side.rows.find(row.uid);
        if (it == side.rows.end()) {
            if (row.deleted) return false;  // appended and deleted before we looked
            R* r = insert(row, row.pos);
            if (!r) return false;
            Entry<R> e;
            e.copy = *r;
            e.pos = row.pos;
            side.rows.emplace(row.uid, std::move(e));
            ++side.live;
            return true;
        }
        Entry<R>& e = it->second;
        R* r = e.deleted ? nullptr : find(row.uid);
        if (e.conflict) return false;  // the user decides with the newest row (see settle)
        if (row.deleted) {
            if (e.deleted || e.pending > 0) return false;  // a change of ours meets it when sent
            if (r) remove(r);
            e.deleted = true;
            --side.live;
            return true;
        }
        bool changed = false;
        if (e.deleted) {
            if (e.pending > 0) return false;
            // Brought back on another computer.
            r = insert(row, row.pos);
            if (!r) return false;
            e.deleted = false;
            ++side.live;
            e.copy = *r;
            e.pos = row.pos;
            return true;
        }
        if (!r) return false;
        if (ordered_kind(kind) && row.pos != e.pos && e.pending == 0) {
            e.pos = row.pos;
            move(r, row.pos);
            changed = true;
        }
        Bytes mine = shared_bytes(*r);
        if (row.data == mine) return changed;
        if (e.pending == 0) {
            apply_shared_bytes(*r, row.data);
        } else {
            Merge m = merge_rows(kind, e.pending_base, mine, row.data);
            if (!m.clean()) return changed;  // told when our change comes back stale
            apply_shared_bytes(*r, m.merged);
            e.pending_base = row.data;
        }
        e.copy = *r;
        return true;
    }
};

bool apply_info(CompetitionInfo& info, InfoSide& side, const ServerRow& row) {
    if (row.deleted || row.data.size() != static_cast<std::size_t>(CompetitionInfo::kSize))
        return false;
    if (side.uid == 0) side.uid = row.uid;
    if (row.uid != side.uid || side.conflict) return false;
    Bytes mine = shared_info_bytes(info);
    if (mine == row.data) return false;
    if (side.pending == 0) {
        apply_shared_info(info, row.data);
    } else {
        Merge m = merge_rows(kRowInfo, side.pending_base, mine, row.data);
        if (!m.clean()) return false;
        apply_shared_info(info, m.merged);
        side.pending_base = row.data;
    }
    side.shared = shared_info_bytes(info);
    return true;
}

}  // namespace

// ---- Mirror ----

Mirror::Mirror(std::string origin)
    : origin_(std::move(origin)), sides_(std::make_unique<Sides>()) {}
Mirror::~Mirror() = default;

void Mirror::adopt(const Competition& c, const Snapshot& s) {
    sides_ = std::make_unique<Sides>();
    resolved_.clear();
    std::unordered_map<std::int64_t, std::int64_t> pos_of[kRowKindCount];
    for (const ServerRow& row : s.rows) {
        if (row.kind >= 0 && row.kind < kRowKindCount) pos_of[row.kind][row.uid] = row.pos;
        if (row.kind == kRowInfo) sides_->info.uid = row.uid;
        int type = 0;
        std::int32_t id = 0;
        LongName name;
        if (row.kind == kRowNames && decode_name_row(row.data, type, id, name)) {
            LongNames::Key key{type, id};
            NameEntry& e = sides_->names.by_key[key];
            e.uid = row.uid;
            e.data = row.data;
            sides_->names.key_of[row.uid] = key;
        }
    }
    sides_->info.shared = shared_info_bytes(c.info);
    auto& tables = const_cast<RecordTables&>(c.tables);
    each_kind(tables, *sides_, [&pos_of](int kind, auto& t, auto& side) {
        for (int i = 0; i < t.used_end(); ++i) {
            auto* r = t[i];
            if (!r || r->row.uid <= 0) continue;
            typename std::remove_reference_t<decltype(side.rows)>::mapped_type e;
            e.copy = *r;
            auto p = pos_of[kind].find(r->row.uid);
            e.pos = p == pos_of[kind].end() ? 0 : p->second;
            side.rows.emplace(r->row.uid, std::move(e));
            ++side.live;
        }
    });
}

ChangeSet Mirror::capture(Competition& c, std::uint64_t seq) {
    ChangeSet cs;
    cs.seq = seq;
    ++generation_;
    each_kind(c.tables, *sides_, [this, &cs](int kind, auto& t, auto& side) {
        capture_table(t, side, kind, cs, generation_);
    });
    capture_info(c.info, sides_->info, cs);
    capture_names(c.long_names, sides_->names, cs);
    return cs;
}

Applied Mirror::apply(Competition& c, const std::vector<ServerRow>& rows) {
    Applied a;
    // Kind by kind (each table's rows found once), in change order within a kind.
    std::vector<ServerRow> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const ServerRow& x, const ServerRow& y) { return x.kind < y.kind; });
    const std::vector<ServerRow>& rows_by_kind = sorted;
    std::size_t i = 0;
    while (i < rows_by_kind.size()) {
        int kind = rows_by_kind[i].kind;
        std::size_t j = i;
        while (j < rows_by_kind.size() && rows_by_kind[j].kind == kind) ++j;
        if (kind == kRowInfo) {
            for (std::size_t k = i; k < j; ++k)
                if (apply_info(c.info, sides_->info, rows_by_kind[k])) {
                    a.info = true;
                    ++a.rows;
                }
        } else if (kind == kRowNames) {
            for (std::size_t k = i; k < j; ++k)
                if (apply_name(c.long_names, sides_->names, rows_by_kind[k])) ++a.rows;
        } else {
            with_kind(c.tables, *sides_, kind, [&](auto& t, auto& side) {
                using R = std::remove_pointer_t<decltype(t[0])>;
                Incoming<R> in{t, side, kind, origin_, {}, false};
                for (std::size_t k = i; k < j; ++k)
                    if (in.apply(rows_by_kind[k])) ++a.rows;
            });
        }
        i = j;
    }
    if (a.rows > 0) {
        a.finish_data = true;
        c.rebuild_number_index();
    }
    return a;
}

namespace {

// Gives an id that the server gave anew (taken elsewhere meanwhile) to the references this
// computer made to the record since it was made.
void follow_new_id(Competition& c, Mirror::Sides& s, int kind, std::int32_t old_id,
                   std::int32_t new_id, std::uint64_t since_seq) {
    auto recent = [since_seq](const auto& side, std::int64_t uid) {
        auto it = side.rows.find(uid);
        return uid < 0 || (it != side.rows.end() && it->second.last_seq >= since_seq);
    };
    if (kind == kRowClasses || kind == kRowClubs) {
        for (int i = 0; i < c.tables.runners.used_end(); ++i) {
            Runner* r = c.tables.runners[i];
            if (!r || !recent(s.runners, r->row.uid)) continue;
            if (kind == kRowClasses && r->class_id == old_id)
                r->class_id = static_cast<std::int16_t>(new_id);
            if (kind == kRowClubs && r->club_id == old_id)
                r->club_id = static_cast<std::int16_t>(new_id);
        }
    } else if (kind == kRowCourses) {
        for (int i = 0; i < c.tables.classes.used_end(); ++i) {
            ClassRecord* k = c.tables.classes[i];
            if (k && recent(s.classes, k->row.uid) && k->course_id == old_id)
                k->course_id = static_cast<std::int16_t>(new_id);
        }
    }
}

}  // namespace

Applied Mirror::settle(Competition& c, const ChangeSet& sent, const ChangeSetOutcome& outcome,
                       std::vector<Change>& resend, std::vector<Conflict>& conflicts) {
    Applied a;
    if (!outcome.stored) {
        // Refused whole (a fault, not a conflict): the changes are given up; the rows are taken
        // back from the server when they next change there.
        for (const Change& ch : sent.changes) {
            if (ch.kind == kRowInfo) {
                unmark_pending(sides_->info);
                continue;
            }
            if (ch.kind == kRowNames) {
                if (auto k = sides_->names.key_of.find(resolved_uid_or(ch.uid));
                    k != sides_->names.key_of.end())
                    unmark_pending(sides_->names.by_key[k->second]);
                continue;
            }
            with_kind(c.tables, *sides_, ch.kind, [&](auto&, auto& side) {
                auto it = side.rows.find(ch.uid);
                if (it != side.rows.end()) unmark_pending(it->second);
            });
        }
        return a;
    }
    for (std::size_t i = 0; i < sent.changes.size() && i < outcome.outcomes.size(); ++i) {
        const Change& ch = sent.changes[i];
        const ChangeOutcome& o = outcome.outcomes[i];
        if (ch.kind == kRowInfo) {
            InfoSide& info = sides_->info;
            unmark_pending(info);
            if (o.status != ChangeOutcome::Status::kStale) continue;
            Merge m = merge_rows(kRowInfo, ch.base, ch.data, o.theirs);
            if (m.clean()) {
                Merge local = merge_rows(kRowInfo, ch.base, shared_info_bytes(c.info), o.theirs);
                if (local.clean()) {
                    apply_shared_info(c.info, local.merged);
                    info.shared = shared_info_bytes(c.info);
                    a.info = true;
                }
                if (info.pending == 0) info.pending_base = o.theirs;
                ++info.pending;
                resend.push_back({kRowInfo, Action::kUpdate, info.uid, o.theirs, m.merged});
            } else {
                info.conflict = true;
                conflicts.push_back({kRowInfo, info.uid, ch.base, ch.data, o.theirs, false, false,
                                     m.conflicts, sent.background});
            }
            continue;
        }
        if (ch.kind == kRowNames) {
            settle_name(c, sent, ch, o, resend, conflicts);
            continue;
        }
        with_kind(c.tables, *sides_, ch.kind, [&](auto& t, auto& side) {
            using R = std::remove_pointer_t<decltype(t[0])>;
            std::int64_t uid = ch.uid;
            if (auto r = resolved_.find(uid); r != resolved_.end()) uid = r->second;
            auto it = side.rows.find(uid);
            if (it == side.rows.end()) return;
            auto find_record = [&t](std::int64_t id) -> R* {
                for (int k = 0; k < t.used_end(); ++k)
                    if (R* r = t[k]; r && r->row.uid == id) return r;
                return nullptr;
            };
            if (o.status == ChangeOutcome::Status::kStored) {
                if (ch.action == Action::kInsert && o.uid > 0 && uid < 0) {
                    auto node = side.rows.extract(uid);
                    node.key() = o.uid;
                    auto& e = side.rows.insert(std::move(node)).position->second;
                    resolved_[uid] = o.uid;
                    e.pos = o.pos;
                    R* r = find_record(uid);
                    if (r) r->row.uid = o.uid;
                    unmark_pending(e);
                    std::int32_t sent_key = key_in(ch.kind, ch.data);
                    if (r && key_offset(ch.kind) >= 0 && o.key != sent_key) {
                        if (std::int32_t* id = id_field(*r)) *id = o.key;
                        if (std::int32_t* id = id_field(e.copy)) *id = o.key;
                        follow_new_id(c, *sides_, ch.kind, sent_key, o.key, sent.seq);
                        ++a.rows;
                    }
                    return;
                }
                auto& e = it->second;
                if (ch.action == Action::kReorder) e.pos = o.pos;
                unmark_pending(e);
                return;
            }
            auto& e = it->second;
            unmark_pending(e);
            const bool theirs_deleted =
                o.status == ChangeOutcome::Status::kMissing || o.theirs_deleted;
            if (ch.action == Action::kReorder) return;  // the row is gone: nothing to place
            Conflict k;
            k.kind = ch.kind;
            k.uid = uid;
            k.base = ch.base;
            k.theirs = o.theirs;
            k.theirs_deleted = theirs_deleted;
            k.background = sent.background;
            if (ch.action == Action::kDelete) {
                if (theirs_deleted) return;  // deleted on both
                k.mine_deleted = true;
                k.fields = field_spans(ch.kind);
            } else if (theirs_deleted) {
                k.mine = ch.data;
                k.fields = field_spans(ch.kind);
            } else {
                Merge m = merge_rows(ch.kind, ch.base, ch.data, o.theirs);
                R* r = e.deleted ? nullptr : find_record(uid);
                if (m.clean()) {
                    // Both changes stand: the merged row goes to the server, and the local
                    // record takes the other computer's part too.
                    if (r) {
                        Merge local = merge_rows(ch.kind, ch.base, shared_bytes(*r), o.theirs);
                        if (local.clean()) {
                            apply_shared_bytes(*r, local.merged);
                            e.copy = *r;
                            ++a.rows;
                        }
                    }
                    if (e.pending == 0) e.pending_base = o.theirs;
                    ++e.pending;
                    resend.push_back({ch.kind, Action::kUpdate, uid, o.theirs, m.merged});
                    return;
                }
                k.mine = ch.data;
                k.fields = m.conflicts;
            }
            e.conflict = true;
            conflicts.push_back(std::move(k));
        });
    }
    if (a.rows > 0) a.finish_data = true;
    return a;
}

std::int64_t Mirror::resolved_uid_or(std::int64_t uid) const {
    auto it = resolved_.find(uid);
    return it == resolved_.end() ? uid : it->second;
}

void Mirror::settle_name(Competition& c, const ChangeSet& sent, const Change& ch,
                         const ChangeOutcome& o, std::vector<Change>& resend,
                         std::vector<Conflict>& conflicts) {
    NamesSide& names = sides_->names;
    std::int64_t uid = resolved_uid_or(ch.uid);
    auto k = names.key_of.find(uid);
    if (k == names.key_of.end()) return;
    LongNames::Key key = k->second;
    NameEntry& e = names.by_key[key];
    unmark_pending(e);
    if (o.status == ChangeOutcome::Status::kStored) {
        if (ch.action == Action::kInsert && o.uid > 0 && uid < 0) {
            names.key_of.erase(uid);
            names.key_of[o.uid] = key;
            e.uid = o.uid;
            resolved_[uid] = o.uid;
        }
        return;
    }
    // Names change as a whole: a name both computers changed is the user's to decide.
    bool theirs_deleted = o.status == ChangeOutcome::Status::kMissing || o.theirs_deleted;
    if (ch.action == Action::kDelete && theirs_deleted) return;
    if (!theirs_deleted && o.theirs == ch.data) return;
    (void)c;
    (void)resend;
    e.conflict = true;
    conflicts.push_back(
        {kRowNames, e.uid, ch.base, ch.action == Action::kDelete ? Bytes{} : ch.data, o.theirs,
         ch.action == Action::kDelete, theirs_deleted, field_spans(kRowNames), sent.background});
}

std::vector<Change> Mirror::keep_mine(Competition& c, const Conflict& k) {
    std::vector<Change> out;
    if (k.kind == kRowInfo) {
        InfoSide& info = sides_->info;
        info.conflict = false;
        Bytes mine = shared_info_bytes(c.info);
        info.shared = mine;
        if (info.pending == 0) info.pending_base = k.theirs;
        ++info.pending;
        out.push_back({kRowInfo, Action::kUpdate, info.uid, k.theirs, mine});
        return out;
    }
    if (k.kind == kRowNames) {
        auto key = sides_->names.key_of.find(k.uid);
        if (key == sides_->names.key_of.end()) return out;
        NameEntry& e = sides_->names.by_key[key->second];
        e.conflict = false;
        const LongName* now = nullptr;
        auto it = c.long_names.entries().find(key->second);
        if (it != c.long_names.entries().end()) now = &it->second;
        if (e.pending++ == 0) e.pending_base = k.theirs;
        if (now) {
            e.data = encode_name_row(key->second.first, key->second.second, *now);
            e.deleted = false;
            out.push_back({kRowNames, k.theirs_deleted ? Action::kUndelete : Action::kUpdate, k.uid,
                           k.theirs, e.data});
        } else if (!k.theirs_deleted) {
            e.deleted = true;
            out.push_back({kRowNames, Action::kDelete, k.uid, k.theirs, {}});
        } else {
            unmark_pending(e);
        }
        return out;
    }
    with_kind(c.tables, *sides_, k.kind, [&](auto& t, auto& side) {
        auto it = side.rows.find(k.uid);
        if (it == side.rows.end()) return;
        auto& e = it->second;
        e.conflict = false;
        auto* r = e.deleted ? nullptr : index_of(t)[k.uid];
        if (r) {
            Bytes mine = shared_bytes(*r);
            e.copy = *r;
            mark_pending(e, k.theirs, e.last_seq);
            out.push_back({k.kind, k.theirs_deleted ? Action::kUndelete : Action::kUpdate, k.uid,
                           k.theirs, mine});
        } else if (!k.theirs_deleted) {
            mark_pending(e, k.theirs, e.last_seq);
            out.push_back({k.kind, Action::kDelete, k.uid, k.theirs, {}});
        }
    });
    return out;
}

Applied Mirror::take_theirs(Competition& c, const Conflict& k) {
    Applied a;
    if (k.kind == kRowInfo) {
        InfoSide& info = sides_->info;
        info.conflict = false;
        apply_shared_info(c.info, k.theirs);
        info.shared = shared_info_bytes(c.info);
        a.info = true;
        a.rows = 1;
        a.finish_data = true;
        return a;
    }
    if (k.kind == kRowNames) {
        auto key = sides_->names.key_of.find(k.uid);
        if (key == sides_->names.key_of.end()) return a;
        NameEntry& e = sides_->names.by_key[key->second];
        e.conflict = false;
        ServerRow row;
        row.kind = kRowNames;
        row.uid = k.uid;
        row.deleted = k.theirs_deleted;
        row.data = k.theirs;
        e.data.clear();  // so that the row is taken whatever it holds
        apply_name(c.long_names, sides_->names, row);
        a.rows = 1;
        return a;
    }
    with_kind(c.tables, *sides_, k.kind, [&](auto& t, auto& side) {
        using R = std::remove_pointer_t<decltype(t[0])>;
        auto it = side.rows.find(k.uid);
        if (it == side.rows.end()) return;
        auto& e = it->second;
        e.conflict = false;
        Incoming<R> in{t, side, k.kind, origin_, {}, false};
        R* r = e.deleted ? nullptr : in.find(k.uid);
        if (k.theirs_deleted) {
            if (r) in.remove(r);
            if (!e.deleted) --side.live;
            e.deleted = true;
        } else {
            if (!r) {
                ServerRow row;
                row.kind = k.kind;
                row.uid = k.uid;
                row.data = k.theirs;
                row.origin = origin_;
                r = in.insert(row, e.pos);
                if (!r) return;
                if (e.deleted) ++side.live;
                e.deleted = false;
            } else {
                apply_shared_bytes(*r, k.theirs);
            }
            e.copy = *r;
        }
        a.rows = 1;
        a.finish_data = true;
    });
    if (a.rows) c.rebuild_number_index();
    return a;
}

int Mirror::pending_rows() const {
    int n = sides_->info.pending > 0 ? 1 : 0;
    for (const auto& [key, e] : sides_->names.by_key) n += e.pending > 0;
    auto count = [&n](const auto& side) {
        for (const auto& [uid, e] : side.rows) n += e.pending > 0;
    };
    count(sides_->runners);
    count(sides_->clubs);
    count(sides_->classes);
    count(sides_->courses);
    count(sides_->lines);
    count(sides_->readouts);
    return n;
}

std::int64_t Mirror::resolved_uid(std::int64_t uid) const {
    if (uid > 0) return uid;
    auto it = resolved_.find(uid);
    return it == resolved_.end() ? 0 : it->second;
}

}  // namespace skarvel::shared
