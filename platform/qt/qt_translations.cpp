#include "platform/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace skarvel {

bool use_qt_translation(bool english) {
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    // Owned by the application object, so it goes with it (a test may make a new one).
    static QPointer<QTranslator> russian;
    if (english) {
        if (russian) QCoreApplication::removeTranslator(russian);
        return true;
    }
    if (!russian) {
        auto* t = new QTranslator(app);
        if (!t->load(QStringLiteral("qtbase_ru"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete t;
            return false;
        }
        russian = t;
    }
    QCoreApplication::removeTranslator(russian);  // never installed twice
    return QCoreApplication::installTranslator(russian);
}

}  // namespace skarvel
