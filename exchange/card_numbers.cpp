#include "exchange/card_numbers.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/leading_integer.h"
#include "core/text_format.h"
#include "core/text_lines.h"
#include "core/time_text.h"
#include "exchange/table_appender.h"
#include "platform/file_messages.h"
#include "punch/finish_list.h"
#include "results/report_output.h"

namespace skarvel {

namespace {

constexpr int kMaxStartNumber = 29999;

// The decimal number at the start of a text (blanks before it allowed, no sign); nullopt when
// the text does not start with digits or the number does not fit 31 bits.
std::optional<std::int32_t> leading_number(std::string_view s) {
    std::optional<long long> n = leading_integer(s, false);
    if (!n || *n > 0x7FFFFFFF) return std::nullopt;
    return static_cast<std::int32_t>(*n);
}

std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> out;
    for (;;) {
        std::size_t semi = line.find(';');
        out.push_back(line.substr(0, semi));
        if (semi == std::string_view::npos) return out;
        line.remove_prefix(semi + 1);
    }
}

bool serves(const Runner& r, bool own_cards_too) {
    return own_cards_too || !(r.fee_flags & Runner::kFeeOwnCard);
}

// The runners of the current list (slots up to the first empty one).
template <class F>
void for_each_current_runner(Competition& c, F&& f) {
    for (int i = 0; i < c.tables.runners.capacity(); ++i) {
        Runner* r = c.tables.runners[i];
        if (!r) break;
        f(*r);
    }
}

}  // namespace

int clear_card_numbers(Competition& c, bool own_cards_too) {
    int changed = 0;
    for_each_current_runner(c, [&](Runner& r) {
        if (!serves(r, own_cards_too) || r.card_number == 0) return;
        r.card_number = 0;
        ++changed;
    });
    return changed;
}

CardListOutcome assign_card_numbers(Competition& c, std::string_view list, bool own_cards_too) {
    std::vector<std::string_view> lines;
    for_each_line(list, [&lines](std::string_view l) { lines.push_back(l); });
    CardListOutcome out;
    std::size_t next = 0;
    for_each_current_runner(c, [&](Runner& r) {
        if (out.ran_out || !serves(r, own_cards_too)) return;
        if (next >= lines.size()) {
            out.ran_out = true;
            return;
        }
        r.card_number = leading_number(lines[next++]).value_or(0);
        r.fee_flags &= static_cast<std::uint8_t>(~Runner::kFeeOwnCard);
        ++out.numbers_read;
    });
    return out;
}

std::string number_card_pairs(const Competition& c) {
    std::string out;
    for (int i = 0; i < c.tables.runners.used_end(); ++i) {
        const Runner* r = c.tables.runners[i];
        if (r && r->start_number != 0 && r->card_number != 0)
            out += strf("%d %d\r\n", int(r->start_number), int(r->card_number));
    }
    return out;
}

PairsOutcome import_number_card(Competition& c, std::string_view text) {
    c.rebuild_number_index();
    PairsOutcome out;
    for_each_line(text, [&](std::string_view line) {
        if (line.find_first_not_of(" \t") == std::string_view::npos) return;
        // "%d %d": any white space (a spreadsheet's tab) between the two, a sign allowed.
        std::size_t i = 0;
        std::optional<long long> number = scan_integer(line, i);
        std::optional<long long> card = number ? scan_integer(line, i) : std::nullopt;
        Runner* r = number && card && *number >= 1 && *number <= kMaxStartNumber && *card >= 0 &&
                            *card <= 0x7FFFFFFF
                        ? c.runner_by_number(static_cast<int>(*number))
                        : nullptr;
        if (!r) {
            ++out.skipped;
            return;
        }
        r->card_number = static_cast<std::int32_t>(*card);
        ++out.assigned;
    });
    return out;
}

CardContentOutcome import_station_csv(Competition& c, std::string_view text) {
    struct Row {
        std::int32_t card;
        std::int32_t time;
        std::string_view control;
    };
    CardContentOutcome out;
    std::vector<Row> rows;
    for_each_line(text, [&](std::string_view line) {
        std::vector<std::string_view> f = fields_of(line);
        std::optional<std::int32_t> card = leading_number(f[0]);
        if (f.size() < 2 || !card) {
            if (!line.empty()) ++out.lines_skipped;
            return;
        }
        std::string_view control = f.size() >= 3 ? f[2] : std::string_view();
        while (!control.empty() && control.front() == ' ') control.remove_prefix(1);
        rows.push_back({*card, parse_time_text(f[1]), control});
    });

    // The file's readouts, built aside: nothing is added unless the whole import fits.
    std::vector<CardReadout> added;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        if (i == 0 || row.card != rows[i - 1].card) added.emplace_back().card_number = row.card;
        CardReadout& card = added.back();
        const char kind = row.control.empty() ? '\0' : row.control.front();
        if (kind == 'F' || kind == 'f') {
            card.finish.time = row.time;
        } else if (kind == 'S' || kind == 's') {
            card.start.time = row.time;
        } else if (std::optional<std::int32_t> code = leading_number(row.control);
                   code && *code > 0 && *code <= 255 &&
                   card.punch_count < CardReadout::kMaxPunches) {
            Punch& p = card.punches[card.punch_count++];
            p.code = static_cast<std::uint8_t>(*code);
            p.time = row.time;
        }
    }
    Appender<CardReadout> readouts(c.tables.card_readouts);
    if (static_cast<int>(added.size()) > readouts.room()) {
        out.refused = true;
        out.full_table = kCardReadouts;
        return out;
    }

    // Every readout of the table (up to the first empty slot) and of the file gives each owner
    // of its card a finish line at its finish time, except where the owner has a line at that
    // time already: a readout that made its line before (an earlier import, the station) would
    // otherwise count another lap. A readout of before without a finish time makes none.
    std::unordered_multimap<std::int32_t, Runner*> owners;
    for (int i = 0; i < c.tables.runners.used_end(); ++i)
        if (Runner* r = c.tables.runners[i]; r && r->card_number != 0)
            owners.emplace(r->card_number, r);
    auto key = [](int number, std::int32_t time) {
        return (std::uint64_t(std::uint16_t(number)) << 32) | std::uint32_t(time);
    };
    std::unordered_set<std::uint64_t> lines_held;
    for (int i = 0; i < c.tables.finish_lines.capacity() && c.tables.finish_lines[i]; ++i)
        lines_held.insert(
            key(c.tables.finish_lines[i]->start_number, c.tables.finish_lines[i]->time()));
    struct NewLine {
        Runner* owner;
        const CardReadout* readout;
    };
    std::vector<NewLine> planned;
    auto plan = [&](const CardReadout& r, bool from_file) {
        auto [from, to] = owners.equal_range(r.card_number);
        if (from == to && from_file) out.unknown_cards.push_back(r.card_number);
        if (!from_file && r.finish.time == 0) return;
        for (auto it = from; it != to; ++it)
            if (lines_held.insert(key(it->second->start_number, r.finish.time)).second)
                planned.push_back({it->second, &r});
    };
    const auto& table = c.tables.card_readouts;
    for (int i = 0; i < table.capacity() && table[i]; ++i) plan(*table[i], false);
    for (const CardReadout& r : added) plan(r, true);
    Appender<FinishLine> lines(c.tables.finish_lines);
    if (static_cast<int>(planned.size()) > lines.room()) {
        out.refused = true;
        out.full_table = kFinishLines;
        out.unknown_cards.clear();
        return out;
    }

    for (const CardReadout& r : added) {
        *readouts.add() = r;
        // The file's readouts give their owners its start time, lines made or not.
        if (r.start.time == 0) continue;
        auto [from, to] = owners.equal_range(r.card_number);
        for (auto it = from; it != to; ++it) it->second->start_time = r.start.time;
    }
    for (const NewLine& n : planned) {
        FinishLine* line = lines.add();
        line->start_number = static_cast<std::int16_t>(n.owner->start_number);
        line->set_time(n.readout->finish.time);
        if (n.readout->start.time != 0) n.owner->start_time = n.readout->start.time;
    }
    out.readouts = static_cast<int>(added.size());
    out.finish_lines = static_cast<int>(planned.size());
    finish_data_changed(c);
    return out;
}

CardContentOutcome import_vpconfig(Competition& c, std::string_view text) {
    constexpr std::size_t kCardField = 2, kStartField = 24, kFinishField = 27, kCountField = 28,
                          kFirstPunchField = 29;
    CardContentOutcome out;
    std::vector<std::vector<std::string_view>> rows;
    bool header = true;
    for_each_line(text, [&](std::string_view line) {
        if (std::exchange(header, false)) return;
        if (line.empty()) return;
        std::vector<std::string_view> f = fields_of(line);
        if (f.size() <= kCountField || !leading_number(f[kCardField])) {
            ++out.lines_skipped;
            return;
        }
        rows.push_back(std::move(f));
    });
    Appender<CardReadout> readouts(c.tables.card_readouts);
    if (static_cast<int>(rows.size()) > readouts.room()) {
        out.refused = true;
        out.full_table = kCardReadouts;
        return out;
    }
    for (const auto& f : rows) {
        CardReadout* r = readouts.add();
        r->card_number = *leading_number(f[kCardField]);
        r->start.time = parse_time_text(f[kStartField]);
        r->finish.time = parse_time_text(f[kFinishField]);
        int taken = 0;
        for (std::size_t k = kFirstPunchField; k + 2 < f.size() && taken < CardReadout::kMaxPunches;
             k += 3) {
            std::optional<std::int32_t> code = leading_number(f[k]);
            if (!code || *code > 255) break;  // the punch list of the line ends here
            r->punches[taken].code = static_cast<std::uint8_t>(*code);
            r->punches[taken].time = parse_time_text(f[k + 2]);
            ++taken;
        }
        r->punch_count = std::min(leading_number(f[kCountField]).value_or(0), taken);
        ++out.readouts;
    }
    return out;
}

}  // namespace skarvel

// --- The menu commands ------------------------------------------------------------------------

namespace skarvel {

namespace {

std::optional<std::string> read_chosen(Prompts& prompts, std::string_view filter,
                                       std::string_view suggested, std::string_view extension,
                                       std::size_t line_max, std::size_t max_lines) {
    std::optional<std::string> path = prompts.choose_open_file_named(filter, suggested, extension);
    if (!path) return std::nullopt;
    std::string text;
    if (!read_text_lines(*path, line_max, max_lines, text)) {
        prompts.message(prompts.text(Txt::kCannotReadFile));
        return std::nullopt;
    }
    return text;
}

bool card_content_command(Competition& c, Prompts& prompts, bool station) {
    const Txt ask = station ? Txt::kStationCsvAsk : Txt::kVpConfigAsk;
    if (!prompts.ask_yes_no(prompts.text(ask))) return false;
    std::optional<std::string> text =
        station ? read_chosen(prompts, prompts.text(Txt::kStationCsvFilter),
                              prompts.text(Txt::kStationCsvDefaultName), "csv", kStationCsvLineMax,
                              kStationCsvMaxLines)
                : read_chosen(prompts, prompts.text(Txt::kVpConfigFilter), "", "csv",
                              kVpConfigLineMax, kVpConfigMaxLines);
    if (!text) return false;
    CardContentOutcome out = station ? import_station_csv(c, *text) : import_vpconfig(c, *text);
    if (out.refused) {
        prompts.message(prompts.text(out.full_table == kFinishLines ? Txt::kNoRoomForFinishLines
                                                                    : Txt::kNoRoomForReadouts));
        return false;
    }
    if (!out.unknown_cards.empty()) {
        // One message for all of them: a file of a hundred strangers is not a hundred clicks.
        std::string list;
        for (std::int32_t card : out.unknown_cards)
            list += strf_view(prompts.text(Txt::kUnknownCard), int(card)) + "\n";
        prompts.message(list);
    }
    prompts.message(strf_view(prompts.text(Txt::kCardContentRead), out.readouts, out.finish_lines,
                              out.lines_skipped));
    return out.readouts > 0;
}

}  // namespace

bool clear_card_numbers_command(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no(prompts.text(Txt::kCardClearAsk))) return false;
    const bool own = prompts.ask_yes_no(prompts.text(Txt::kCardClearOwnAsk));
    return clear_card_numbers(c, own) > 0;
}

bool card_numbers_from_file_command(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no(prompts.text(Txt::kCardAssignAsk))) return false;
    const bool own = prompts.ask_yes_no(prompts.text(Txt::kCardAssignOwnAsk));
    std::optional<std::string> text = read_chosen(prompts, prompts.text(Txt::kCardListFilter), "vp",
                                                  "txt", kCardListLineMax, kCardListMaxLines);
    if (!text) return false;
    CardListOutcome out = assign_card_numbers(c, *text, own);
    prompts.message(out.ran_out ? std::string(prompts.text(Txt::kCardsRanOut))
                                : strf_view(prompts.text(Txt::kCardsRead), out.numbers_read));
    return out.numbers_read > 0;
}

bool export_number_card_command(const Competition& c, Prompts& prompts) {
    std::optional<std::string> path =
        choose_save_path(prompts, prompts.lang(), prompts.text(Txt::kPairsFilter),
                         prompts.text(Txt::kPairsDefaultName), "txt");
    if (!path) return false;
    if (!finish::write_file(*path, number_card_pairs(c))) {
        prompts.message(prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    return true;
}

bool import_number_card_command(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no(prompts.text(Txt::kPairsImportAsk))) return false;
    std::optional<std::string> text = read_chosen(prompts, prompts.text(Txt::kCardListFilter),
                                                  "txt", "txt", kPairsLineMax, kPairsMaxLines);
    if (!text) return false;
    PairsOutcome out = import_number_card(c, *text);
    prompts.message(strf_view(prompts.text(Txt::kPairsRead), out.assigned, out.skipped));
    return out.assigned > 0;
}

bool station_csv_command(Competition& c, Prompts& prompts) {
    return card_content_command(c, prompts, true);
}

bool vpconfig_command(Competition& c, Prompts& prompts) {
    return card_content_command(c, prompts, false);
}

}  // namespace skarvel
