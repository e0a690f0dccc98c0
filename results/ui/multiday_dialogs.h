// The multi-day dialogs: which days the protocol adds up (and the handicap start file), and
// which day a day file is read into.
#pragma once

#include <QDialog>
#include <vector>

#include "core/language.h"

class QCheckBox;
class QRadioButton;

namespace skarvel {

class MultiDayDialog : public QDialog {
    Q_OBJECT
  public:
    // `days`: bit j for day j + 1.
    MultiDayDialog(unsigned days, bool handicap, const LanguageTable& lang,
                   QWidget* parent = nullptr);
    unsigned days() const;
    std::vector<QCheckBox*> day_boxes;
    QCheckBox* handicap = nullptr;
};

class DayChoiceDialog : public QDialog {
    Q_OBJECT
  public:
    // `day` 0..9.
    DayChoiceDialog(int day, const LanguageTable& lang, QWidget* parent = nullptr);
    int day() const;
    std::vector<QRadioButton*> day_buttons;
};

}  // namespace skarvel
