// The lines of a text read into memory (read_text_lines gives such texts): each line once, its
// line end (LF or CR LF) cut off; empty lines too, but not the nothing after a last line end.
#pragma once

#include <string_view>

namespace skarvel {

template <class F>
void for_each_line(std::string_view text, F&& f) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        f(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

}  // namespace skarvel
