// The quick edit of a runner ("Редактирование" with "№" and "Старт").
#pragma once

#include "app/editors/editor_common.h"
#include "core/competition.h"

class QLineEdit;

namespace skarvel {

class QuickRunnerDialog : public RecordEditor {
    Q_OBJECT
  public:
    QuickRunnerDialog(const LanguageTable& lang, Competition& c, int slot,
                      QWidget* parent = nullptr);

  protected:
    std::string store() override;

  private:
    QLineEdit *number_, *start_;
};

}  // namespace skarvel
