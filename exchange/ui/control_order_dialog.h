// "Импорт отметки из OCAD8": how a relay number team.leg becomes a course name before the
// control orders are read (exchange/control_orders.h).
#pragma once

#include <QDialog>

class QRadioButton;

namespace skarvel {

class ControlOrderDialog : public QDialog {
    Q_OBJECT
  public:
    // `relay_number_scale` 100 or 1000: the button checked when the dialog opens.
    ControlOrderDialog(int relay_number_scale, bool english, QWidget* parent = nullptr);
    int relay_number_scale() const;
    QRadioButton* scale100 = nullptr;   // "2.1 -> 102"
    QRadioButton* scale1000 = nullptr;  // "2.1 -> 1002"
};

}  // namespace skarvel
