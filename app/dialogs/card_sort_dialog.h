// "Сортировка ЧИПов": the key the card readouts are sorted by.
#pragma once

#include <QDialog>

#include "app/view_logic.h"
#include "platform/language.h"

class QButtonGroup;

namespace skarvel {

class CardSortDialog : public QDialog {
    Q_OBJECT
  public:
    CardSortDialog(const LanguageTable& lang, view::CardSortKey initial, QWidget* parent = nullptr);
    view::CardSortKey key() const;
    void set_key(view::CardSortKey key);

  private:
    QButtonGroup* group_;
};

}  // namespace skarvel
