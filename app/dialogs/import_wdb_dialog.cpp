#include "app/dialogs/import_wdb_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

ImportWdbDialog::ImportWdbDialog(const LanguageTable& lang, const ImportWdbOptions& initial,
                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ImportWdbDialog"));
    setWindowTitle(qs(lang.text(Txt::kImportTitle)));
    auto* layout = new QVBoxLayout(this);
    auto box = [&](Txt t, bool on, const char* name) {
        auto* b = new QCheckBox(qs(lang.text(t)), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setChecked(on);
        layout->addWidget(b);
        return b;
    };
    runners_ = box(Txt::kImportRunners, initial.runners_clubs_classes, "runners");
    courses_ = box(Txt::kImportCourses, initial.courses, "courses");
    replace_info_ = box(Txt::kImportReplaceInfo, initial.replace_info, "replace_info");
    finish_ = box(Txt::kImportFinish, initial.finish_lines, "finish");
    cards_ = box(Txt::kImportCards, initial.card_readouts, "cards");
    only_marked_ = box(Txt::kImportOnlyMarked, initial.only_marked, "only_marked");

    // The merge options are listed so the dialog shows what the import could do, but this
    // program does not merge records yet: they stay disabled.
    auto* group = new QGroupBox(qs(lang.text(Txt::kImportOptimisation)), this);
    auto* g = new QVBoxLayout(group);
    for (Txt t : {Txt::kImportJoinClasses, Txt::kImportJoinCourses, Txt::kImportJoinClubs,
                  Txt::kImportDropFinish, Txt::kImportDropCards}) {
        auto* b = new QCheckBox(qs(lang.text(t)), group);
        b->setEnabled(false);
        g->addWidget(b);
    }
    group->setEnabled(false);
    layout->addWidget(group);

    layout->addWidget(
        make_dialog_buttons(this, lang.english(), qs(lang.text(Txt::kImportButton)), "import"));
}

ImportWdbOptions ImportWdbDialog::options() const {
    ImportWdbOptions o;
    o.runners_clubs_classes = runners_->isChecked();
    o.courses = courses_->isChecked();
    o.replace_info = replace_info_->isChecked();
    o.finish_lines = finish_->isChecked();
    o.card_readouts = cards_->isChecked();
    o.only_marked = only_marked_->isChecked();
    return o;
}

}  // namespace skarvel
