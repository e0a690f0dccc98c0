#include "exchange/text_files.h"

#include <optional>

#include "core/atomic_file.h"
#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/leading_integer.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "platform/file_messages.h"

namespace skarvel {

namespace {

bool is_space(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// Walks the lines of `text`: a start number, then one white-space-delimited token that
// `parse` turns into a value (nullopt: the line cannot be read); a value within [lo, hi] goes
// to the runner that number_index holds for the number.
template <class Parse, class Set>
TextImportCounts import_by_number(Competition& c, std::string_view text, long long lo, long long hi,
                                  Parse parse, Set set) {
    c.rebuild_number_index();
    TextImportCounts n;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::size_t i = 0;
        std::optional<long long> number = scan_integer(line, i);
        while (i < line.size() && is_space(line[i])) ++i;
        std::size_t j = i;
        while (j < line.size() && !is_space(line[j])) ++j;
        std::optional<long long> value;
        if (number && j > i) value = parse(line.substr(i, j - i));
        if (!value) {
            bool blank = true;
            for (char ch : line) blank = blank && is_space(ch);
            if (!blank) ++n.unreadable;
            continue;
        }
        if (*number < 1 || *number >= kNumberIndexSize) {
            ++n.bad_number;
            continue;
        }
        if (*value < lo || *value > hi) {
            ++n.bad_value;
            continue;
        }
        Runner* r = c.runner_by_number(static_cast<int>(*number));
        if (!r) {
            ++n.unknown;
            continue;
        }
        set(*r, *value);
        ++n.set;
    }
    return n;
}

template <class Import>
bool import_file(Competition& c, const std::string& path, std::size_t max_lines,
                 TextImportCounts& counts, int* error, Import import) {
    std::string text;
    if (!read_text_lines(path, kTextFileLineChars, max_lines, text, error)) return false;
    counts = import(c, text);
    finish_data_changed(c);
    return true;
}

constexpr std::string_view kFilterTxt = "txt";

}  // namespace

std::string start_list_text(const Competition& c) {
    std::string out;
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.used_end(); ++i) {
        const Runner* r = t[i];
        if (!r || r->start_number == 0) continue;
        out += std::to_string(r->start_number);
        out += ' ';
        out += format_time_text(r->start_time, c.info.time_precision);
        out += "\r\n";
    }
    return out;
}

bool export_start_list_txt(const Competition& c, const std::string& path, int* error) {
    std::string text = start_list_text(c);
    return write_file_atomically(path, reinterpret_cast<const std::uint8_t*>(text.data()),
                                 text.size(), error);
}

TextImportCounts import_start_times_text(Competition& c, std::string_view text) {
    // Every time the start list export writes is read back, the marks 25:00:00 (did not
    // start) and 26:00:00 ("протокол") of the bibs among them.
    return import_by_number(
        c, text, 0, kTimeTextMax,
        [](std::string_view token) -> std::optional<long long> {
            return parse_time_text_wide(token);
        },
        [](Runner& r, long long v) { r.start_time = static_cast<std::int32_t>(v); });
}

TextImportCounts import_penalties_text(Competition& c, std::string_view text) {
    return import_by_number(
        c, text, 0, 65535,
        [](std::string_view token) {
            std::size_t i = 0;
            return scan_integer(token, i);
        },
        [](Runner& r, long long v) { r.penalty = static_cast<std::uint16_t>(v); });
}

bool import_start_times_txt(Competition& c, const std::string& path, TextImportCounts& counts,
                            int* error) {
    return import_file(c, path, kStartTimeFileLines, counts, error, import_start_times_text);
}

bool import_penalties_txt(Competition& c, const std::string& path, TextImportCounts& counts,
                          int* error) {
    return import_file(c, path, kPenaltyFileLines, counts, error, import_penalties_text);
}

std::string start_times_summary(const LanguageTable& lang, const TextImportCounts& n) {
    return strf_view(lang.text(Txt::kStartTimesImported), n.set, n.bad_number, n.bad_value);
}

std::string penalties_summary(const LanguageTable& lang, const TextImportCounts& n) {
    return strf_view(lang.text(Txt::kPenaltiesImported), n.set, n.bad_number, n.bad_value);
}

bool run_export_start_list(const Competition& c, Prompts& prompts, const LanguageTable& lang) {
    std::optional<std::string> path =
        choose_save_path(prompts, lang, lang.text(Txt::kTextFileFilter), "start.txt", kFilterTxt,
                         lang.text(Txt::kStartListExportTitle));
    if (!path) return false;
    if (export_start_list_txt(c, *path)) return true;
    prompts.message(lang.text(Txt::kTextFileCannotWrite));
    return false;
}

namespace {

template <class Import, class Summary>
bool run_import(Competition& c, Prompts& prompts, const LanguageTable& lang, Txt question,
                Txt title, std::string_view suggested, std::string* summary, Import import,
                Summary make_summary) {
    if (!prompts.ask_yes_no_captioned(lang.text(question), "")) return false;
    std::optional<std::string> path = prompts.choose_open_file_named(
        lang.text(Txt::kTextFileFilter), suggested, kFilterTxt, lang.text(title));
    if (!path) return false;
    TextImportCounts counts;
    if (!import(c, *path, counts, nullptr)) {
        prompts.message(lang.text(Txt::kTextFileCannotRead));
        return false;
    }
    std::string text = make_summary(lang, counts);
    if (counts.skipped() > 0) prompts.message(text);
    if (summary) *summary = text;
    return true;
}

}  // namespace

bool run_import_start_times(Competition& c, Prompts& prompts, const LanguageTable& lang,
                            std::string* summary) {
    return run_import(c, prompts, lang, Txt::kStartTimesImportAsk, Txt::kStartTimesImportTitle,
                      "start", summary, import_start_times_txt, start_times_summary);
}

bool run_import_penalties(Competition& c, Prompts& prompts, const LanguageTable& lang,
                          std::string* summary) {
    return run_import(c, prompts, lang, Txt::kPenaltiesImportAsk, Txt::kPenaltiesImportTitle,
                      "shtraf", summary, import_penalties_txt, penalties_summary);
}

}  // namespace skarvel
