// IOF XML 3.0 messages: what other orienteering programs send and take. Entry lists, course
// data, class lists, start lists and result lists are read into the record tables; start lists,
// result lists, entry lists and course data are written from them. Files are UTF-8; inside the
// program everything stays Windows-1251 (see iof_text.h for the conversion).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/competition.h"
#include "platform/language.h"

namespace skarvel {

enum class IofExportKind { kResults, kStart, kEntries, kCourses };
enum class IofImportKind { kEntries, kCourses, kClasses, kStart, kResults };

struct IofExportOptions {
    // The message's createTime, "YYYY-MM-DDThh:mm:ss"; empty: the clock now (UTC).
    std::string create_time;
    // The event date "YYYY-MM-DD" used for start and finish times when the competition's date
    // text is not a date; empty: the date of create_time.
    std::string event_date;
};

struct IofExportReport {
    bool ok = false;
    int persons = 0;    // persons (or courses, for course data) written
    std::string error;  // Windows-1251, when not ok
};

// The whole message as UTF-8 text. Recomputes the results of the competition first.
std::string iof_export_text(Competition& c, IofExportKind kind, const IofExportOptions& options,
                            int* persons = nullptr);
// Writes the message to `path` atomically (temporary file, then rename).
IofExportReport iof_export_file(Competition& c, IofExportKind kind, const std::string& path,
                                const IofExportOptions& options, const LanguageTable& lang);

// Largest file, most markup and deepest element nesting the importer accepts. A result list
// with split times of every table at capacity is about 75 MB and 3 million elements.
constexpr std::size_t kIofMaxFileBytes = 128u << 20;
constexpr std::size_t kIofMaxMarkup = 8'000'000;  // "<" characters: tags, comments, ...
constexpr int kIofMaxDepth = 40;

struct IofImportReport {
    bool ok = false;
    int runners_added = 0;
    int runners_updated = 0;
    int runners_unknown = 0;  // start or result entries of runners not in the competition
    int classes_added = 0;
    int clubs_added = 0;
    int courses_added = 0;
    int courses_assigned = 0;  // classes given a course
    int names_replaced = 0;    // names with characters Windows-1251 cannot hold
    int cut_controls = 0;      // courses whose controls did not all fit
    std::string message;       // Windows-1251: the error, or the closing summary
};

// Reads one message of the given kind. The whole message is checked first; when it is not
// well formed, not of that kind, misses a required element or does not fit the tables the
// competition is left unchanged and the report says why.
IofImportReport iof_import_text(Competition& c, IofImportKind kind, std::string_view xml,
                                const LanguageTable& lang);
IofImportReport iof_import_file(Competition& c, IofImportKind kind, const std::string& path,
                                const LanguageTable& lang);

// Names of the kinds as the command line writes them ("results", "start", ...).
bool parse_iof_export_kind(std::string_view name, IofExportKind& kind);
bool parse_iof_import_kind(std::string_view name, IofImportKind& kind);

// A runner's name split as the messages carry it: family name up to the first blank, given
// name the rest.
struct PersonNameParts {
    std::string family, given;
};
PersonNameParts split_person_name(std::string_view name);

// Status code of a runner as the result list writes it.
std::string_view iof_result_status(int status, bool out_of_competition);

}  // namespace skarvel
