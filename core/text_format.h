// printf-style formatting into a std::string: the fixed-width fields ("%-25.25s", "%4d") that
// every list and file of the program is made of. Texts are Windows-1251 bytes, so widths count
// characters.
#pragma once

#include <string>
#include <string_view>

namespace skarvel {

[[gnu::format(printf, 1, 2)]] std::string strf(const char* format, ...);

// The same for a format held as text (a language table entry, a Windows-1251 literal): copied
// first so that it ends in a zero.
template <class... A>
std::string strf_view(std::string_view format, A... args) {
    return strf(std::string(format).c_str(), args...);
}

}  // namespace skarvel
