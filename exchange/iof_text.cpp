#include "exchange/iof_text.h"

#include "core/cp1251.h"
#include "core/utf8.h"

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

struct CodePage {
    std::string_view name;
    char16_t high[128];  // bytes 0x80..0xFF
};
constexpr CodePage kCodePages[] = {
#include "exchange/code_pages.inc"
};

// "ISO_8859-1:1987" -> "iso88591": the names compared without case, blanks and dashes.
std::string squeezed(std::string_view name) {
    std::string out;
    for (char ch : name.substr(0, name.find(':'))) {
        if (ch == '-' || ch == '_' || ch == ' ') continue;
        out += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    }
    return out;
}

const CodePage* code_page(std::string_view declared) {
    std::string name = squeezed(declared);
    if (name.rfind("xcp", 0) == 0) name = name.substr(1);
    if (name.rfind("cp125", 0) == 0) name = "windows" + name.substr(2);
    static constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
        {"latin1", "iso88591"},  {"latin2", "iso88592"},   {"latin3", "iso88593"},
        {"latin4", "iso88594"},  {"latin5", "iso88599"},   {"latin6", "iso885910"},
        {"latin7", "iso885913"}, {"latin9", "iso885915"},  {"ascii", "iso88591"},
        {"usascii", "iso88591"}, {"cyrillic", "iso88595"},
    };
    for (auto [alias, real] : kAliases)
        if (name == alias) name = real;
    for (const CodePage& page : kCodePages)
        if (squeezed(page.name) == name) return &page;
    return nullptr;
}

// The value of the declaration's encoding="..." (or '...'); empty when there is none.
std::string_view declared_encoding(std::string_view xml) {
    if (xml.substr(0, 5) != "<?xml") return {};
    std::string_view decl = xml.substr(0, xml.find("?>"));
    std::size_t at = decl.find("encoding");
    if (at == std::string_view::npos) return {};
    at = decl.find_first_not_of(" \t\r\n", at + 8);
    if (at == std::string_view::npos || decl[at] != '=') return {};
    at = decl.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string_view::npos || (decl[at] != '"' && decl[at] != '\'')) return {};
    std::size_t end = decl.find(decl[at], at + 1);
    if (end == std::string_view::npos) return {};
    return decl.substr(at + 1, end - at - 1);
}

}  // namespace

bool decode_declared_encoding(std::string_view xml, std::string& utf8, std::string& encoding) {
    utf8.clear();
    encoding.clear();
    std::string_view declared = declared_encoding(xml);
    std::string name = squeezed(declared);
    if (name.empty() || name == "utf8" || name == "utf16" || name == "ucs2") return true;
    encoding = std::string(declared);
    const CodePage* page = code_page(declared);
    if (!page) return false;
    utf8.reserve(xml.size() + xml.size() / 4);
    for (char ch : xml) {
        auto b = static_cast<unsigned char>(ch);
        append_utf8(utf8, b < 0x80 ? char32_t(b) : char32_t(page->high[b - 0x80]));
    }
    return true;
}

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
