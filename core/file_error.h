// Why a file could not be read or written, told in the interface language and in one encoding
// (Windows-1251 like every other text): the UTF-8 path is converted and the reason comes from
// the language table, never from the C library's locale.
#pragma once

#include <string>
#include <string_view>

#include "core/language.h"

namespace skarvel {

// Why a file operation failed, from its errno value ("нет места на диске").
std::string file_error_reason(const LanguageTable& lang, int error);
// "<what>\n<path>: <reason>", e.g. "Не могу сохранить файл\nD:\Старт\a.wdb: нет доступа".
std::string file_error_message(const LanguageTable& lang, std::string_view what,
                               std::string_view utf8_path, int error);

}  // namespace skarvel
