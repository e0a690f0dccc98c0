#include "core/list_edit.h"

#include <cstdlib>
#include <unordered_set>

#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

std::string caption_attention(bool english) {
    return std::string(text_in(english, Txt::kAttention));
}
std::string caption_error(bool english) {
    return std::string(text_in(english, Txt::kResultError));
}

// ---- deletion ----------------------------------------------------------------------------

DeleteOutcome delete_with_rules(Competition& c, RecordType type, int slot, Prompts& prompts,
                                bool english) {
    bool present = with_table(c.tables, type, [slot](auto& t) { return t[slot] != nullptr; });
    if (!present) return DeleteOutcome::NoRecord;

    auto refuse = [&](Txt why) {
        prompts.stop_message(text_in(english, why), caption_error(english));
        return DeleteOutcome::Refused;
    };
    switch (type) {
        case kClubs:
            c.recount_tables();
            if (c.tables.clubs[slot]->runner_count != 0) return refuse(Txt::kClubInUse);
            break;
        case kClasses:
            c.recount_tables();
            if (c.tables.classes[slot]->runner_count != 0) return refuse(Txt::kClassInUse);
            break;
        case kCourses:
            c.recount_tables();
            if (c.tables.courses[slot]->runner_count != 0) return refuse(Txt::kCourseInUse);
            break;
        case kFinishLines:
            if (!prompts.ask_yes_no_captioned(text_in(english, Txt::kDeleteFinishLineQuestion),
                                              caption_attention(english)))
                return DeleteOutcome::Declined;
            break;
        default:
            break;
    }
    c.delete_record(type, slot);
    // The index must not keep pointing at a deleted runner, and results follow the lines.
    if (type == kRunners || type == kFinishLines) finish_data_changed(c);
    return DeleteOutcome::Deleted;
}

// ---- heat digit --------------------------------------------------------------------------

bool set_heat_digit(Competition& c, int slot, int digit) {
    Runner* r = c.tables.runners[slot];
    if (!r || digit < 0 || digit > 9) return false;
    r->heat_or_leg = digit;
    c.modified = true;
    return true;
}

// ---- finish number entry -----------------------------------------------------------------

void FinishEntry::digit(Competition& c, int row, int d, Prompts& prompts, bool english) {
    if (d < 0 || d > 9) return;
    if (active_) {
        if (typed_ >= 0 && typed_ < 3000) typed_ = typed_ * 10 + d;
        return;
    }
    const auto& lines = c.tables.finish_lines;
    int live = lines.live_count();
    if (row < 0 || row > live) return;
    if (row < live && lines[row]->start_number != 0) {
        prompts.message(text_in(english, Txt::kFinishLineBusy));
        return;
    }
    active_ = true;
    typed_ = d;
    row_ = row;
    new_line_ = row == live;
}

void FinishEntry::backspace() {
    if (active_) typed_ /= 10;
}

int FinishEntry::stored_number(const Competition& c, int row, int typed, bool& capped) {
    int n = typed;
    if (c.info.relay && c.info.pad_numbers_to_4 && typed > 0 && typed < 1000) {
        int k = 1;
        const auto& lines = c.tables.finish_lines;
        for (int i = 0; i < row && lines[i]; ++i) {
            int s = lines[i]->start_number;
            if (s > 0 && s % 1000 == typed) ++k;
        }
        n = typed + 1000 * k;
    }
    capped = n > edit_limits::kStartNumberMax;
    return capped ? edit_limits::kStartNumberMax : n;
}

bool FinishEntry::enter(Competition& c, int row, Prompts& prompts, const EditHooks& hooks) {
    auto& lines = c.tables.finish_lines;
    int live = lines.live_count();
    if (!active_) {
        if (row < 0 || row > live) return false;
        if (row == live) {
            if (c.new_record(kFinishLines) == kNoSlot) {
                prompts.message(table_full_message(kFinishLines, hooks.english));
                return false;
            }
            c.modified = true;
            typed_ = 0;
            finish_autosave(c, prompts, hooks);
        } else {
            typed_ = lines[row]->start_number;
        }
        active_ = true;
        row_ = row;
        new_line_ = false;
        return false;
    }

    // Entry started by a digit on the empty row: the line is made now, in the first free
    // slot (a card may have made a line where the empty row was meanwhile; that line is
    // not this one).
    if (new_line_) {
        new_line_ = false;
        int slot = c.new_record(kFinishLines);
        if (slot == kNoSlot) {
            active_ = false;
            prompts.message(table_full_message(kFinishLines, hooks.english));
            return false;
        }
        row_ = slot;
    } else if (!lines[row_]) {
        active_ = false;  // the line went away while the number was typed
        return false;
    }
    bool capped = false;
    int n = stored_number(c, row_, typed_, capped);
    if (capped) prompts.message(text_in(hooks.english, Txt::kNumberTooBig));
    lines[row_]->start_number = static_cast<std::int16_t>(n);
    active_ = false;
    finish_data_changed(c);
    c.modified = true;
    finish_autosave(c, prompts, hooks);
    return true;
}

void FinishEntry::escape(Competition& c) {
    active_ = false;
    new_line_ = false;
    c.rebuild_number_index();
}

void finish_autosave(Competition& c, Prompts& prompts, const EditHooks& hooks) {
    if (!c.info.finish_autosave || !hooks.save_under_file_name) return;
    if (hooks.save_under_file_name() == SaveRequest::kNoFileName)
        prompts.message_captioned(text_in(hooks.english, Txt::kSaveFileFirst),
                                  text_in(hooks.english, Txt::kNoFileName));
}

// ---- quick edit --------------------------------------------------------------------------

bool quick_edit_finish_time(Competition& c, int row, Prompts& prompts, const EditHooks& hooks) {
    FinishLine* line = c.tables.finish_lines[row];
    if (!line) return false;
    bool en = hooks.english;
    std::int32_t t = line->time();
    struct Part {
        std::string prompt;
        int value, max;
    };
    Part parts[4] = {
        {std::string(text_in(en, Txt::kFinishTimeHours)), t / kCentisPerHour, 45},
        {std::string(text_in(en, Txt::kFinishTimeMinutes)), t / kCentisPerMinute % 60, 59},
        {std::string(text_in(en, Txt::kFinishTimeSeconds)), t / 100 % 60, 59},
        {std::string(text_in(en, Txt::kFinishTimeHundredths)), t % 100, 99},
    };
    int steps = c.info.time_precision != 0 ? 4 : 3;
    for (int i = 0; i < steps; ++i) {
        for (;;) {
            auto answer = prompts.ask_text(parts[i].prompt, integer_text(parts[i].value));
            if (!answer) return false;
            auto v = parse_integer_field(*answer);
            if (v && *v >= 0 && *v <= parts[i].max) {
                parts[i].value = static_cast<int>(*v);
                break;
            }
            prompts.message(range_message(parts[i].prompt, 0, parts[i].max, en));
        }
    }
    std::int32_t hundredths = steps == 4 ? parts[3].value : 0;
    line->set_time(parts[0].value * kCentisPerHour + parts[1].value * kCentisPerMinute +
                   parts[2].value * 100 + hundredths);
    finish_data_changed(c);
    c.modified = true;
    finish_autosave(c, prompts, hooks);
    return true;
}

QuickRunnerForm quick_runner_form(const Competition& c, int slot) {
    const Runner* r = c.tables.runners[slot];
    if (!r) return {};
    return {integer_text(r->start_number), format_time_text(r->start_time, c.info.time_precision)};
}

EditResult store_quick_runner_form(Competition& c, int slot, const QuickRunnerForm& f,
                                   bool english) {
    Runner* r = c.tables.runners[slot];
    if (!r) return EditResult{false, {}, kNoSlot};
    std::string label = std::string(text_in(english, Txt::kEdNo));
    std::int64_t number = 0;
    if (f.start_number.find_first_not_of(' ') != std::string::npos) {
        auto v = parse_integer_field(f.start_number);
        if (!v || *v < 0 || *v > edit_limits::kStartNumberMax)
            return EditResult{false, range_message(label, 0, edit_limits::kStartNumberMax, english),
                              kNoSlot};
        number = *v;
    }
    if (static_cast<int>(f.start_time.size()) > edit_limits::kTimeText)
        return EditResult{
            false, length_message(text_in(english, Txt::kEdStart), edit_limits::kTimeText, english),
            kNoSlot};
    r->start_number = static_cast<std::uint16_t>(number);
    r->start_time = parse_time_text(f.start_time);
    finish_data_changed(c);
    c.modified = true;
    return EditResult{true, {}, slot};
}

// ---- runner of a finish line -------------------------------------------------------------

RunnerForm finish_line_runner_form(Competition& c, int row, int& slot) {
    slot = kNoSlot;
    const FinishLine* line = c.tables.finish_lines[row];
    int n = line ? std::abs(line->start_number) : 0;
    c.rebuild_number_index();
    if (const Runner* r = c.runner_by_number(n)) {
        const auto& t = c.tables.runners;
        for (int i = 0; i < t.used_end(); ++i)
            if (t[i] == r) {
                slot = i;
                return runner_form(c, r);
            }
    }
    RunnerForm f = runner_form(c, nullptr);
    if (n > 0) f.start_number = integer_text(n);
    return f;
}

EditResult store_finish_line_runner(Competition& c, int slot, const RunnerForm& f, bool english) {
    EditResult r = store_runner_form(c, slot, f, english);
    if (r) finish_data_changed(c);
    return r;
}

// ---- status ------------------------------------------------------------------------------

StatusTexts status_texts(const CompetitionInfo& info) {
    StatusTexts t;
    for (int s = 0; s < kStatusCount; ++s) {
        t.names[s] = std::string(field_text(info.status_names[s]));
        t.short_texts[s] = std::string(field_text(info.status_short_texts[s]));
    }
    return t;
}

void store_status_texts(Competition& c, const StatusTexts& t) {
    auto cut = [](const std::string& s) {
        return std::string_view(s).substr(0, edit_limits::kStatusText);
    };
    bool changed = false;
    auto put = [&](char(&field)[12], const std::string& text) {
        std::string_view v = cut(text);
        if (field_text(field) == v) return;
        set_field_text(field, v);
        changed = true;
    };
    for (int s = 3; s <= 6; ++s) put(c.info.status_names[s], t.names[s]);
    for (int s = 1; s <= 8; ++s) put(c.info.status_short_texts[s], t.short_texts[s]);
    if (changed) c.modified = true;
}

std::string status_runner_name(const Competition& c, int number, bool english) {
    if (const Runner* r = c.runner_by_number(number)) return std::string(field_text(r->name));
    return std::string(text_in(english, Txt::kNotInList));
}

std::optional<int> status_number(std::string_view text, Prompts& prompts, bool english) {
    if (text.find_first_not_of(' ') == std::string_view::npos) return 0;
    auto v = parse_integer_field(text);
    if (v && *v >= 0 && *v <= edit_limits::kStartNumberMax) return static_cast<int>(*v);
    prompts.message(
        range_message(text_in(english, Txt::kEdNumber), 0, edit_limits::kStartNumberMax, english));
    return std::nullopt;
}

bool apply_status(Competition& c, int number, int status, Prompts& prompts, bool english) {
    c.rebuild_number_index();
    Runner* r = c.runner_by_number(number);
    if (!r || status < 0 || status >= kStatusCount) {
        prompts.message(text_in(english, Txt::kNoRunnerWithNumber));
        return false;
    }
    r->status = static_cast<std::uint8_t>(status);
    if (status == kStatusDidNotStart) {
        auto& lines = c.tables.finish_lines;
        bool has_line = false;
        for (int i = 0; i < lines.capacity() && lines[i] && !has_line; ++i)
            has_line = lines[i]->start_number == number;
        if (!has_line) {
            int slot = c.new_record(kFinishLines);
            if (slot == kNoSlot) {
                prompts.message(table_full_message(kFinishLines, english));
            } else {
                FinishLine& line = *lines[slot];
                line.start_number = static_cast<std::int16_t>(number);
                line.set_time(kDay - 1);
                line.flags |= FinishLine::kFlagSent;
            }
        }
    }
    finish_data_changed(c);
    c.modified = true;
    return true;
}

bool restore_all_statuses(Competition& c, Prompts& prompts, bool english) {
    if (!prompts.ask_yes_no(text_in(english, Txt::kRestoreAllRunners))) return false;
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.used_end(); ++i)
        if (Runner* r = t[i]) r->status = 0;
    finish_data_changed(c);
    c.modified = true;
    return true;
}

// ---- join --------------------------------------------------------------------------------

namespace {

bool is_marked(const Club& r) {
    return r.marked != 0;
}
bool is_marked(const ClassRecord& r) {
    return r.marked();
}
void unmark(Club& r) {
    r.marked = 0;
}
void unmark(ClassRecord& r) {
    r.set_marked(false);
}

template <class R>
bool join_table(Competition& c, Table<R>& table, std::int16_t Runner::*ref, Prompts& prompts,
                bool english, Txt none_marked) {
    int target = kNoSlot;
    for (int i = 0; i < table.capacity() && table[i]; ++i)
        if (is_marked(*table[i])) {
            target = i;
            break;
        }
    if (target == kNoSlot) {
        prompts.message(text_in(english, none_marked));
    } else {
        std::int32_t target_id = table[target]->id;
        std::unordered_set<std::int32_t> marked_ids;
        for (int i = 0; i < table.capacity() && table[i]; ++i)
            if (is_marked(*table[i])) marked_ids.insert(table[i]->id);
        const auto& runners = c.tables.runners;
        for (int k = 0; k < runners.used_end(); ++k)
            if (Runner* r = runners[k]; r && marked_ids.count(r->*ref))
                r->*ref = static_cast<std::int16_t>(target_id);
    }
    c.recount_tables();
    // Records without runners are freed for good, then the table is closed up.
    int to = 0;
    for (int i = 0, end = table.used_end(); i < end; ++i) {
        if (!table[i]) continue;
        auto& s = table.slot(i);
        if (!s) continue;
        if (s->runner_count == 0) {
            s.reset();
            continue;
        }
        if (i != to) table.slot(to) = std::move(s);
        ++to;
    }
    c.recount_tables();
    finish_data_changed(c);  // runners moved to another class are placed there
    c.modified = true;
    if (prompts.ask_yes_no(text_in(english, Txt::kUnmarkQuestion)))
        for (int i = 0; i < table.capacity() && table[i]; ++i) unmark(*table[i]);
    return true;
}

}  // namespace

bool join_marked(Competition& c, RecordType type, Prompts& prompts, bool english) {
    if (type == kClubs) {
        if (!prompts.ask_yes_no(text_in(english, Txt::kJoinClubsQuestion))) return false;
        return join_table(c, c.tables.clubs, &Runner::club_id, prompts, english,
                          Txt::kNoClubMarked);
    }
    if (type == kClasses) {
        if (!prompts.ask_yes_no(text_in(english, Txt::kJoinClassesQuestion))) return false;
        return join_table(c, c.tables.classes, &Runner::class_id, prompts, english,
                          Txt::kNoClassMarked);
    }
    return false;
}

}  // namespace skarvel
