#include "periph/page_text.h"

#include <cstdio>
#include <vector>

#include "core/cp1251.h"
#include "results/report_output.h"

namespace skarvel {

using namespace literals;

void append_format(std::string& out, const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, std::size_t(n));
    } else {
        std::vector<char> big(std::size_t(n) + 1);
        std::vsnprintf(big.data(), big.size(), format, copy);
        out.append(big.data(), std::size_t(n));
    }
    va_end(copy);
}

std::string html_field(std::string_view text, int width, bool cut) {
    std::string out;
    append_html_field(out, text, width, cut);
    return out;
}

void append_html_field(std::string& out, std::string_view text, int width, bool cut) {
    if (cut && text.size() > std::size_t(width)) text = text.substr(0, width);
    append_html_escaped(out, text);
    if (text.size() < std::size_t(width)) out.append(std::size_t(width) - text.size(), ' ');
}

std::string_view finish_status_text(int status) {
    if (status == kStatusDidNotFinish) return "СОШЕЛ"_cp1251;
    if (status == kStatusDidNotStart) return "НЕ СТАРТ"_cp1251;
    return "СНЯТ"_cp1251;
}

const ClassRecord* class_of(const Competition& c, const Runner& r) {
    return c.live.klass(r.class_id);
}

const Club* club_of(const Competition& c, const Runner& r) {
    return c.live.club(r.club_id);
}

}  // namespace skarvel
