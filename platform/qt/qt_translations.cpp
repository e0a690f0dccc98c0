#include "platform/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace skarvel {

bool use_qt_translation(bool english) {
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    static QTranslator* russian = nullptr;
    static bool installed = false;
    if (english) {
        if (installed) QCoreApplication::removeTranslator(russian);
        installed = false;
        return true;
    }
    if (installed) return true;
    if (!russian) {
        russian = new QTranslator(app);
        if (!russian->load(QStringLiteral("qtbase_ru"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete russian;
            russian = nullptr;
            return false;
        }
    }
    installed = QCoreApplication::installTranslator(russian);
    return installed;
}

}  // namespace skarvel
