// "Настройка электронной отметки" (menu "Параметры Vespunt..."): every punching setting, the
// port list, and this machine's device path and frame log. Values go back only on OK.
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "punch/punch_settings.h"
#include "punch/ui/station_reader_qt.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;

namespace skarvel {

class PunchSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // `port_rows`: the 31 rows of list_com_ports (Windows-1251).
    PunchSettingsDialog(const PunchSettings& initial, const std::vector<std::string>& port_rows,
                        const StationPortSettings& port, int time_precision, bool english,
                        QWidget* parent = nullptr);

    // The settings as the controls show them (the start time as typed; unreadable text keeps
    // the old time).
    PunchSettings settings() const;
    StationPortSettings port_settings() const;

    QLineEdit* competition_start = nullptr;
    QListWidget* ports = nullptr;
    QLineEdit* device_path = nullptr;
    QCheckBox* frame_log = nullptr;
    QCheckBox* fast_station = nullptr;
    QCheckBox* multi_day = nullptr;
    QCheckBox* append_on_reread = nullptr;
    std::array<QRadioButton*, 3> station_type{};
    QCheckBox* warnings = nullptr;
    QCheckBox* limit_disqualify = nullptr;
    QComboBox* check_mode = nullptr;
    QLineEdit* penalty = nullptr;
    std::array<QRadioButton*, 3> start_source{};
    std::array<QRadioButton*, 3> finish_source{};
    QCheckBox* print_on_read = nullptr;
    QCheckBox* second_copy_on_bad = nullptr;
    QCheckBox* print_speed = nullptr;
    QCheckBox* new_split_layout = nullptr;
    QSpinBox* split_left_offset = nullptr;
    std::array<QRadioButton*, 3> split_scale{};
    QCheckBox* ask_owner_number = nullptr;
    QCheckBox* labyrinth_mode = nullptr;

  private:
    PunchSettings initial_;
};

}  // namespace skarvel
