// The form of "Персонализация..." (dialog "Персонификация"): every opening starts from the
// sample values; OK is taken only when every text fits Windows-1251.
#pragma once

#include <QDialog>
#include <array>

#include "core/language.h"
#include "punch/personal_data.h"

class QLineEdit;
class QSpinBox;
class QRadioButton;
class QComboBox;

namespace skarvel {

class PersonalDialog : public QDialog {
    Q_OBJECT
  public:
    PersonalDialog(const LanguageTable& lang, QWidget* parent = nullptr);

    PersonalForm form() const;
    void accept() override;

  private:
    struct DateFields {
        QSpinBox* day = nullptr;
        QSpinBox* month = nullptr;
        QSpinBox* year = nullptr;
    };
    DateFields date_row(const CardDate& d, int min_year);
    static CardDate date_of(const DateFields& f);

    const LanguageTable& lang_;
    QLineEdit* ru_surname_ = nullptr;
    QLineEdit* ru_first_ = nullptr;
    QLineEdit* ru_patronymic_ = nullptr;
    QLineEdit* en_surname_ = nullptr;
    QLineEdit* en_first_ = nullptr;
    QRadioButton* male_ = nullptr;
    QRadioButton* female_ = nullptr;
    QLineEdit* country_ = nullptr;
    QSpinBox* region_ = nullptr;
    QLineEdit* city_ = nullptr;
    QLineEdit* club_ = nullptr;
    DateFields birth_;
    DateFields insurance_;
    QLineEdit* phone_ = nullptr;
    QSpinBox* second_card_ = nullptr;
    std::array<QComboBox*, 5> sports_{};
    std::array<QComboBox*, 5> qualifications_{};
};

}  // namespace skarvel
