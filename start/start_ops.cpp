#include "start/start_ops.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/language.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

std::vector<Runner*> current_runners(const Competition& c) {
    std::vector<Runner*> out;
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.capacity() && t[i]; ++i) out.push_back(t[i]);
    return out;
}

std::vector<Runner*> all_runners(const Competition& c) {
    std::vector<Runner*> out;
    const auto& t = c.tables.runners;
    for (int i = 0; i < t.capacity(); ++i)
        if (Runner* r = t[i]) out.push_back(r);
    return out;
}

namespace {

// Puts a permutation of the current runners back into slots 0..n-1.
void reorder_current(Competition& c, const std::vector<Runner*>& order) {
    auto& t = c.tables.runners;
    std::unordered_map<Runner*, std::unique_ptr<Runner>> owned;
    for (std::size_t i = 0; i < order.size(); ++i) {
        auto& s = t.slot(static_cast<int>(i));
        Runner* p = s.get();
        owned.emplace(p, std::move(s));
    }
    for (std::size_t i = 0; i < order.size(); ++i)
        t.slot(static_cast<int>(i)) = std::move(owned.at(order[i]));
}

std::int32_t wrap32(std::int64_t v) {
    return static_cast<std::int32_t>(v);
}

}  // namespace

void arrange_runners(Competition& c, const std::vector<Runner*>& current,
                     const std::vector<Runner*>& parked) {
    auto& t = c.tables.runners;
    std::unordered_map<Runner*, std::unique_ptr<Runner>> owned;
    std::vector<Runner*> slot_order;
    for (int i = 0; i < t.capacity(); ++i)
        if (t.slot(i)) {
            slot_order.push_back(t.slot(i).get());
            owned.emplace(t.slot(i).get(), std::move(t.slot(i)));
        }
    int front = 0;
    for (Runner* r : current) {
        auto it = owned.find(r);
        if (it == owned.end() || !it->second) continue;
        t.slot(front++) = std::move(it->second);
    }
    int back = t.capacity() - 1;
    auto park = [&](Runner* r) {
        auto it = owned.find(r);
        if (it == owned.end() || !it->second) return;
        t.slot(back--) = std::move(it->second);
    };
    for (Runner* r : parked) park(r);
    // A runner named in neither list is parked too rather than lost.
    for (Runner* r : slot_order) park(r);
    c.view.top[kRunners] = 0;
    c.view.cursor[kRunners] = 0;
}

// --- F4 ---------------------------------------------------------------------------------

bool confirm_finish_lines_follow(const Competition& c,
                                 const std::vector<std::pair<const Runner*, int>>& changes,
                                 Prompts& prompts) {
    // Lines are counted once per number that changes hands: a number given up, or a number
    // taken over whose lines now belong to another runner.
    std::vector<std::uint8_t> moving(kNumberIndexSize, 0);
    for (auto [r, to] : changes) {
        int from = r->start_number;
        if (from == to) continue;
        if (from > 0 && from < kNumberIndexSize) moving[from] = 1;
        if (to > 0 && to < kNumberIndexSize) moving[to] = 1;
    }
    int lines = 0;
    const auto& t = c.tables.finish_lines;
    for (int i = 0; i < t.used_end() && t[i]; ++i) {
        int n = t[i]->start_number;
        if (n > 0 && n < kNumberIndexSize && moving[n]) ++lines;
    }
    if (lines == 0) return true;
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  std::string(prompts.text(Txt::kFinishLinesFollowNumbers)).c_str(), lines);
    return prompts.ask_yes_no_captioned(buf, prompts.text(Txt::kAttention));
}

NumberingResult assign_numbers(Competition& c, const NumberingOptions& o, Prompts& prompts) {
    c.info.numbering_first = static_cast<std::uint16_t>(o.first);
    c.info.numbering_step = static_cast<std::uint16_t>(o.step);
    std::vector<Runner*> runners = current_runners(c);
    if (runners.empty()) return NumberingResult::NoRunners;

    // The 16-bit step as a signed delta: a typed -1 is stored as 65535 and counts down.
    const int first = c.info.numbering_first;
    const int delta = static_cast<std::int16_t>(c.info.numbering_step);
    const long last = first + static_cast<long>(delta) * static_cast<long>(runners.size() - 1);
    const bool clearing = first == 0 && delta == 0;
    auto usable = [](long n) { return n >= kFirstUsableNumber && n <= kLastUsableNumber; };
    if (!clearing && (!usable(first) || !usable(last))) {
        char buf[200];
        std::snprintf(buf, sizeof buf, std::string(prompts.text(Txt::kNumbersOutOfRange)).c_str(),
                      usable(first) ? last : static_cast<long>(first));
        prompts.message(buf);
        return NumberingResult::OutOfRange;
    }
    {
        std::vector<std::pair<const Runner*, int>> changes;
        int n = first;
        for (Runner* r : runners) {
            changes.emplace_back(r, n & 0xFFFF);
            n += delta;
        }
        if (!confirm_finish_lines_follow(c, changes, prompts)) return NumberingResult::Declined;
    }
    for (Runner* r : runners) {
        r->start_number = c.info.numbering_first;
        c.info.numbering_first =
            static_cast<std::uint16_t>(c.info.numbering_first + c.info.numbering_step);
    }
    finish_data_changed(c);
    c.modified = true;
    return NumberingResult::Done;
}

// --- F5 ---------------------------------------------------------------------------------

StartTimeOptions start_time_options_from_text(std::string_view first, std::string_view step,
                                              int group_size) {
    return {parse_time_text(first), parse_time_text(step), group_size};
}

void assign_start_times(Competition& c, const StartTimeOptions& o) {
    c.info.start_time_first = o.first;
    c.info.start_time_step = o.step;
    const int n = std::clamp(o.group_size, 1, 1000);
    int in_group = 0;
    for (Runner* r : current_runners(c)) {
        r->start_time = c.info.start_time_first;
        if (++in_group == n) {
            in_group = 0;
            c.info.start_time_first =
                wrap32(std::int64_t(c.info.start_time_first) + c.info.start_time_step);
        }
    }
    finish_data_changed(c);
    c.modified = true;
}

// --- the draw ---------------------------------------------------------------------------

bool spread_clubs(std::vector<Runner*>& v) {
    const int n = static_cast<int>(v.size());
    auto club = [&](int i) { return v[i]->club_id; };
    // Forward: a runner of the same club as the one before is swapped for the next runner
    // further down of another club.
    // When a search finds no other club, everything from j on is one club, and every later
    // search would fail as well: the pass ends there (same order, without quadratic time).
    for (int j = 1; j < n; ++j) {
        if (club(j) != club(j - 1) || j + 1 >= n) continue;
        int k = j + 1;
        while (k < n && club(k) == club(j)) ++k;
        if (k == n) break;
        std::rotate(v.begin() + j, v.begin() + k, v.begin() + k + 1);
    }
    // Backward: what the forward pass left at the end is fetched from further up. A failed
    // search means positions 0..i+1 are one club, so no later search can succeed either.
    for (int i = n - 2; i >= 0; --i) {
        if (club(i) != club(i + 1)) continue;
        int k = i;
        while (k >= 0 && club(k) == club(i + 1)) --k;
        if (k < 0) break;
        std::rotate(v.begin() + k, v.begin() + k + 1, v.begin() + i + 1);
    }
    for (int i = 1; i < n; ++i)
        if (club(i) == club(i - 1)) return false;
    return true;
}

bool draw_start_order(Competition& c, const DrawOptions& o, Rand15& rand15, Prompts& prompts) {
    c.info.draw_subset = static_cast<std::uint8_t>(o.subset);
    c.info.draw_by_heat = o.by_heat ? 1 : 0;
    c.info.draw_by_club = o.by_club ? 1 : 0;
    c.modified = true;

    std::vector<Runner*> order = current_runners(c);
    // Heats can be any 32-bit value; the key is kept wide so a large heat cannot overflow.
    std::unordered_map<const Runner*, std::int64_t> key;
    for (Runner* r : order) {
        std::int64_t k = rand15.next();
        if (o.by_heat) k += std::int64_t(r->heat_or_leg) * 1000000;
        r->draw_key = wrap32(k);
        key[r] = k;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](const Runner* a, const Runner* b) { return key[a] < key[b]; });
    bool apart = true;
    if (o.by_club) apart = spread_clubs(order);
    reorder_current(c, order);
    if (!apart) prompts.message(prompts.text(Txt::kClubsApartFailed));
    return apart;
}

// --- shift and truncation ---------------------------------------------------------------

void shift_start_times(Competition& c, const ShiftOptions& o) {
    for (Runner* r : current_runners(c))
        r->start_time = wrap32(std::int64_t(r->start_time) +
                               (o.subtract ? -std::int64_t(o.interval) : std::int64_t(o.interval)));
    finish_data_changed(c);
    c.modified = true;
}

bool truncate_start_seconds(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no_captioned(prompts.text(Txt::kTruncateSecondsQuestion),
                                      prompts.text(Txt::kStartChangeCaption)))
        return false;
    for (Runner* r : current_runners(c)) r->start_time = r->start_time / 100 / 60 * 6000;
    finish_data_changed(c);
    c.modified = true;
    return true;
}

// --- whole-table operations -------------------------------------------------------------

bool copy_result_to_start(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no_captioned(prompts.text(Txt::kCopyResultToStartQuestion), ""))
        return false;
    c.rebuild_number_index();
    c.recompute_finish_results();
    for (Runner* r : all_runners(c)) r->start_time = r->result;
    finish_data_changed(c);
    c.modified = true;
    return true;
}

int assign_heat_by_numbers(Competition& c, const HeatRangeOptions& o) {
    int count = 0;
    for (Runner* r : all_runners(c))
        if (o.from <= r->start_number && r->start_number <= o.to) {
            r->heat_or_leg = o.heat;
            ++count;
            c.modified = true;
        }
    return count;
}

std::string runner_name_for_number(const Competition& c, int number) {
    const Runner* r = c.runner_by_number(number);
    return r ? std::string(field_text(r->name)) : std::string();
}

bool change_start_number(Competition& c, const RenumberOptions& o, Prompts& prompts) {
    c.rebuild_number_index();
    Runner* r = c.runner_by_number(o.old_number);
    bool done = false;
    if (!r) {
        prompts.message(prompts.text(Txt::kNoRunnerWithNumber));
    } else if (o.new_number < 0 || o.new_number > kLastUsableNumber) {
        prompts.message(prompts.text(Txt::kNumberOutOfRange));
    } else if (confirm_finish_lines_follow(c, {{r, o.new_number}}, prompts)) {
        r->start_number = static_cast<std::uint16_t>(o.new_number);
        c.modified = true;
        done = true;
    }
    finish_data_changed(c);
    return done;
}

bool check_duplicate_numbers(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no_captioned(prompts.text(Txt::kCheckDoubleNumbersQuestion),
                                      prompts.text(Txt::kCheckCaption)))
        return false;
    std::vector<Runner*> runners = all_runners(c);
    std::vector<int> count(65536, 0);
    bool any = false;
    for (Runner* r : runners)
        if (r->start_number != 0 && ++count[r->start_number] > 1) any = true;
    if (!any) {
        prompts.message(prompts.text(Txt::kNoDoubleNumbers));
        return false;
    }
    if (!prompts.ask_yes_no_captioned(prompts.text(Txt::kShowDoubleNumbersQuestion),
                                      prompts.text(Txt::kErrorCaption)))
        return false;
    std::stable_sort(runners.begin(), runners.end(), [](const Runner* a, const Runner* b) {
        return a->start_number < b->start_number;
    });
    std::vector<Runner*> doubled, others;
    for (Runner* r : runners)
        (r->start_number != 0 && count[r->start_number] > 1 ? doubled : others).push_back(r);
    arrange_runners(c, doubled, others);
    return true;
}

bool card_number_to_start_number(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no_captioned(prompts.text(Txt::kCardToNumberQuestion),
                                      prompts.text(Txt::kAttention)))
        return false;
    auto from_card = [](const Runner* r) {
        return r->card_number > 0 ? r->card_number % 10000 : 0;
    };
    {
        std::vector<std::pair<const Runner*, int>> changes;
        for (Runner* r : current_runners(c)) changes.emplace_back(r, from_card(r));
        if (!confirm_finish_lines_follow(c, changes, prompts)) return false;
    }
    for (Runner* r : current_runners(c)) r->start_number = static_cast<std::uint16_t>(from_card(r));
    // The numbers changed, so the competition must be saved (and the index follow).
    c.modified = true;
    c.rebuild_number_index();
    if (prompts.ask_yes_no_captioned(prompts.text(Txt::kCutToThreeDigitsQuestion),
                                     prompts.text(Txt::kAttention))) {
        for (Runner* r : current_runners(c)) r->start_number = r->start_number % 1000;
    }
    finish_data_changed(c);
    return true;
}

int apply_to_marked(Competition& c, const BulkOptions& o) {
    c.info.bulk_class_id = o.class_id;
    c.info.bulk_club_id = o.club_id;
    c.info.bulk_heat = static_cast<std::int16_t>(o.heat);
    c.info.bulk_clear_mark = o.clear_mark ? 1 : 0;
    c.info.filter_class_id = 0;
    c.info.filter_club_id = 0;
    int count = 0;
    for (Runner* r : all_runners(c)) {
        if (!r->marked) continue;
        if (c.info.bulk_class_id != 0) r->class_id = c.info.bulk_class_id;
        if (c.info.bulk_club_id != 0) r->club_id = c.info.bulk_club_id;
        if (c.info.bulk_heat != 0) r->heat_or_leg = c.info.bulk_heat & 0xFF;
        if (c.info.bulk_clear_mark) r->marked = 0;
        ++count;
    }
    finish_data_changed(c);  // a new class places the runners there
    c.modified = true;
    return count;
}

int next_status_on_f4(int status) {
    if (status == 0) return 1;
    if (status >= 1 && status <= 6) return 7;
    if (status == 7) return 8;
    if (status == 8) return 0;
    return status;
}

bool cycle_finish_status(Competition& c, int finish_slot) {
    const FinishLine* line = c.tables.finish_lines[finish_slot];
    if (!line) return false;
    c.rebuild_number_index();
    Runner* r = c.runner_by_number(line->start_number);
    if (!r) return false;
    r->status = static_cast<std::uint8_t>(next_status_on_f4(r->status));
    finish_data_changed(c);
    c.modified = true;
    return true;
}

}  // namespace skarvel
