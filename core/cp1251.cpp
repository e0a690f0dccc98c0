#include "core/cp1251.h"

#include "core/utf8.h"

namespace skarvel {

char32_t cp1251_to_unicode(unsigned char byte) {
    return byte < 0x80 ? char32_t(byte) : detail::kCp1251High[byte - 0x80];
}

unsigned char unicode_to_cp1251(char32_t cp) {
    return detail::encode_cp(cp);
}

std::string cp1251_to_utf8(std::string_view in) {
    std::string out;
    out.reserve(in.size() * 2);
    for (char c : in) {
        append_utf8(out, cp1251_to_unicode(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string utf8_to_cp1251(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size();)
        out += static_cast<char>(detail::encode_cp(detail::next_utf8(in.data(), in.size(), i)));
    return out;
}

}  // namespace skarvel
