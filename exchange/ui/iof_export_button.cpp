#include "exchange/ui/iof_export_button.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLayout>
#include <QPushButton>

namespace skarvel {

QPushButton* add_iof_export_button(QDialog& dialog, const QString& text,
                                   std::function<void()> action) {
    QPushButton* button = nullptr;
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
        button = box->addButton(text, QDialogButtonBox::ActionRole);
    } else if (QLayout* layout = dialog.layout()) {
        button = new QPushButton(text, &dialog);
        layout->addWidget(button);
    }
    if (!button) return nullptr;
    button->setObjectName(QStringLiteral("export_iof"));
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, &dialog, [action = std::move(action)] {
        if (action) action();
    });
    return button;
}

}  // namespace skarvel
