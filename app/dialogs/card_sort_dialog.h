// "Сортировка ЧИПов": the key the card readouts are sorted by.
#pragma once

#include <QDialog>

#include "core/language.h"
#include "core/list_ops.h"

class QButtonGroup;

namespace skarvel {

class CardSortDialog : public QDialog {
    Q_OBJECT
  public:
    CardSortDialog(const LanguageTable& lang, CardSortKey initial, QWidget* parent = nullptr);
    CardSortKey key() const;
    void set_key(CardSortKey key);

  private:
    QButtonGroup* group_;
};

}  // namespace skarvel
