// Windows-1251 text at the Qt boundary.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "core/cp1251.h"

namespace skarvel {

// Windows-1251 bytes to a QString (direct, without a UTF-8 detour: the list view converts
// every cell of every paint).
inline QString qs(std::string_view cp1251) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1251.size()));
    for (unsigned char b : cp1251) {
        if (b < 0x80)
            out.append(QChar(b));
        else
            out.append(QChar(static_cast<char16_t>(cp1251_to_unicode(b))));
    }
    return out;
}

// A QString to Windows-1251 bytes (characters the code page lacks become '?').
inline std::string cp(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) out.push_back(static_cast<char>(unicode_to_cp1251(ch.unicode())));
    return out;
}

// File paths stay UTF-8 inside the program.
inline QString qpath(const std::string& utf8) {
    return QString::fromUtf8(utf8);
}
inline std::string path_of(const QString& path) {
    return path.toUtf8().toStdString();
}

// "description|*.ext|description2|*.x||" to a Qt filter "description (*.ext);;...": the
// patterns after each bar are the ones the dialog filters by.
QString qt_file_filter(std::string_view cp1251_filter);

}  // namespace skarvel
