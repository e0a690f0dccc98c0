// The dialogs of the screens: the per-class pages ("мультипэйдж", "мультипэйдж-2") and the
// display folder with its web server.
#pragma once

#include <QDialog>

#include "core/language.h"
#include "periph/multi_screen.h"
#include "periph/ui/screens_qt.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace skarvel {

// The five result settings shared with the result protocol, as the pages use them.
struct MultiScreenShared {
    // 0 all classes, 1 marked classes; the result protocol's 2 and 3 (all or marked courses)
    // are kept as they are and give the pages of every class.
    int selection = 0;
    int first_n = 0;
    bool count_laps = false;
    bool all_finish_passes = false;
    bool print_non_starters = false;

    static MultiScreenShared from(const CompetitionInfo& info);
    void store(CompetitionInfo& info) const;
};

class MultiScreenDialog : public QDialog {
    Q_OBJECT
  public:
    MultiScreenDialog(const MultiScreenShared& shared, const MultiScreenSettings& page,
                      const LanguageTable& lang, QWidget* parent = nullptr);
    // The edited values (meaningful after OK).
    MultiScreenShared shared() const;
    MultiScreenSettings page() const;

  private:
    QButtonGroup* selection_;
    int stored_selection_ = 0;
    QSpinBox *first_n_, *font_, *refresh_;
    QCheckBox *laps_, *passes_, *non_starters_, *shading_, *vertical_;
};

class ScreenSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    ScreenSettingsDialog(const ScreenSettings& settings, const LanguageTable& lang,
                         QWidget* parent = nullptr);
    ScreenSettings settings() const;

  private:
    QLineEdit* folder_;
    QCheckBox* http_;
    QSpinBox* port_;
    QLineEdit* address_;
};

}  // namespace skarvel
