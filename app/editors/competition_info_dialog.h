// "Информация о соревнованиях": titles, officials, kind, relay, padding, time precision and
// the user setting "AutoLoad" (read and returned by the dialog; the caller writes it).
#pragma once

#include <array>

#include "app/editors/editor_common.h"
#include "core/competition.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace skarvel {

class CompetitionInfoDialog : public EditorDialog {
    Q_OBJECT
  public:
    CompetitionInfoDialog(const LanguageTable& lang, Competition& c, bool auto_load,
                          QWidget* parent = nullptr);
    // The "При запуске открывать последний рабочий файл" box after OK.
    bool auto_load() const;

  protected:
    std::string store() override;

  private:
    Competition& c_;
    QPlainTextEdit* title_;
    QLineEdit *date_, *place_, *judge_, *secretary_;
    std::array<QLineEdit*, 4> setters_{};
    QButtonGroup* kind_;
    QButtonGroup* precision_;
    QCheckBox *relay_, *pad_, *auto_load_;
};

}  // namespace skarvel
