// Messages about files and the choice of a file to write. Every message is built in one
// encoding, Windows-1251 like every other text: the UTF-8 path is converted and the reason
// comes from the language table, never from the C library's locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/file_error.h"
#include "core/language.h"
#include "core/prompts.h"

namespace skarvel {

// The file to write, as the save dialog's answer names it: `extension` (without the dot) is
// added when the name has none, and when the name so made is an existing file the user is
// asked to replace it first (a dialog that adds the extension itself asks about the full name
// and returns it, so nobody is asked twice). nullopt when cancelled or declined.
std::optional<std::string> choose_save_path(Prompts& prompts, const LanguageTable& lang,
                                            std::string_view filter, std::string_view suggested,
                                            std::string_view extension,
                                            std::string_view title = {});

// True when the last name of the path has an extension.
bool has_file_extension(std::string_view path);

}  // namespace skarvel
