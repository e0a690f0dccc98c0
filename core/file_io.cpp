#include "core/file_io.h"

#include <cerrno>

namespace skarvel {

std::filesystem::path utf8_path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

FileHandle open_file(std::string_view utf8, const char* mode, int* error) {
    errno = 0;
#ifdef _WIN32
    std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
    std::FILE* f = _wfopen(utf8_path(utf8).c_str(), wmode.c_str());
#else
    std::FILE* f = std::fopen(std::string(utf8).c_str(), mode);
#endif
    if (!f && error) *error = errno != 0 ? errno : ENOENT;
    return FileHandle(f);
}

bool read_text_lines(std::string_view utf8, std::size_t max_chars, std::size_t max_lines,
                     std::string& text, int* error) {
    text.clear();
    FileHandle f = open_file(utf8, "rb", error);
    if (!f) return false;
    if (max_chars == 0 || max_lines == 0) return true;
    std::size_t lines = 0;
    std::size_t in_line = 0;  // characters kept of the current line
    bool skipping = false;    // past `max_chars`: drop up to the line end
    char buf[1 << 16];
    for (std::size_t total = 0; total < kMaxTextFileBytes;) {
        std::size_t got = std::fread(buf, 1, sizeof buf, f.get());
        total += got;
        for (std::size_t i = 0; i < got; ++i) {
            char ch = buf[i];
            if (!skipping) {
                text += ch;
                ++in_line;
            }
            if (ch == '\n') {
                if (skipping) text += '\n';
                skipping = false;
                in_line = 0;
                if (++lines == max_lines) return true;
            } else if (!skipping && in_line == max_chars) {
                skipping = true;
            }
        }
        if (got < sizeof buf) break;
    }
    if (std::ferror(f.get())) {
        if (error) *error = EIO;
        return false;
    }
    // A last line without its line end is a line too.
    if (skipping) text += '\n';
    return true;
}

}  // namespace skarvel
