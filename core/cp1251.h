// Windows-1251 text: every string inside the program's logic and files is held in this code
// page; conversion to Unicode happens only at the window-system boundary and in tests.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace skarvel {

// Unicode code point of a Windows-1251 byte (bytes below 0x80 map to themselves; the one
// unassigned byte, 0x98, maps to U+FFFD).
char32_t cp1251_to_unicode(unsigned char byte);
// Windows-1251 byte of a code point, or '?' when the code page has none.
unsigned char unicode_to_cp1251(char32_t cp);

std::string cp1251_to_utf8(std::string_view cp1251);
std::string utf8_to_cp1251(std::string_view utf8);

namespace detail {

constexpr char32_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B,
    0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433,
    0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B,
    0x044C, 0x044D, 0x044E, 0x044F};

constexpr unsigned char encode_cp(char32_t cp) {
    if (cp < 0x80) return static_cast<unsigned char>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<unsigned char>(0xC0 + (cp - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kCp1251High[i] == cp && cp != 0xFFFD) return static_cast<unsigned char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 sequence starting at s[i]; advances i. Malformed input yields U+FFFD,
// one for each longest start of a valid sequence (as Unicode recommends): overlong forms,
// surrogates, values above U+10FFFF, stray continuation bytes and cut sequences are replaced,
// never decoded to a character they might be taken for ("\xC0\xAF" is not "/").
constexpr char32_t next_utf8(const char* s, std::size_t n, std::size_t& i) {
    auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    // The continuation bytes of each lead byte, and the range its first one must be in.
    int extra = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2;
        if (b0 == 0xE0) lo = 0xA0;  // below: overlong
        if (b0 == 0xED) hi = 0x9F;  // above: surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3;
        if (b0 == 0xF0) lo = 0x90;  // below: overlong
        if (b0 == 0xF4) hi = 0x8F;  // above: beyond U+10FFFF
    } else {
        return 0xFFFD;  // a continuation byte, or a lead byte of no valid form
    }
    char32_t cp = b0 & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= n) return 0xFFFD;
        auto b = static_cast<unsigned char>(s[i]);
        if (b < lo || b > hi) return 0xFFFD;  // b begins whatever comes next
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    return cp;
}

template <std::size_t Len>
struct Cp1251Text {
    std::array<char, Len + 1> bytes{};
    constexpr const char* c_str() const { return bytes.data(); }
    constexpr std::size_t size() const { return Len; }
    constexpr operator std::string_view() const { return {bytes.data(), Len}; }
    operator std::string() const { return std::string(bytes.data(), Len); }
};

// Number of code points in the UTF-8 bytes s[0..n).
constexpr std::size_t utf8_length(const char* s, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < n;) {
        next_utf8(s, n, i);
        ++count;
    }
    return count;
}

// The source literal arrives as a pack of its UTF-8 bytes (not as a string-literal class
// argument, which clang 14's constant evaluator cannot print in its notes and crashes on).
template <char... Cs>
consteval auto make_cp1251() {
    constexpr char text[] = {Cs..., 0};
    constexpr std::size_t n = sizeof...(Cs);
    Cp1251Text<utf8_length(text, n)> out{};
    std::size_t i = 0, k = 0;
    while (i < n) out.bytes[k++] = static_cast<char>(encode_cp(next_utf8(text, n, i)));
    return out;
}

template <char... Cs>
inline constexpr auto kCp1251Storage = make_cp1251<Cs...>();

}  // namespace detail

namespace literals {

// "Текст"_cp1251: the Windows-1251 bytes of a UTF-8 source literal, converted at compile time
// into static storage (so string_views of it never dangle). A string literal operator
// template (supported by GCC and clang alike).
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
#endif
template <class C, C... Cs>
constexpr const auto& operator""_cp1251() {
    static_assert(sizeof(C) == 1, "_cp1251 takes narrow (UTF-8) literals");
    return detail::kCp1251Storage<static_cast<char>(Cs)...>;
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

}  // namespace literals
}  // namespace skarvel
