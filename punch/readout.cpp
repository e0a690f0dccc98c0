#include "punch/readout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/language.h"
#include "core/time_text.h"
#include "punch/check_punches.h"

namespace skarvel {

using namespace skarvel::literals;

Runner* runner_by_card(const Competition& c, std::int32_t card_number) {
    // Runners without a card hold 0; a card reading as 0 must not be given to one of them.
    if (card_number == 0) return nullptr;
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.capacity(); ++i)
        if (Runner* r = t[i]; r && r->card_number == card_number) return r;
    return nullptr;
}

namespace {

// A finish line for the reader: the line after the last one in use, reused when present,
// otherwise appended. kNoSlot when the table is full. In a shared competition only this
// computer's lines count: lines another computer prepared are filled there.
int finish_line_after_last(Competition& c) {
    auto& t = c.tables.finish_lines;
    int next = c.live.last_finish_line() + 1;
    while (t[next] && t[next]->row.foreign) ++next;
    if (t[next]) return next;
    return c.new_record(kFinishLines);
}

std::int32_t card_finish_time(const CardReadout& card, int finish_source) {
    if (finish_source == kSourcePunch) {
        int n = card.held_punches();
        return n > 0 ? card.punches[n - 1].time : 0;
    }
    return card.finish.time;
}

// The result the card gives its owner; without a finish on the card, the owner's result from
// the finish list (kept fresh by finish_data_changed).
std::int32_t card_result(const Competition& c, const Runner& owner, std::int32_t card_finish) {
    if (card_finish == 0) return owner.status == kStatusOk ? owner.result : 0;
    std::int64_t result = std::int64_t(card_finish) - owner.start_time;
    if (c.info.competition_kind == kKindMarkedMinutes)
        result += std::int64_t(owner.penalty) * kCentisPerMinute;
    return static_cast<std::int32_t>(result);
}

void compose_check_message(std::string& text, int mode, const LanguageTable& lang) {
    switch (mode) {
        case 0:
            text = lang.text(Txt::kCheckNotDone);
            break;
        case 1:
            text = lang.text(Txt::kCheckedByCourse);
            break;
        case 2:
            text = lang.text(Txt::kCheckedByNumber);
            break;
        case 3:
            text = lang.text(Txt::kCheckedCount);
            break;
        default:
            text.clear();
            break;
    }
}

}  // namespace

ReadoutOutcome process_card(Competition& c, const CardReadout& read, const PunchSettings& s,
                            ReadoutState& state, Prompts& prompts, const ReadoutHooks& hooks) {
    ReadoutOutcome out;
    CardReadout card = read;
    c.modified = true;

    // 1. Store the readout.
    int existing = s.labyrinth_mode ? kNoSlot : c.live.readout_of_card(card.card_number);
    if (existing == kNoSlot) {
        int slot = c.new_record(kCardReadouts);
        if (slot == kNoSlot) {
            prompts.message(prompts.text(Txt::kNoMemoryForCards));
        } else {
            if (s.labyrinth_mode) {
                int n = slot + 1;
                card.card_number = n;
                int rs = c.new_record(kRunners);
                if (rs == kNoSlot) {
                    prompts.message(prompts.text(Txt::kNoMemoryForRecord));
                } else {
                    Runner* r = c.tables.runners[rs];
                    r->start_number = static_cast<std::uint16_t>(n);
                    r->card_number = n;
                    r->id = n;
                    set_field_text(r->name, ".");
                    r->class_id = 0;
                    r->club_id = 0;
                    if (n < kNumberIndexSize) c.number_index[n] = r;
                }
            }
            *c.tables.card_readouts[slot] = card;
            c.live.note_readout_added(slot);
            out.readout_slot = slot;
        }
    } else {
        out.reread = true;
        out.readout_slot = existing;
        if (s.warnings) prompts.message(prompts.text(Txt::kCardReadBefore));
        CardReadout& stored = *c.tables.card_readouts[existing];
        if (s.append_on_reread) {
            stored.punch_count = stored.held_punches();
            int n = card.held_punches();
            for (int k = 0; k < n && stored.punch_count < CardReadout::kMaxPunches; ++k)
                stored.punches[stored.punch_count++] = card.punches[k];
            stored.finish = card.finish;
        } else {
            stored = card;
        }
    }

    // 2. The owner.
    Runner* owner = c.live.owner_of_card(card.card_number);
    // Results, counts and places are brought up to date for the runner who holds the
    // owner's number once the card is through (RunnerUpdate), not recomputed for everyone. A
    // runner made by the labyrinth mode or a card number given to one changes more than that.
    bool everything = s.labyrinth_mode;
    if (!owner && s.ask_owner_number) {
        auto typed = prompts.ask_text("Finish time", std::to_string(state.last_typed_number));
        if (typed) {
            std::string text = typed->substr(0, 11);
            state.last_typed_number = std::atoi(text.c_str());
            if (Runner* r = c.runner_by_number(state.last_typed_number)) {
                r->card_number = card.card_number;
                owner = r;
                everything = true;
            }
        }
    }
    if (!owner) {
        if (everything) finish_data_changed(c);
        if (s.warnings) prompts.message(prompts.text(Txt::kOwnerNotFound));
        if (s.print_on_read && hooks.print_split) hooks.print_split(nullptr, card);
        return out;
    }
    out.owner = owner;
    RunnerUpdate update(c, owner->start_number);
    if (everything) update.touch_everything();

    // 3. Start time.
    if (s.start_source == kSourceStation)
        owner->start_time = card.start.time;
    else if (s.start_source == kSourcePunch)
        owner->start_time = card.punches[0].time;

    // The finish this card gives, and the result that follows from it: what the time limit
    // is decided on (not the owner's result from before this card).
    const std::int32_t card_finish = card_finish_time(card, s.finish_source);

    // 4. Punch check.
    const int mode = effective_check_mode(s.check_mode);
    compose_check_message(out.message, mode, prompts.lang());
    if (card_finish != 0 && owner->status == kStatusDidNotStart) {
        // A card with a finish proves the start (the check below may still disqualify).
        owner->status = kStatusOk;
        out.start_proved = true;
        std::string_view text = prompts.text(Txt::kStartProvedByCard);
        out.message += text;
        out.message += "\r\n";
        if (s.warnings) prompts.message(text);
    }
    switch (mode) {
        case kCheckNone:
            break;
        case kCheckThread:
        case kCheckNumberThread:
            out.checked = true;
            out.check_result = check_punches(c, *owner, card, s, prompts);
            owner->penalty = static_cast<std::uint16_t>(out.check_result * s.penalty_per_miss);
            break;
        default: {
            out.checked = true;
            int r = check_punches(c, *owner, card, s, prompts);
            out.check_result = r;
            if (r != 0) {
                out.message += prompts.text(Txt::kPunchOk);
                if (s.penalty_per_miss != 0)
                    owner->penalty = r == 1 ? 0 : static_cast<std::uint16_t>(r);
                if (s.limit_disqualify) {
                    const ClassRecord* cls = c.live.klass(owner->class_id);
                    const Course* course = cls ? c.live.course(cls->course_id) : nullptr;
                    if (over_course_time_limit(course, card_result(c, *owner, card_finish))) {
                        if (s.warnings) prompts.message(prompts.text(Txt::kOverTimeLimit));
                        owner->status = kStatusOverTime;
                    }
                }
            } else {
                out.message += prompts.text(Txt::kPunchBad);
                if (s.warnings) prompts.message(out.message);
                owner->status = kStatusWrongPunch;
            }
            break;
        }
    }

    // 5. Finish line.
    if (s.finish_source == kSourceStation || s.finish_source == kSourcePunch) {
        int slot = finish_line_after_last(c);
        if (slot == kNoSlot) {
            prompts.message(prompts.text(Txt::kNoMemoryForFinish));
        } else {
            FinishLine& line = *c.tables.finish_lines[slot];
            std::int32_t time = 0;
            if (s.finish_source == kSourceStation) {
                time = card.finish.time;
            } else {
                // A card without punches has no last punch: the line keeps no time.
                int n = card.held_punches();
                time = n > 0 ? card.punches[n - 1].time : 0;
            }
            // A reused prepared line keeps its marks (sent, posted, the operator's flag):
            // only the number and the time are this card's.
            line.start_number = static_cast<std::int16_t>(owner->start_number);
            line.set_time(time);
            c.live.note_finish_line_written(slot);
            // The line counts for the runner of its number (after the int16 it is stored in).
            if (line.start_number == static_cast<int>(owner->start_number))
                update.line_appended(time);
            else
                update.touch_everything();
            out.finish_slot = slot;
        }
    } else if (hooks.send_unsent_finish_lines) {
        hooks.send_unsent_finish_lines();
    }

    update.commit();

    // 6. Printing.
    if (s.print_on_read) {
        if (hooks.print_split) {
            hooks.print_split(owner, card);
            if (owner->status != kStatusOk && s.second_copy_on_bad) hooks.print_split(owner, card);
        }
    }

    // 7. The finish client.
    if (out.finish_slot != kNoSlot && hooks.send_finish_line)
        hooks.send_finish_line(out.finish_slot);
    return out;
}

int recheck_readout(Competition& c, int readout_slot, const PunchSettings& s, Prompts& prompts,
                    const ReadoutHooks& hooks) {
    const CardReadout* card = c.tables.card_readouts[readout_slot];
    if (!card) return -1;
    Runner* owner = runner_by_card(c, card->card_number);
    if (!owner) {
        if (s.warnings) prompts.message(prompts.text(Txt::kOwnerNotFound));
        return -1;
    }
    int r = check_punches(c, *owner, *card, s, prompts);
    finish_data_changed(c);  // the carousel check may change name, status and class
    char buf[32];
    std::snprintf(buf, sizeof buf, "Check_cp=%d", r);
    prompts.message(buf);
    if (s.print_on_read && hooks.print_split) hooks.print_split(owner, *card);
    return r;
}

MemoryRecordOutcome store_memory_record(Competition& c, std::int32_t card_number, std::int32_t time,
                                        Prompts& prompts) {
    MemoryRecordOutcome out;
    c.modified = true;
    int slot = c.new_record(kCardReadouts);
    if (slot == kNoSlot) {
        prompts.message(prompts.text(Txt::kNoMemoryForCards));
    } else {
        CardReadout& r = *c.tables.card_readouts[slot];
        r.card_number = card_number;
        r.finish.time = time;
        out.readout_slot = slot;
    }
    auto& lines = c.tables.finish_lines;
    for (int i = 0; i < lines.capacity(); ++i) {
        FinishLine* line = lines[i];
        if (!line) {
            int fs = c.new_record(kFinishLines);
            if (fs == kNoSlot) break;
            const Runner* owner = runner_by_card(c, card_number);
            lines[fs]->start_number = static_cast<std::int16_t>(owner ? owner->start_number : 0);
            lines[fs]->set_time(time);
            out.finish_slot = fs;
            break;
        }
        if (line->time() == 0 && line->flags == 0) {
            line->set_time(time);
            out.finish_slot = i;
            break;
        }
    }
    finish_data_changed(c);
    return out;
}

}  // namespace skarvel
