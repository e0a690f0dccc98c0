// User settings outside the competition file: QSettings("Skarvel", "Skarvel"), section
// "Setup" ("Lang", "AutoLoad", "dir") and "Recent File List" ("File1" newest .. "File5").
#pragma once

#include <QString>
#include <QStringList>

namespace skarvel {

class UserSettings {
  public:
    static constexpr int kRecentCount = 5;

    int lang() const;
    void set_lang(int value);
    int auto_load() const;
    void set_auto_load(int value);
    // The folder of the help file; empty when not set.
    QString dir() const;
    void set_dir(const QString& dir);

    QStringList recent_files() const;
    // Puts a file at the head of the list (removing an older entry of it).
    void add_recent_file(const QString& path);
    void remove_recent_file(const QString& path);

    // Any other integer value of "Setup" (other subsystems keep theirs there too).
    int setup_int(const QString& key, int fallback) const;
    void set_setup_int(const QString& key, int value);
};

}  // namespace skarvel
