// "Print result": the settings of the result protocol. Shows the stored settings and hands
// back the edited ones on OK; out-of-range numbers are refused with the range message.
#pragma once

#include <QDialog>
#include <functional>

#include "results/result_settings.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace skarvel {

class ResultPrintDialog : public QDialog {
    Q_OBJECT
  public:
    ResultPrintDialog(const ResultPrintSettings& settings, bool english, QWidget* parent = nullptr);

    // The edited settings (meaningful after OK).
    ResultPrintSettings settings() const { return result_; }

    // The export buttons run with the stored settings while the dialog stays open; a button
    // without an action is disabled.
    void set_export_actions(std::function<void()> osv, std::function<void()> route_gadget);

    void accept() override;

  private:
    bool read_number(QLineEdit* edit, int low, int high, int& out);

    bool english_;
    ResultPrintSettings result_;
    QButtonGroup* channel_;
    QButtonGroup* selection_;
    QButtonGroup* splits_;
    QButtonGroup* points_;
    QLineEdit* first_n_;
    QLineEdit* formula_a_;
    QLineEdit* formula_b_;
    QLineEdit* formula_c_;
    QCheckBox *control_codes_, *split_places_, *ranks_, *non_starters_, *all_passes_, *laps_,
        *time_limit_, *comment_, *course_setter_, *time_behind_, *second_line_, *statistics_,
        *extended_html_, *no_points_individual_, *winner_from_six_;
    QPushButton* osv_;
    QPushButton* route_gadget_;
    std::function<void()> osv_action_, route_action_;
};

}  // namespace skarvel
