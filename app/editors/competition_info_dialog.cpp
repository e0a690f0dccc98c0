#include "app/editors/competition_info_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/cp1251.h"
#include "core/record_edit.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

using namespace literals;
namespace lim = edit_limits;

CompetitionInfoDialog::CompetitionInfoDialog(const LanguageTable& lang, Competition& c,
                                             bool auto_load, QWidget* parent)
    : EditorDialog(parent), c_(c) {
    setObjectName(QStringLiteral("CompetitionInfoDialog"));
    setWindowTitle(qs(lang.text(Txt::kEdAboutCompetitions)));
    CompetitionInfoForm f = competition_info_form(c.info);
    auto* layout = new QVBoxLayout(this);
    title_ = new QPlainTextEdit(cp_to_editor_text(f.title), this);
    title_->setObjectName(QStringLiteral("title"));
    allow_ctrl_enter_new_line(title_);
    layout->addWidget(new QLabel(qs(lang.text(Txt::kEdTitle)), this));
    layout->addWidget(title_);

    auto* form = new QFormLayout;
    layout->addLayout(form);
    date_ = make_line_edit(this, "date", f.date, lim::kDateChars);
    form->addRow(qs(lang.text(Txt::kEdDate)), date_);
    place_ = make_line_edit(this, "place", f.place, lim::kOfficialChars);
    form->addRow(qs(lang.text(Txt::kEdPlace)), place_);
    judge_ = make_line_edit(this, "chief_judge", f.chief_judge, lim::kOfficialChars);
    form->addRow(qs(lang.text(Txt::kEdChiefJudge)), judge_);
    secretary_ = make_line_edit(this, "chief_secretary", f.chief_secretary, lim::kOfficialChars);
    form->addRow(qs(lang.text(Txt::kEdChiefSecretary)), secretary_);
    for (int i = 0; i < 4; ++i) {
        std::string name = "course_setter" + std::to_string(i + 1);
        setters_[i] = make_line_edit(this, name.c_str(), f.course_setters[i], lim::kOfficialChars);
        form->addRow(qs(lang.text(Txt::kEdCourseSetterN)) + QString::number(i + 1), setters_[i]);
    }

    auto* kind_box = new QGroupBox(qs(lang.text(Txt::kEdKindOfCompetition)), this);
    auto* kind_layout = new QVBoxLayout(kind_box);
    kind_ = new QButtonGroup(this);
    const Txt kinds[] = {Txt::kEdKindCourseOrder, Txt::kEdKindMarkedLaps, Txt::kEdKindMarkedMinutes,
                         Txt::kEdKindHandicap};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(qs(lang.text(kinds[i])), kind_box);
        b->setObjectName(QStringLiteral("kind%1").arg(i));
        kind_->addButton(b, i);
        kind_layout->addWidget(b);
    }
    kind_->button(f.competition_kind)->setChecked(true);
    layout->addWidget(kind_box);

    relay_ = new QCheckBox(qs(lang.text(Txt::kEdRelay)), this);
    relay_->setObjectName(QStringLiteral("relay"));
    relay_->setChecked(f.relay);
    pad_ = new QCheckBox(qs(lang.text(Txt::kPadNumbers)), this);
    pad_->setObjectName(QStringLiteral("pad_numbers"));
    pad_->setChecked(f.pad_numbers_to_4);
    auto* flags = new QHBoxLayout;
    flags->addWidget(relay_);
    flags->addWidget(pad_);
    layout->addLayout(flags);

    auto* precision_box = new QGroupBox(qs(lang.text(Txt::kTimeAccuracy)), this);
    auto* precision_layout = new QHBoxLayout(precision_box);
    precision_ = new QButtonGroup(this);
    const Txt precisions[] = {Txt::kEdPrecision1, Txt::kEdPrecision01, Txt::kEdPrecision001};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(qs(lang.text(precisions[i])), precision_box);
        b->setObjectName(QStringLiteral("precision%1").arg(i));
        precision_->addButton(b, i);
        precision_layout->addWidget(b);
    }
    precision_->button(f.time_precision)->setChecked(true);
    layout->addWidget(precision_box);

    auto_load_ = new QCheckBox(qs(lang.text(Txt::kAutoLoad)), this);
    auto_load_->setObjectName(QStringLiteral("auto_load"));
    auto_load_->setChecked(auto_load);
    layout->addWidget(auto_load_);
    add_ok_cancel(layout, lang);
}

bool CompetitionInfoDialog::auto_load() const {
    return auto_load_->isChecked();
}

std::string CompetitionInfoDialog::store() {
    CompetitionInfoForm f;
    f.title = editor_text_to_cp(title_->toPlainText());
    f.date = cp(date_->text());
    f.place = cp(place_->text());
    f.chief_judge = cp(judge_->text());
    f.chief_secretary = cp(secretary_->text());
    for (int i = 0; i < 4; ++i) f.course_setters[i] = cp(setters_[i]->text());
    f.competition_kind = kind_->checkedId() < 0 ? 0 : kind_->checkedId();
    f.relay = relay_->isChecked();
    f.pad_numbers_to_4 = pad_->isChecked();
    f.time_precision = precision_->checkedId() < 0 ? 0 : precision_->checkedId();
    store_competition_info_form(c_, f);
    return {};
}

}  // namespace skarvel
