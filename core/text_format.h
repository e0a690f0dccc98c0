// printf-style formatting into a std::string: the fixed-width fields ("%-25.25s", "%4d") that
// every list and file of the program is made of. Texts are Windows-1251 bytes, so widths count
// characters.
#pragma once

#include <string>

namespace skarvel {

[[gnu::format(printf, 1, 2)]] std::string strf(const char* format, ...);

}  // namespace skarvel
