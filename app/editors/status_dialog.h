// "Снятие/восстановление": the status loop. Each "OK/Следующий" sets the status of the runner
// with the typed number at once and starts over with the number 0 and the same status;
// "Восстановить всех" restores every runner; "Завершить/Прервать" (or closing the window)
// ends the loop and stores the edited status texts.
#pragma once

#include <array>

#include "app/editors/editor_common.h"
#include "core/competition.h"
#include "core/prompts.h"

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace skarvel {

class StatusDialog : public QDialog {
    Q_OBJECT
  public:
    // `status` is the status chosen last time.
    StatusDialog(const LanguageTable& lang, Competition& c, Prompts& prompts, int status,
                 QWidget* parent = nullptr);
    int chosen_status() const;
    // How many runners were changed so far.
    int changes() const { return changes_; }

    void next();         // "OK/Следующий"
    void restore_all();  // "Восстановить всех"
    void done(int r) override;

  private:
    void update_name();

    const LanguageTable& lang_;
    Competition& c_;
    Prompts& prompts_;
    QLineEdit* number_;
    QLabel* name_;
    QButtonGroup* status_;
    std::array<QLineEdit*, 9> names_{};
    std::array<QLineEdit*, 9> short_texts_{};
    int changes_ = 0;
};

}  // namespace skarvel
