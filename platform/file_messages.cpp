#include "platform/file_messages.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "core/cp1251.h"
#include "core/file_io.h"

namespace skarvel {

bool has_file_extension(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    std::size_t name = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = path.find_last_of('.');
    return dot != std::string_view::npos && dot > name && dot + 1 < path.size();
}

std::optional<std::string> choose_save_path(Prompts& prompts, const LanguageTable& lang,
                                            std::string_view filter, std::string_view suggested,
                                            std::string_view extension, std::string_view title) {
    auto chosen = title.empty() ? prompts.choose_save_file(filter, suggested)
                                : prompts.choose_save_file_titled(filter, suggested, title);
    if (!chosen || chosen->empty()) return std::nullopt;
    std::string path = *chosen;
    if (extension.empty() || prompts.takes_names_as_given() || has_file_extension(path))
        return path;
    path += '.';
    path += extension;
    std::error_code ec;
    if (std::filesystem::exists(utf8_path(path), ec)) {
        std::string question(lang.text(Txt::kReplaceFile));
        auto at = question.find("%s");
        // The name without its folder, as the dialog itself would ask.
        std::size_t slash = path.find_last_of("/\\");
        std::size_t name = slash == std::string::npos ? 0 : slash + 1;
        if (at != std::string::npos)
            question.replace(at, 2, utf8_to_cp1251(std::string_view(path).substr(name)));
        if (!prompts.ask_yes_no(question)) return std::nullopt;
    }
    return path;
}

}  // namespace skarvel
