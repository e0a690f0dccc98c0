#include "app/dialogs/filter_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {

// Fills a list headed by "any" (id 0) with the live records of a table, in table order.
template <class R>
void fill(QComboBox* box, const Table<R>& t, const QString& any, int selected_id) {
    box->addItem(any, 0);
    for (int i = 0; i < t.capacity() && t[i]; ++i)
        box->addItem(qs(field_text(t[i]->name)), t[i]->id);
    int index = box->findData(selected_id);
    box->setCurrentIndex(index < 0 ? 0 : index);
}

}  // namespace

FilterDialog::FilterDialog(const LanguageTable& lang, const Competition& c,
                           const FilterSettings& initial, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FilterDialog"));
    setWindowTitle(qs(lang.text(Txt::kFilterTitle)));
    auto* form = new QFormLayout(this);
    QString any = qs(lang.text(Txt::kFilterAny));

    class_ = new QComboBox(this);
    class_->setObjectName(QStringLiteral("class"));
    fill(class_, c.tables.classes, any, initial.class_id);
    form->addRow(qs(lang.text(Txt::kFilterClass)), class_);

    club_ = new QComboBox(this);
    club_->setObjectName(QStringLiteral("club"));
    fill(club_, c.tables.clubs, any, initial.club_id);
    form->addRow(qs(lang.text(Txt::kFilterClub)), club_);

    course_ = new QComboBox(this);
    course_->setObjectName(QStringLiteral("course"));
    fill(course_, c.tables.courses, any, initial.course_id);
    form->addRow(qs(lang.text(Txt::kFilterCourse)), course_);

    heat_ = new QSpinBox(this);
    heat_->setObjectName(QStringLiteral("heat"));
    heat_->setRange(0, 32767);
    heat_->setValue(initial.heat);
    form->addRow(qs(lang.text(Txt::kFilterHeat)), heat_);

    mark_ = new QComboBox(this);
    mark_->setObjectName(QStringLiteral("mark"));
    for (Txt t : {Txt::kFilterMarkAny, Txt::kFilterMarkYes, Txt::kFilterMarkNo})
        mark_->addItem(qs(lang.text(t)));
    mark_->setCurrentIndex(initial.mark >= 0 && initial.mark <= 2 ? initial.mark : 0);
    form->addRow(qs(lang.text(Txt::kFilterMarked)), mark_);

    sort_ = new QComboBox(this);
    sort_->setObjectName(QStringLiteral("sort"));
    for (Txt t : {Txt::kFilterSortName, Txt::kFilterSortNumber, Txt::kFilterSortStart,
                  Txt::kFilterSortCard, Txt::kFilterSortBirth, Txt::kFilterSortClub})
        sort_->addItem(qs(lang.text(t)));
    sort_->setCurrentIndex(initial.sort_key <= 5 ? initial.sort_key : 0);
    form->addRow(qs(lang.text(Txt::kFilterSortAfter)), sort_);

    form->addRow(
        make_dialog_buttons(this, lang.english(), qs(lang.text(Txt::kFilterSearch)), "search"));
}

FilterSettings FilterDialog::settings() const {
    FilterSettings f;
    f.class_id = static_cast<std::int16_t>(class_->currentData().toInt());
    f.club_id = static_cast<std::int16_t>(club_->currentData().toInt());
    f.course_id = static_cast<std::int16_t>(course_->currentData().toInt());
    f.heat = static_cast<std::int16_t>(heat_->value());
    f.mark = static_cast<std::int16_t>(mark_->currentIndex());
    f.sort_key = static_cast<std::uint8_t>(sort_->currentIndex());
    return f;
}

}  // namespace skarvel
