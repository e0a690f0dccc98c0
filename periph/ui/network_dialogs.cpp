#include "periph/ui/network_dialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

ServerSettingsDialog::ServerSettingsDialog(const ServerSettings& initial, const LanguageTable& lang,
                                           QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(lang.text(Txt::kNetServerDialogTitle)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name = new QLineEdit(qs(initial.server_name), this);
    name->setObjectName("server_name");
    name->setMaxLength(14);
    form->addRow(qs(lang.text(Txt::kNetServerNameLabel)), name);
    port = new QSpinBox(this);
    port->setObjectName("port");
    port->setRange(1, 65535);
    port->setValue(initial.port);
    form->addRow(qs(lang.text(Txt::kNetPortLabel)), port);
    layout->addLayout(form);

    auto* group = new QGroupBox(qs(lang.text(Txt::kNetSendModeGroup)), this);
    auto* group_layout = new QVBoxLayout(group);
    const Txt texts[] = {Txt::kNetModeContinuous, Txt::kNetModeOnCardRead, Txt::kNetModeOnce};
    for (int i = 0; i < 3; ++i) {
        mode[i] = new QRadioButton(qs(lang.text(texts[i])), group);
        mode[i]->setObjectName(QStringLiteral("mode%1").arg(i));
        group_layout->addWidget(mode[i]);
    }
    mode[initial.send_mode >= 0 && initial.send_mode < 3 ? initial.send_mode : 0]->setChecked(true);
    layout->addWidget(group);
    add_dialog_buttons(this, layout, lang.english());
}

ServerSettings ServerSettingsDialog::settings() const {
    ServerSettings s;
    s.server_name = cp(name->text().left(14));
    for (int i = 0; i < 3; ++i)
        if (mode[i]->isChecked()) s.send_mode = i;
    s.port = port->value();
    return s;
}

OnlineSettingsDialog::OnlineSettingsDialog(const OnlineSettings& initial, const LanguageTable& lang,
                                           QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(qs(lang.text(Txt::kNetOnlineTitle)));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qs(lang.text(Txt::kNetOnlineAsk)), this));
    auto* example = new QLabel(qs(lang.text(Txt::kNetOnlineExample)), this);
    example->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(example);
    layout->addWidget(new QLabel(qs(lang.text(Txt::kNetOnlineLimit)), this));
    prefix = new QLineEdit(qs(initial.url_prefix), this);
    prefix->setObjectName("url_prefix");
    prefix->setMaxLength(59);
    prefix->setMinimumWidth(420);
    layout->addWidget(prefix);
    crossings = new QCheckBox(qs(lang.text(Txt::kNetOnlineCrossings)), this);
    crossings->setObjectName("send_crossings");
    crossings->setChecked(initial.send_crossings);
    layout->addWidget(crossings);
    add_dialog_buttons(this, layout, lang.english());
}

OnlineSettings OnlineSettingsDialog::settings() const {
    return {cp(prefix->text().left(59)), crossings->isChecked()};
}

}  // namespace skarvel
