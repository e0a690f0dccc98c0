#include "punch/check_punches.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/cp1251.h"

namespace skarvel {

using namespace skarvel::literals;

std::vector<std::uint8_t> course_controls(const Course& course) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < 64 && course.control_codes[i] != 0; ++i)
        out.push_back(course.control_codes[i]);
    return out;
}

Course* class_course(Competition& c, const Runner& runner, Prompts& prompts) {
    const ClassRecord* cls = c.live.klass(runner.class_id);
    if (!cls) {
        prompts.message(prompts.text(Txt::kNoSuchClass));
        return nullptr;
    }
    Course* course = c.live.course(cls->course_id);
    if (!course) prompts.message(prompts.text(Txt::kNoSuchCourse));
    return course;
}

Course* course_by_number(Competition& c, int number) {
    Course* found = nullptr;
    const auto& t = c.tables.courses;
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        std::string name(field_text(t[i]->name));
        if (std::atoi(name.c_str()) == number) found = t[i];
    }
    return found;
}

bool controls_in_order(const std::vector<std::uint8_t>& controls, const CardReadout& card) {
    int n = card.held_punches();
    int p = 0;
    for (std::uint8_t x : controls) {
        while (p < n && card.punches[p].code != x) ++p;
        if (p >= n) return false;
        ++p;
    }
    return true;
}

namespace {

int count_unique(const CardReadout& card) {
    bool seen[256] = {};
    int count = 0;
    int n = card.held_punches();
    for (int k = 0; k < n && card.punches[k].code != 0; ++k) {
        std::uint8_t code = card.punches[k].code;
        if (!seen[code]) {
            seen[code] = true;
            ++count;
        }
    }
    return count;
}

// Modes 4 and 6: the punches without immediate repeats, cut at the course length; then the
// course controls missing from that list.
int missing_in_thread(const std::vector<std::uint8_t>& controls, const CardReadout& card) {
    std::size_t n = controls.size();
    std::vector<std::uint8_t> list;
    int count = card.held_punches();
    for (int k = 0; k < count && list.size() < n; ++k) {
        std::uint8_t code = card.punches[k].code;
        if (code == 0) break;
        if (list.empty() || list.back() != code) list.push_back(code);
    }
    int found = 0;
    for (std::uint8_t x : controls)
        if (std::find(list.begin(), list.end(), x) != list.end()) ++found;
    return static_cast<int>(n) - found;
}

std::string format_name(const char* format, std::string_view name, std::string_view tail) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, std::string(name).c_str(), std::string(tail).c_str());
    return buf;
}

int carousel(Competition& c, Runner& runner, const CardReadout& card,
             const PunchSettings& settings) {
    Course* found = nullptr;
    const auto& courses = c.tables.courses;
    for (int i = 0; i < courses.capacity() && courses[i]; ++i) {
        auto controls = course_controls(*courses[i]);
        if (controls.empty()) continue;
        if (controls_in_order(controls, card)) {
            found = courses[i];
            break;
        }
    }
    std::string old_name(field_text(runner.name));
    if (found) {
        std::string course_name(field_text(found->name));
        if (settings.labyrinth_mode) {
            set_field_text(runner.name,
                           format_name(std::string("%-15.15s Дист%4.4s"_cp1251).c_str(), old_name,
                                       course_name));
            const auto& classes = c.tables.classes;
            for (int i = 0; i < classes.capacity() && classes[i]; ++i) {
                if (classes[i]->course_id == found->id) {
                    runner.class_id = static_cast<std::int16_t>(classes[i]->id);
                    break;
                }
            }
        } else {
            set_field_text(runner.name, format_name("%-19.19s %4.4s", old_name, course_name));
        }
        runner.status = kStatusOk;
        c.modified = true;
        return 1;
    }
    set_field_text(runner.name, format_name("%-19.19s %4.4s", old_name, "---"));
    runner.status = kStatusWrongPunch;
    if (settings.labyrinth_mode) {
        runner.class_id = 0;
        if (!c.find_class_by_id(0)) {
            int slot = c.new_record(kClasses);
            if (slot != kNoSlot) {
                ClassRecord* dsq = c.tables.classes[slot];
                dsq->id = 0;
                set_field_text(dsq->name, "DSQ");
            }
        }
    }
    c.modified = true;
    return 0;
}

}  // namespace

int check_punches(Competition& c, Runner& runner, const CardReadout& card,
                  const PunchSettings& settings, Prompts& prompts) {
    switch (settings.check_mode) {
        case kCheckCourse:
        case kCheckNumberCourse: {
            Course* course = settings.check_mode == kCheckCourse
                                 ? class_course(c, runner, prompts)
                                 : course_by_number(c, runner.start_number);
            if (!course) {
                if (settings.check_mode == kCheckNumberCourse)
                    prompts.message(prompts.text(Txt::kNoSuchCourse));
                return 0;
            }
            // A course without controls asks for nothing, so every card fulfils it.
            return controls_in_order(course_controls(*course), card) ? 1 : 0;
        }
        case kCheckUniqueCount: {
            Course* course = class_course(c, runner, prompts);
            if (!course) return 0;
            int count = count_unique(card);
            int need = course->control_count;
            if (count >= need) return 1;
            if (settings.warnings) {
                char buf[96];
                std::snprintf(buf, sizeof buf,
                              std::string(prompts.text(Txt::kUniquePunchesShort)).c_str(), count,
                              need);
                prompts.message(buf);
            }
            return static_cast<int>(static_cast<std::int64_t>(need - count) *
                                    settings.penalty_per_miss);
        }
        case kCheckThread:
        case kCheckNumberThread: {
            Course* course = settings.check_mode == kCheckThread
                                 ? class_course(c, runner, prompts)
                                 : course_by_number(c, runner.start_number);
            if (!course) {
                if (settings.check_mode == kCheckNumberThread)
                    prompts.message(prompts.text(Txt::kNoSuchCourse));
                return 0;
            }
            return missing_in_thread(course_controls(*course), card);
        }
        case kCheckCarousel:
            return carousel(c, runner, card, settings);
        default:
            return 0;
    }
}

bool over_course_time_limit(const Course* course, std::int32_t result) {
    return course && course->time_limit_min > 0 &&
           static_cast<std::int64_t>(course->time_limit_min) * 6000 < result;
}

}  // namespace skarvel
