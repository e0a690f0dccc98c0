// The relay result protocol's dialog: splits, variants, classes, the first N teams, ranks,
// course setter and extended HTML. The protocol is HTML only.
#pragma once

#include <QDialog>
#include <vector>

#include "core/language.h"
#include "results/relay_results.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace skarvel {

class RelayPrintDialog : public QDialog {
    Q_OBJECT
  public:
    RelayPrintDialog(const RelayPrintSettings& initial, const LanguageTable& lang,
                     QWidget* parent = nullptr);
    RelayPrintSettings settings() const { return settings_; }
    void accept() override;

    std::vector<QRadioButton*> splits;
    QCheckBox* control_codes = nullptr;
    QCheckBox* variant = nullptr;
    std::vector<QRadioButton*> selection;
    QLineEdit* first_n = nullptr;
    QCheckBox* ranks = nullptr;
    QCheckBox* course_setter = nullptr;
    QCheckBox* extended_html = nullptr;

  private:
    const LanguageTable& lang_;
    RelayPrintSettings settings_;
};

}  // namespace skarvel
