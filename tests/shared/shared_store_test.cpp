// The shared competition's rows: what stays with each computer, merging, putting a competition
// on a server and reading it back, and two computers changing it.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "core/demo_competition.h"
#include "core/finish_results.h"
#include "core/wdb_file.h"
#include "shared/identity.h"
#include "shared/mirror.h"
#include "shared/retag.h"
#include "shared/schema.h"
#include "shared/store.h"
#include "shared/sync_core.h"
#include "tests/shared/test_server.h"

using namespace skarvel;
using namespace skarvel::shared;

namespace {

TEST(RowCodec, LocalFieldsStayOutOfTheSharedBytes) {
    // Each computer's own figures and marks: changing them leaves the shared bytes alone.
    Runner r;
    r.start_number = 12;
    Bytes before = shared_bytes(r);
    r.result = 360000;
    r.finish_time = 4000000;
    r.place = 3;
    r.marked = 1;
    r.draw_key = 77;
    EXPECT_EQ(shared_bytes(r), before);
    r.status = 1;
    EXPECT_NE(shared_bytes(r), before);

    ClassRecord k;
    Bytes class_before = shared_bytes(k);
    k.set_marked(true);
    k.runner_count = 9;
    EXPECT_EQ(shared_bytes(k), class_before);
    k.set_ranks_allowed(true);  // the other bit of the same byte is shared
    EXPECT_NE(shared_bytes(k), class_before);

    CompetitionInfo info;
    Bytes info_before = shared_info_bytes(info);
    info.filter_class_id = 4;
    info.port_index = 3;
    info.view_table = 2;
    EXPECT_EQ(shared_info_bytes(info), info_before);
    info.time_precision = 2;
    EXPECT_NE(shared_info_bytes(info), info_before);
}

TEST(RowCodec, ArrivingRowKeepsTheLocalFields) {
    Runner here;
    here.place = 5;
    here.marked = 1;
    Runner there;
    there.start_time = 3600000;
    apply_shared_bytes(here, shared_bytes(there));
    EXPECT_EQ(here.start_time, 3600000);
    EXPECT_EQ(here.place, 5);
    EXPECT_EQ(here.marked, 1);
}

TEST(RowCodec, MergeTakesBothSidesFieldByField) {
    Runner base;
    set_field_text(base.name, "Base");
    base.start_number = 1;
    struct Case {
        const char* what;
        void (*mine)(Runner&);
        void (*theirs)(Runner&);
        bool clean;
    } cases[] = {
        {"different fields", [](Runner& r) { set_field_text(r.name, "Mine"); },
         [](Runner& r) { r.start_time = 100; }, true},
        {"the same change", [](Runner& r) { r.status = 7; }, [](Runner& r) { r.status = 7; }, true},
        {"one field two ways", [](Runner& r) { r.card_number = 5; },
         [](Runner& r) { r.card_number = 6; }, false},
        {"days of a multi-day result", [](Runner& r) { r.day_results[0] = 1; },
         [](Runner& r) { r.day_results[1] = 2; }, true},
    };
    for (const Case& c : cases) {
        Runner mine = base, theirs = base;
        c.mine(mine);
        c.theirs(theirs);
        Merge m =
            merge_rows(kRowRunners, shared_bytes(base), shared_bytes(mine), shared_bytes(theirs));
        EXPECT_EQ(m.clean(), c.clean) << c.what;
        if (!c.clean) continue;
        Runner merged;
        codec::get(m.merged.data(), merged);
        Runner expected = theirs;
        c.mine(expected);
        EXPECT_EQ(shared_bytes(merged), shared_bytes(expected)) << c.what;
    }
}

TEST(ChangeSets, StoredFormReadsBack) {
    ChangeSet cs;
    cs.seq = 42;
    cs.background = true;
    cs.changes.push_back({kRowFinishLines, Action::kInsert, provisional_uid(42, 0), {}, {1, 2}});
    cs.changes.push_back({kRowRunners, Action::kUpdate, 7, {3}, {4, 5, 6}});
    Bytes stored = encode_change_set(cs);
    std::size_t at = 0;
    auto back = decode_change_set(stored, at);
    ASSERT_TRUE(back);
    EXPECT_EQ(at, stored.size());
    EXPECT_EQ(back->seq, 42u);
    EXPECT_TRUE(back->background);
    ASSERT_EQ(back->changes.size(), 2u);
    EXPECT_EQ(back->changes[0].uid, provisional_uid(42, 0));
    EXPECT_EQ(provisional_seq(back->changes[0].uid), 42u);
    EXPECT_EQ(back->changes[1].data, (Bytes{4, 5, 6}));
    // A torn tail is refused, whatever its length.
    for (std::size_t cut = 1; cut < stored.size(); cut += 7) {
        Bytes torn(stored.begin(), stored.begin() + cut);
        std::size_t p = 0;
        EXPECT_FALSE(decode_change_set(torn, p)) << cut;
    }
}

// ---- on a server ----

// One joined computer: its copy of the competition and its bookkeeping.
struct Computer {
    std::unique_ptr<Competition> c = std::make_unique<Competition>();
    SyncCore core{new_origin_id()};
    std::unique_ptr<pg::Connection> db;
    Writer w;

    explicit Computer(const skarvel::testing::TestDatabase& server) : db(server.connect()) {
        w = {core.origin(), "test-host"};
        Snapshot s;
        EXPECT_EQ(fetch_snapshot(*db, s).status, FetchStatus::kOk);
        build_competition(*c, s, core.origin());
        core.joined(*c, s);
    }
    Applied sync() {
        Applied a;
        EXPECT_TRUE(sync_step(core, *c, *db, w, &a));
        if (a.finish_data) finish_data_changed(*c);
        return a;
    }
};

// The shared bytes of every record of a table, in table order.
template <class R>
std::vector<Bytes> table_bytes(const Table<R>& t) {
    std::vector<Bytes> out;
    for (int i = 0; i < t.used_end(); ++i)
        if (const R* r = t[i]) out.push_back(shared_bytes(*r));
    return out;
}

// The runners, whose order is each computer's own, by uid.
std::map<std::int64_t, Bytes> runners_by_uid(const Competition& c) {
    std::map<std::int64_t, Bytes> out;
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (const Runner* r = c.tables.runners[i]) out[r->row.uid] = shared_bytes(*r);
    return out;
}

// `in_order`: the runners in table order too (a competition and what was fetched of it).
void expect_same(const Competition& a, const Competition& b, bool in_order = false) {
    if (in_order)
        EXPECT_EQ(table_bytes(a.tables.runners), table_bytes(b.tables.runners));
    else
        EXPECT_EQ(runners_by_uid(a), runners_by_uid(b));
    EXPECT_EQ(table_bytes(a.tables.clubs), table_bytes(b.tables.clubs));
    EXPECT_EQ(table_bytes(a.tables.classes), table_bytes(b.tables.classes));
    EXPECT_EQ(table_bytes(a.tables.courses), table_bytes(b.tables.courses));
    EXPECT_EQ(table_bytes(a.tables.finish_lines), table_bytes(b.tables.finish_lines));
    EXPECT_EQ(table_bytes(a.tables.card_readouts), table_bytes(b.tables.card_readouts));
    EXPECT_EQ(shared_info_bytes(a.info), shared_info_bytes(b.info));
}

class SharedServer : public ::testing::Test {
  protected:
    void SetUp() override {
        SKARVEL_NEED_SERVER(server);
        make_demo_competition(demo, DemoOptions{});
        finish_data_changed(demo);
        auto db = server.connect();
        ShareResult r = share_competition(*db, demo, new_origin_id(), "sharer", false);
        ASSERT_EQ(r.status, ShareStatus::kOk) << r.error;
    }
    skarvel::testing::TestDatabase server;
    Competition demo;
};

TEST_F(SharedServer, FetchGivesTheCompetitionThatWasShared) {
    Computer a(server);
    expect_same(*a.c, demo, true);
    // Results and places are worked out again from the shared rows.
    for (int i = 0; i < demo.tables.runners.used_end(); ++i) {
        EXPECT_EQ(a.c->tables.runners[i]->result, demo.tables.runners[i]->result) << i;
        EXPECT_EQ(a.c->tables.runners[i]->place, demo.tables.runners[i]->place) << i;
    }
    auto db = server.connect();
    EXPECT_EQ(read_schema(*db).state, SchemaState::kCurrent);
}

TEST_F(SharedServer, SharingAgainNeedsReplaceAndANewerSchemaIsRefused) {
    auto db = server.connect();
    Competition other;
    make_demo_competition(other, DemoOptions{.runners = 20, .seed = 9});
    EXPECT_EQ(share_competition(*db, other, "x", "h", false).status, ShareStatus::kAlreadyShared);
    EXPECT_EQ(share_competition(*db, other, "x", "h", true).status, ShareStatus::kOk);
    Computer a(server);
    expect_same(*a.c, other, true);

    ASSERT_TRUE(db->exec("UPDATE skarvel_meta SET value = '99' WHERE name = 'schema'").ok());
    Snapshot s;
    FetchResult f = fetch_snapshot(*db, s);
    EXPECT_EQ(f.status, FetchStatus::kNewerSchema);
    EXPECT_EQ(f.schema_version, 99);
    EXPECT_EQ(share_competition(*db, demo, "x", "h", true).status, ShareStatus::kNewerSchema);
}

TEST_F(SharedServer, ChangesOfOneComputerReachTheOther) {
    Computer a(server), b(server);
    Competition& ca = *a.c;
    // An edit, a new finish line, a deleted card readout, a setting.
    set_field_text(ca.tables.runners[3]->name, "Edited");
    int slot = ca.new_record(kFinishLines);
    ca.tables.finish_lines[slot]->start_number = 101;
    ca.tables.finish_lines[slot]->set_time(4473100);
    ca.delete_record(kCardReadouts, 0);
    ca.info.time_precision = 2;
    // A long name kept beside the competition (an IOF import's full class name).
    const ClassRecord& k = *ca.tables.classes[0];
    ca.long_names.set(kClasses, k.id, {std::string(field_text(k.name)), "Men Elite Long", ""});
    a.sync();
    Applied got = b.sync();
    EXPECT_GT(got.rows, 0);
    expect_same(*b.c, ca);
    const LongName* name = b.c->long_names.find(kClasses, k.id, field_text(k.name));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->full, "Men Elite Long");
    // Taken away again on one computer: gone on the other.
    ca.long_names.erase(kClasses, k.id);
    a.sync();
    b.sync();
    EXPECT_TRUE(b.c->long_names.empty());
    // The new line came with the server's uid, in its place at the end.
    const FinishLine* line = b.c->tables.finish_lines[b.c->tables.finish_lines.live_count() - 1];
    EXPECT_EQ(line->start_number, 101);
    EXPECT_GT(line->row.uid, 0);
    EXPECT_TRUE(line->row.foreign);
    EXPECT_FALSE(ca.tables.finish_lines[slot]->row.foreign);
    EXPECT_EQ(ca.tables.finish_lines[slot]->row.uid, line->row.uid);
}

TEST_F(SharedServer, TwoComputersAppendingAtOnceKeepOneOrder) {
    Computer a(server), b(server);
    for (Computer* x : {&a, &b})
        for (int k = 0; k < 3; ++k) {
            int slot = x->c->new_record(kFinishLines);
            x->c->tables.finish_lines[slot]->start_number =
                static_cast<std::int16_t>(x == &a ? 500 + k : 600 + k);
        }
    a.sync();
    b.sync();
    a.sync();
    expect_same(*a.c, *b.c);
    // And a sort on one computer gives the other the same order.
    std::swap(a.c->tables.finish_lines.slot(0), a.c->tables.finish_lines.slot(1));
    a.sync();
    b.sync();
    expect_same(*a.c, *b.c);
}

TEST_F(SharedServer, EditsOfTheSameRecordMergeOrAreTold) {
    Computer a(server), b(server);
    // Different fields: both stand, on both computers.
    set_field_text(a.c->tables.runners[0]->name, "From A");
    b.c->tables.runners[0]->start_time = 3600000;
    a.sync();
    b.sync();
    a.sync();
    expect_same(*a.c, *b.c);
    EXPECT_EQ(field_text(b.c->tables.runners[0]->name), "From A");
    EXPECT_EQ(a.c->tables.runners[0]->start_time, 3600000);
    EXPECT_TRUE(a.core.conflicts().empty());
    EXPECT_TRUE(b.core.conflicts().empty());

    // The same field two ways: the second computer is told, with both versions, and nothing
    // is overwritten until it decides.
    a.c->tables.runners[1]->card_number = 111;
    b.c->tables.runners[1]->card_number = 222;
    a.sync();
    b.sync();
    ASSERT_EQ(b.core.conflicts().size(), 1u);
    const Conflict& k = b.core.conflicts().front();
    Runner mine, theirs;
    codec::get(k.mine.data(), mine);
    codec::get(k.theirs.data(), theirs);
    EXPECT_EQ(mine.card_number, 222);
    EXPECT_EQ(theirs.card_number, 111);
    EXPECT_EQ(b.c->tables.runners[1]->card_number, 222);
    b.sync();  // nothing goes while the conflict is open
    a.sync();
    EXPECT_EQ(a.c->tables.runners[1]->card_number, 111);
    b.core.decide(*b.c, true);
    b.sync();
    a.sync();
    EXPECT_EQ(a.c->tables.runners[1]->card_number, 222);

    // A deletion against an edit is told as well; taking theirs brings the record back.
    a.c->tables.runners[2]->status = 7;
    b.c->delete_record(kRunners, 2);
    a.sync();
    b.sync();
    ASSERT_EQ(b.core.conflicts().size(), 1u);
    EXPECT_TRUE(b.core.conflicts().front().mine_deleted);
    b.core.decide(*b.c, false);
    b.sync();
    a.sync();
    expect_same(*a.c, *b.c);
}

TEST_F(SharedServer, NewRecordsWithTheSameIdAreNumberedApart) {
    Computer a(server), b(server);
    auto new_class = [](Competition& c, const char* name) {
        int slot = c.new_record(kClasses);
        c.fill_new_class(*c.tables.classes[slot]);
        set_field_text(c.tables.classes[slot]->name, name);
        int r = c.new_record(kRunners);
        c.fill_new_runner(*c.tables.runners[r]);
        c.tables.runners[r]->class_id = static_cast<std::int16_t>(c.tables.classes[slot]->id);
        return std::pair{slot, r};
    };
    auto [ka, ra] = new_class(*a.c, "A-class");
    auto [kb, rb] = new_class(*b.c, "B-class");
    ASSERT_EQ(a.c->tables.classes[ka]->id, b.c->tables.classes[kb]->id);
    a.sync();
    b.sync();
    b.sync();
    a.sync();
    expect_same(*a.c, *b.c);
    // Each runner still names its own class.
    for (Computer* x : {&a, &b}) {
        Competition& c = *x->c;
        for (int i = 0; i < c.tables.runners.used_end(); ++i) {
            const Runner* r = c.tables.runners[i];
            if (!r || r->row.uid != a.c->tables.runners[ra]->row.uid) continue;
            EXPECT_EQ(field_text(c.find_class_by_id(r->class_id)->name), "A-class");
        }
        const Runner* rb_here = nullptr;
        for (int i = 0; i < c.tables.runners.used_end(); ++i)
            if (c.tables.runners[i] &&
                c.tables.runners[i]->row.uid == b.c->tables.runners[rb]->row.uid)
                rb_here = c.tables.runners[i];
        ASSERT_TRUE(rb_here);
        EXPECT_EQ(field_text(c.find_class_by_id(rb_here->class_id)->name), "B-class");
    }
}

TEST_F(SharedServer, AChangeSetSentTwiceIsStoredOnce) {
    Computer a(server), b(server);
    int slot = a.c->new_record(kFinishLines);
    a.c->tables.finish_lines[slot]->start_number = 700;
    a.core.capture(*a.c);
    std::vector<ChangeSet> batch = a.core.take_batch();
    ASSERT_EQ(store_change_sets(*a.db, a.w, batch).size(), 1u);
    // The answer was lost: the same batch goes again.
    a.core.batch_lost();
    a.sync();
    b.sync();
    int lines_700 = 0;
    for (int i = 0; i < b.c->tables.finish_lines.used_end(); ++i)
        lines_700 += b.c->tables.finish_lines[i]->start_number == 700;
    EXPECT_EQ(lines_700, 1);
    expect_same(*a.c, *b.c);
}

TEST_F(SharedServer, RetagFindsTheRecordsAFileCommandKept) {
    Computer a(server);
    auto after = std::make_unique<Competition>();
    std::vector<std::uint8_t> bytes = encode_wdb(*a.c);
    ASSERT_TRUE(decode_wdb(*after, bytes.data(), bytes.size()).ok());
    set_field_text(after->tables.runners[5]->name, "Changed in the file");
    after->delete_record(kFinishLines, 1);
    retag(*a.c, *after);
    ChangeSet cs = a.core.mirror().capture(*after, 1);
    ASSERT_EQ(cs.changes.size(), 2u);
    EXPECT_EQ(cs.changes[0].action, Action::kUpdate);
    EXPECT_EQ(cs.changes[1].action, Action::kDelete);
}

}  // namespace
