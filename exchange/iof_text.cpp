#include "exchange/iof_text.h"

#include "core/cp1251.h"

namespace skarvel {

namespace {

// Nearest Latin letters of U+00C0..U+00FF and U+0100..U+017F, one per code point; the few
// that need two letters are handled first.
constexpr std::string_view kLatin1 =
    "AAAAAAACEEEEIIIIDNOOOOO?OUUUUYTsaaaaaaaceeeeiiiidnooooo?ouuuuyty";
constexpr std::string_view kLatinA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSs"
    "SsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatin1.size() == 64 && kLatinA.size() == 128);

std::string_view nearest_latin(char32_t cp) {
    switch (cp) {
        case 0x00C6:
            return "AE";
        case 0x00DE:
            return "TH";
        case 0x00DF:
            return "ss";
        case 0x00E6:
            return "ae";
        case 0x00FE:
            return "th";
        case 0x0132:
            return "IJ";
        case 0x0133:
            return "ij";
        case 0x0152:
            return "OE";
        case 0x0153:
            return "oe";
        case 0x0218:
            return "S";
        case 0x0219:
            return "s";
        case 0x021A:
            return "T";
        case 0x021B:
            return "t";
        default:
            break;
    }
    if (cp >= 0x00C0 && cp <= 0x00FF) return kLatin1.substr(cp - 0x00C0, 1);
    if (cp >= 0x0100 && cp <= 0x017F) return kLatinA.substr(cp - 0x0100, 1);
    return "?";
}

}  // namespace

std::string utf8_to_cp1251_nearest(std::string_view utf8, bool* replaced) {
    std::string out;
    out.reserve(utf8.size());
    bool any = false;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = detail::next_utf8(utf8.data(), utf8.size(), i);
        if (cp < 0x20 || cp == 0x7F) {
            out += ' ';
            continue;
        }
        unsigned char b = unicode_to_cp1251(cp);
        if (b != '?' || cp == U'?') {
            out += static_cast<char>(b);
            continue;
        }
        any = true;
        out += nearest_latin(cp);
    }
    if (replaced) *replaced = any;
    return out;
}

std::string cp1251_to_xml_utf8(std::string_view cp1251) {
    std::string clean(cp1251);
    for (char& ch : clean) {
        auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b == 0x7F) ch = ' ';
        if (b == 0x98) ch = '?';
    }
    return cp1251_to_utf8(clean);
}

}  // namespace skarvel
