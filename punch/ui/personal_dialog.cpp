#include "punch/ui/personal_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/qualification.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {

QLineEdit* text_field(const std::string& value, int max, QWidget* parent) {
    auto* e = new QLineEdit(qs(value), parent);
    e->setMaxLength(max);
    return e;
}

QSpinBox* number_field(int value, int lo, int hi, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setRange(lo, hi);
    s->setValue(value);
    return s;
}

// True when every character of `text` has a Windows-1251 byte.
bool fits_cp1251(const QString& text) {
    return qs(cp(text)) == text;
}

}  // namespace

PersonalDialog::DateFields PersonalDialog::date_row(const CardDate& d, int min_year) {
    return {number_field(d.day, 1, 31, this), number_field(d.month, 1, 12, this),
            number_field(d.year, min_year, 9999, this)};
}

CardDate PersonalDialog::date_of(const DateFields& f) {
    return {f.day->value(), f.month->value(), f.year->value()};
}

PersonalDialog::PersonalDialog(const LanguageTable& lang, QWidget* parent)
    : QDialog(parent), lang_(lang) {
    auto t = [&lang](Txt id) { return qs(lang.text(id)); };
    setWindowTitle(t(Txt::kPersTitle));
    const PersonalForm f;
    auto* top = new QVBoxLayout(this);

    auto* names = new QHBoxLayout;
    auto* ru = new QGroupBox(t(Txt::kPersRussian), this);
    auto* ru_form = new QFormLayout(ru);
    ru_surname_ = text_field(f.russian_surname, kPersonalNameMax, ru);
    ru_first_ = text_field(f.russian_first_name, kPersonalNameMax, ru);
    ru_patronymic_ = text_field(f.russian_patronymic, kPersonalNameMax, ru);
    ru_form->addRow(t(Txt::kPersSurname), ru_surname_);
    ru_form->addRow(t(Txt::kPersFirstName), ru_first_);
    ru_form->addRow(t(Txt::kPersPatronymic), ru_patronymic_);
    auto* en = new QGroupBox(t(Txt::kPersLatin), this);
    auto* en_form = new QFormLayout(en);
    en_surname_ = text_field(f.latin_surname, kPersonalNameMax, en);
    en_first_ = text_field(f.latin_first_name, kPersonalNameMax, en);
    en_form->addRow(t(Txt::kPersSurname), en_surname_);
    en_form->addRow(t(Txt::kPersFirstName), en_first_);
    auto* sex = new QGroupBox(t(Txt::kPersSex), this);
    auto* sex_layout = new QVBoxLayout(sex);
    male_ = new QRadioButton(t(Txt::kPersMale), sex);
    female_ = new QRadioButton(t(Txt::kPersFemale), sex);
    (f.female ? female_ : male_)->setChecked(true);
    sex_layout->addWidget(male_);
    sex_layout->addWidget(female_);
    en_form->addRow(sex);
    names->addWidget(ru);
    names->addWidget(en);
    top->addLayout(names);

    auto* form = new QFormLayout;
    country_ = text_field(f.country, kPersonalCountryMax, this);
    form->addRow(t(Txt::kPersCountry), country_);
    auto* city_row = new QHBoxLayout;
    region_ = number_field(f.region, 0, kPersonalRegionMax, this);
    city_ = text_field(f.city, kPersonalCityMax, this);
    city_row->addWidget(region_);
    city_row->addWidget(city_, 1);
    form->addRow(t(Txt::kPersCityRegion), city_row);
    club_ = text_field(f.club, kPersonalClubMax, this);
    form->addRow(t(Txt::kPersClub), club_);
    auto add_date = [&](Txt label, DateFields& fields, const CardDate& d, int min_year) {
        fields = date_row(d, min_year);
        auto* row = new QHBoxLayout;
        row->addWidget(fields.day);
        row->addWidget(fields.month);
        row->addWidget(fields.year);
        row->addStretch(1);
        form->addRow(t(label), row);
    };
    add_date(Txt::kPersBirthDate, birth_, f.date_of_birth, 1);
    add_date(Txt::kPersInsuranceEnd, insurance_, f.insurance_end, 1900);
    phone_ = text_field(f.phone, 20, this);
    phone_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), phone_));
    form->addRow(t(Txt::kPersPhone), phone_);
    second_card_ = number_field(f.second_card_number, 0, kSecondCardMax, this);
    form->addRow(t(Txt::kPersSecondCard), second_card_);
    top->addLayout(form);

    auto* sports = new QGridLayout;
    sports->addWidget(new QLabel(t(Txt::kPersSportKind), this), 0, 1);
    sports->addWidget(new QLabel(t(Txt::kPersQualification), this), 0, 2);
    const Txt rows[5] = {Txt::kPersSport1, Txt::kPersSport2, Txt::kPersSport3, Txt::kPersSport4,
                         Txt::kPersSport5};
    for (int i = 0; i < 5; ++i) {
        sports->addWidget(new QLabel(t(rows[i]), this), i + 1, 0);
        sports_[i] = new QComboBox(this);
        sports_[i]->addItem(QString());
        for (Txt kind :
             {Txt::kPersSportFoot, Txt::kPersSportSki, Txt::kPersSportBike, Txt::kPersSportTrail})
            sports_[i]->addItem(t(kind));
        qualifications_[i] = new QComboBox(this);
        for (int q = 0; q < kQualificationCount; ++q)
            qualifications_[i]->addItem(qs(qualification_text(q)));
        sports->addWidget(sports_[i], i + 1, 1);
        sports->addWidget(qualifications_[i], i + 1, 2);
    }
    top->addLayout(sports);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PersonalDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
}

PersonalForm PersonalDialog::form() const {
    PersonalForm f;
    f.russian_surname = cp(ru_surname_->text());
    f.russian_first_name = cp(ru_first_->text());
    f.russian_patronymic = cp(ru_patronymic_->text());
    f.latin_surname = cp(en_surname_->text());
    f.latin_first_name = cp(en_first_->text());
    f.female = female_->isChecked();
    f.country = cp(country_->text());
    f.region = region_->value();
    f.city = cp(city_->text());
    f.club = cp(club_->text());
    f.date_of_birth = date_of(birth_);
    f.insurance_end = date_of(insurance_);
    f.phone = cp(phone_->text());
    f.second_card_number = second_card_->value();
    for (int i = 0; i < 5; ++i) {
        f.sports[i] = sports_[i]->currentIndex();
        f.qualifications[i] = qualifications_[i]->currentIndex();
    }
    return f;
}

void PersonalDialog::accept() {
    const std::pair<QLineEdit*, Txt> texts[] = {
        {ru_surname_, Txt::kPersSurname},       {ru_first_, Txt::kPersFirstName},
        {ru_patronymic_, Txt::kPersPatronymic}, {en_surname_, Txt::kPersSurname},
        {en_first_, Txt::kPersFirstName},       {country_, Txt::kPersCountry},
        {city_, Txt::kPersCityRegion},          {club_, Txt::kPersClub}};
    for (const auto& [edit, label] : texts) {
        if (fits_cp1251(edit->text())) continue;
        QString message = qs(lang_.text(Txt::kPersNotCp1251));
        message.replace(QStringLiteral("%s"), qs(lang_.text(label)));
        QMessageBox::warning(this, windowTitle(), message);
        edit->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace skarvel
