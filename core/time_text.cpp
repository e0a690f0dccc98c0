#include "core/time_text.h"

#include <cstddef>

namespace skarvel {

namespace {

// Reads decimal digits after optional leading blanks; stops at the first non-digit.
std::int32_t read_number(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    std::int64_t n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = n * 10 + (s[i] - '0');
        if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;  // a runaway digit string saturates, never overflows
    }
    return static_cast<std::int32_t>(n);
}

}  // namespace

std::int32_t parse_time_text(std::string_view text) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(parse_time_text_wide(text)));
}

std::int64_t parse_time_text_wide(std::string_view text) {
    std::int64_t fraction = 0;
    std::size_t comma = text.find(',');
    if (comma != std::string_view::npos) {
        fraction = read_number(text.substr(comma + 1));
        text = text.substr(0, comma);
    }
    std::size_t c1 = text.find(':');
    std::int64_t result;
    if (c1 == std::string_view::npos) {
        result = std::int64_t(read_number(text)) * kCentisPerMinute;
    } else {
        std::size_t c2 = text.find(':', c1 + 1);
        std::int64_t first = read_number(text.substr(0, c1));
        if (c2 == std::string_view::npos) {
            result = first * kCentisPerHour +
                     std::int64_t(read_number(text.substr(c1 + 1))) * kCentisPerMinute;
        } else {
            std::int64_t m = read_number(text.substr(c1 + 1, c2 - c1 - 1));
            std::int64_t s = read_number(text.substr(c2 + 1));
            result = (first * 60 + m) * kCentisPerMinute + s * 100;
        }
    }
    return result + fraction;
}

std::string format_time_text(std::int32_t time, int precision) {
    // Written digit by digit: exports format three times per runner, and the hours of 24 bits
    // of centiseconds never need more than two digits.
    const std::int32_t t = time & 0xFFFFFF;
    const std::int32_t seconds = t / 100;
    char buf[12];
    auto two = [](char* p, int v) {
        p[0] = static_cast<char>('0' + v / 10);
        p[1] = static_cast<char>('0' + v % 10);
    };
    two(buf, seconds / 3600);
    buf[2] = ':';
    two(buf + 3, (seconds / 60) % 60);
    buf[5] = ':';
    two(buf + 6, seconds % 60);
    std::size_t n = 8;
    const int cs = t % 100;
    if (precision == 1) {
        buf[8] = ',';
        buf[9] = static_cast<char>('0' + cs / 10);
        n = 10;
    } else if (precision == 2) {
        buf[8] = ',';
        two(buf + 9, cs);
        n = 11;
    }
    return std::string(buf, n);
}

}  // namespace skarvel
