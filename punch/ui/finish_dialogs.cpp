#include "punch/ui/finish_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"

namespace skarvel {

namespace {

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
    setWindowTitle(qs(text_in(english, Txt::kFinishDlgPreparationOfFinish)));
    auto* layout = new QVBoxLayout(this);
    clear_finish = new QCheckBox(qs(text_in(english, Txt::kFinishDlgClearFinish)), this);
    clear_readouts = new QCheckBox(qs(text_in(english, Txt::kFinishDlgClearVPCards)), this);
    restore_runners = new QCheckBox(qs(text_in(english, Txt::kFinishDlgRestoreRunners)), this);
    for (QCheckBox* box : {clear_finish, clear_readouts, restore_runners}) {
        box->setChecked(true);
        layout->addWidget(box);
    }
    add_dialog_buttons(this, layout, english);
}

FinishPreparation FinishPreparationDialog::options() const {
    return {clear_finish->isChecked(), clear_readouts->isChecked(), restore_runners->isChecked()};
}

RebuildFinishDialog::RebuildFinishDialog(const RebuildOptions& initial, bool english,
                                         QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kFinishDlgRebuildFinishList)));
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(source_group(this, qs(text_in(english, Txt::kFinishDlgStartTime)),
                                   {qs(text_in(english, Txt::kFinishDlgFromDatabase)),
                                    qs(text_in(english, Txt::kFinishDlgFromStartStation)),
                                    qs(text_in(english, Txt::kFinishDlgFirstPunch))},
                                   start, initial.start_source));
    groups->addWidget(source_group(this, qs(text_in(english, Txt::kFinishDlgFinishTime)),
                                   {qs(text_in(english, Txt::kFinishDlgFromFinishList)),
                                    qs(text_in(english, Txt::kFinishDlgFromFinishStation)),
                                    qs(text_in(english, Txt::kFinishDlgLastPunch))},
                                   finish, initial.finish_source));
    layout->addLayout(groups);
    recheck = new QCheckBox(qs(text_in(english, Txt::kFinishDlgCheckPunchesAgain)), this);
    recheck->setChecked(initial.recheck);
    layout->addWidget(recheck);
    add_dialog_buttons(this, layout, english);
}

RebuildOptions RebuildFinishDialog::options() const {
    return {checked_index(start), checked_index(finish), recheck->isChecked()};
}

SplitRangeDialog::SplitRangeDialog(const SplitRangeState& initial, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kFinishDlgPrintSplits)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    start_from = new QSpinBox(this);
    count = new QSpinBox(this);
    for (QSpinBox* box : {start_from, count}) box->setRange(0, 29999);
    start_from->setValue(initial.start_from);
    count->setValue(initial.count);
    form->addRow(qs(text_in(english, Txt::kFinishDlgStartFrom0Current)), start_from);
    form->addRow(qs(text_in(english, Txt::kFinishDlgHowMany0ToTheEnd)), count);
    layout->addLayout(form);
    add_dialog_buttons(this, layout, english);
}

SplitRangeState SplitRangeDialog::state() const {
    return {start_from->value(), count->value()};
}

}  // namespace skarvel
