#include "app/editors/quick_runner_dialog.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/cp1251.h"
#include "core/list_edit.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

using namespace literals;

QuickRunnerDialog::QuickRunnerDialog(const LanguageTable& lang, Competition& c, int slot,
                                     QWidget* parent)
    : RecordEditor(lang, c, slot, parent) {
    QuickRunnerForm f = quick_runner_form(c, slot);
    auto [layout, form] = begin_form_layout("QuickRunnerDialog", qs(lang.text(Txt::kMenuEdit)));
    number_ = make_line_edit(this, "number", f.start_number);
    form->addRow(qs(lang.text(Txt::kEdNo)), number_);
    start_ = make_line_edit(this, "start", f.start_time, edit_limits::kTimeText);
    form->addRow(qs(lang.text(Txt::kEdStart)), start_);
    add_ok_cancel(layout, lang);
    number_->selectAll();
}

std::string QuickRunnerDialog::store() {
    EditResult r = store_quick_runner_form(
        c_, slot_, QuickRunnerForm{cp(number_->text()), cp(start_->text())}, lang_.english());
    return r ? std::string() : r.error;
}

}  // namespace skarvel
