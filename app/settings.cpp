#include "app/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace skarvel {

namespace {
QSettings store() {
    return QSettings(QStringLiteral("Skarvel"), QStringLiteral("Skarvel"));
}
QString file_key(int i) {
    return QStringLiteral("Recent File List/File%1").arg(i + 1);
}
// A file as the list keeps it: absolute (so an entry works whatever folder the program is
// started from) and, when it exists, with links resolved (so one file is one entry).
QString listed_path(const QString& path) {
    QFileInfo info(path);
    QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}
bool same_file(const QString& a, const QString& b) {
    return listed_path(a) == listed_path(b);
}
}  // namespace

int UserSettings::lang() const {
    return setup_int(QStringLiteral("Lang"), 0);
}
void UserSettings::set_lang(int value) {
    set_setup_int(QStringLiteral("Lang"), value);
}
int UserSettings::auto_load() const {
    return setup_int(QStringLiteral("AutoLoad"), 0);
}
void UserSettings::set_auto_load(int value) {
    set_setup_int(QStringLiteral("AutoLoad"), value);
}

QString UserSettings::dir() const {
    return store().value(QStringLiteral("Setup/dir")).toString();
}
void UserSettings::set_dir(const QString& dir) {
    store().setValue(QStringLiteral("Setup/dir"), dir);
}

int UserSettings::setup_int(const QString& key, int fallback) const {
    bool ok = false;
    int v = store().value(QStringLiteral("Setup/") + key, fallback).toInt(&ok);
    return ok ? v : fallback;
}
void UserSettings::set_setup_int(const QString& key, int value) {
    store().setValue(QStringLiteral("Setup/") + key, value);
}

QStringList UserSettings::recent_files() const {
    QSettings s = store();
    QStringList list;
    for (int i = 0; i < kRecentCount; ++i) {
        QString f = s.value(file_key(i)).toString();
        if (!f.isEmpty()) list << f;
    }
    return list;
}

namespace {
void write_recent(const QStringList& list) {
    QSettings s = store();
    for (int i = 0; i < UserSettings::kRecentCount; ++i) {
        if (i < list.size())
            s.setValue(file_key(i), list[i]);
        else
            s.remove(file_key(i));
    }
}
}  // namespace

void UserSettings::add_recent_file(const QString& path) {
    QStringList list = recent_files();
    list.removeIf([&path](const QString& f) { return same_file(f, path); });
    list.prepend(listed_path(path));
    while (list.size() > kRecentCount) list.removeLast();
    write_recent(list);
}

void UserSettings::remove_recent_file(const QString& path) {
    QStringList list = recent_files();
    list.removeIf([&path](const QString& f) { return same_file(f, path); });
    write_recent(list);
}

}  // namespace skarvel
