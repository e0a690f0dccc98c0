// The settings dialogs of the finish exchange ("Параметры сервера") and of on-line posting
// ("Настройка on-line"). Each shows the values it is given and hands back the edited ones;
// the command binding stores them after OK.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "core/language.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace skarvel {

struct ServerSettings {
    std::string server_name;  // Windows-1251, at most 14 characters
    int send_mode = 0;        // ClientSendMode
    int port = 1000;          // a user setting of this machine
};

class ServerSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    ServerSettingsDialog(const ServerSettings& initial, const LanguageTable& lang,
                         QWidget* parent = nullptr);
    ServerSettings settings() const;
    QLineEdit* name = nullptr;
    std::array<QRadioButton*, 3> mode{};
    QSpinBox* port = nullptr;
};

struct OnlineSettings {
    std::string url_prefix;  // Windows-1251, at most 59 characters
    bool send_crossings = false;
};

class OnlineSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    OnlineSettingsDialog(const OnlineSettings& initial, const LanguageTable& lang,
                         QWidget* parent = nullptr);
    OnlineSettings settings() const;
    QLineEdit* prefix = nullptr;
    QCheckBox* crossings = nullptr;
};

}  // namespace skarvel
