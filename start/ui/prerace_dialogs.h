// The dialogs of the pre-race printouts: entry extracts, the credentials committee protocol,
// the start grid, runner cards and number bibs. Each gathers its options; the command binding
// runs the logic (start/extracts.h, start/prerace_lists.h, start/runner_cards.h,
// start/number_bibs.h) after OK.
#pragma once

#include <QDialog>
#include <vector>

#include "core/competition.h"
#include "core/language.h"
#include "start/extracts.h"
#include "start/number_bibs.h"
#include "start/runner_cards.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

namespace skarvel {

class ExtractDialog : public QDialog {
    Q_OBJECT
  public:
    ExtractDialog(const ExtractOptions& initial, const LanguageTable& lang,
                  QWidget* parent = nullptr);
    ExtractOptions options() const;
    std::vector<QRadioButton*> selection;
    QCheckBox* only_marked = nullptr;
    QCheckBox* card_numbers = nullptr;
    QCheckBox* fee = nullptr;
    QCheckBox* signature = nullptr;
    QLineEdit* free_text = nullptr;
    QCheckBox* leg_dot = nullptr;
};

class MandateDialog : public QDialog {
    Q_OBJECT
  public:
    MandateDialog(bool only_marked, const LanguageTable& lang, QWidget* parent = nullptr);
    QCheckBox* only_marked = nullptr;
};

// Shows the grid of start times by corridor; rebuilt whenever the check box changes.
class StartGridDialog : public QDialog {
    Q_OBJECT
  public:
    StartGridDialog(const Competition& c, const LanguageTable& lang, QWidget* parent = nullptr);
    QCheckBox* only_marked = nullptr;
    QPlainTextEdit* grid = nullptr;

  private:
    void rebuild();
    const Competition& c_;
};

class CardPrintDialog : public QDialog {
    Q_OBJECT
  public:
    CardPrintDialog(const CardPrintOptions& initial, const LanguageTable& lang,
                    QWidget* parent = nullptr);
    CardPrintOptions options() const;
    std::vector<QRadioButton*> selection;
    QCheckBox* only_marked = nullptr;
    QRadioButton* from_course = nullptr;
    QRadioButton* fixed_count = nullptr;
    QSpinBox* box_count = nullptr;
    std::vector<QRadioButton*> label;
    QCheckBox* club_per_sheet = nullptr;
};

class BibDialog : public QDialog {
    Q_OBJECT
  public:
    BibDialog(const BibOptions& initial, const LanguageTable& lang, QWidget* parent = nullptr);
    BibOptions options() const;
    QRadioButton* one_day = nullptr;
    QRadioButton* multi_day = nullptr;
    QRadioButton* no_time = nullptr;
    QCheckBox* days[3] = {};
    QCheckBox* two_per_sheet = nullptr;
    QCheckBox* leg = nullptr;
    QCheckBox* club = nullptr;
    QCheckBox* card = nullptr;
    QCheckBox* class_name = nullptr;
};

}  // namespace skarvel
