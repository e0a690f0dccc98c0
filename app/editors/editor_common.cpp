#include "app/editors/editor_common.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/cp1251.h"
#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/sound_service.h"

namespace skarvel {

using namespace literals;

std::string editor_text_to_cp(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QChar('\r'), QChar('\n'));
    t.replace(QChar('\n'), QStringLiteral("\r\n"));
    return cp(t);
}

QString cp_to_editor_text(std::string_view cp1251) {
    QString t = qs(cp1251);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

QLineEdit* make_line_edit(QWidget* parent, const char* name, const std::string& cp1251,
                          int max_chars) {
    auto* e = new QLineEdit(qs(cp1251), parent);
    e->setObjectName(QString::fromLatin1(name));
    if (max_chars > 0) e->setMaxLength(max_chars);
    return e;
}

QGroupBox* make_sound_group(QWidget* parent, const LanguageTable& lang, int id) {
    auto* box = new QGroupBox(qs(lang.text(Txt::kEdSound)), parent);
    box->setObjectName(QStringLiteral("sound"));
    auto* row = new QHBoxLayout(box);
    auto* id_label = new QLabel(QString::number(id), box);
    id_label->setObjectName(QStringLiteral("id"));
    id_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(id_label);
    // The program's sound service is a child of the main window, the editor's parent.
    SoundService* sound = nullptr;
    for (QWidget* w = parent; w && !sound; w = w->parentWidget())
        sound = w->findChild<SoundService*>(QStringLiteral("sound_service"),
                                            Qt::FindDirectChildrenOnly);
    auto* listen = new QPushButton(qs(lang.text(Txt::kSoundListen)), box);
    listen->setObjectName(QStringLiteral("listen"));
    auto* record = new QPushButton(qs(lang.text(Txt::kSoundRecord)), box);
    record->setObjectName(QStringLiteral("record"));
    for (QPushButton* b : {listen, record}) {
        b->setEnabled(sound != nullptr);
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    if (sound) {
        QObject::connect(listen, &QPushButton::clicked, sound,
                         [sound, id] { sound->listen_to(SoundKind::kRunner, id); });
        QObject::connect(record, &QPushButton::clicked, sound,
                         [sound, id] { sound->record_sound(SoundKind::kRunner, id); });
    }
    return box;
}

namespace {

class CtrlEnterFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
                (k->modifiers() & Qt::ControlModifier)) {
                static_cast<QPlainTextEdit*>(watched)->insertPlainText(QStringLiteral("\n"));
                return true;
            }
        }
        return false;
    }
};

}  // namespace

void allow_ctrl_enter_new_line(QPlainTextEdit* edit) {
    edit->installEventFilter(new CtrlEnterFilter(edit));
}

void EditorDialog::accept() {
    std::string error = store();
    if (error.empty()) {
        QDialog::accept();
        return;
    }
    last_error_ = qs(error);
    if (report_error)
        report_error(last_error_);
    else
        QMessageBox::warning(this, windowTitle(), last_error_);
}

void EditorDialog::add_ok_cancel(QBoxLayout* layout, const LanguageTable& lang) {
    add_dialog_buttons(this, layout, lang.english());
}

std::pair<QVBoxLayout*, QFormLayout*> RecordEditor::begin_form_layout(const char* object_name,
                                                                      const QString& title) {
    setObjectName(QString::fromLatin1(object_name));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    return {layout, form};
}

}  // namespace skarvel
