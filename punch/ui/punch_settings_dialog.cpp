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
#include "core/language.h"
#include "core/time_text.h"
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
    setWindowTitle(qs(text_in(en, Txt::kPunchDlgElectronicPunchingSettings)));
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
    start_row->addRow(qs(text_in(en, Txt::kPunchDlgStartOfCompetition)), competition_start);
    left->addLayout(start_row);

    auto* port_box = new QGroupBox(qs(text_in(en, Txt::kPunchDlgCommunicationPort)), this);
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
    frame_log = check(qs(text_in(en, Txt::kPunchDlgLogStationTraffic)), station.frame_log);
    port_layout->addWidget(frame_log);
    left->addWidget(port_box);

    fast_station = check("BSM7", s.fast_station);
    multi_day = check(qs(text_in(en, Txt::kPunchDlgMultiDay)), s.multi_day);
    append_on_reread = check(qs(text_in(en, Txt::kPunchDlgReReadAppend)), s.append_on_reread);
    left->addWidget(fast_station);
    left->addWidget(multi_day);
    left->addWidget(append_on_reread);
    left->addWidget(radio_group<3>(qs(text_in(en, Txt::kPunchDlgStationType)), station_type,
                                   {"BS7-8", "BS7-S", "BS-7-2"}, s.station_type, this));

    // Middle column: checking.
    auto* middle = new QVBoxLayout;
    warnings = check(qs(text_in(en, Txt::kPunchDlgShowWarnings)), s.warnings);
    limit_disqualify =
        check(qs(text_in(en, Txt::kPunchDlgDisqualifyOverTimeLimit)), s.limit_disqualify);
    middle->addWidget(warnings);
    middle->addWidget(limit_disqualify);
    auto* check_box = new QGroupBox(qs(text_in(en, Txt::kPunchDlgPunchCheck)), this);
    auto* check_layout = new QFormLayout(check_box);
    check_mode = new QComboBox(check_box);
    check_mode->addItem(qs(text_in(en, Txt::kPunchDlgDoNotCheck)));
    check_mode->addItem(qs(text_in(en, Txt::kPunchDlgFromCourse)));
    check_mode->addItem(qs(text_in(en, Txt::kPunchDlgCourseRunnerNumber)));
    check_mode->addItem(qs(text_in(en, Txt::kPunchDlgCountOfUniqueControls)));
    check_mode->addItem(qs(text_in(en, Txt::kPunchDlgThreadOfControls)));
    check_mode->addItem(qs(text_in(en, Txt::kPunchDlgCarousel)));
    // Mode 6 comes only from a stored competition; it stays unless another mode is chosen.
    // Mode 6 is kept as stored (no entry shows it); a value outside 0..6 checks nothing and
    // shows as "не проверять", so OK repairs it.
    check_mode->setCurrentIndex(s.check_mode <= 5 ? s.check_mode : s.check_mode == 6 ? -1 : 0);
    check_layout->addRow(check_mode);
    penalty = new QLineEdit(QString::number(s.penalty_per_miss), check_box);
    penalty->setValidator(new QIntValidator(0, 1000000, penalty));
    check_layout->addRow(qs(text_in(en, Txt::kPenaltyEntryPenalty)), penalty);
    middle->addWidget(check_box);
    middle->addWidget(radio_group<3>(qs(text_in(en, Txt::kFinishDlgStartTime)), start_source,
                                     {qs(text_in(en, Txt::kPunchDlgFromDatabase)),
                                      qs(text_in(en, Txt::kPunchDlgFromStartStation)),
                                      qs(text_in(en, Txt::kPunchDlgFirstPunch))},
                                     s.start_source, this));
    middle->addWidget(radio_group<3>(qs(text_in(en, Txt::kFinishDlgFinishTime)), finish_source,
                                     {qs(text_in(en, Txt::kPunchDlgFromFinishList)),
                                      qs(text_in(en, Txt::kPunchDlgFromFinishStation)),
                                      qs(text_in(en, Txt::kPunchDlgLastPunch))},
                                     s.finish_source, this));

    // Right column: printing and runners.
    auto* right = new QVBoxLayout;
    print_on_read = check(qs(text_in(en, Txt::kPunchDlgPrintWhenReading)), s.print_on_read);
    second_copy_on_bad =
        check(qs(text_in(en, Txt::kPunchDlg2CopiesOnBadPunch)), s.second_copy_on_bad);
    print_speed = check(qs(text_in(en, Txt::kPunchDlgPrintSpeed)), s.print_speed);
    new_split_layout = check(qs(text_in(en, Txt::kPunchDlgNewLayout)), s.new_split_layout);
    right->addWidget(print_on_read);
    right->addWidget(second_copy_on_bad);
    right->addWidget(print_speed);
    right->addWidget(new_split_layout);
    auto* offset_row = new QFormLayout;
    split_left_offset = new QSpinBox(this);
    split_left_offset->setRange(0, 255);
    split_left_offset->setValue(s.split_left_offset_cm);
    offset_row->addRow(qs(text_in(en, Txt::kPunchDlgLeftMarginCm)), split_left_offset);
    right->addLayout(offset_row);
    right->addWidget(
        radio_group<3>(QString(), split_scale, {"100%", "85%", "70%"}, s.split_scale, this));
    ask_owner_number =
        check(qs(text_in(en, Txt::kPunchDlgUnknownCardAskNumber)), s.ask_owner_number);
    labyrinth_mode = check(qs(text_in(en, Txt::kPunchDlgLabyrinthCreateRunners)), s.labyrinth_mode);
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
