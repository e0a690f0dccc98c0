// The dialogs of the start commands. Each gathers the user's choices into the options struct
// of its command (start/start_ops.h, start/start_list.h); the command binding runs the logic
// after OK. Texts come in Russian or English (`english`), as the language table chose.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/competition.h"
#include "start/start_list.h"
#include "start/start_ops.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace skarvel {

class NumberingDialog : public QDialog {
    Q_OBJECT
  public:
    NumberingDialog(const CompetitionInfo& info, bool english, QWidget* parent = nullptr);
    NumberingOptions options() const;
    QSpinBox* first = nullptr;
    QSpinBox* step = nullptr;
};

class StartTimeDialog : public QDialog {
    Q_OBJECT
  public:
    StartTimeDialog(const CompetitionInfo& info, int group_size, bool english,
                    QWidget* parent = nullptr);
    StartTimeOptions options() const;
    QLineEdit* first = nullptr;
    QLineEdit* step = nullptr;
    QSpinBox* group_size = nullptr;
};

class DrawDialog : public QDialog {
    Q_OBJECT
  public:
    DrawDialog(const CompetitionInfo& info, bool english, QWidget* parent = nullptr);
    DrawOptions options() const;
    std::vector<QRadioButton*> subset;  // only the first is enabled
    QCheckBox* only_marked = nullptr;   // shown disabled
    QCheckBox* by_club = nullptr;
    QCheckBox* by_heat = nullptr;
};

class ShiftDialog : public QDialog {
    Q_OBJECT
  public:
    ShiftDialog(const StartSession& session, int time_precision, bool english,
                QWidget* parent = nullptr);
    ShiftOptions options() const;
    QRadioButton* add = nullptr;
    QRadioButton* subtract = nullptr;
    QLineEdit* interval = nullptr;
};

class HeatRangeDialog : public QDialog {
    Q_OBJECT
  public:
    HeatRangeDialog(const HeatRangeOptions& initial, bool english, QWidget* parent = nullptr);
    HeatRangeOptions options() const;
    QSpinBox* from = nullptr;
    QSpinBox* to = nullptr;
    QSpinBox* heat = nullptr;
};

class RenumberDialog : public QDialog {
    Q_OBJECT
  public:
    // `name_of` gives the Windows-1251 name of the runner holding a number, empty for none.
    RenumberDialog(const RenumberOptions& initial, std::function<std::string(int)> name_of,
                   bool english, QWidget* parent = nullptr);
    RenumberOptions options() const;
    QSpinBox* old_number = nullptr;
    QSpinBox* new_number = nullptr;
    QLineEdit* holder = nullptr;  // read-only

  private:
    void show_holder(int number);
    std::function<std::string(int)> name_of_;
    bool english_;
};

class BulkDialog : public QDialog {
    Q_OBJECT
  public:
    BulkDialog(const Competition& c, bool english, QWidget* parent = nullptr);
    BulkOptions options() const;
    QComboBox* klass = nullptr;
    QComboBox* club = nullptr;
    QSpinBox* heat = nullptr;
    QCheckBox* clear_mark = nullptr;

  private:
    std::vector<std::int32_t> class_ids_;  // per combo entry, 0 first
    std::vector<std::int32_t> club_ids_;
};

class StartListDialog : public QDialog {
    Q_OBJECT
  public:
    StartListDialog(const StartListSettings& initial, bool english, QWidget* parent = nullptr);
    StartListSettings settings() const;
    QRadioButton* to_printer = nullptr;
    QRadioButton* to_html = nullptr;
    std::vector<QRadioButton*> selection;  // 0..3
    QCheckBox* only_marked = nullptr;
    QCheckBox* page_per_group = nullptr;
    QCheckBox* card_numbers = nullptr;
    QCheckBox* extended_html = nullptr;

  private:
    StartListSettings initial_;
};

class RelayStartListDialog : public QDialog {
    Q_OBJECT
  public:
    RelayStartListDialog(const StartListSettings& initial, bool english, QWidget* parent = nullptr);
    StartListSettings settings() const;
    QCheckBox* leg_dot_number = nullptr;
    QCheckBox* extended_html = nullptr;
    QCheckBox* first_leg_times = nullptr;
    QCheckBox* card_numbers = nullptr;

  private:
    StartListSettings initial_;
};

}  // namespace skarvel
