// The "Import WDB" dialog: which parts of another competition file to merge.
#pragma once

#include <QDialog>

#include "core/language.h"
#include "core/wdb_file.h"

class QCheckBox;

namespace skarvel {

class ImportWdbDialog : public QDialog {
    Q_OBJECT
  public:
    ImportWdbDialog(const LanguageTable& lang, const ImportWdbOptions& initial,
                    QWidget* parent = nullptr);
    ImportWdbOptions options() const;

    QCheckBox* runners_box() const { return runners_; }
    QCheckBox* courses_box() const { return courses_; }
    QCheckBox* replace_info_box() const { return replace_info_; }
    QCheckBox* finish_box() const { return finish_; }
    QCheckBox* cards_box() const { return cards_; }
    QCheckBox* only_marked_box() const { return only_marked_; }

  private:
    QCheckBox* runners_;
    QCheckBox* courses_;
    QCheckBox* replace_info_;
    QCheckBox* finish_;
    QCheckBox* cards_;
    QCheckBox* only_marked_;
};

}  // namespace skarvel
