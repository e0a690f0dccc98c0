// IOF XML 3.0 messages: what other orienteering programs send and take. Entry lists, course
// data, class lists, start lists and result lists are read into the record tables; start lists,
// result lists, entry lists and course data are written from them. Files are UTF-8; inside the
// program everything stays Windows-1251 (see iof_text.h for the conversion).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/competition.h"
#include "core/language.h"

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

struct IofImportOptions {
    // The competition's offset from UTC in minutes (east positive): a time written with a zone
    // ("...T09:40:02Z", "...+02:00") is read as this local time of day. Unset: the zone of
    // this computer at that date.
    std::optional<int> utc_offset_minutes;
};

struct IofImportReport {
    bool ok = false;
    int runners_added = 0;
    int runners_updated = 0;
    int runners_unknown = 0;  // start or result entries of runners not in the competition
    int classes_added = 0;
    int clubs_added = 0;
    int courses_added = 0;
    int courses_assigned = 0;  // classes given a course
    int start_times = 0;       // runners given a start time
    int finish_lines = 0;      // finish lines added
    int cards = 0;             // runners given a control card number
    int readouts = 0;          // card readouts added (from split times)
    // Names with characters Windows-1251 cannot hold: persons, and distinct clubs, classes and
    // courses.
    int runner_names_replaced = 0;
    int club_names_replaced = 0;
    int class_names_replaced = 0;
    int course_names_replaced = 0;
    // Names longer than their record's field, kept whole beside the competition file; of
    // them, cut forms already taken that were made unique with a number.
    int long_class_names = 0;
    int long_course_names = 0;
    int long_club_names = 0;
    int names_made_unique = 0;
    // Runners with a time but no start number, given the lowest free numbers.
    int free_numbers = 0;
    int first_free_number = 0, last_free_number = 0;
    int numbers_taken = 0;  // start numbers of the file another runner holds
    // Relay teams without a usable number, numbered on in their class; teams the numbering
    // leg x 100 + team cannot hold, and their members (left without a number).
    int teams_numbered = 0;
    int teams_unnumbered = 0;
    int members_unnumbered = 0;
    int parallel_unnumbered = 0;  // parallel runners of one leg after the first
    int members_skipped = 0;      // team members without a person (lineup not known)
    int zoned_times = 0;          // times with a zone, converted
    int utc_offset_minutes = 0;   // the offset they were converted to (the first one)
    std::string encoding;         // a single-byte encoding the file declared, read as such
    int cut_controls = 0;         // courses whose controls did not all fit
    std::string message;          // Windows-1251: the error, or the closing summary
};

// Reads one message of the given kind. The whole message is checked first; when it is not
// well formed, not of that kind or version, misses a required element or does not fit the
// tables the competition is left unchanged and the report says why. A message from which
// nothing could be imported is refused too.
IofImportReport iof_import_text(Competition& c, IofImportKind kind, std::string_view xml,
                                const LanguageTable& lang, const IofImportOptions& options = {});
IofImportReport iof_import_file(Competition& c, IofImportKind kind, const std::string& path,
                                const LanguageTable& lang, const IofImportOptions& options = {});

// True when the message writes a time with a zone (so the import needs the competition's).
bool iof_has_zoned_times(std::string_view xml);
// "+02:00", "-05:30", "+2", "Z": an offset from UTC in minutes; false for anything else.
bool parse_utc_offset(std::string_view text, int& minutes);
// "+02:00" for 120.
std::string utc_offset_text(int minutes);
// The offset from UTC of this computer's zone now, in minutes.
int machine_utc_offset_minutes();

// Names of the kinds as the command line writes them ("results", "start", ...).
bool parse_iof_export_kind(std::string_view name, IofExportKind& kind);
bool parse_iof_import_kind(std::string_view name, IofImportKind& kind);

// A runner's name split as the messages carry it: family name up to the first blank, given
// name the rest (a split kept from a message wins, see core/long_names.h).
struct PersonNameParts {
    std::string family, given;
};
PersonNameParts split_person_name(std::string_view name);

// Status code of a runner as the result list writes it.
std::string_view iof_result_status(int status, bool out_of_competition);

}  // namespace skarvel
