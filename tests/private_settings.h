// Gives one Qt test program a settings store of its own. The GUI test programs run side by
// side (ctest -j), and a store they shared would let one of them read the language or the
// recent files another has just written.
#pragma once

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace skarvel::testing {

// Call first thing in initTestCase(), before any QSettings object exists.
inline bool use_private_settings() {
    QStandardPaths::setTestModeEnabled(true);
    static QTemporaryDir dir;
    if (!dir.isValid()) return false;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QApplication::setOrganizationName(QStringLiteral("Skarvel"));
    QApplication::setApplicationName(QStringLiteral("Skarvel"));
    return true;
}

}  // namespace skarvel::testing
