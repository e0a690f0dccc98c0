#include "punch/ui/penalty_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/record_edit.h"
#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"
#include "punch/card_corrections.h"

namespace skarvel {

PenaltyEntryDialog::PenaltyEntryDialog(const LanguageTable& lang, LookUp look_up, QWidget* parent)
    : QDialog(parent), lang_(lang), look_up_(std::move(look_up)) {
    setWindowTitle(qs(lang.text(Txt::kPenaltyEntryTitle)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    number_box = new QSpinBox(this);
    number_box->setRange(0, edit_limits::kStartNumberMax);
    penalty_box = new QSpinBox(this);
    penalty_box->setRange(0, kPenaltyMax);
    name_line = new QLabel(this);
    form->addRow(qs(lang.text(Txt::kPenaltyEntryNumber)), number_box);
    form->addRow(qs(lang.text(Txt::kPenaltyEntryPenalty)), penalty_box);
    form->addRow(name_line);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(qs(lang.text(Txt::kPenaltyEntryNext)), QDialogButtonBox::AcceptRole);
    buttons->addButton(qs(lang.text(Txt::kPenaltyEntryClose)), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(number_box, &QSpinBox::valueChanged, this, &PenaltyEntryDialog::number_changed);
    number_changed(0);
    number_box->selectAll();
}

void PenaltyEntryDialog::number_changed(int number) {
    std::string name;
    int penalty = 0;
    if (number >= 1 && look_up_ && look_up_(number, name, penalty)) {
        name_line->setText(qs(name));
        penalty_box->setValue(penalty);
    } else {
        name_line->setText(qs(lang_.text(Txt::kPenaltyNotInBase)));
    }
}

int PenaltyEntryDialog::number() const {
    return number_box->value();
}

int PenaltyEntryDialog::penalty() const {
    return penalty_box->value();
}

PenaltyControlDialog::PenaltyControlDialog(const LanguageTable& lang, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(lang.text(Txt::kCmdPenaltyFromReadouts)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    control = new QSpinBox(this);
    control->setRange(1, 255);
    interval = new QSpinBox(this);
    interval->setRange(0, 86400);
    form->addRow(qs(lang.text(Txt::kPenaltyControl)), control);
    form->addRow(qs(lang.text(Txt::kPenaltyMinInterval)), interval);
    layout->addLayout(form);
    add_dialog_buttons(this, layout, lang.english());
}

}  // namespace skarvel
