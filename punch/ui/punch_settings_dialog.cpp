#include "punch/ui/punch_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "platform/language.h"
#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

using namespace skarvel::literals;

namespace {

std::string_view lang_text(bool english, Txt id) {
    static const LanguageTable ru = [] {
        LanguageTable t;
        t.build(UiLanguage::kRussian);
        return t;
    }();
    static const LanguageTable en = [] {
        LanguageTable t;
        t.build(UiLanguage::kEnglish);
        return t;
    }();
    return (english ? en : ru).text(id);
}

// A text in the chosen language: Russian (Windows-1251) or English.
QString tr2(bool english, std::string_view ru, const char* en) {
    return english ? QString::fromLatin1(en) : qs(ru);
}

template <std::size_t N>
QGroupBox* radio_group(const QString& title, std::array<QRadioButton*, N>& buttons,
                       const std::array<QString, N>& texts, int checked, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i] = new QRadioButton(texts[i], box);
        group->addButton(buttons[i], static_cast<int>(i));
        layout->addWidget(buttons[i]);
    }
    if (checked >= 0 && checked < static_cast<int>(N)) buttons[checked]->setChecked(true);
    return box;
}

template <std::size_t N>
std::uint8_t checked_index(const std::array<QRadioButton*, N>& buttons, std::uint8_t old) {
    for (std::size_t i = 0; i < N; ++i)
        if (buttons[i]->isChecked()) return static_cast<std::uint8_t>(i);
    return old;
}

}  // namespace

PunchSettingsDialog::PunchSettingsDialog(const PunchSettings& s,
                                         const std::vector<SerialPortEntry>& port_list,
                                         const StationPortSettings& station, int time_precision,
                                         bool english, QWidget* parent)
    : QDialog(parent), initial_(s) {
    const bool en = english;
    setWindowTitle(tr2(en, "Настройка электронной отметки"_cp1251, "Electronic punching settings"));
    auto check = [this](const QString& text, bool on) {
        auto* box = new QCheckBox(text, this);
        box->setChecked(on);
        return box;
    };

    // Left column: start time, port, station.
    auto* left = new QVBoxLayout;
    auto* start_row = new QFormLayout;
    competition_start =
        new QLineEdit(qs(format_time_text(s.competition_start, time_precision)), this);
    competition_start->setMaxLength(14);
    start_row->addRow(tr2(en, "Начало соревнований:"_cp1251, "Start of competition:"),
                      competition_start);
    left->addLayout(start_row);

    auto* port_box =
        new QGroupBox(tr2(en, "Коммуникационный порт"_cp1251, "Communication port"), this);
    auto* port_layout = new QVBoxLayout(port_box);
    // One field: the machine's devices to choose from, or a typed device path (a simulator's
    // pseudo-terminal) or COM number.
    port = new QComboBox(port_box);
    port->setObjectName(QStringLiteral("port"));
    port->setEditable(true);
    port->setInsertPolicy(QComboBox::NoInsert);
    for (const SerialPortEntry& e : port_list)
        port->addItem(QString::fromStdString(port_entry_label(e)),
                      QString::fromStdString(e.device));
    QString current = station.device_override.empty()
                          ? QStringLiteral("COM%1").arg(s.port_index + 1)
                          : QString::fromStdString(station.device_override);
    int found = port->findData(current);
    if (found >= 0)
        port->setCurrentIndex(found);
    else
        port->setEditText(current);
    port->lineEdit()->setPlaceholderText(qs(lang_text(en, Txt::kStationPortHint)));
    port->setToolTip(qs(lang_text(en, Txt::kStationPortHint)));
    port_layout->addWidget(port);
    frame_log = check(tr2(en, "журнал обмена со станцией"_cp1251, "log station traffic"),
                      station.frame_log);
    port_layout->addWidget(frame_log);
    left->addWidget(port_box);

    fast_station = check("BSM7", s.fast_station);
    multi_day = check(tr2(en, "многосуточный вариант"_cp1251, "multi-day"), s.multi_day);
    append_on_reread = check(tr2(en, "повторное чтение - дописывать"_cp1251, "re-read: append"),
                             s.append_on_reread);
    left->addWidget(fast_station);
    left->addWidget(multi_day);
    left->addWidget(append_on_reread);
    left->addWidget(radio_group<3>(tr2(en, "Тип станции на смотровом"_cp1251, "Station type"),
                                   station_type, {"BS7-8", "BS7-S", "BS-7-2"}, s.station_type,
                                   this));

    // Middle column: checking.
    auto* middle = new QVBoxLayout;
    warnings = check(tr2(en, "выдавать предупреждения"_cp1251, "show warnings"), s.warnings);
    limit_disqualify = check(tr2(en, "снимать по контр. вр."_cp1251, "disqualify over time limit"),
                             s.limit_disqualify);
    middle->addWidget(warnings);
    middle->addWidget(limit_disqualify);
    auto* check_box = new QGroupBox(tr2(en, "Проверка отметки"_cp1251, "Punch check"), this);
    auto* check_layout = new QFormLayout(check_box);
    check_mode = new QComboBox(check_box);
    check_mode->addItem(tr2(en, "не проверять"_cp1251, "do not check"));
    check_mode->addItem(tr2(en, "Из параметров дистанции"_cp1251, "from course"));
    check_mode->addItem(tr2(en, "дистанция=№ участника"_cp1251, "course = runner number"));
    check_mode->addItem(
        tr2(en, "Выбор: кол-во уник.КП из параметров"_cp1251, "count of unique controls"));
    check_mode->addItem(tr2(en, "Ориентатлон, нитка"_cp1251, "thread of controls"));
    check_mode->addItem(tr2(en, "Карусель"_cp1251, "Carousel"));
    // Mode 6 comes only from a stored competition; it stays unless another mode is chosen.
    // Mode 6 is kept as stored (no entry shows it); a value outside 0..6 checks nothing and
    // shows as "не проверять", so OK repairs it.
    check_mode->setCurrentIndex(s.check_mode <= 5 ? s.check_mode : s.check_mode == 6 ? -1 : 0);
    check_layout->addRow(check_mode);
    penalty = new QLineEdit(QString::number(s.penalty_per_miss), check_box);
    penalty->setValidator(new QIntValidator(0, 1000000, penalty));
    check_layout->addRow(tr2(en, "Штраф"_cp1251, "Penalty"), penalty);
    middle->addWidget(check_box);
    middle->addWidget(radio_group<3>(tr2(en, "Стартовое время"_cp1251, "Start time"), start_source,
                                     {tr2(en, "Из базы данных"_cp1251, "from database"),
                                      tr2(en, "Из стартовой станции"_cp1251, "from start station"),
                                      tr2(en, "Первая отметка"_cp1251, "first punch")},
                                     s.start_source, this));
    middle->addWidget(radio_group<3>(tr2(en, "Финишное время"_cp1251, "Finish time"), finish_source,
                                     {tr2(en, "Из протокола финиша"_cp1251, "from finish list"),
                                      tr2(en, "Из финишной станции"_cp1251, "from finish station"),
                                      tr2(en, "Последняя отметка"_cp1251, "last punch")},
                                     s.finish_source, this));

    // Right column: printing and runners.
    auto* right = new QVBoxLayout;
    print_on_read =
        check(tr2(en, "Печатать при чтении"_cp1251, "Print when reading"), s.print_on_read);
    second_copy_on_bad = check(tr2(en, "2 экз. при плохой отметке"_cp1251, "2 copies on bad punch"),
                               s.second_copy_on_bad);
    print_speed = check(tr2(en, "печатать скорость"_cp1251, "print speed"), s.print_speed);
    new_split_layout = check(tr2(en, "новый вид"_cp1251, "new layout"), s.new_split_layout);
    right->addWidget(print_on_read);
    right->addWidget(second_copy_on_bad);
    right->addWidget(print_speed);
    right->addWidget(new_split_layout);
    auto* offset_row = new QFormLayout;
    split_left_offset = new QSpinBox(this);
    split_left_offset->setRange(0, 255);
    split_left_offset->setValue(s.split_left_offset_cm);
    offset_row->addRow(tr2(en, "Отступ слева, см"_cp1251, "Left margin, cm"), split_left_offset);
    right->addLayout(offset_row);
    right->addWidget(
        radio_group<3>(QString(), split_scale, {"100%", "85%", "70%"}, s.split_scale, this));
    ask_owner_number =
        check(tr2(en, "неизвестный ЧИП-спрашивать номер"_cp1251, "unknown card: ask number"),
              s.ask_owner_number);
    labyrinth_mode =
        check(tr2(en, "Режим лабиринта-создавать участников"_cp1251, "Labyrinth: create runners"),
              s.labyrinth_mode);
    right->addWidget(ask_owner_number);
    right->addWidget(labyrinth_mode);
    right->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);
    auto* main = new QVBoxLayout(this);
    main->addLayout(columns);
    add_dialog_buttons(this, main, en);
}

std::string port_entry_label(const SerialPortEntry& e) {
    return e.description.empty() ? e.device : e.device + "  (" + e.description + ")";
}

PortChoice port_choice(const std::string& text) {
    PortChoice out;
    QString t = QString::fromStdString(text).trimmed();
    if (t.isEmpty()) return out;
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,3})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    auto m = com.match(t);
    int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (n >= 1 && n <= 256) {
        out.port_index = n - 1;
        return out;
    }
    out.device_override = t.toStdString();
    return out;
}

std::string PunchSettingsDialog::chosen_port_text() const {
    // A chosen entry stands for its device; anything else is what was typed.
    int i = port->findText(port->currentText());
    QString device = i >= 0 ? port->itemData(i).toString() : port->currentText();
    return device.trimmed().toStdString();
}

PunchSettings PunchSettingsDialog::settings() const {
    PunchSettings s = initial_;
    std::string start = cp(competition_start->text());
    if (!start.empty())
        s.competition_start = parse_time_text(start);
    else
        s.competition_start = 0;
    if (auto index = port_choice(chosen_port_text()).port_index)
        s.port_index = static_cast<std::uint8_t>(*index);
    s.fast_station = fast_station->isChecked();
    s.multi_day = multi_day->isChecked();
    s.append_on_reread = append_on_reread->isChecked();
    s.station_type = checked_index(station_type, s.station_type);
    s.warnings = warnings->isChecked();
    s.limit_disqualify = limit_disqualify->isChecked();
    if (check_mode->currentIndex() >= 0)
        s.check_mode = static_cast<std::uint8_t>(check_mode->currentIndex());
    s.penalty_per_miss = penalty->text().toInt();
    s.start_source = checked_index(start_source, s.start_source);
    s.finish_source = checked_index(finish_source, s.finish_source);
    s.print_on_read = print_on_read->isChecked();
    s.second_copy_on_bad = second_copy_on_bad->isChecked();
    s.print_speed = print_speed->isChecked();
    s.new_split_layout = new_split_layout->isChecked();
    s.split_left_offset_cm = static_cast<std::uint8_t>(split_left_offset->value());
    s.split_scale = checked_index(split_scale, static_cast<std::uint8_t>(s.split_scale));
    s.ask_owner_number = ask_owner_number->isChecked();
    s.labyrinth_mode = labyrinth_mode->isChecked();
    return s;
}

StationPortSettings PunchSettingsDialog::port_settings() const {
    StationPortSettings p;
    p.device_override = port_choice(chosen_port_text()).device_override;
    p.frame_log = frame_log->isChecked();
    return p;
}

}  // namespace skarvel
