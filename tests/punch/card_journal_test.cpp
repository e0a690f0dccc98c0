// The card journal: entries survive a torn last write, a replay enters each card once, and the
// desktop program killed in the middle of a race day loses no card read since the last save.
#include "punch/card_journal.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <memory>

#include "app/main_frame.h"
#include "core/wdb_file.h"
#include "punch/ui/station_reader_qt.h"
#include "tests/main_window_fixture.h"
#include "tests/punch/simulated_race.h"

using namespace skarvel;

namespace {

constexpr int kCards = 6;

constexpr std::int32_t kFirstCard = 2000100;

std::int32_t card_of(int i) {
    return testing::race_card(kFirstCard, i);
}

void race(Competition& c) {
    testing::simulated_race(c, kCards, kFirstCard);
}

CardReadout card(int i) {
    CardReadout r;
    r.card_number = card_of(i);
    r.start.time = 10 * 360000;
    r.finish.time = 10 * 360000 + (30 + i) * 6000;
    r.punch_count = 2;
    r.punches[0].code = 31;
    r.punches[0].time = 10 * 360000 + 6000;
    r.punches[1].code = 32;
    r.punches[1].time = 10 * 360000 + 12000;
    return r;
}

}  // namespace

class CardJournalTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }

    // A power cut in the middle of a write: every entry before it is kept.
    void tornLastEntryEndsTheReading() {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < 3; ++i) {
            JournalEntry e;
            e.card = card(i);
            auto b = encode_journal_entry(e);
            bytes.insert(bytes.end(), b.begin(), b.end());
        }
        FinishLine line;
        line.start_number = 7;
        line.set_time(123456);
        auto b = encode_journal_entry(JournalEntry::finish_line(line, 4));
        bytes.insert(bytes.end(), b.begin(), b.end());
        QCOMPARE(decode_journal(bytes).size(), std::size_t(4));
        QCOMPARE(decode_journal(bytes)[3].line.time(), 123456);
        QCOMPARE(decode_journal(bytes)[3].slot, 4);
        for (std::size_t cut : {std::size_t(1), std::size_t(5), b.size() - 1}) {
            std::vector<std::uint8_t> torn(bytes.begin(), bytes.end() - static_cast<long>(cut));
            QCOMPARE(decode_journal(torn).size(), std::size_t(3));
        }
        bytes[10] ^= 0x40;  // a scrambled first entry: nothing after it is trusted
        QCOMPARE(decode_journal(bytes).size(), std::size_t(0));
    }

    // Replayed twice (a crash after a save that did not get to empty the journal), each
    // card and click is entered once, and a line edited since keeps its edit.
    void replayEntersEachCardOnce() {
        Competition c;
        race(c);
        std::vector<JournalEntry> entries;
        for (int i = 0; i < 3; ++i) {
            JournalEntry e;
            e.card = card(i);
            entries.push_back(e);
        }
        FinishLine click;
        click.set_time(11 * 360000);
        entries.push_back(JournalEntry::finish_line(click, 3));
        // A passing journaled on arrival (no slot yet) and again once written to slot 4.
        FinishLine passing;
        passing.start_number = 2;
        passing.set_time(11 * 360000 + 100);
        entries.push_back(JournalEntry::finish_line(passing, -1));
        entries.push_back(JournalEntry::finish_line(passing, 4));
        JournalReplay first = replay_journal(c, entries);
        QCOMPARE(first.cards, 3);
        QCOMPARE(first.finish_lines, 2);
        QCOMPARE(c.tables.card_readouts.live_count(), 3);
        QCOMPARE(c.tables.finish_lines.live_count(), 5);
        QCOMPARE(int(c.tables.finish_lines[0]->start_number), 1);
        // The operator types a number into the clicked line before the save: the journal's
        // older state of that line is not added again.
        c.tables.finish_lines[3]->start_number = 9;
        JournalReplay again = replay_journal(c, entries);
        QCOMPARE(again.cards + again.finish_lines, 0);
        QCOMPARE(again.already_there, 6);
        QCOMPARE(c.tables.card_readouts.live_count(), 3);
        QCOMPARE(c.tables.finish_lines.live_count(), 5);
        QCOMPARE(int(c.tables.finish_lines[3]->start_number), 9);
    }

    // In a folder with a Cyrillic name too: a save lets go of what it wrote and keeps what
    // came after it, behind what had arrived but was not in the saved file.
    void saveKeepsWhatCameAfterItInACyrillicFolder() {
        QString dir = tmp.path() + QStringLiteral("/Старт");
        QVERIFY(QDir().mkpath(dir));
        std::string file = (dir + QStringLiteral("/гонка.wdb")).toStdString();
        CardJournal j;
        QVERIFY(j.open(file));
        JournalEntry e[3];
        for (int i = 0; i < 3; ++i) e[i].card = card(i);
        QVERIFY(j.append(e[0]));
        std::uint64_t saved = j.size();
        QVERIFY(j.append(e[1]));
        QVERIFY(j.drop_first(journal_path_for(file), saved, {e[2]}));
        QVERIFY(j.append(e[0]));
        QVERIFY(j.flush());
        std::vector<JournalEntry> left = read_journal(journal_path_for(file));
        QCOMPARE(left.size(), std::size_t(3));
        for (int i = 0; i < 3; ++i) QCOMPARE(left[i].card.card_number, card_of((2 + i * 2) % 3));
        QVERIFY(QFile::exists(dir + QStringLiteral("/гонка.wdb.journal")));
    }

    // Appending only queues (the writer thread writes); every entry is on the disk, in order,
    // once flushed and when the journal ends.
    void queuedEntriesReachTheDiskInOrder() {
        std::string file = (tmp.path() + "/queued.wdb").toStdString();
        {
            CardJournal j;
            QVERIFY(j.open(file));
            for (int i = 0; i < 40; ++i) {
                JournalEntry e;
                e.card = card(i % kCards);
                QVERIFY(j.append(e));
            }
            QVERIFY(j.flush());
            QCOMPARE(read_journal(journal_path_for(file)).size(), std::size_t(40));
            JournalEntry last;
            last.card = card(1);
            QVERIFY(j.append(last));
        }
        std::vector<JournalEntry> all = read_journal(journal_path_for(file));
        QCOMPARE(all.size(), std::size_t(41));
        for (int i = 0; i < 40; ++i) QCOMPARE(all[i].card.card_number, card_of(i % kCards));
        QCOMPARE(all[40].card.card_number, card_of(1));
    }

    // The desktop program reads cards from the simulator and is killed before anyone saves:
    // the competition file is as it was, and the next open has every card.
    void killedProgramLosesNoCard() {
        QString dir = tmp.path() + "/kill";
        QVERIFY(QDir().mkpath(dir + "/config/Skarvel"));
        std::string file = (dir + "/race.wdb").toStdString();
        {
            Competition c;
            race(c);
            QVERIFY(save_wdb(c, file));
        }
        testing::SimulatorOnPty station(testing::simulated_cards(kCards, kFirstCard), {150, 5, 0});
        QVERIFY(!station.device.empty());
        const std::string& device = station.device;

        QFile conf(dir + "/config/Skarvel/Skarvel.conf");
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(("[Setup]\nStationDevice=" + device + "\n").c_str());
        conf.close();
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir + "/config");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(SKARVEL_BIN),
                      {QStringLiteral("--read-cards"), QString::fromStdString(file)});
        QVERIFY(program.waitForStarted(20000));
        std::string journal = journal_path_for(file);
        QVERIFY2(QTest::qWaitFor(
                     [&] { return read_journal(journal).size() == std::size_t(kCards); }, 60000),
                 "the program did not journal every card");
        program.kill();  // as a crash or a power cut would
        QVERIFY(program.waitForFinished(20000));

        Competition on_disk;
        ScriptedPrompts quiet;
        QVERIFY(load_wdb(on_disk, file, quiet).status == LoadStatus::kOk);
        QCOMPARE(on_disk.tables.card_readouts.live_count(), 0);  // never written behind our back

        QVERIFY(open(900, 400, false));
        QVERIFY(frame->open_file(QString::fromStdString(file)));
        QCOMPARE(c().tables.card_readouts.live_count(), kCards);
        QCOMPARE(c().tables.finish_lines.live_count(), kCards);
        for (int i = 0; i < kCards; ++i) QCOMPARE(c().tables.runners[i]->status, std::uint8_t(0));
        QVERIFY(c().modified);
        QCOMPARE(prompts->messages.size(), std::size_t(1));
        QVERIFY(prompts->messages[0].find(std::to_string(kCards)) != std::string::npos);
        // Saved: the journal starts empty.
        QVERIFY(frame->save());
        QCOMPARE(read_journal(journal).size(), std::size_t(0));
        close();
    }

    // A full disk: the window says so at once (a message and a red pane in the status bar),
    // the station hears no acknowledgement and keeps offering the card; once there is room the
    // card is taken, entered and journaled, and the pane goes.
    void fullDiskTakesNoCardAndSaysSo() {
        std::string file = (tmp.path() + "/full.wdb").toStdString();
        {
            Competition c;
            race(c);
            QVERIFY(save_wdb(c, file));
        }
        QVERIFY(open(900, 400, false));
        QVERIFY(frame->open_file(QString::fromStdString(file)));
        frame->journal().set_room_for_tests(0);
        testing::SimulatorOnPty station(testing::simulated_cards(1, kFirstCard), {150, 5, 0});
        QVERIFY(!station.device.empty());
        QSettings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"))
            .setValue("Setup/StationDevice", QString::fromStdString(station.device));
        auto* reader = frame->findChild<StationReaderQt*>("station_reader");
        auto* pane = frame->findChild<QLabel*>("journal_pane");
        QVERIFY(reader && pane);
        QVERIFY(reader->toggle(StationReaderQt::Mode::kCards));
        // Read twice (three blocks each), taken never.
        QVERIFY(QTest::qWaitFor([&] { return station.station.reads_answered() >= 6; }, 60000));
        QCOMPARE(station.station.cards_taken(), 0);
        QVERIFY(QTest::qWaitFor([&] { return pane->isVisible(); }, 20000));
        QCOMPARE(prompts->messages.size(), std::size_t(1));
        QVERIFY(prompts->messages[0].find(journal_path_for(file)) != std::string::npos);
        QCOMPARE(c().tables.card_readouts.live_count(), 0);

        frame->journal().set_room_for_tests(UINT64_MAX);
        QVERIFY(QTest::qWaitFor([&] { return c().tables.card_readouts.live_count() == 1; }, 60000));
        QCOMPARE(station.station.cards_taken(), 1);
        QVERIFY(QTest::qWaitFor([&] { return !pane->isVisible(); }, 20000));
        QCOMPARE(read_journal(journal_path_for(file)).size(), std::size_t(1));
        QCOMPARE(prompts->messages.size(), std::size_t(1));  // told once
        reader->stop();
        close();
    }
};

QTEST_MAIN(CardJournalTest)
#include "card_journal_test.moc"
