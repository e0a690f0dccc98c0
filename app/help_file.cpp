#include "app/help_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace skarvel {

QString help_dir(const QString& configured_dir) {
    if (!configured_dir.isEmpty()) return configured_dir;
    const QString exe_dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {exe_dir, exe_dir + QStringLiteral("/../share/skarvel")}) {
        if (QFileInfo::exists(candidate + QStringLiteral("/skarvel.mht")))
            return QDir::cleanPath(candidate);
    }
#ifdef SKARVEL_GUIDE_DIR
    return QStringLiteral(SKARVEL_GUIDE_DIR);
#else
    return exe_dir;
#endif
}

QString help_file_path(const QString& configured_dir, bool english) {
    const QString dir = help_dir(configured_dir);
    if (english) {
        const QString en = dir + QStringLiteral("/skarvel-en.mht");
        if (QFileInfo::exists(en)) return en;
    }
    return dir + QStringLiteral("/skarvel.mht");
}

}  // namespace skarvel
