// The pages for a large screen at the start and at the finish: one HTML page, rewritten while
// the display is on, that a browser shows full-screen and reloads by itself. The start page
// shows a big clock and the runners who start in the next minute; the finish page the ten
// latest finish lines with result, place and time behind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/competition.h"

namespace skarvel {

// The page file in the display folder; the pages refresh to it.
constexpr std::string_view kDisplayPageFile = "test2.htm";
// How often the display writes its page.
constexpr int kStartPageIntervalMs = 500;
constexpr int kFinishPageIntervalMs = 2000;

// The start page at the local clock time hour:minute:second. Lines end in CR LF.
std::string start_page(const Competition& c, int hour, int minute, int second);

// Finish lines on the finish page, the latest last.
constexpr int kFinishPageLines = 10;

// The finish page of the ten latest finish lines. Results are recomputed once for the page;
// the places of its runners are counted as the finish table counts them and stored in
// their `place`. Lines end in CR LF.
std::string finish_page(Competition& c);

// Writes `bytes` as `folder`/`name` through a temporary file and a rename, so that a browser
// or a file share never reads half a page. The folder is created when missing. `name` is
// Windows-1251 (converted to the file system's UTF-8); `error` says where and why on failure
// (UTF-8, the system's words).
bool write_page_file(const std::string& folder, std::string_view name_cp1251,
                     std::string_view bytes, std::string* error = nullptr);

}  // namespace skarvel
