#include "exchange/ui/control_order_dialog.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"

namespace skarvel {

ControlOrderDialog::ControlOrderDialog(int relay_number_scale, bool english, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(text_in(english, Txt::kOcadDialogTitle)));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(qs(text_in(english, Txt::kOcadRelayGroup)), this);
    auto* buttons = new QVBoxLayout(group);
    scale100 = new QRadioButton(qs(text_in(english, Txt::kOcadScale100)), group);
    scale1000 = new QRadioButton(qs(text_in(english, Txt::kOcadScale1000)), group);
    buttons->addWidget(scale100);
    buttons->addWidget(scale1000);
    (relay_number_scale == 1000 ? scale1000 : scale100)->setChecked(true);
    layout->addWidget(group);
    add_dialog_buttons(this, layout, english);
}

int ControlOrderDialog::relay_number_scale() const {
    return scale1000->isChecked() ? 1000 : 100;
}

}  // namespace skarvel
