// Result pages for screens that cycle through the classes: one HTML page per class in the
// display folder, each refreshing to the next class's page, as fixed-width lines or as a
// table. The lists use the ordering and places of the result computation and five settings
// shared with the result protocol (selection, first N, laps, all finish passes, non-starters).
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"

namespace skarvel {

// The four page settings; the program keeps one set per page kind for the run.
struct MultiScreenSettings {
    int font_pt = 10;
    int refresh_s = 5;
    bool shading = true;
    bool vertical = false;
    bool operator==(const MultiScreenSettings&) const = default;
};

enum class MultiScreenKind { kLines, kTables };

struct MultiScreenPage {
    std::string file;   // file name (Windows-1251), valid on every file system
    std::string bytes;  // the whole page
};

// The file name of a class page: the class name with every character that no file name may
// hold (\ / : * ? " < > | and control characters) replaced by '_' (an empty name gives "_"),
// then ".htm"; "Ж 35" and "M21, Eli" keep their names. `taken` holds the names already given
// (upper-cased, as Windows compares them), so two classes never share a page; a clash gets
// "~2", "~3", ... before the extension.
std::string class_page_file(std::string_view class_name, std::unordered_set<std::string>& taken);

// Recounts and recomputes the results, then builds the page of every class in table order.
std::vector<MultiScreenPage> build_multi_screen_pages(Competition& c,
                                                      const MultiScreenSettings& settings,
                                                      MultiScreenKind kind);

// Builds the pages and writes them into `folder` (created when missing). When a page cannot
// be written, "Не могу записать в указанный файл" is shown and the writing stops (pages
// already written stay). Returns the number of pages written.
int write_multi_screen_pages(Competition& c, const MultiScreenSettings& settings,
                             MultiScreenKind kind, const std::string& folder, Prompts& prompts);

}  // namespace skarvel
