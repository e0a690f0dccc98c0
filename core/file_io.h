// The one way this program opens a file. File names are UTF-8 everywhere inside the program
// (as Qt hands them over); on Windows they are opened through the wide-character calls, so
// folders with Cyrillic names work there too.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace skarvel {

// A UTF-8 file name as a filesystem path.
std::filesystem::path utf8_path(std::string_view utf8);

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file named in UTF-8 with an fopen mode ("rb", "wb", "ab"; always binary). Null
// when it cannot be opened; `error` (if given) then holds the errno value.
FileHandle open_file(std::string_view utf8, const char* mode, int* error = nullptr);

// Reads a text file as a bounded line reader does: at most `max_lines` lines, each keeping at
// most `max_chars` characters (its line end counted). The rest of a longer line is skipped,
// never read as a line of its own. The lines are returned joined with their own line ends; a
// cut line gets a '\n' after its kept part. Reading also stops after kMaxTextFileBytes of
// input, so a file without line ends (or an endless device) is never read to its end. False
// when the file cannot be opened or read.
constexpr std::size_t kMaxTextFileBytes = std::size_t(64) << 20;
bool read_text_lines(std::string_view utf8, std::size_t max_chars, std::size_t max_lines,
                     std::string& text, int* error = nullptr);

}  // namespace skarvel
