// Card personalisation in the real main window (offscreen), against the station simulator:
// "Персонализация..." writes the form into the card on a worker and reports the check, and the
// registration mode turns personalised cards read by F8 into runners on the window's thread.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include "core/cp1251.h"
#include "core/language.h"
#include "punch/personal_data.h"
#include "punch/ui/personal_dialog.h"
#include "tests/main_window_fixture.h"
#include "tests/punch/simulated_race.h"

using namespace skarvel;
using namespace skarvel::literals;

namespace {

std::string hex(const PersonalDataBlock& b) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t x : b) {
        out += digits[x >> 4];
        out += digits[x & 15];
    }
    return out;
}

// The simulator on a pseudo-terminal that the window's station port names.
struct Station : testing::SimulatorOnPty {
    explicit Station(const std::string& script) : SimulatorOnPty(script, {150, 5, 0}) {
        QSettings settings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
        settings.setValue("Setup/StationDevice", QString::fromStdString(device));
        settings.sync();
    }
};

bool has(const std::vector<std::string>& texts, std::string_view part) {
    for (const auto& t : texts)
        if (t.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

class PersonalCommandsTest : public QObject, testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void initTestCase() {
        qputenv("SKARVEL_PERSONALISE_WAIT_MS", "5");
        QVERIFY(set_up_program());
    }
    void init() { QVERIFY(open(900, 400, false)); }
    void cleanup() { close(); }

    void personalisationWritesAndChecksTheCard() {
        Station station("card type=6 number=2000777\n");
        testing::on_dialog<PersonalDialog>([](PersonalDialog* d) {
            auto edits = d->findChildren<QLineEdit*>();
            edits[0]->setText(QStringLiteral("Сидоров"));  // the Russian surname
            d->accept();
        });
        trigger(CommandId::kPersonalisation);
        const std::string done(russian_language_table().text(Txt::kPersDone));
        QTRY_VERIFY_WITH_TIMEOUT(has(prompts->messages, done), 15000);
        PersonalForm form;
        form.russian_surname = "Сидоров"_cp1251;
        PersonalDataBlock want = build_personal_block(form);
        sim::SimWords held = station.station.card_words(2000777);
        QVERIFY(std::equal(want.begin(), want.end(), held.begin()));
        QVERIFY(enabled(CommandId::kPersonalisation));
    }

    void registrationMakesRunnersAndCancelMakesNone() {
        PersonalForm form;
        form.club = "Лидер"_cp1251;
        form.date_of_birth = {15, 3, 1985};
        std::string words = hex(build_personal_block(form));
        Station station("card type=6 number=2000101 words=" + words +
                        "\ncard type=10 number=6000102 words=" + words +
                        "\ncard type=6 number=2000103 words=" + std::string(256, 'F') +
                        "\ncard type=6 number=2000101\n");
        // The second card is given the number the first one took: told, asked again, cancelled.
        prompts->texts = {std::string("42"), std::string("42"), std::nullopt};
        c().info.filter_class_id = 3;  // a class filter in the list does not class the runner
        trigger(CommandId::kPersonalisationMode);
        frame->refresh_commands();
        QVERIFY(frame->action(CommandId::kPersonalisationMode)->isChecked());
        trigger(CommandId::kStartReading);
        // The last card is the first one again: registering it twice is asked (and refused).
        QTRY_VERIFY_WITH_TIMEOUT(has(prompts->questions, "2000101"), 15000);
        QVERIFY(has(prompts->messages, "2000103"));
        trigger(CommandId::kStartReading);
        trigger(CommandId::kPersonalisationMode);

        // The first card made runner 42; the second was cancelled; the blank one was refused;
        // the first one put in again made none.
        QCOMPARE(c().tables.runners.live_count(), 1);
        const Runner* r = c().runner_by_number(42);
        QVERIFY(r);
        QCOMPARE(std::string(field_text(r->name)), std::string("Иванов Иван"_cp1251));
        QCOMPARE(int(r->birth_year), 1985);
        QCOMPARE(int(r->class_id), 0);
        // Asked in the "Поиск" dialog preset to "Номер", again with what was typed.
        QCOMPARE(prompts->text_initials,
                 (std::vector<std::string>{"Номер"_cp1251, "Номер"_cp1251, "42"}));
        QVERIFY(has(prompts->captions, "Поиск"_cp1251));
        QVERIFY(has(prompts->messages, "Номер 42 уже у участника Иванов Иван"_cp1251));
        QCOMPARE(r->card_number, 2000101);
        QCOMPARE(std::string(field_text(c().find_club_by_id(r->club_id)->name)),
                 std::string("Лидер"_cp1251));
        QVERIFY(has(prompts->messages, "Eng_Name: Ivan;Ivanov;\nRus_Name: "));
        QCOMPARE(c().tables.card_readouts.live_count(), 0);
        QVERIFY(prompts->texts.empty());
    }
};

QTEST_MAIN(PersonalCommandsTest)
#include "personal_commands_test.moc"
