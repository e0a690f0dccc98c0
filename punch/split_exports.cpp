#include "punch/split_exports.h"

#include <unordered_map>
#include <vector>

#include "core/cp1251.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "punch/check_punches.h"
#include "punch/punch_settings.h"
#include "punch/split_sheet.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr int kMaxControls = 64;

std::string clock_text(std::int32_t t) {
    // Cut to whole seconds, "%02d:%02d:%02d".
    return strf("%02d:%02d:%02d", t / 360000, t / 6000 % 60, t / 100 % 60);
}

// Splits of one runner: the course walk over the first readout of the card, ending with the
// finish split. Negative splits count 0.
std::vector<std::int32_t> split_walk(const Runner& r, const Course* course,
                                     const CardReadout* card) {
    std::vector<std::int32_t> out;
    if (!card || !course) return out;
    std::int32_t prev = r.start_time;
    int j = 0;
    const int punches = card->held_punches();
    for (int k = 0; k < kMaxControls && course->control_codes[k] != 0; ++k) {
        int at = j;
        while (at < punches && card->punches[at].code != course->control_codes[k]) ++at;
        if (at >= punches) break;
        out.push_back(card->punches[at].time - prev);
        prev = card->punches[at].time;
        j = at + 1;
    }
    out.push_back(r.finish_time - prev);
    for (std::int32_t& d : out) d = std::max(d, 0);
    return out;
}

std::string split_text(std::int32_t d, const char* format) {
    return strf(format, d / 6000, d / 100 % 60);
}

// What both files walk: the classes with a finish line, each with its export list.
struct ExportWalk {
    RecordLookup look;
    std::unordered_map<std::int32_t, const CardReadout*> first_card;
    std::unordered_map<std::int32_t, std::vector<const Runner*>> by_class;
    bool course_by_number;
    bool english;

    ExportWalk(Competition& c, int first_n, bool english_messages)
        : look((prepare(c), c)), english(english_messages) {
        PunchSettings p = punch_settings_from(c.info);
        course_by_number = p.check_mode == kCheckNumberCourse || p.check_mode == kCheckNumberThread;
        for (int i = 0; i < c.tables.card_readouts.capacity(); ++i)
            if (const CardReadout* k = c.tables.card_readouts[i])
                first_card.emplace(k->card_number, k);
        for (int i = 0; i < c.tables.runners.capacity(); ++i) {
            const Runner* r = c.tables.runners[i];
            if (!r || r->result == 0 || r->status != 0) continue;
            auto& list = by_class[r->class_id];
            if (first_n == 0 || static_cast<int>(list.size()) < first_n) list.push_back(r);
        }
    }
    static void prepare(Competition& c) {
        c.recount_tables();
        c.recompute_finish_results();
    }
    const CardReadout* card_of(const Runner& r) const {
        auto it = first_card.find(r.card_number);
        return it == first_card.end() ? nullptr : it->second;
    }
};

// The course of a runner for the walk; null with the message set when the number mode finds
// none.
const Course* walk_course(Competition& c, const ExportWalk& w, const ClassRecord& cls,
                          const Runner& r, std::string& failure) {
    if (!w.course_by_number) return w.look.course(cls.course_id);
    const Course* course = course_by_number(c, r.start_number);
    if (!course)
        failure = std::string(text_in(w.english, Txt::kNoSuchCourse)) + " (" +
                  std::string(field_text(r.name)) + strf(", %d)", r.start_number);
    return course;
}

// Each runner's line is begun (`on_runner`) before his course is looked for, so a runner
// whose course is missing leaves his line's start as the last thing written.
template <class ClassFn, class RunnerFn, class SplitsFn>
bool walk_classes(Competition& c, const ExportWalk& w, std::string& failure, ClassFn on_class,
                  RunnerFn on_runner, SplitsFn on_splits) {
    for (int i = 0; i < c.tables.classes.capacity(); ++i) {
        ClassRecord* cls = c.tables.classes[i];
        if (!cls) break;
        if (cls->finish_line_count == 0) continue;
        auto it = w.by_class.find(cls->id);
        if (it == w.by_class.end() || it->second.empty()) continue;
        on_class(*cls);
        for (const Runner* r : it->second) {
            on_runner(*r);
            const CardReadout* card = w.card_of(*r);
            const Course* course = nullptr;
            if (card) {
                course = walk_course(c, w, *cls, *r, failure);
                if (!course && !failure.empty()) return false;
            }
            on_splits(split_walk(*r, course, card));
        }
    }
    return true;
}

bool write_export(ReportEnv& env, std::string_view filter, std::string_view name,
                  std::string_view extension, const SplitExport& body, std::string_view done) {
    auto file = open_report_file(env, filter, name, extension);
    if (!file) return false;
    file->write(body.text);
    if (!file->close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    if (!body.ok) {
        env.prompts.message(body.failure);
        env.shell.open_path(file->path());
        return false;
    }
    env.prompts.message(done);
    return true;
}

}  // namespace

SplitExport osv_split_file(Competition& c, int first_n, bool english) {
    SplitExport out;
    std::string& s = out.text;
    s = "Version 1\r\n@NAME   1, 25\r\n@RESULT 27, 8\r\n@SPLITS 40\r\n";
    for (const auto& line : c.info.title_lines)
        if (std::string_view t = field_text(line); !t.empty()) s += " " + std::string(t);
    if (std::string_view d = field_text(c.info.date); !d.empty()) s += " " + std::string(d);
    if (std::string_view p = field_text(c.info.place); !p.empty()) s += " " + std::string(p);
    s += "\r\n";
    ExportWalk w(c, first_n, english);
    out.ok = walk_classes(
        c, w, out.failure,
        [&](const ClassRecord& cls) {
            s += "\r\n#";
            Course* course = c.find_course_by_id(cls.course_id);
            if (!course) return;
            if (course->control_count == 0) {
                int n = 0;
                while (n < kMaxControls && course->control_codes[n] != 0) ++n;
                course->control_count = n;
            }
            s += strf("%-5.5s", std::string(field_text(cls.name)).c_str());
            s += strf(", %d КП"_cp1251.c_str(), course->control_count);
            // A course without a length says 0.000 km.
            s += strf(", %d.%03d км"_cp1251.c_str(), course->length_m / 1000,
                      course->length_m % 1000);
        },
        [&](const Runner& r) {
            s += "\r\n" +
                 strf("%-25.25s %-7d ", std::string(field_text(r.name)).c_str(), r.card_number);
            s += strf("%-11.11s", clock_text(r.result).c_str());
        },
        [&](const std::vector<std::int32_t>& splits) {
            for (std::int32_t d : splits) s += split_text(d, " %3d:%02d");
        });
    if (out.ok) s += "\r\n";
    return out;
}

SplitExport route_split_file(Competition& c, int first_n, bool english) {
    SplitExport out;
    std::string& s = out.text;
    ExportWalk w(c, first_n, english);
    out.ok = walk_classes(
        c, w, out.failure,
        [&](const ClassRecord& cls) {
            if (w.look.course(cls.course_id))
                s += strf("\r\n\r\n%-5.5s", std::string(field_text(cls.name)).c_str());
        },
        [&](const Runner& r) {
            std::string name(field_text(r.name));
            if (auto blank = name.find(' '); blank != std::string::npos) name[blank] = ';';
            const Club* club = w.look.club(r.club_id);
            s += "\r\n" + strf("%s;%s;%s;", name.c_str(),
                               club ? std::string(field_text(club->name)).c_str() : "",
                               clock_text(r.start_time).c_str());
        },
        [&](const std::vector<std::int32_t>& splits) {
            for (std::size_t i = 0; i < splits.size(); ++i)
                s += split_text(splits[i], i + 1 < splits.size() ? "%d:%02d;" : "%d:%02d");
        });
    if (out.ok) s += "\r\n";
    return out;
}

std::string common_splits_page(Competition& c, Prompts& prompts) {
    std::string s = "<html><pre>\r\n";
    std::unordered_map<std::int32_t, Runner*> owner;
    for (int i = 0; i < c.tables.runners.capacity(); ++i)
        if (Runner* r = c.tables.runners[i]) owner.emplace(r->card_number, r);
    StringSink sink;
    for (int i = 0; i < c.tables.card_readouts.capacity(); ++i) {
        const CardReadout* card = c.tables.card_readouts[i];
        if (!card) break;
        auto it = owner.find(card->card_number);
        if (it == owner.end() || card->card_number == 0) continue;
        sink.text.clear();
        write_split_text(sink, c, *it->second, *card, prompts);
        // Names, clubs and the title come from the records: text, not markup.
        s += html_escape(sink.text) + "<hr>\r\n";
    }
    s += "</pre></html>\r\n";
    return s;
}

bool export_osv(Competition& c, int first_n, ReportEnv& env) {
    return write_export(env, env.prompts.text(Txt::kOsvFilesFilter), "OSV-файл"_cp1251, "osv",
                        osv_split_file(c, first_n, env.prompts.lang().english()),
                        env.prompts.text(Txt::kOsvSaved));
}

bool export_route_csv(Competition& c, int first_n, ReportEnv& env) {
    return write_export(env, env.prompts.text(Txt::kCsvFilesFilter), "CSV-файл"_cp1251, "csv",
                        route_split_file(c, first_n, env.prompts.lang().english()),
                        env.prompts.text(Txt::kCsvSaved));
}

bool common_splits_html(Competition& c, ReportEnv& env) {
    auto file = open_report_file(env, env.prompts.text(Txt::kHtmlFilesFilter),
                                 "Общие сплиты"_cp1251, "htm");
    if (!file) return false;
    file->write(common_splits_page(c, env.prompts));
    if (!file->close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    return true;
}

}  // namespace skarvel
