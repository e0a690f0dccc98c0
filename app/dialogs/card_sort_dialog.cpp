#include "app/dialogs/card_sort_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

CardSortDialog::CardSortDialog(const LanguageTable& lang, CardSortKey initial, QWidget* parent)
    : QDialog(parent), group_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("CardSortDialog"));
    setWindowTitle(qs(lang.text(Txt::kCardSortTitle)));
    auto* layout = new QVBoxLayout(this);
    int id = 0;
    for (Txt t : {Txt::kCardSortByCard, Txt::kCardSortByNumber, Txt::kCardSortByStart,
                  Txt::kCardSortByFinish}) {
        auto* b = new QRadioButton(qs(lang.text(t)), this);
        b->setObjectName(QStringLiteral("key%1").arg(id));
        group_->addButton(b, id++);
        layout->addWidget(b);
    }
    set_key(initial);
    add_dialog_buttons(this, layout, lang.english());
}

CardSortKey CardSortDialog::key() const {
    int id = group_->checkedId();
    return static_cast<CardSortKey>(id < 0 ? 0 : id);
}

void CardSortDialog::set_key(CardSortKey key) {
    if (QAbstractButton* b = group_->button(static_cast<int>(key))) b->setChecked(true);
}

}  // namespace skarvel
