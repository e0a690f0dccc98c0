// Two and three main windows joined to one shared competition on a throwaway server: cards
// read on one appear on the others, a conflicting edit is told, a window cut off from the
// server keeps working and sends what waited when it is back.
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/main_frame.h"
#include "core/demo_competition.h"
#include "core/finish_results.h"
#include "core/wdb_file.h"
#include "periph/ui/finish_server_qt.h"
#include "punch/punch_settings.h"
#include "punch/readout.h"
#include "shared/identity.h"
#include "shared/store.h"
#include "shared/ui/shared_dialogs.h"
#include "shared/ui/shared_session.h"
#include "tests/private_settings.h"
#include "tests/shared/test_server.h"
#include "tools/net_proxy/net_proxy.h"

using namespace skarvel;

namespace {

constexpr int kWait = 60000;  // generous: the sanitizer build on a busy machine

// A window of its own prompts and its own folder for shared competitions.
struct Window {
    std::unique_ptr<ScriptedPrompts> prompts = std::make_unique<ScriptedPrompts>();
    std::unique_ptr<CMainFrame> frame;
    std::vector<shared::Conflict> conflicts_told;
    int answer = 1;  // keep mine

    explicit Window(const QString& state_root) {
        frame = std::make_unique<CMainFrame>(prompts.get());
        frame->shared_state_root = state_root;
        frame->conflict_answer = [this](const shared::Conflict& k) {
            conflicts_told.push_back(k);
            return answer;
        };
        frame->resize(800, 500);
    }
    ~Window() {
        frame->save_question_answer = [] { return int(QMessageBox::No); };
        prompts->default_answer = true;  // leave even with changes waiting
        frame.reset();
    }
    Competition& c() { return frame->competition(); }
    SharedSession& session() { return *frame->shared(); }

    // A card as the station reader enters it.
    void read_card(const CardReadout& card) {
        ReadoutState state;
        process_card(c(), card, punch_settings_from(c().info), state, *prompts, {});
        finish_data_changed(c());
        frame->context().mark_modified();
    }
};

ServerAddress address_of(const std::string& database, int port = 0) {
    ServerAddress a;
    const char* host = std::getenv("PGHOST");
    const char* pgport = std::getenv("PGPORT");
    const char* user = std::getenv("PGUSER");
    a.host = port ? "127.0.0.1" : (host ? host : "localhost");
    a.port = port ? port : (pgport ? std::atoi(pgport) : 5432);
    a.database = database;
    a.user = user ? user : "";
    return a;
}

int readouts_with_card(Competition& c, std::int32_t card) {
    int n = 0;
    for (int i = 0; i < c.tables.card_readouts.used_end(); ++i)
        if (const CardReadout* r = c.tables.card_readouts[i]) n += r->card_number == card;
    return n;
}

const Runner* runner_with_card(Competition& c, std::int32_t card) {
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (const Runner* r = c.tables.runners[i]; r && r->card_number == card) return r;
    return nullptr;
}

}  // namespace

class SharedWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<skarvel::testing::TestDatabase> server;
    std::unique_ptr<QTemporaryDir> state;
    std::vector<CardReadout> cards;

    // Puts a race-day demo (runners still out) on the server.
    bool share_demo() {
        Competition demo;
        DemoOptions o;
        o.runners = 300;
        o.still_out = 12;
        make_demo_competition(demo, o, &cards);
        auto db = server->connect();
        return db && shared::share_competition(*db, demo, shared::new_origin_id(), "test", false)
                             .status == shared::ShareStatus::kOk;
    }
    std::unique_ptr<Window> join(int port = 0) {
        auto w = std::make_unique<Window>(state->path());
        if (!w->frame->open_shared(address_of(server->name(), port))) return nullptr;
        return w;
    }

  private slots:
    void initTestCase() { QVERIFY(skarvel::testing::use_private_settings()); }

    void init() {
        server = std::make_unique<skarvel::testing::TestDatabase>();
        if (!server->ready()) QSKIP(skarvel::testing::no_server_reason(*server).c_str());
        state = std::make_unique<QTemporaryDir>();
        QVERIFY(share_demo());
    }
    void cleanup() {
        state.reset();
        server.reset();
    }

    void cardsReadOnOneAppearOnTheOthers() {
        auto a = join(), b = join(), c = join();
        QVERIFY(a && b && c);
        QTRY_VERIFY_WITH_TIMEOUT(
            a->session().connected() && b->session().connected() && c->session().connected(),
            kWait);
        QCOMPARE(a->frame->findChild<QLabel*>("server_pane")->text(),
                 QString("сервер: связь есть"));
        // Two readout places read at once; each card shows everywhere with its result.
        QSignalSpy followed(c->frame.get(), &CMainFrame::competition_changed);
        a->read_card(cards[0]);
        b->read_card(cards[1]);
        a->read_card(cards[2]);
        for (Window* w : {a.get(), b.get(), c.get()}) {
            for (int k = 0; k < 3; ++k) {
                QTRY_COMPARE_WITH_TIMEOUT(readouts_with_card(w->c(), cards[k].card_number), 1,
                                          kWait);
                QTRY_VERIFY_WITH_TIMEOUT(
                    runner_with_card(w->c(), cards[k].card_number)->result != 0, kWait);
            }
        }
        // One order of the finish list everywhere.
        for (Window* w : {b.get(), c.get()}) {
            QTRY_COMPARE_WITH_TIMEOUT(w->c().tables.finish_lines.live_count(),
                                      a->c().tables.finish_lines.live_count(), kWait);
            for (int i = 0; i < a->c().tables.finish_lines.live_count(); ++i)
                QTRY_COMPARE_WITH_TIMEOUT(w->c().tables.finish_lines[i]->row.uid,
                                          a->c().tables.finish_lines[i]->row.uid, kWait);
        }
        QVERIFY(a->conflicts_told.empty() && b->conflicts_told.empty());
        // The watching window's display pages followed, and it sent nothing back: rows taken
        // in are no change of its own.
        QVERIFY(followed.count() > 0);
        QCOMPARE(c->session().core().stored_upto(), std::uint64_t(0));
        QCOMPARE(c->session().waiting(), 0);

        // "Save As" writes a snapshot of the shared competition, the others' cards in it; the
        // window stays joined.
        const std::string file = state->filePath("snapshot.wdb").toStdString();
        c->prompts->files.push_back(file);
        QVERIFY(c->frame->save_as());
        QCOMPARE(c->prompts->suggested_files.back(), server->name() + ".wdb");
        auto owned = std::make_unique<Competition>();
        Competition& saved = *owned;
        QVERIFY(load_wdb(saved, file, *c->prompts).ok());
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(readouts_with_card(saved, cards[k].card_number), 1);
            QCOMPARE(runner_with_card(saved, cards[k].card_number)->result,
                     runner_with_card(c->c(), cards[k].card_number)->result);
        }
        QVERIFY(c->frame->shared() != nullptr);
    }

    void aConflictingEditIsTold() {
        auto a = join(), b = join();
        QVERIFY(a && b);
        QTRY_VERIFY_WITH_TIMEOUT(a->session().connected() && b->session().connected(), kWait);
        // The same runner's card number typed on both before either has heard of the other:
        // the one that reaches the server second is told, sees both versions and keeps his;
        // the other then shows it. Nobody's change is lost silently.
        a->c().tables.runners[5]->card_number = 7001;
        b->c().tables.runners[5]->card_number = 7002;
        a->frame->context().mark_modified();
        b->frame->context().mark_modified();
        QTRY_COMPARE_WITH_TIMEOUT(int(a->conflicts_told.size() + b->conflicts_told.size()), 1,
                                  kWait);
        Window* told = a->conflicts_told.empty() ? b.get() : a.get();
        Window* other = told == a.get() ? b.get() : a.get();
        const std::int32_t kept = told == a.get() ? 7001 : 7002;
        Runner mine, theirs;
        codec::get(told->conflicts_told.front().mine.data(), mine);
        codec::get(told->conflicts_told.front().theirs.data(), theirs);
        QCOMPARE(mine.card_number, kept);
        QCOMPARE(theirs.card_number, 7001 + 7002 - kept);
        QTRY_COMPARE_WITH_TIMEOUT(other->c().tables.runners[5]->card_number, kept, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(told->session().waiting(), 0, kWait);
        QCOMPARE(told->c().tables.runners[5]->card_number, kept);
        QCOMPARE(int(other->conflicts_told.size()), 0);
    }

    void finishExchangeBetweenTwoJoinedWindowsIsRefused() {
        auto a = join(), b = join();
        QVERIFY(a && b);
        QTRY_VERIFY_WITH_TIMEOUT(a->session().connected() && b->session().connected(), kWait);
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        const int port = probe.localPort();
        probe.close();
        QSettings s(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        s.setValue(QStringLiteral("Setup/FinishListen"), QStringLiteral("127.0.0.1"));
        s.setValue(QStringLiteral("Setup/FinishClientPacingMs"), 0);
        a->frame->state().finish_port = b->frame->state().finish_port = port;
        a->frame->context().commands.run(CommandId::kStartServer);
        auto* server = a->frame->findChild<FinishServerQt*>();
        QVERIFY(server && server->running());
        // A runner still out finishes on b, whose finish client sends the line once to a.
        Competition& cb = b->c();
        const Runner* out = nullptr;
        for (int i = 0; i < cb.tables.runners.used_end() && !out; ++i)
            if (const Runner* r = cb.tables.runners[i]; r && r->result == 0 && r->start_time > 0)
                out = r;
        QVERIFY(out);
        const int number = out->start_number;
        FinishLine& line = *cb.tables.finish_lines[cb.new_record(kFinishLines)];
        line.start_number = static_cast<std::int16_t>(number);
        line.set_time(out->start_time + 3600000);
        set_field_text(cb.info.finish_server_name, "127.0.0.1");
        cb.info.client_send_mode = 2;  // once
        finish_data_changed(cb);
        b->frame->context().mark_modified();
        b->frame->context().commands.run(CommandId::kStartClient);
        // a refuses it and says so; the line reaches a once, through the server.
        QTRY_VERIFY_WITH_TIMEOUT(server->counts().same_shared >= 1, kWait);
        QCOMPARE(server->counts().stored, 0);
        const std::string told(a->frame->state().lang.text(Txt::kSharedFinishRefused));
        QTRY_VERIFY_WITH_TIMEOUT(
            std::count(a->prompts->messages.begin(), a->prompts->messages.end(), told) == 1, kWait);
        auto lines_of = [number](Competition& c) {
            int n = 0;
            for (int i = 0; i < c.tables.finish_lines.used_end(); ++i)
                if (const FinishLine* l = c.tables.finish_lines[i]) n += l->start_number == number;
            return n;
        };
        QTRY_COMPARE_WITH_TIMEOUT(lines_of(a->c()), 1, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(b->session().waiting(), 0, kWait);
        QCOMPARE(lines_of(a->c()), 1);
        s.remove(QStringLiteral("Setup/FinishListen"));
    }

    void aWindowCutOffSendsWhatWaitedWhenBack() {
        tools::NetProxy proxy("127.0.0.1", address_of("").port, std::chrono::milliseconds(0));
        QVERIFY(proxy.start());
        auto a = join(proxy.port()), b = join();
        QVERIFY(a && b);
        QTRY_VERIFY_WITH_TIMEOUT(a->session().connected() && b->session().connected(), kWait);
        proxy.cut();
        QTRY_VERIFY_WITH_TIMEOUT(!a->session().connected(), kWait);
        // Work goes on: cards read, a name typed; the status bar counts what waits.
        for (int k = 3; k < 6; ++k) a->read_card(cards[k]);
        set_field_text(a->c().tables.runners[1]->name, "Offline");
        a->frame->context().mark_modified();
        QTRY_VERIFY_WITH_TIMEOUT(a->session().waiting() >= 1, kWait);
        QTRY_VERIFY_WITH_TIMEOUT(
            a->frame->findChild<QLabel*>("server_pane")->text().startsWith("сервер: нет связи"),
            kWait);
        QCOMPARE(readouts_with_card(b->c(), cards[3].card_number), 0);
        // Back: everything reaches the other window, in order, nothing twice.
        proxy.restore();
        QTRY_VERIFY_WITH_TIMEOUT(a->session().connected(), kWait);
        QTRY_COMPARE_WITH_TIMEOUT(a->session().waiting(), 0, kWait);
        for (int k = 3; k < 6; ++k)
            QTRY_COMPARE_WITH_TIMEOUT(readouts_with_card(b->c(), cards[k].card_number), 1, kWait);
        QTRY_VERIFY_WITH_TIMEOUT(field_text(b->c().tables.runners[1]->name) == "Offline", kWait);
    }
};

QTEST_MAIN(SharedWindowTest)
#include "shared_window_test.moc"
