// The dialogs of the finish-list and split-printout commands. Each gathers the user's
// choices into the options struct of its command (punch/finish_list.h, punch/split_sheet.h);
// the command binding runs the logic after OK. Texts come in Russian or English (`english`).
#pragma once

#include <QDialog>
#include <array>

#include "punch/finish_list.h"
#include "punch/split_sheet.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace skarvel {

// "Подготовка финиша": three check boxes, all ticked when the dialog opens.
class FinishPreparationDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FinishPreparationDialog(bool english, QWidget* parent = nullptr);
    FinishPreparation options() const;
    QCheckBox* clear_finish = nullptr;
    QCheckBox* clear_readouts = nullptr;
    QCheckBox* restore_runners = nullptr;
};

// "Перестроить протокол финиша": the start and finish sources as in the punching settings
// and "Перепроверить отметку".
class RebuildFinishDialog : public QDialog {
    Q_OBJECT
  public:
    RebuildFinishDialog(const RebuildOptions& initial, bool english, QWidget* parent = nullptr);
    RebuildOptions options() const;
    std::array<QRadioButton*, 3> start{};
    std::array<QRadioButton*, 3> finish{};
    QCheckBox* recheck = nullptr;
};

// "Печать информашек": where to start and how many readouts to print.
class SplitRangeDialog : public QDialog {
    Q_OBJECT
  public:
    SplitRangeDialog(const SplitRangeState& initial, bool english, QWidget* parent = nullptr);
    SplitRangeState state() const;
    QSpinBox* start_from = nullptr;
    QSpinBox* count = nullptr;
};

}  // namespace skarvel
