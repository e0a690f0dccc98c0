// The editors of the five record tables (runner, club, class, course, card readout). Each
// opens on a slot: a record's values, or the defaults of a new record on an empty slot; OK
// checks and stores through the logic's form conversions (a new record lands in the first
// empty slot) and stays open with a message when a value is out of range.
#pragma once

#include "app/editors/editor_common.h"
#include "core/competition.h"
#include "core/record_edit.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace skarvel {

class RunnerEditor : public RecordEditor {
    Q_OBJECT
  public:
    // The runner at `slot` (a new one on an empty slot).
    RunnerEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent = nullptr);
    // A prepared form (the runner of a finish line); `slot` kNoSlot makes a new runner.
    RunnerEditor(const LanguageTable& lang, Competition& c, int slot, const RunnerForm& form,
                 QWidget* parent = nullptr);
    // After OK, also rebuild the number index and the finish results (Ctrl+Enter).
    void set_recompute_finish(bool on) { recompute_finish_ = on; }

  protected:
    std::string store() override;

  private:
    RunnerForm shown_;  // the form as the editor opened
    void build(const RunnerForm& f);
    std::int32_t id_ = 0;
    bool recompute_finish_ = false;
    QLineEdit *name_, *birth_, *heat_, *number_, *start_, *card_, *comment_;
    QComboBox *class_, *qualification_, *club_;
    QCheckBox *reduced_, *own_card_, *out_of_competition_, *individual_;
};

class ClubEditor : public RecordEditor {
    Q_OBJECT
  public:
    ClubEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent = nullptr);

  protected:
    std::string store() override;

  private:
    ClubForm shown_;  // the form as the editor opened
    std::int32_t id_;
    QLineEdit *name_, *representative_;
};

class ClassEditor : public RecordEditor {
    Q_OBJECT
  public:
    ClassEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent = nullptr);

  protected:
    std::string store() override;

  private:
    ClassForm shown_;  // the form as the editor opened
    std::int32_t id_;
    QLineEdit *name_, *ms_, *kms_, *rental_reduced_, *rental_normal_, *own_reduced_, *own_normal_;
    QComboBox* course_;
    QCheckBox* ranks_;
};

class CourseEditor : public RecordEditor {
    Q_OBJECT
  public:
    CourseEditor(const LanguageTable& lang, Competition& c, int slot, QWidget* parent = nullptr);

  protected:
    std::string store() override;

  private:
    CourseForm shown_;  // the form as the editor opened
    std::int32_t id_;
    QLineEdit *name_, *controls_, *length_, *climb_, *corridor_, *limit_, *crossings_;
    QComboBox* setter_;
    QPlainTextEdit* order_;
};

class CardReadoutEditor : public RecordEditor {
    Q_OBJECT
  public:
    CardReadoutEditor(const LanguageTable& lang, Competition& c, int slot,
                      QWidget* parent = nullptr);

  protected:
    std::string store() override;

  private:
    CardReadoutForm shown_;  // the form as the editor opened
    QLineEdit *card_, *number_, *start_, *finish_;
    QLabel* count_;
    QPlainTextEdit* punches_;
};

}  // namespace skarvel
