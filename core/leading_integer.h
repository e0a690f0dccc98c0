// The decimal integer at the start of a text, as the file imports read their numbers.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace skarvel {

// One optional + or - (when `sign` allows it) and the digits from `i` on; `i` is left after
// them. nullopt when no digit comes. Saturates near ±10^15, far outside every field's range, so
// a long run of digits never overflows and the caller's range check refuses it.
inline std::optional<long long> signed_digits(std::string_view s, std::size_t& i, bool sign) {
    bool negative = false;
    if (sign && i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const std::size_t first = i;
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (v < 100000000000000LL) v = v * 10 + (s[i] - '0');
    if (i == first) return std::nullopt;
    return negative ? -v : v;
}

// Blanks (spaces and tabs) first, then, when `sign` allows it, one + or -, then the digits up
// to the first other character, as signed_digits reads them.
inline std::optional<long long> leading_integer(std::string_view s, bool sign = true) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return signed_digits(s, i, sign);
}

// A decimal integer as "%d" reads it, from `i` on: any white space first (blanks, tabs, line
// ends), one optional + or -, then the digits; `i` is left after them. nullopt when no digit
// comes. Saturates like leading_integer. Two calls read what "%d %d" reads.
inline std::optional<long long> scan_integer(std::string_view s, std::size_t& i) {
    auto space = [](char ch) {
        return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
    };
    while (i < s.size() && space(s[i])) ++i;
    return signed_digits(s, i, true);
}

}  // namespace skarvel
