#include "punch/card_corrections.h"

#include <algorithm>
#include <unordered_map>

#include "core/finish_results.h"
#include "core/time_text.h"

namespace skarvel {

namespace {

constexpr std::uint16_t kPenaltyWithoutCard = 60;

// The readouts in table order up to the first empty slot.
template <class F>
void for_each_readout(Competition& c, F&& f) {
    for (int i = 0; i < c.tables.card_readouts.capacity(); ++i) {
        CardReadout* r = c.tables.card_readouts[i];
        if (!r) break;
        f(*r);
    }
}

template <class F>
void for_each_runner(Competition& c, F&& f) {
    for (int i = 0; i < c.tables.runners.capacity(); ++i)
        if (Runner* r = c.tables.runners[i]) f(*r);
}

// Unrolls one time of day against the competition's start (12-hour cards); 0 stays 0.
void unroll(std::int32_t& t, std::int32_t competition_start) {
    if (t != 0 && t < competition_start) t += kTwelveHours;
}

void unroll_readout(CardReadout& r, std::int32_t competition_start) {
    unroll(r.finish.time, competition_start);
    unroll(r.start.time, competition_start);
    const int n = r.held_punches();
    if (n > 0) unroll(r.punches[0].time, competition_start);
    for (int j = 1; j < n; ++j) {
        std::int32_t& t = r.punches[j].time;
        if (t == 0) continue;
        unroll(t, competition_start);
        const std::int32_t before = r.punches[j - 1].time;
        if (before != 0 && t - before > kTwelveHours) t -= kTwelveHours;
    }
}

}  // namespace

void set_all_penalties(Competition& c, int value) {
    const auto v = static_cast<std::uint16_t>(std::clamp(value, 0, kPenaltyMax));
    for_each_runner(c, [v](Runner& r) { r.penalty = v; });
    finish_data_changed(c);
}

int penalties_from_readouts(Competition& c, int control, int min_interval_s) {
    for_each_runner(c, [](Runner& r) { r.penalty = kPenaltyWithoutCard; });
    // Runners by card number, so the readouts are walked once.
    std::unordered_multimap<std::int32_t, Runner*> by_card;
    for_each_runner(c, [&by_card](Runner& r) { by_card.emplace(r.card_number, &r); });
    int counted = 0;
    for_each_readout(c, [&](CardReadout& card) {
        int penalty = 0;
        std::int32_t t0 = 0;
        for (int j = 0; j < card.held_punches(); ++j) {
            const Punch& p = card.punches[j];
            if (p.code != control) continue;
            const auto gap = static_cast<std::uint32_t>(p.time - t0) / 100;
            if (gap > static_cast<std::uint32_t>(std::max(min_interval_s, 0))) ++penalty;
            t0 = p.time;
        }
        auto [from, to] = by_card.equal_range(card.card_number);
        for (auto it = from; it != to; ++it) {
            it->second->penalty = static_cast<std::uint16_t>(std::min(penalty, kPenaltyMax));
            ++counted;
        }
    });
    finish_data_changed(c);
    return counted;
}

PenaltyEntry enter_penalty(Competition& c, int start_number, int penalty) {
    c.rebuild_number_index();
    c.count_finish_lines();
    Runner* r = c.runner_by_number(start_number);
    if (!r) return PenaltyEntry::kNoRunner;
    r->penalty = static_cast<std::uint16_t>(std::clamp(penalty, 0, kPenaltyMax));
    finish_data_changed(c);
    const bool finished = start_number < static_cast<int>(c.finish_count_by_number.size()) &&
                          c.finish_count_by_number[static_cast<std::size_t>(start_number)] > 0;
    return finished ? PenaltyEntry::kSet : PenaltyEntry::kSetNoFinishLine;
}

std::optional<std::int32_t> parse_time_shift(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789:") != std::string_view::npos ||
        std::count(text.begin(), text.end(), ':') > 2 || text.size() > 10)
        return std::nullopt;
    const std::int32_t t = parse_time_text(text);
    if (t < 0 || t > kTwelveHours * 2) return std::nullopt;
    return negative ? -t : t;
}

int shift_control_times(Competition& c, int control, std::int32_t shift) {
    int shifted = 0;
    const std::int32_t start = c.info.competition_start;
    for_each_readout(c, [&](CardReadout& card) {
        for (int j = 0; j < card.held_punches(); ++j) {
            Punch& p = card.punches[j];
            if (p.code != control) continue;
            p.time += shift;
            ++shifted;
        }
        unroll_readout(card, start);
    });
    finish_data_changed(c);
    return shifted;
}

int remove_control_punches(Competition& c, int control) {
    int removed = 0;
    for_each_readout(c, [&](CardReadout& card) {
        int n = card.held_punches();
        int kept = 0;
        for (int j = 0; j < n; ++j)
            if (card.punches[j].code != control) card.punches[kept++] = card.punches[j];
        for (int j = kept; j < n; ++j) card.punches[j] = Punch{};
        removed += n - kept;
        if (kept != n) card.punch_count = kept;
    });
    finish_data_changed(c);
    return removed;
}

}  // namespace skarvel
