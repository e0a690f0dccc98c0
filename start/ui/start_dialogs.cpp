#include "start/ui/start_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cp1251.h"
#include "core/time_text.h"
#include "platform/qt/dialog_parts.h"

namespace skarvel {

namespace {

QString from_cp1251(std::string_view s) {
    return QString::fromUtf8(cp1251_to_utf8(s));
}

QSpinBox* spin(QWidget* parent, int lo, int hi, int value) {
    auto* s = new QSpinBox(parent);
    s->setRange(lo, hi);
    s->setValue(std::clamp(value, lo, hi));
    return s;
}

// A time text field of at most 12 characters.
QLineEdit* time_edit(QWidget* parent, std::int32_t value, int precision) {
    auto* e = new QLineEdit(QString::fromStdString(format_time_text(value, precision)), parent);
    e->setMaxLength(12);
    return e;
}

}  // namespace

// --- F4 ---------------------------------------------------------------------------------

NumberingDialog::NumberingDialog(const CompetitionInfo& info, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kStartDlgSettingNumber)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    first = spin(this, 0, kLastUsableNumber, info.numbering_first);
    // The step is kept in 16 bits; shown signed so that a step counting down reads as -1.
    step = spin(this, -32768, 32767, static_cast<std::int16_t>(info.numbering_step));
    form->addRow(qs(text_in(english, Txt::kStartDlgFromNumber)), first);
    form->addRow(qs(text_in(english, Txt::kStartDlgNumberStep)), step);
    layout->addLayout(form);
    add_dialog_buttons(this, layout, english);
}

NumberingOptions NumberingDialog::options() const {
    return {first->value(), step->value()};
}

// --- F5 ---------------------------------------------------------------------------------

StartTimeDialog::StartTimeDialog(const CompetitionInfo& info, int size, bool english,
                                 QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kStartDlgSettingStartingTime)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    first = time_edit(this, info.start_time_first, info.time_precision);
    step = time_edit(this, info.start_time_step, info.time_precision);
    group_size = spin(this, 1, 1000, size);
    form->addRow(qs(text_in(english, Txt::kStartDlgFromTime)), first);
    form->addRow(qs(text_in(english, Txt::kStartDlgTimeStep)), step);
    form->addRow(qs(text_in(english, Txt::kStartDlgPerTime)), group_size);
    layout->addLayout(form);
    add_dialog_buttons(this, layout, english);
}

StartTimeOptions StartTimeDialog::options() const {
    return start_time_options_from_text(first->text().toStdString(), step->text().toStdString(),
                                        group_size->value());
}

// --- the draw ---------------------------------------------------------------------------

DrawDialog::DrawDialog(const CompetitionInfo& info, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kCmdDraw)));
    auto* layout = new QVBoxLayout(this);
    auto* whom = new QGroupBox(qs(text_in(english, Txt::kStartDlgWhomToMixing)), this);
    auto* whom_layout = new QVBoxLayout(whom);
    const Txt choices[] = {Txt::kStartDlgAllClasses, Txt::kStartDlgMarkedClasses,
                           Txt::kStartDlgAllCourses, Txt::kStartDlgMarkedCourses};
    subset.push_back(new QRadioButton(qs(text_in(english, Txt::kCardsCurrentRunners)), whom));
    for (Txt c : choices) subset.push_back(new QRadioButton(qs(text_in(english, c)), whom));
    for (std::size_t i = 0; i < subset.size(); ++i) {
        subset[i]->setEnabled(i == 0);
        whom_layout->addWidget(subset[i]);
    }
    // Only the current runners can be drawn; a stored other choice still shows as made.
    subset[info.draw_subset < subset.size() ? info.draw_subset : 0]->setChecked(true);
    only_marked = new QCheckBox(qs(text_in(english, Txt::kOnlyMarkedRunners)), whom);
    only_marked->setEnabled(false);
    whom_layout->addWidget(only_marked);
    layout->addWidget(whom);

    auto* how = new QGroupBox(qs(text_in(english, Txt::kStartDlgHowToMixing)), this);
    auto* how_layout = new QVBoxLayout(how);
    by_club = new QCheckBox(qs(text_in(english, Txt::kStartDlgWithClub)), how);
    by_heat = new QCheckBox(qs(text_in(english, Txt::kStartDlgWithRound)), how);
    by_club->setChecked(info.draw_by_club);
    by_heat->setChecked(info.draw_by_heat);
    how_layout->addWidget(by_club);
    how_layout->addWidget(by_heat);
    layout->addWidget(how);
    add_dialog_buttons(this, layout, english);
}

DrawOptions DrawDialog::options() const {
    int chosen = 0;
    for (std::size_t i = 0; i < subset.size(); ++i)
        if (subset[i]->isChecked()) chosen = static_cast<int>(i);
    return {chosen, by_heat->isChecked(), by_club->isChecked()};
}

// --- shift ------------------------------------------------------------------------------

ShiftDialog::ShiftDialog(const StartSession& session, int precision, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kEdStartTime)));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qs(text_in(english, Txt::kStartDlgChangeStartTime)), this));
    add = new QRadioButton(qs(text_in(english, Txt::kStartDlgIncrease)), this);
    subtract = new QRadioButton(qs(text_in(english, Txt::kStartDlgDecrease)), this);
    (session.shift_subtract ? subtract : add)->setChecked(true);
    layout->addWidget(add);
    layout->addWidget(subtract);
    interval = time_edit(this, session.shift_interval, precision);
    layout->addWidget(interval);
    add_dialog_buttons(this, layout, english);
}

ShiftOptions ShiftDialog::options() const {
    return {parse_time_text(interval->text().toStdString()), subtract->isChecked()};
}

// --- heat by number range ---------------------------------------------------------------

HeatRangeDialog::HeatRangeDialog(const HeatRangeOptions& initial, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kCmdSetRound)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    from = spin(this, 0, kLastUsableNumber, initial.from);
    to = spin(this, 0, kLastUsableNumber, initial.to);
    heat = spin(this, 0, 100, initial.heat);
    form->addRow(qs(text_in(english, Txt::kStartDlgFromNumber2)), from);
    form->addRow(qs(text_in(english, Txt::kStartDlgToNumber)), to);
    form->addRow(qs(text_in(english, Txt::kStartDlgRound)), heat);
    layout->addLayout(form);
    add_dialog_buttons(this, layout, english);
}

HeatRangeOptions HeatRangeDialog::options() const {
    return {from->value(), to->value(), heat->value()};
}

// --- renumbering ------------------------------------------------------------------------

RenumberDialog::RenumberDialog(const RenumberOptions& initial,
                               std::function<std::string(int)> name_of, bool english,
                               QWidget* parent)
    : QDialog(parent), name_of_(std::move(name_of)), english_(english) {
    setWindowTitle(qs(text_in(english, Txt::kStartDlgChangeNumber)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    old_number = spin(this, 0, kLastUsableNumber, initial.old_number);
    new_number = spin(this, 0, kLastUsableNumber, initial.new_number);
    holder = new QLineEdit(this);
    holder->setReadOnly(true);
    form->addRow(qs(text_in(english, Txt::kStartDlgNowIs)), old_number);
    form->addRow(QString(), holder);
    form->addRow(qs(text_in(english, Txt::kStartDlgWillBe)), new_number);
    layout->addLayout(form);
    add_dialog_buttons(this, layout, english);
    connect(old_number, &QSpinBox::valueChanged, this, [this](int n) { show_holder(n); });
    show_holder(old_number->value());
}

void RenumberDialog::show_holder(int number) {
    std::string name = number >= kFirstUsableNumber && number <= kLastUsableNumber && name_of_
                           ? name_of_(number)
                           : std::string();
    holder->setText(name.empty() ? qs(text_in(english_, Txt::kStartDlgNotInDatabase))
                                 : from_cp1251(name));
}

RenumberOptions RenumberDialog::options() const {
    return {old_number->value(), new_number->value()};
}

// --- work with marked -------------------------------------------------------------------

BulkDialog::BulkDialog(const Competition& c, bool english, QWidget* parent) : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kCmdWorkWithMarked)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const QString keep = qs(text_in(english, Txt::kStartDlgNotChange));
    klass = new QComboBox(this);
    klass->addItem(keep);
    class_ids_.push_back(0);
    for (int i = 0; i < c.tables.classes.capacity() && c.tables.classes[i]; ++i) {
        klass->addItem(from_cp1251(field_text(c.tables.classes[i]->name)));
        class_ids_.push_back(c.tables.classes[i]->id);
    }
    club = new QComboBox(this);
    club->addItem(keep);
    club_ids_.push_back(0);
    for (int i = 0; i < c.tables.clubs.capacity() && c.tables.clubs[i]; ++i) {
        club->addItem(from_cp1251(field_text(c.tables.clubs[i]->name)));
        club_ids_.push_back(c.tables.clubs[i]->id);
    }
    auto preselect = [](QComboBox* box, const std::vector<std::int32_t>& ids, std::int32_t id) {
        auto it = id != 0 ? std::find(ids.begin(), ids.end(), id) : ids.end();
        box->setCurrentIndex(it == ids.end() ? 0 : static_cast<int>(it - ids.begin()));
    };
    preselect(klass, class_ids_, c.info.bulk_class_id);
    preselect(club, club_ids_, c.info.bulk_club_id);
    heat = spin(this, 0, 100, c.info.bulk_heat);
    clear_mark = new QCheckBox(qs(text_in(english, Txt::kStartDlgClearSelect)), this);
    clear_mark->setChecked(c.info.bulk_clear_mark);
    form->addRow(qs(text_in(english, Txt::kStartDlgSetCategories)), klass);
    form->addRow(qs(text_in(english, Txt::kStartDlgSetClub)), club);
    form->addRow(qs(text_in(english, Txt::kStartDlgSetRound0NotChange)), heat);
    form->addRow(QString(), clear_mark);
    layout->addLayout(form);
    add_dialog_buttons(this, layout, english);
}

BulkOptions BulkDialog::options() const {
    auto id_at = [](const std::vector<std::int32_t>& ids, int i) {
        return static_cast<std::int16_t>(i >= 0 && i < static_cast<int>(ids.size()) ? ids[i] : 0);
    };
    return {id_at(class_ids_, klass->currentIndex()), id_at(club_ids_, club->currentIndex()),
            heat->value(), clear_mark->isChecked()};
}

// --- start protocol ---------------------------------------------------------------------

StartListDialog::StartListDialog(const StartListSettings& initial, bool english, QWidget* parent)
    : QDialog(parent), initial_(initial) {
    setWindowTitle(qs(text_in(english, Txt::kStartDlgPrintStartList)));
    auto* layout = new QVBoxLayout(this);

    auto* where = new QGroupBox(qs(text_in(english, Txt::kStartDlgWhereToPrint)), this);
    auto* where_layout = new QVBoxLayout(where);
    to_printer = new QRadioButton(qs(text_in(english, Txt::kStartDlgTheCurrentPrinter)), where);
    to_html = new QRadioButton(qs(text_in(english, Txt::kStartDlgHTMLFile)), where);
    (initial.to_html ? to_html : to_printer)->setChecked(true);
    where_layout->addWidget(to_printer);
    where_layout->addWidget(to_html);
    layout->addWidget(where);

    auto* whom = new QGroupBox(qs(text_in(english, Txt::kMultiScreenWhom)), this);
    auto* whom_layout = new QVBoxLayout(whom);
    const Txt choices[] = {Txt::kStartDlgForAllClasses, Txt::kStartDlgForMarkedClasses,
                           Txt::kStartDlgForAllCourses, Txt::kStartDlgForMarkedCourses};
    for (Txt c : choices) {
        selection.push_back(new QRadioButton(qs(text_in(english, c)), whom));
        whom_layout->addWidget(selection.back());
    }
    selection[std::clamp(initial.selection, 0, 3)]->setChecked(true);
    only_marked = new QCheckBox(qs(text_in(english, Txt::kOnlyMarkedRunners)), whom);
    only_marked->setChecked(initial.only_marked);
    whom_layout->addWidget(only_marked);
    layout->addWidget(whom);

    auto* more = new QGroupBox(qs(text_in(english, Txt::kAddition)), this);
    auto* more_layout = new QVBoxLayout(more);
    page_per_group =
        new QCheckBox(qs(text_in(english, Txt::kStartDlgEachClassesFromANewSheet)), more);
    page_per_group->setChecked(initial.page_per_group);
    card_numbers = new QCheckBox(qs(text_in(english, Txt::kEdVPCard)), more);
    card_numbers->setChecked(initial.print_card_numbers);
    extended_html = new QCheckBox(qs(text_in(english, Txt::kStartDlgExtendedHtml)), more);
    extended_html->setChecked(initial.extended_html);
    more_layout->addWidget(page_per_group);
    more_layout->addWidget(card_numbers);
    more_layout->addWidget(extended_html);
    layout->addWidget(more);
    add_dialog_buttons(this, layout, english);
}

StartListSettings StartListDialog::settings() const {
    StartListSettings s = initial_;
    s.to_html = to_html->isChecked();
    for (int i = 0; i < 4; ++i)
        if (selection[i]->isChecked()) s.selection = i;
    s.only_marked = only_marked->isChecked();
    s.page_per_group = page_per_group->isChecked();
    s.print_card_numbers = card_numbers->isChecked();
    s.extended_html = extended_html->isChecked();
    return s;
}

RelayStartListDialog::RelayStartListDialog(const StartListSettings& initial, bool english,
                                           QWidget* parent)
    : QDialog(parent), initial_(initial) {
    setWindowTitle(qs(text_in(english, Txt::kStartDlgRelayTitle)));
    auto* layout = new QVBoxLayout(this);
    leg_dot_number = new QCheckBox("1001->1.1", this);
    extended_html = new QCheckBox(qs(text_in(english, Txt::kStartDlgExtendedHtml)), this);
    first_leg_times = new QCheckBox(qs(text_in(english, Txt::kStartDlgRelayFirstLegTimes)), this);
    card_numbers = new QCheckBox(qs(text_in(english, Txt::kPrintCardNumbers)), this);
    leg_dot_number->setChecked(initial.relay_leg_dot_number);
    extended_html->setChecked(initial.extended_html);
    first_leg_times->setChecked(initial.relay_first_leg_times);
    card_numbers->setChecked(initial.print_card_numbers);
    for (QCheckBox* b : {leg_dot_number, extended_html, first_leg_times, card_numbers})
        layout->addWidget(b);
    add_dialog_buttons(this, layout, english);
}

StartListSettings RelayStartListDialog::settings() const {
    StartListSettings s = initial_;
    s.relay_leg_dot_number = leg_dot_number->isChecked();
    s.extended_html = extended_html->isChecked();
    s.relay_first_leg_times = first_leg_times->isChecked();
    s.print_card_numbers = card_numbers->isChecked();
    return s;
}

}  // namespace skarvel
