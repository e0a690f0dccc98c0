// The card-reading commands in the real main window (offscreen), against the station
// simulator on a pseudo-terminal: F8 reads cards into the tables, the same command stops,
// "перепроверить этот чип" checks the readout under the cursor, and the settings dialog stores
// the punching settings.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/cp1251.h"
#include "platform/qt/qt_text.h"
#include "punch/ui/punch_settings_dialog.h"
#include "punch/ui/transponder_reader_qt.h"
#include "tests/main_window_fixture.h"
#include "tools/decoder_sim/decoder_sim.h"
#include "tools/modem_sim/modem_sim.h"
#include "tools/station_sim/station_sim.h"

using namespace skarvel;
using namespace skarvel::literals;

class PunchCommandsTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(set_up_program()); }
    void init() { QVERIFY(open(900, 400, false)); }
    void cleanup() { close(); }

    // "Удалить КП из считанного": the question first, then the code in the "Поиск" dialog.
    void removeControlAsksThenTakesTheCodeFromTheFindDialog() {
        CardReadout& r = *c().tables.card_readouts[c().new_record(kCardReadouts)];
        r.card_number = 5;
        r.punch_count = 3;
        for (int i = 0; i < 3; ++i) r.punches[i].code = static_cast<std::uint8_t>(i < 2 ? 31 : 32);
        prompts->yes_no_answers = {false, true};
        prompts->texts = {std::string("31")};
        trigger(CommandId::kRemoveControlFromReadout);  // No: nothing asked further
        QCOMPARE(prompts->questions.size(), std::size_t(1));
        trigger(CommandId::kRemoveControlFromReadout);
        const std::string question = "Отметку какого КП удалить из содержимого ЧИПов?"_cp1251;
        QCOMPARE(
            prompts->questions,
            (std::vector<std::string>{
                question, question, std::string(russian_language_table().text(Txt::kFindPrompt))}));
        QCOMPARE(prompts->captions.back(), std::string("Поиск"_cp1251));
        QCOMPARE(r.punch_count, 1);
        QCOMPARE(int(r.punches[0].code), 32);
    }

    void f8ReadsCardsAndStops() {
        sim::SimScript script;
        QVERIFY(sim::parse_script(
            "card type=6 number=1234567 start=10:00:00 finish=10:30:00 "
            "punches=31@10:10:00,32@10:20:00\n"
            "card type=5 number=12345 start=10:00:00 finish=10:31:00 punches=31@10:10:00\n",
            script, nullptr));
        sim::StationSimulator station(std::move(script), {150, 5, 0});
        std::string device = station.open_pty();
        QVERIFY(!device.empty());
        std::thread sim_thread([&] { station.run(); });
        QSettings settings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        settings.setValue("Setup/StationDevice", QString::fromStdString(device));
        settings.sync();

        Course& k = *c().tables.courses[c().new_record(kCourses)];
        k.id = 1;
        k.control_codes[0] = 31;
        k.control_codes[1] = 32;
        ClassRecord& g = *c().tables.classes[c().new_record(kClasses)];
        g.id = 1;
        g.course_id = 1;
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.id = 1;
        r.start_number = 5;
        r.card_number = 1234567;
        r.class_id = 1;
        c().rebuild_number_index();
        c().info.check_mode = kCheckCourse;
        c().info.finish_source = kSourceStation;
        c().info.start_source = kSourceStation;

        trigger(CommandId::kStartReading);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kStartReading)->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(c().tables.card_readouts.live_count(), 2, 15000);
        trigger(CommandId::kStartReading);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kStartReading)->isChecked());
        station.stop();
        sim_thread.join();

        QCOMPARE(c().tables.finish_lines.live_count(), 1);
        QCOMPARE(int(c().tables.finish_lines[0]->start_number), 5);
        QCOMPARE(r.start_time, 10 * 360000);
        QVERIFY(c().modified);

        // The re-check works on the readout under the cursor, with the card readouts shown.
        frame->view().show_table(kCardReadouts);
        frame->view().set_cursor_row(0);
        trigger(CommandId::kRecheckCard);
        QCOMPARE(QString::fromStdString(prompts->messages.back()), QStringLiteral("Check_cp=1"));
        frame->view().show_table(kRunners);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kRecheckCard)->isEnabled());
    }

    // Each card shows in the status bar; a port that goes away stops the reader with a message
    // and F8 is released.
    void statusBarTellsEachCardAndALostPortStopsReading() {
        sim::SimScript script;
        QVERIFY(sim::parse_script(
            "card type=6 number=7654321 start=10:00:00 finish=10:30:00 punches=31@10:10:00\n"
            "card type=6 number=1111111 start=10:00:00 finish=10:31:00 punches=31@10:10:00\n",
            script, nullptr));
        auto station =
            std::make_unique<sim::StationSimulator>(std::move(script), sim::SimOptions{150, 5, 0});
        std::string device = station->open_pty();
        QVERIFY(!device.empty());
        std::thread sim_thread([&] { station->run(); });
        QSettings settings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        settings.setValue("Setup/StationDevice", QString::fromStdString(device));
        settings.sync();
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.id = 1;
        r.start_number = 7;
        r.start_time = 10 * 360000;
        r.card_number = 7654321;
        set_field_text(r.name, "Lis Anna");
        c().rebuild_number_index();
        c().info.check_mode = kCheckNone;
        c().info.finish_source = kSourceStation;

        trigger(CommandId::kStartReading);
        QTRY_COMPARE_WITH_TIMEOUT(c().tables.card_readouts.live_count(), 2, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(frame->status_text().startsWith(QStringLiteral("ЧИП 1111111")),
                                 5000);
        QVERIFY2(frame->status_text().contains(QStringLiteral("владелец не найден")),
                 qPrintable(frame->status_text()));
        QVERIFY(frame->action(CommandId::kStartReading)->isChecked());

        // The station goes away.
        station->stop();
        sim_thread.join();
        station.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!frame->action(CommandId::kStartReading)->isChecked(), 15000);
        QVERIFY(frame->status_text().contains(QString::fromStdString(device)));
        QVERIFY(!prompts->messages.empty());
        QCOMPARE(qs(prompts->messages.back()), frame->status_text());
        QCOMPARE(c().tables.finish_lines.live_count(), 1);
    }

    // "Запустить чтение радио-КП": the modem's records become finish lines with the control in
    // the high time byte; F8 meanwhile says the port is held; the same command stops.
    void radioControlsReadTheModemAndHoldThePort() {
        sim::ModemScript script;
        QVERIFY(sim::parse_modem_script("message 7654321:31@10:00:00\n", script, nullptr));
        sim::ModemSimulator modem(std::move(script), {});
        std::string device = modem.open_pty();
        QVERIFY(!device.empty());
        std::thread sim_thread([&] { modem.run(); });
        QSettings settings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        settings.setValue("Setup/StationDevice", QString::fromStdString(device));
        settings.sync();
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.id = 1;
        r.start_number = 7;
        r.card_number = 7654321;
        c().rebuild_number_index();
        c().info.competition_start = 9 * 360000;

        trigger(CommandId::kRadioControls);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kRadioControls)->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(c().tables.finish_lines.live_count(), 1, 15000);
        QCOMPARE(int(c().tables.finish_lines[0]->start_number), 7);
        QCOMPARE(c().tables.finish_lines[0]->time_word, (31u << 24) | 10u * 360000u);
        QCOMPARE(c().tables.card_readouts.live_count(), 1);
        QVERIFY(frame->status_text().startsWith(QStringLiteral("Радио-КП 31: ЧИП 7654321")));

        trigger(CommandId::kStartReading);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kStartReading)->isChecked());
        QCOMPARE(prompts->messages.back(),
                 port_busy_message(russian_language_table(), device, Txt::kPortHolderRadio));

        trigger(CommandId::kRadioControls);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kRadioControls)->isChecked());
        QCOMPARE(qs(prompts->messages.back()), QStringLiteral("Чтение радио-КП выключено"));
        modem.stop();
        sim_thread.join();
    }

    void settingsDialogStoresOnOk() {
        c().modified = false;
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<PunchSettingsDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->check_mode->setCurrentIndex(4);
            d->port->setEditText("/dev/pts/99");
            d->accept();
        });
        trigger(CommandId::kPunchSettings);
        QCOMPARE(int(c().info.check_mode), 4);
        QCOMPARE(int(c().info.port_index), 0);
        QVERIFY(c().modified);
        QSettings settings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        QCOMPARE(settings.value("Setup/StationDevice").toString(), QStringLiteral("/dev/pts/99"));

        // Cancel keeps everything.
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<PunchSettingsDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->check_mode->setCurrentIndex(0);
            d->reject();
        });
        trigger(CommandId::kPunchSettings);
        QCOMPARE(int(c().info.check_mode), 4);
    }

    // The decoder reader with its radio mark, the time shift it applies, and the port it
    // refuses while the station reader holds it.
    void decoderPassingsBecomeFinishLinesWithTheShift() {
        std::vector<sim::SimPassing> passings;
        QVERIFY(
            sim::parse_decoder_script("passing code=AB-1234X time=36000.456\n"
                                      "passing code=ZZ-0000Z time=36001.000\n",
                                      passings, nullptr));
        sim::DecoderSimulator decoder(passings);
        const std::string device = decoder.open_pty();
        QVERIFY(!device.empty());
        QSettings settings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        settings.setValue("Setup/StationDevice", QString::fromStdString(device));
        settings.sync();
        Runner& r = *c().tables.runners[c().new_record(kRunners)];
        r.id = 1;
        r.start_number = 7;
        set_field_text(r.comment, "AB1234X");
        c().info.time_precision = 2;

        prompts->texts = {std::string("-00:01:00,00")};
        trigger(CommandId::kAmbTimeShift);
        QCOMPARE(c().info.amb_time_shift, -6000);
        QCOMPARE(qs(prompts->captions.back()), QStringLiteral("Сдвиг АМВ"));

        auto* reader = frame->findChild<TransponderReaderQt*>("transponder_reader");
        QVERIFY(reader);
        std::atomic<bool> listening{false};
        reader->on_listening = [&] { listening = true; };
        trigger(CommandId::kAmbRead);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kAmbRead)->isChecked());
        // Sent once the reader listens: the port is opened by the worker.
        QTRY_VERIFY_WITH_TIMEOUT(listening.load(), 15000);
        std::thread talk([&] { decoder.run(); });
        QTRY_COMPARE_WITH_TIMEOUT(c().tables.finish_lines.live_count(), 2, 15000);
        QCOMPARE(c().tables.finish_lines[0]->start_number, 7);
        QCOMPARE(c().tables.finish_lines[0]->time(), 3600045 - 6000);
        QVERIFY2(frame->status_text().startsWith(QStringLiteral("Транспондер ZZ0000Z: номер 0")),
                 qPrintable(frame->status_text()));
        // One port: the card reader does not start while the decoder reader holds it.
        trigger(CommandId::kStartReading);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kStartReading)->isChecked());
        QVERIFY2(qs(prompts->messages.back()).contains(QStringLiteral("чтение транспондеров")),
                 qPrintable(qs(prompts->messages.back())));
        trigger(CommandId::kAmbRead);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kAmbRead)->isChecked());
        talk.join();
        reader->on_listening = nullptr;

        // Nor the decoder reader while the card reader holds it.
        trigger(CommandId::kStartReading);
        trigger(CommandId::kAmbRead);
        frame->refresh_commands();
        QVERIFY(!frame->action(CommandId::kAmbRead)->isChecked());
        QVERIFY2(qs(prompts->messages.back()).contains(QStringLiteral("чтение ЧИПов")),
                 qPrintable(qs(prompts->messages.back())));
        trigger(CommandId::kStartReading);
    }
};

QTEST_MAIN(PunchCommandsTest)
#include "punch_commands_test.moc"
