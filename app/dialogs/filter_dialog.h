// The runner filter dialog ("Фильтр"): class, club and course (each may be "any"), heat,
// marked or not, and the sort key applied after filtering.
#pragma once

#include <QDialog>

#include "core/language.h"
#include "core/list_ops.h"

class QComboBox;
class QSpinBox;

namespace skarvel {

class FilterDialog : public QDialog {
    Q_OBJECT
  public:
    FilterDialog(const LanguageTable& lang, const Competition& c, const FilterSettings& initial,
                 QWidget* parent = nullptr);
    FilterSettings settings() const;

    QComboBox* class_box() const { return class_; }
    QComboBox* club_box() const { return club_; }
    QComboBox* course_box() const { return course_; }
    QSpinBox* heat_box() const { return heat_; }
    QComboBox* mark_box() const { return mark_; }
    QComboBox* sort_box() const { return sort_; }

  private:
    QComboBox* class_;
    QComboBox* club_;
    QComboBox* course_;
    QSpinBox* heat_;
    QComboBox* mark_;
    QComboBox* sort_;
};

}  // namespace skarvel
