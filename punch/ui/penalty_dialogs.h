// The dialogs of the marked-route penalty commands: "Присвоение штрафа", which stays open for
// the next runner until it is closed, and the penalty control of "Читать штраф из содержимого
// ЧИПов...". The command binding runs the logic (punch/card_corrections.h).
#pragma once

#include <QDialog>
#include <functional>

#include "core/language.h"

class QLabel;
class QSpinBox;

namespace skarvel {

class PenaltyEntryDialog : public QDialog {
    Q_OBJECT
  public:
    // `look_up` gives the name and penalty of the runner with a number (false: none).
    using LookUp = std::function<bool(int number, std::string& name_cp1251, int& penalty)>;
    PenaltyEntryDialog(const LanguageTable& lang, LookUp look_up, QWidget* parent = nullptr);
    int number() const;
    int penalty() const;
    QSpinBox* number_box = nullptr;
    QSpinBox* penalty_box = nullptr;
    QLabel* name_line = nullptr;

  private:
    void number_changed(int number);
    const LanguageTable& lang_;
    LookUp look_up_;
};

class PenaltyControlDialog : public QDialog {
    Q_OBJECT
  public:
    PenaltyControlDialog(const LanguageTable& lang, QWidget* parent = nullptr);
    QSpinBox* control = nullptr;
    QSpinBox* interval = nullptr;
};

}  // namespace skarvel
