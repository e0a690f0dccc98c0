#include "app/editors/record_editors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "core/cp1251.h"
#include "core/list_edit.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

using namespace literals;
namespace lim = edit_limits;

namespace {

// A list of the records of a table in table order (the item data is the id), headed by a
// blank entry. The blank entry keeps a reference that names no record (so OK does not lose
// it) and otherwise stands for "none".
template <class R>
QComboBox* make_id_list(QWidget* parent, const char* name, const Table<R>& t, std::int32_t current,
                        QString (*label)(const R&)) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    int found = -1;
    for (int i = 0; i < t.capacity() && t[i]; ++i)
        if (t[i]->id == current && found < 0) found = i;
    box->addItem(QString(), found < 0 ? current : 0);
    for (int i = 0; i < t.capacity() && t[i]; ++i) box->addItem(label(*t[i]), t[i]->id);
    box->setCurrentIndex(found < 0 ? 0 : found + 1);
    return box;
}

template <class R>
QString plain_name(const R& r) {
    return qs(field_text(r.name));
}

QString course_name(const Course& r) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%-10.10s", std::string(field_text(r.name)).c_str());
    return qs(buf);
}

// The slot of the record with this id now, or kNoSlot.
template <class R>
int slot_of_id(const Table<R>& t, std::int32_t id) {
    for (int i = 0; i < t.capacity(); ++i)
        if (t[i] && t[i]->id == id) return i;
    return kNoSlot;
}

// What OK stores into a table with ids: into the record as it is now, only the fields the
// operator changed; a record opened as new (or gone meanwhile) is created in a free slot.
template <class R, class F, class FormOf>
F write_back(const Table<R>& t, bool opened_new, const F& shown, const F& edited, int& slot,
             FormOf form_of) {
    slot = opened_new ? kNoSlot : slot_of_id(t, shown.id);
    if (slot == kNoSlot) return edited;
    return merge_changed_fields(shown, edited, form_of(t[slot]));
}

std::int32_t chosen_id(const QComboBox* box) {
    return box->currentData().toInt();
}

QCheckBox* make_check(QWidget* parent, const char* name, const QString& text, bool on) {
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setChecked(on);
    return b;
}

}  // namespace

// ---- runner ------------------------------------------------------------------------------

RunnerEditor::RunnerEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent)
    : RecordEditor(lang, c, slot, parent) {
    opened_new_ = !c.tables.runners[slot];
    build(runner_form(c, c.tables.runners[slot]));
}

RunnerEditor::RunnerEditor(const LanguageTable& lang, Competition& c, int slot,
                           const RunnerForm& form, QWidget* parent)
    : RecordEditor(lang, c, slot, parent) {
    opened_new_ = slot == kNoSlot || !c.tables.runners[slot];
    build(form);
}

void RunnerEditor::build(const RunnerForm& f) {
    id_ = f.id;
    shown_ = f;
    auto [layout, form] = begin_form_layout("RunnerEditor", qs(lang_.text(Txt::kMenuEdit)));

    name_ = make_line_edit(this, "name", f.name, lim::kRunnerName);
    form->addRow(qs(lang_.text(Txt::kNameSurname)), name_);
    // A new runner's placeholder name "." is selected, so the first key typed replaces it.
    if (f.name == ".") {
        name_->selectAll();
        name_->setFocus();
    }
    class_ = make_id_list(this, "class", c_.tables.classes, f.class_id, &plain_name<ClassRecord>);
    form->addRow(qs(lang_.text(Txt::kFilterClass)), class_);
    qualification_ = new QComboBox(this);
    qualification_->setObjectName(QStringLiteral("qualification"));
    for (const std::string& e : qualification_entries()) qualification_->addItem(qs(e));
    qualification_->setCurrentIndex(f.qualification);
    form->addRow(qs(lang_.text(Txt::kEdRank)), qualification_);
    birth_ = make_line_edit(this, "birth_year", f.birth_year);
    form->addRow(qs(lang_.text(Txt::kEdYearOfBirth)), birth_);
    club_ = make_id_list(this, "club", c_.tables.clubs, f.club_id, &plain_name<Club>);
    form->addRow(qs(lang_.text(Txt::kFilterClub)), club_);
    heat_ = make_line_edit(this, "heat", f.heat_or_leg);
    form->addRow(qs(lang_.text(Txt::kEdHeatLeg)), heat_);
    number_ = make_line_edit(this, "number", f.start_number);
    form->addRow(qs(lang_.text(Txt::kEdNumber)), number_);
    start_ = make_line_edit(this, "start", f.start_time, lim::kTimeText);
    form->addRow(qs(lang_.text(Txt::kEdStart)), start_);
    card_ = make_line_edit(this, "card", f.card_number);
    form->addRow(qs(lang_.text(Txt::kEdVPCard)), card_);
    comment_ = make_line_edit(this, "comment", f.comment, lim::kRunnerComment);
    comment_->setToolTip(qs(lang_.text(Txt::kEdComment)));
    form->addRow(QString(), comment_);

    auto* checks = new QHBoxLayout;
    reduced_ = make_check(this, "reduced_fee", qs(lang_.text(Txt::kEdReducedFee)), f.reduced_fee);
    own_card_ = make_check(this, "own_card", qs(lang_.text(Txt::kEdOwnCard)), f.own_card);
    out_of_competition_ =
        make_check(this, "out_of_competition", qs(lang_.text(Txt::kEdOC)), f.out_of_competition);
    individual_ = make_check(this, "individual", qs(lang_.text(Txt::kEdIndividual)), f.individual);
    for (QCheckBox* b : {reduced_, own_card_, out_of_competition_, individual_})
        checks->addWidget(b);
    layout->addLayout(checks);
    layout->addWidget(make_sound_group(this, lang_, f.id));
    add_ok_cancel(layout, lang_);
}

std::string RunnerEditor::store() {
    RunnerForm f;
    f.id = id_;
    f.name = cp(name_->text());
    f.class_id = chosen_id(class_);
    f.club_id = chosen_id(club_);
    f.qualification = qualification_->currentIndex();
    f.birth_year = cp(birth_->text());
    f.heat_or_leg = cp(heat_->text());
    f.start_number = cp(number_->text());
    f.start_time = cp(start_->text());
    f.card_number = cp(card_->text());
    f.comment = cp(comment_->text());
    f.reduced_fee = reduced_->isChecked();
    f.own_card = own_card_->isChecked();
    f.out_of_competition = out_of_competition_->isChecked();
    f.individual = individual_->isChecked();
    int slot = kNoSlot;
    f = write_back(c_.tables.runners, opened_new_, shown_, f, slot,
                   [this](const Runner* r) { return runner_form(c_, r); });
    EditResult r = recompute_finish_ ? store_finish_line_runner(c_, slot, f, lang_.english())
                                     : store_runner_form(c_, slot, f, lang_.english());
    if (!r) return r.error;
    slot_ = r.slot;
    return {};
}

// ---- club --------------------------------------------------------------------------------

ClubEditor::ClubEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent)
    : RecordEditor(lang, c, slot, parent) {
    opened_new_ = !c.tables.clubs[slot];
    ClubForm f = club_form(c, c.tables.clubs[slot]);
    id_ = f.id;
    shown_ = f;
    auto [layout, form] = begin_form_layout("ClubEditor", qs(lang_.text(Txt::kFilterClub)));
    name_ = make_line_edit(this, "name", f.name, lim::kClubText);
    form->addRow(qs(lang_.text(Txt::kEdName)), name_);
    representative_ = make_line_edit(this, "representative", f.representative, lim::kClubText);
    form->addRow(qs(lang_.text(Txt::kEdRepresentative)), representative_);
    layout->addWidget(make_sound_group(this, lang_, f.id));
    add_ok_cancel(layout, lang_);
}

std::string ClubEditor::store() {
    int slot = kNoSlot;
    ClubForm f = write_back(c_.tables.clubs, opened_new_, shown_,
                            ClubForm{id_, cp(name_->text()), cp(representative_->text())}, slot,
                            [this](const Club* r) { return club_form(c_, r); });
    EditResult r = store_club_form(c_, slot, f, lang_.english());
    if (!r) return r.error;
    slot_ = r.slot;
    return {};
}

// ---- class -------------------------------------------------------------------------------

ClassEditor::ClassEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent)
    : RecordEditor(lang, c, slot, parent) {
    opened_new_ = !c.tables.classes[slot];
    ClassForm f = class_form(c, c.tables.classes[slot]);
    id_ = f.id;
    shown_ = f;
    auto [layout, form] = begin_form_layout("ClassEditor", qs(lang_.text(Txt::kFilterClass)));
    name_ = make_line_edit(this, "name", f.name, lim::kClassName);
    form->addRow(qs(lang_.text(Txt::kEdName)), name_);
    course_ = make_id_list(this, "course", c.tables.courses, f.course_id, &course_name);
    form->addRow(qs(lang_.text(Txt::kFilterCourse)), course_);

    auto* ranks = new QGroupBox(qs(lang_.text(Txt::kEdAwardingOfRanks)), this);
    auto* ranks_form = new QFormLayout(ranks);
    ranks_ = make_check(ranks, "ranks_allowed", qs(lang_.text(Txt::kEdRanksMayBeAwarded)),
                        f.ranks_allowed);
    ranks_form->addRow(ranks_);
    ms_ = make_line_edit(ranks, "ms", f.ms_award);
    ranks_form->addRow(qs(lang_.text(Txt::kEdMS)), ms_);
    kms_ = make_line_edit(ranks, "kms", f.kms_award);
    ranks_form->addRow(qs(lang_.text(Txt::kEdCMS)), kms_);
    layout->addWidget(ranks);

    auto fee_group = [&](const QString& title, QLineEdit*& reduced, const char* reduced_name,
                         const std::string& r, QLineEdit*& normal, const char* normal_name,
                         const std::string& n) {
        auto* box = new QGroupBox(title, this);
        auto* g = new QFormLayout(box);
        reduced = make_line_edit(box, reduced_name, r);
        g->addRow(qs(lang_.text(Txt::kEdReduced)), reduced);
        normal = make_line_edit(box, normal_name, n);
        g->addRow(qs(lang_.text(Txt::kEdNormal)), normal);
        layout->addWidget(box);
    };
    fee_group(qs(lang_.text(Txt::kEdEntryFeeRentedCard)), rental_reduced_, "fee_rental_reduced",
              f.fee_rental_reduced, rental_normal_, "fee_rental_normal", f.fee_rental_normal);
    fee_group(qs(lang_.text(Txt::kEdEntryFeeOwnCard)), own_reduced_, "fee_own_reduced",
              f.fee_own_reduced, own_normal_, "fee_own_normal", f.fee_own_normal);
    layout->addWidget(make_sound_group(this, lang_, f.id));
    add_ok_cancel(layout, lang_);
}

std::string ClassEditor::store() {
    ClassForm f;
    f.id = id_;
    f.name = cp(name_->text());
    f.course_id = chosen_id(course_);
    f.ranks_allowed = ranks_->isChecked();
    f.ms_award = cp(ms_->text());
    f.kms_award = cp(kms_->text());
    f.fee_rental_reduced = cp(rental_reduced_->text());
    f.fee_rental_normal = cp(rental_normal_->text());
    f.fee_own_reduced = cp(own_reduced_->text());
    f.fee_own_normal = cp(own_normal_->text());
    int slot = kNoSlot;
    f = write_back(c_.tables.classes, opened_new_, shown_, f, slot,
                   [this](const ClassRecord* r) { return class_form(c_, r); });
    EditResult r = store_class_form(c_, slot, f, lang_.english());
    if (!r) return r.error;
    slot_ = r.slot;
    return {};
}

// ---- course ------------------------------------------------------------------------------

CourseEditor::CourseEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent)
    : RecordEditor(lang, c, slot, parent) {
    opened_new_ = !c.tables.courses[slot];
    CourseForm f = course_form(c, c.tables.courses[slot]);
    id_ = f.id;
    shown_ = f;
    auto [layout, form] = begin_form_layout("CourseEditor", qs(lang_.text(Txt::kFilterCourse)));
    name_ = make_line_edit(this, "name", f.name, lim::kCourseName);
    form->addRow(qs(lang_.text(Txt::kEdShortName)), name_);
    controls_ = make_line_edit(this, "control_count", f.control_count);
    form->addRow(qs(lang_.text(Txt::kEdControls)), controls_);
    length_ = make_line_edit(this, "length", f.length_m);
    form->addRow(qs(lang_.text(Txt::kEdLengthMetres)), length_);
    climb_ = make_line_edit(this, "climb", f.climb_m);
    form->addRow(qs(lang_.text(Txt::kEdClimb)), climb_);
    corridor_ = make_line_edit(this, "start_corridor", f.start_corridor);
    form->addRow(qs(lang_.text(Txt::kEdStartCorridor)), corridor_);
    limit_ = make_line_edit(this, "time_limit", f.time_limit_min);
    form->addRow(qs(lang_.text(Txt::kMaxLimitTime)), limit_);
    crossings_ = make_line_edit(this, "finish_crossings", f.finish_crossings);
    form->addRow(qs(lang_.text(Txt::kFinishCrossings)), crossings_);
    setter_ = new QComboBox(this);
    setter_->setObjectName(QStringLiteral("course_setter"));
    for (int i = 0; i < 4; ++i) {
        std::string_view name = field_text(c.info.course_setters[i]);
        setter_->addItem(name.empty() ? QString::number(i + 1) : qs(name));
    }
    setter_->setCurrentIndex(f.course_setter);
    form->addRow(qs(lang_.text(Txt::kEdCourseSetter)), setter_);
    layout->addWidget(new QLabel(qs(lang_.text(Txt::kEdControlOrderNewLineCtrlEnter)), this));
    order_ = new QPlainTextEdit(cp_to_editor_text(f.control_order), this);
    order_->setObjectName(QStringLiteral("control_order"));
    allow_ctrl_enter_new_line(order_);
    layout->addWidget(order_);
    add_ok_cancel(layout, lang_);
}

std::string CourseEditor::store() {
    CourseForm f;
    f.id = id_;
    f.name = cp(name_->text());
    f.control_count = cp(controls_->text());
    f.length_m = cp(length_->text());
    f.climb_m = cp(climb_->text());
    f.start_corridor = cp(corridor_->text());
    f.time_limit_min = cp(limit_->text());
    f.finish_crossings = cp(crossings_->text());
    f.course_setter = setter_->currentIndex();
    f.control_order = editor_text_to_cp(order_->toPlainText());
    int slot = kNoSlot;
    f = write_back(c_.tables.courses, opened_new_, shown_, f, slot,
                   [this](const Course* r) { return course_form(c_, r); });
    EditResult r = store_course_form(c_, slot, f, lang_.english());
    if (!r) return r.error;
    slot_ = r.slot;
    return {};
}

// ---- card readout ------------------------------------------------------------------------

CardReadoutEditor::CardReadoutEditor(const LanguageTable& lang, Competition& c, int slot,
                                     QWidget* parent)
    : RecordEditor(lang, c, slot, parent) {
    setObjectName(QStringLiteral("CardReadoutEditor"));
    setWindowTitle(qs(lang_.text(Txt::kEdEditingOfTheVPCardInformation)));
    opened_new_ = !c.tables.card_readouts[slot];
    CardReadoutForm f = card_readout_form(c, c.tables.card_readouts[slot]);
    shown_ = f;
    auto* layout = new QHBoxLayout;
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(layout);

    auto* service = new QGroupBox(qs(lang_.text(Txt::kEdServiceInformation)), this);
    auto* form = new QFormLayout(service);
    card_ = make_line_edit(service, "card_number", f.card_number);
    form->addRow(qs(lang_.text(Txt::kEdCardNumber)), card_);
    number_ = make_line_edit(service, "start_number", f.start_number);
    form->addRow(qs(lang_.text(Txt::kEdStartNumber)), number_);
    start_ = make_line_edit(service, "start_time", f.start_time, lim::kTimeText);
    form->addRow(qs(lang_.text(Txt::kEdStartTime)), start_);
    finish_ = make_line_edit(service, "finish_time", f.finish_time, lim::kTimeText);
    form->addRow(qs(lang_.text(Txt::kEdFinishTime)), finish_);
    count_ = new QLabel(QString::number(f.punch_count), service);
    count_->setObjectName(QStringLiteral("punch_count"));
    form->addRow(qs(lang_.text(Txt::kEdPunches)), count_);
    auto* note = new QLabel(qs(lang_.text(Txt::kEdStationsMayNotWriteTheStart)), service);
    note->setWordWrap(true);
    form->addRow(note);
    layout->addWidget(service);

    auto* punches = new QGroupBox(qs(lang_.text(Txt::kEdPunchesInCard)), this);
    auto* box = new QVBoxLayout(punches);
    punches_ = new QPlainTextEdit(cp_to_editor_text(f.punches), punches);
    punches_->setObjectName(QStringLiteral("punches"));
    allow_ctrl_enter_new_line(punches_);
    box->addWidget(punches_);
    box->addWidget(new QLabel(qs(lang_.text(Txt::kEdNewLineWhileTypingNCtrlEnter)), punches));
    layout->addWidget(punches);
    add_ok_cancel(outer, lang_);
}

std::string CardReadoutEditor::store() {
    CardReadoutForm f;
    f.card_number = cp(card_->text());
    f.start_number = cp(number_->text());
    f.start_time = cp(start_->text());
    f.finish_time = cp(finish_->text());
    f.punches = editor_text_to_cp(punches_->toPlainText());
    // Card readouts have no id: the readout stays in its slot while the editor is open.
    int slot = opened_new_ || !c_.tables.card_readouts[slot_] ? kNoSlot : slot_;
    if (slot != kNoSlot)
        f = merge_changed_fields(shown_, f, card_readout_form(c_, c_.tables.card_readouts[slot]));
    EditResult r = store_card_readout_form(c_, slot, f, lang_.english());
    if (!r) return r.error;
    slot_ = r.slot;
    return {};
}

}  // namespace skarvel
