#include "platform/qt/dialog_parts.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace skarvel {

QDialogButtonBox* make_dialog_buttons(QDialog* dialog, bool english, const QString& accept_text,
                                      const char* accept_name, const QString& cancel_text) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(accept_text, QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::fromLatin1(accept_name));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(cancel_text.isEmpty() ? qs(text_in(english, Txt::kCancel)) : cancel_text,
                           QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QDialogButtonBox* add_dialog_buttons(QDialog* dialog, QBoxLayout* layout, bool english) {
    QDialogButtonBox* buttons = make_dialog_buttons(dialog, english);
    layout->addWidget(buttons);
    return buttons;
}

}  // namespace skarvel
