#include "punch/ui/finish_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace skarvel {

namespace {

QString tr2(bool english, const char* ru, const char* en) {
    return QString::fromUtf8(english ? en : ru);
}

QDialogButtonBox* ok_cancel(QDialog* d) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    QObject::connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return box;
}

QGroupBox* source_group(QDialog* d, const QString& title, const std::array<QString, 3>& labels,
                        std::array<QRadioButton*, 3>& buttons, int checked) {
    auto* group = new QGroupBox(title, d);
    auto* layout = new QVBoxLayout(group);
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QRadioButton(labels[i], group);
        layout->addWidget(buttons[i]);
    }
    buttons[checked >= 0 && checked < 3 ? checked : 0]->setChecked(true);
    return group;
}

std::uint8_t checked_index(const std::array<QRadioButton*, 3>& buttons) {
    for (int i = 0; i < 3; ++i)
        if (buttons[i]->isChecked()) return static_cast<std::uint8_t>(i);
    return 0;
}

}  // namespace

FinishPreparationDialog::FinishPreparationDialog(bool english, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr2(english, "Подготовка финиша", "Preparation of finish"));
    auto* layout = new QVBoxLayout(this);
    clear_finish = new QCheckBox(tr2(english, "Очистить финиш", "Clear finish"), this);
    clear_readouts = new QCheckBox(tr2(english, "Очистить содержимое ЧИПов", "Clear VP-cards"), this);
    restore_runners = new QCheckBox(tr2(english, "Восстановить спортсменам", "Restore runners"), this);
    for (QCheckBox* box : {clear_finish, clear_readouts, restore_runners}) {
        box->setChecked(true);
        layout->addWidget(box);
    }
    layout->addWidget(ok_cancel(this));
}

FinishPreparation FinishPreparationDialog::options() const {
    return {clear_finish->isChecked(), clear_readouts->isChecked(), restore_runners->isChecked()};
}

RebuildFinishDialog::RebuildFinishDialog(const RebuildOptions& initial, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr2(english, "Перестроить протокол финиша", "Rebuild finish list"));
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(source_group(this, tr2(english, "Стартовое время", "Start time"),
                                   {tr2(english, "Из базы данных", "From database"),
                                    tr2(english, "Из стартовой станции", "From start station"),
                                    tr2(english, "Первая отметка", "First punch")},
                                   start, initial.start_source));
    groups->addWidget(source_group(this, tr2(english, "Финишное время", "Finish time"),
                                   {tr2(english, "Из протокола финиша", "From finish list"),
                                    tr2(english, "Из финишной станции", "From finish station"),
                                    tr2(english, "Последняя отметка", "Last punch")},
                                   finish, initial.finish_source));
    layout->addLayout(groups);
    recheck = new QCheckBox(tr2(english, "Перепроверить отметку", "Check punches again"), this);
    recheck->setChecked(initial.recheck);
    layout->addWidget(recheck);
    layout->addWidget(ok_cancel(this));
}

RebuildOptions RebuildFinishDialog::options() const {
    return {checked_index(start), checked_index(finish), recheck->isChecked()};
}

SplitRangeDialog::SplitRangeDialog(const SplitRangeState& initial, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr2(english, "Печать информашек", "Print splits"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    start_from = new QSpinBox(this);
    count = new QSpinBox(this);
    for (QSpinBox* box : {start_from, count}) box->setRange(0, 29999);
    start_from->setValue(initial.start_from);
    count->setValue(initial.count);
    form->addRow(tr2(english, "Начать с (0-с текущей)", "Start from (0 - current)"), start_from);
    form->addRow(tr2(english, "Всего печатать (0-до конца)", "How many (0 - to the end)"), count);
    layout->addLayout(form);
    layout->addWidget(ok_cancel(this));
}

SplitRangeState SplitRangeDialog::state() const { return {start_from->value(), count->value()}; }

}  // namespace skarvel
