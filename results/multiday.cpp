#include "results/multiday.h"

#include <unordered_map>

#include "core/atomic_file.h"
#include "core/cp1251.h"
#include "core/text_format.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

std::string day_value_text(std::int32_t value) {
    std::int64_t v = value < 0 ? 0 : value;
    return strf("%02d:%02d:%02d,%02d", int(v / kCentisPerHour), int(v / 6000 % 60),
                int(v / 100 % 60), int(v % 100));
}

std::int32_t day_value(const Runner& r) {
    // A negative result (finish before start) is no result either.
    if (r.result <= 0 || r.status == 8) return kDayNoResult;
    if (r.status != 0) return kDayRemoved;
    return r.result;
}

std::string day_file_text(Competition& c) {
    Table<Runner>& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i)
        if (Runner* r = runners[i]) r->result = 0;
    c.recompute_finish_results();
    std::string out;
    for (int i = 0; i < runners.used_end(); ++i) {
        const Runner* r = runners[i];
        if (!r || r->start_number == 0) continue;
        out += strf("%d %s\r\n", int(r->start_number), day_value_text(day_value(*r)).c_str());
    }
    return out;
}

bool save_day_file(Competition& c, ReportEnv& env) {
    auto file =
        open_report_file(env, "файл(*.txt) |*.txt||"_cp1251, "результат_многодневки"_cp1251, "txt");
    if (!file) return false;
    file->write(day_file_text(c));
    if (!file->close()) {
        env.prompts.message(cannot_write_message());
        return false;
    }
    return true;
}

namespace {

bool is_blank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r';
}

// One line without its end: a decimal number (optionally signed), blanks, a word.
bool parse_line(std::string_view line, DayFileLine& out) {
    std::size_t i = 0;
    while (i < line.size() && is_blank(line[i])) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    std::size_t digits = i;
    long long n = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        if (i - digits >= 9) return false;  // no runner has such a number
        n = n * 10 + (line[i++] - '0');
    }
    if (i == digits) return false;
    std::size_t word = i;
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == word || i == line.size()) return false;
    std::size_t end = i;
    while (end < line.size() && !is_blank(line[end])) ++end;
    out.number = int(negative ? -n : n);
    out.value = parse_time_text(line.substr(i, end - i));
    return true;
}

}  // namespace

bool parse_day_file(std::string_view text, std::vector<DayFileLine>& lines) {
    lines.clear();
    if (text.size() > kMaxDayFileBytes) return false;
    if (text.find('\0') != std::string_view::npos) return false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxDayFileLine) return false;
        bool blank = true;
        for (char ch : line) blank = blank && is_blank(ch);
        if (blank) continue;
        DayFileLine l;
        if (!parse_line(line, l)) return false;
        lines.push_back(l);
    }
    return true;
}

int apply_day_file(Competition& c, int day, const std::vector<DayFileLine>& lines) {
    if (day < 0 || day >= kMultiDayCount) return 0;
    std::unordered_map<int, std::vector<Runner*>> by_number;
    Table<Runner>& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i) {
        Runner* r = runners[i];
        if (!r || r->start_number == 0) continue;
        r->day_results[day] = kDayNoResult;
        by_number[r->start_number].push_back(r);
    }
    int set = 0;
    for (const DayFileLine& l : lines) {
        auto it = by_number.find(l.number);
        if (it == by_number.end()) continue;
        for (Runner* r : it->second) r->day_results[day] = l.value;
        ++set;
    }
    c.modified = true;
    return set;
}

bool read_day_file(Competition& c, int day, const std::string& path, std::string* why,
                   int* lines_matched) {
    std::string bytes;
    std::vector<DayFileLine> lines;
    if (day < 0 || day >= kMultiDayCount || !read_file_bytes(path, kMaxDayFileBytes + 1, bytes) ||
        !parse_day_file(bytes, lines)) {
        if (why) *why = std::string(cannot_read_message());
        return false;
    }
    int n = apply_day_file(c, day, lines);
    if (lines_matched) *lines_matched = n;
    return true;
}

bool read_day_file(Competition& c, int day, Prompts& prompts) {
    auto path = prompts.choose_open_file("файл(*.txt) |*.txt||"_cp1251);
    if (!path || path->empty()) return false;
    std::string why;
    if (!read_day_file(c, day, *path, &why)) {
        prompts.message(why);
        return false;
    }
    return true;
}

}  // namespace skarvel
