#include "core/text_format.h"

#include <cstdarg>
#include <cstdio>

namespace skarvel {

std::string strf(const char* format, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof buf)
        return std::string(buf, static_cast<std::size_t>(n));
    std::string out(static_cast<std::size_t>(n), '\0');
    va_start(ap, format);
    std::vsnprintf(out.data(), out.size() + 1, format, ap);
    va_end(ap);
    return out;
}

}  // namespace skarvel
