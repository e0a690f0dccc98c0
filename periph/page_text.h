// Small helpers shared by the screen pages and the board frame: printf-style appending (the
// pages are built from fixed-width fields), fixed-width fields that are escaped for HTML
// after they are cut, and the status texts of the finish screens.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/competition.h"

namespace skarvel {

// Appends printf output to `out`.
[[gnu::format(printf, 2, 3)]] void append_format(std::string& out, const char* format, ...);

// `text` cut or padded to `width` characters as "%-W.Ws" does, then HTML-escaped: the cut is
// made on the name, never inside an entity.
std::string html_field(std::string_view text, int width, bool cut = true);
// The same, appended to `out`.
void append_html_field(std::string& out, std::string_view text, int width, bool cut = true);

// "СОШЕЛ" (status 7), "НЕ СТАРТ" (8) or "СНЯТ" (any other non-zero status), Windows-1251.
std::string_view finish_status_text(int status);

// The class, club and course of a runner by id (null when missing).
const ClassRecord* class_of(const Competition& c, const Runner& r);
const Club* club_of(const Competition& c, const Runner& r);

}  // namespace skarvel
