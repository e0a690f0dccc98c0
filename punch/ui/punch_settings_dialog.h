// "Настройка электронной отметки" (menu "Параметры Vespunt..."): every punching setting, the
// port list, and this machine's device path and frame log. Values go back only on OK.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/qt_serial_port.h"
#include "punch/punch_settings.h"
#include "punch/ui/station_reader_qt.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;

namespace skarvel {

// What the text of the port field means: "COMn" (any case, n 1..256) is COM port n of the
// competition's settings and clears this machine's device path; any other text is a device
// path of this machine; an empty text keeps the COM port and clears the path.
struct PortChoice {
    std::optional<int> port_index;
    std::string device_override;
};
PortChoice port_choice(const std::string& text);
// An entry of the port list: "/dev/ttyUSB0  (FT232R USB UART, FTDI)".
std::string port_entry_label(const SerialPortEntry& e);

class PunchSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // `port_list`: the machine's serial devices (list_serial_ports).
    PunchSettingsDialog(const PunchSettings& initial, const std::vector<SerialPortEntry>& port_list,
                        const StationPortSettings& port, int time_precision, bool english,
                        QWidget* parent = nullptr);

    // The settings as the controls show them (the start time as typed; unreadable text keeps
    // the old time).
    PunchSettings settings() const;
    StationPortSettings port_settings() const;

    QLineEdit* competition_start = nullptr;
    // The station's port: a listed device, a typed device path or "COMn".
    QComboBox* port = nullptr;
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
    std::string chosen_port_text() const;
    PunchSettings initial_;
};

}  // namespace skarvel
