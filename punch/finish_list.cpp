#include "punch/finish_list.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/atomic_file.h"
#include "core/cp1251.h"
#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/time_text.h"
#include "platform/file_messages.h"
#include "punch/check_punches.h"

namespace skarvel {

using namespace literals;

namespace {

std::string_view finish_filter(const Prompts& prompts) {
    return prompts.text(Txt::kFinishFileFilter);
}

// Splits data into lines as a bounded line reader sees them: each line keeps its line end;
// a line longer than `max` characters is cut there and its rest skipped.
template <class F>
void for_each_line(std::string_view data, std::size_t max, F&& f) {
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t nl = data.find('\n', pos);
        std::size_t end = nl == std::string_view::npos ? data.size() : nl + 1;
        std::string_view line = data.substr(pos, end - pos);
        if (line.size() > max) line = line.substr(0, max);
        pos = end;
        if (!f(line)) return;
    }
}

bool is_blank(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; });
}

// Decimal number at the start of the text after blanks, with an optional sign; saturates
// instead of overflowing. `found` tells whether any digit was read.
std::int64_t read_decimal(std::string_view s, bool* found = nullptr, std::size_t* end = nullptr) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    std::int64_t n = 0;
    bool any = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        any = true;
        if (n < 0x7FFFFFFF) n = n * 10 + (s[i] - '0');
    }
    if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;
    if (found) *found = any;
    if (end) *end = i;
    return negative ? -n : n;
}

// Appends lines behind the last one. The finish table is compact, so the free slot is found
// once and then advanced, instead of searched from slot 0 for every line.
class LineAppender {
  public:
    explicit LineAppender(Competition& c) : t_(c.tables.finish_lines), next_(t_.find_free_slot()) {}
    // A new zero-filled line; null when the finish table is full.
    FinishLine* append() {
        if (next_ == kNoSlot || next_ >= t_.capacity() || t_[next_]) next_ = t_.find_free_slot();
        if (next_ == kNoSlot) return nullptr;
        t_.slot(next_) = std::make_unique<FinishLine>();
        return t_[next_++];
    }

  private:
    Table<FinishLine>& t_;
    int next_;
};

// The first runner in table order holding each card (card 0 is "no card" and names nobody).
class CardOwners {
  public:
    explicit CardOwners(const Competition& c) {
        const auto& t = c.tables.runners;
        for (int i = 0; i < t.capacity(); ++i)
            if (Runner* r = t[i]; r && r->card_number != 0) owners_.emplace(r->card_number, r);
    }
    Runner* find(std::int32_t card) const {
        auto it = owners_.find(card);
        return it == owners_.end() ? nullptr : it->second;
    }

  private:
    std::unordered_map<std::int32_t, Runner*> owners_;
};

void show_finish_table(Competition& c) {
    c.view.table = kFinishLines;
    c.view.board = false;
    c.view.top[kFinishLines] = 0;
    c.view.cursor[kFinishLines] = 0;
}

}  // namespace

namespace finish {

std::optional<std::string> read_finish_text_file(const std::string& path, int* error) {
    std::string text;
    if (!read_text_lines(path, kFinishTextLineMax, kFinishTextMaxLines, text, error))
        return std::nullopt;
    return text;
}

std::optional<std::string> read_starters_file(const std::string& path, int* error) {
    std::string text;
    if (!read_text_lines(path, kStartersLineMax, kStartersMaxLines, text, error))
        return std::nullopt;
    return text;
}

bool write_file(const std::string& path, std::string_view bytes, int* error) {
    return write_file_atomically(path, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                 bytes.size(), error);
}

}  // namespace finish

// --- Clock registration -------------------------------------------------------------------

int register_clock_time(Competition& c, std::int32_t clock_time) {
    auto& t = c.tables.finish_lines;
    int n = t.live_count();
    int last_timed = -1;
    // In a shared competition the lines of other computers are passed over: a computer
    // fills the lines it prepared.
    for (int i = n - 1; i >= 0; --i)
        if (t[i]->time() != 0 && !t[i]->row.foreign) {
            last_timed = i;
            break;
        }
    int slot = last_timed + 1;
    while (t[slot] && t[slot]->row.foreign) ++slot;
    if (!t[slot]) slot = c.new_record(kFinishLines);
    if (slot == kNoSlot) return kNoSlot;
    // The high 8 bits become 0; flags and start number stay.
    t[slot]->time_word = static_cast<std::uint32_t>(clock_time) & 0xFFFFFF;
    finish_data_changed(c);
    c.modified = true;
    return slot;
}

// --- Automatic saving ---------------------------------------------------------------------

bool toggle_finish_autosave(Competition& c, const CompetitionSaver& saver, Prompts& prompts) {
    if (c.info.finish_autosave) {
        c.info.finish_autosave = 0;
    } else if (saver.has_file_name && saver.has_file_name()) {
        c.info.finish_autosave = 1;
    } else {
        prompts.message_captioned(prompts.text(Txt::kFinishAutosaveNeedsFile),
                                  prompts.text(Txt::kNoFileName));
        return false;
    }
    c.modified = true;
    return c.info.finish_autosave != 0;
}

bool autosave_finish(Competition& c, const CompetitionSaver& saver, Prompts& prompts) {
    if (!c.info.finish_autosave) return false;
    SaveRequest r = saver.save ? saver.save() : SaveRequest::kNoFileName;
    if (r == SaveRequest::kNoFileName) {
        prompts.message_captioned(prompts.text(Txt::kSaveFileFirst),
                                  prompts.text(Txt::kNoFileName));
        return false;
    }
    // A failure has been told by the saver (a failed autosave never passes silently).
    return r == SaveRequest::kStarted;
}

// --- Finish text file ---------------------------------------------------------------------

std::string finish_text(const Competition& c) {
    std::string out;
    const auto& t = c.tables.finish_lines;
    int precision = c.info.time_precision;
    for (int i = 0; i < t.capacity() && t[i]; ++i) {
        const FinishLine& line = *t[i];
        int status = -1;
        if (const Runner* r = c.runner_by_number(line.start_number)) status = r->status;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%4d %11s %d\r\n", line.start_number,
                      format_time_text(line.time(), precision).c_str(), status);
        out += buf;
    }
    return out;
}

bool write_finish_file(const Competition& c, const std::string& path, int* error) {
    return finish::write_file(path, finish_text(c), error);
}

FinishImportResult import_finish_text(Competition& c, std::string_view data, bool read_statuses) {
    FinishImportResult result;
    LineAppender lines(c);
    int lines_seen = 0;
    for_each_line(data, kFinishTextLineMax, [&](std::string_view line) {
        if (lines_seen >= static_cast<int>(kFinishTextMaxLines)) return false;
        ++lines_seen;
        if (is_blank(line)) return true;
        // The numbers the export writes: a line's signed 16 bits, a negative one being a start
        // station's line ("St"). Anything outside would wrap to another runner's line.
        std::size_t number_end = 0;
        std::int64_t number = read_decimal(line, nullptr, &number_end);
        if (number < -32768 || number > 32767) {
            ++result.lines_refused;
            return true;
        }
        FinishLine* fl = lines.append();
        if (!fl) {
            result.table_full = true;
            return false;
        }
        fl->start_number = static_cast<std::int16_t>(number);
        // The time follows from column 5; a six-character number ("-32768") pushes it right.
        const std::size_t time_at = std::max<std::size_t>(5, number_end);
        std::string_view time_text =
            line.size() > time_at ? line.substr(time_at) : std::string_view{};
        fl->time_word = static_cast<std::uint32_t>(parse_time_text(time_text)) & 0xFFFFFF;
        ++result.lines_read;
        if (read_statuses && number > 0 && line.size() > 16) {
            if (Runner* r = c.runner_by_number(fl->start_number)) {
                std::int64_t status = read_decimal(line.substr(16));
                // -1 (no runner at export) or a damaged column names no status: keep it.
                if (status >= 0 && status < kStatusCount) {
                    r->status = static_cast<std::uint8_t>(status);
                    ++result.statuses_set;
                }
            }
        }
        return true;
    });
    sort_finish_lines(c);
    if (result.lines_read > 0 || result.statuses_set > 0) c.modified = true;
    finish_data_changed(c);
    return result;
}

namespace {
std::vector<std::unique_ptr<FinishLine>> take_finish_lines(Competition& c) {
    auto& t = c.tables.finish_lines;
    std::vector<std::unique_ptr<FinishLine>> lines;
    for (int i = 0; i < t.capacity() && t[i]; ++i) lines.push_back(std::move(t.slot(i)));
    return lines;
}
void put_finish_lines(Competition& c, std::vector<std::unique_ptr<FinishLine>>& lines) {
    auto& t = c.tables.finish_lines;
    for (std::size_t i = 0; i < lines.size(); ++i)
        t.slot(static_cast<int>(i)) = std::move(lines[i]);
}
}  // namespace

void sort_finish_lines(Competition& c) {
    auto lines = take_finish_lines(c);
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
        if (a->time_word != b->time_word) return a->time_word < b->time_word;
        return static_cast<std::uint16_t>(a->start_number) <
               static_cast<std::uint16_t>(b->start_number);
    });
    put_finish_lines(c, lines);
    finish_data_changed(c);  // the last line of a number gives its time
}

int remove_duplicate_finish_lines(Competition& c) {
    auto lines = take_finish_lines(c);
    std::vector<std::unique_ptr<FinishLine>> kept;
    kept.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool same_as_next = i + 1 < lines.size() &&
                            lines[i]->start_number == lines[i + 1]->start_number &&
                            lines[i]->time_word == lines[i + 1]->time_word;
        if (!same_as_next) kept.push_back(std::move(lines[i]));
    }
    int dropped = static_cast<int>(lines.size() - kept.size());
    put_finish_lines(c, kept);
    if (dropped) {
        c.modified = true;
        finish_data_changed(c);
    }
    return dropped;
}

bool export_finish_file(Competition& c, Prompts& prompts, const LanguageTable& lang) {
    if (!prompts.ask_yes_no(prompts.text(Txt::kExportFinishQuestion))) return false;
    auto path = choose_save_path(prompts, lang, finish_filter(prompts), "fin", "txt");
    if (!path) return false;
    if (!write_finish_file(c, *path)) {
        prompts.message(prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    return true;
}

bool import_finish_file(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no(prompts.text(Txt::kImportFinishQuestion))) return false;
    auto path = prompts.choose_open_file(finish_filter(prompts));
    if (!path) return false;
    auto data = finish::read_finish_text_file(*path);
    if (!data) {
        prompts.message(prompts.text(Txt::kCannotReadFile));
        return false;
    }
    bool statuses = prompts.ask_yes_no(prompts.text(Txt::kImportStatusesQuestion));
    FinishImportResult r = import_finish_text(c, *data, statuses);
    show_finish_table(c);
    if (r.lines_refused > 0) {
        std::string text(prompts.text(Txt::kFinishLinesRefused));
        text.replace(text.find("%d"), 2, std::to_string(r.lines_refused));
        prompts.message(text);
    }
    if (r.table_full) prompts.message(prompts.text(Txt::kFinishTableFull));
    if (prompts.ask_yes_no(prompts.text(Txt::kRemoveRepeatedLinesQuestion)) && r.lines_read >= 2)
        remove_duplicate_finish_lines(c);
    return true;
}

// --- Preparation ----------------------------------------------------------------------------

void prepare_finish(Competition& c, const FinishPreparation& options) {
    // Deleting from the end keeps the gap-closing cheap, and an undo brings the lines back
    // in their old order.
    if (options.clear_finish)
        for (int i = c.tables.finish_lines.live_count() - 1; i >= 0; --i)
            c.delete_record(kFinishLines, i);
    if (options.clear_readouts)
        for (int i = c.tables.card_readouts.live_count() - 1; i >= 0; --i)
            c.delete_record(kCardReadouts, i);
    if (options.restore_runners) {
        auto& t = c.tables.runners;
        for (int i = 0; i < t.capacity(); ++i)
            if (Runner* r = t[i]) r->status = 0;
    }
    finish_data_changed(c);
    c.modified = true;
    show_finish_table(c);
}

// --- Rebuild from card readouts -----------------------------------------------------------

RebuildResult rebuild_finish_from_readouts(Competition& c, const RebuildOptions& options,
                                           const PunchCheck& check) {
    RebuildResult result;
    c.info.start_source = options.start_source;
    c.info.finish_source = options.finish_source;
    c.modified = true;
    const auto& readouts = c.tables.card_readouts;
    CardOwners owners(c);
    LineAppender lines(c);
    int n = readouts.live_count();
    for (int i = 0; i < n; ++i) {
        const CardReadout& rd = *readouts[i];
        Runner* r = owners.find(rd.card_number);
        if (!r) continue;
        ++result.readouts_used;
        int punches = rd.held_punches();
        if (options.start_source == 1)
            r->start_time = rd.start.time;
        else if (options.start_source == 2 && punches > 0)
            r->start_time = rd.punches[0].time;

        // With the finish list as source the lines are already there; a card without
        // punches has no last punch to finish on.
        bool finish_known = false;
        if (options.finish_source == 1) {
            r->finish_time = rd.finish.time;
            finish_known = true;
        } else if (options.finish_source == 2 && punches > 0) {
            r->finish_time = rd.punches[punches - 1].time;
            finish_known = true;
        }
        if (finish_known && !result.table_full) {
            if (FinishLine* line = lines.append()) {
                line->start_number = static_cast<std::int16_t>(r->start_number);
                line->time_word = static_cast<std::uint32_t>(r->finish_time) & 0xFFFFFF;
                ++result.lines_added;
            } else {
                result.table_full = true;
            }
        }

        const int mode = effective_check_mode(c.info.check_mode);
        if (options.recheck && mode != kCheckNone && check) {
            int ppm = c.info.penalty_per_miss;
            int k = check(c, *r, rd);
            if (k != 1) r->penalty = static_cast<std::uint16_t>(k);
            if (mode == 4 || mode == 6) {
                r->penalty = static_cast<std::uint16_t>(k * ppm);
            } else if (k == 0) {
                r->status = kStatusWrongPunch;
            } else if (ppm != 0) {
                r->penalty = static_cast<std::uint16_t>(k == 1 ? 0 : k);
            }
        }
    }
    finish_data_changed(c);
    return result;
}

RebuildResult rebuild_finish_from_readouts(Competition& c, const RebuildOptions& options,
                                           Prompts& prompts) {
    PunchCheck check = [&prompts](Competition& comp, Runner& r, const CardReadout& card) {
        return check_punches(comp, r, card, punch_settings_from(comp.info), prompts);
    };
    return rebuild_finish_from_readouts(c, options, check);
}

// --- Starters by card numbers -------------------------------------------------------------

StartersResult read_starters(Competition& c, std::string_view data, Prompts& prompts) {
    StartersResult result;
    auto& runners = c.tables.runners;
    for (int i = 0; i < runners.capacity(); ++i)
        if (Runner* r = runners[i]) r->marked = 1;
    CardOwners owners(c);
    for_each_line(data, kStartersLineMax, [&](std::string_view line) {
        bool found = false;
        std::int64_t card = read_decimal(line, &found);
        // Blank lines and lines without a card number name no starter.
        if (!found || card <= 0) return true;
        ++result.starters;
        if (Runner* r =
                card <= 0x7FFFFFFF ? owners.find(static_cast<std::int32_t>(card)) : nullptr) {
            r->marked = 0;
        } else {
            ++result.unknown_cards;
            char buf[64];
            std::snprintf(buf, sizeof buf, "VP-card: %d - no runner", static_cast<int>(card));
            prompts.message(buf);
        }
        return true;
    });
    for (int i = 0; i < runners.capacity(); ++i)
        if (Runner* r = runners[i]; r && r->marked) ++result.non_starters;
    c.modified = true;
    return result;
}

StartersResult add_non_starters(Competition& c, StartersResult result) {
    auto& runners = c.tables.runners;
    LineAppender lines(c);
    for (int i = 0; i < runners.capacity(); ++i) {
        Runner* r = runners[i];
        if (!r || !r->marked) continue;
        r->status = kStatusDidNotStart;
        if (result.table_full) continue;
        FinishLine* line = lines.append();
        if (!line) {
            result.table_full = true;
            continue;
        }
        line->start_number = static_cast<std::int16_t>(r->start_number);
        line->time_word = kNonStarterTime;
        line->flags |= FinishLine::kFlagSent;
        ++result.lines_added;
    }
    c.modified = true;
    finish_data_changed(c);
    return result;
}

bool enter_starters_file(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no(prompts.text(Txt::kStartersFileQuestion))) return false;
    auto path = prompts.choose_open_file(prompts.text(Txt::kTxtFileFilter));
    if (!path) return false;
    auto data = finish::read_starters_file(*path);
    if (!data) {
        prompts.message(prompts.text(Txt::kCannotReadFile));
        return false;
    }
    StartersResult r = read_starters(c, *data, prompts);
    std::string text(prompts.text(Txt::kStartersCount));
    text.replace(text.find("%d"), 2, std::to_string(r.starters));
    prompts.message(text);
    if (prompts.ask_yes_no(prompts.text(Txt::kAddNonStartersQuestion))) {
        r = add_non_starters(c, r);
        if (r.table_full) prompts.message(prompts.text(Txt::kFinishTableFull));
    }
    return true;
}

// --- Generated finish ---------------------------------------------------------------------

GenerateResult generate_finish_from_readouts(Competition& c) {
    GenerateResult result;
    LineAppender lines(c);
    const auto& readouts = c.tables.card_readouts;
    // Every holder of each card, in table order.
    std::unordered_map<std::int32_t, std::vector<Runner*>> holders;
    const auto& runners = c.tables.runners;
    for (int k = 0; k < runners.capacity(); ++k)
        if (Runner* r = runners[k]; r && r->card_number != 0) holders[r->card_number].push_back(r);
    int n = readouts.live_count();
    for (int i = 0; i < n && !result.table_full; ++i) {
        const CardReadout& rd = *readouts[i];
        auto it = holders.find(rd.card_number);
        if (it == holders.end()) continue;
        for (Runner* r : it->second) {
            r->start_time = rd.start.time;
            FinishLine* line = lines.append();
            if (!line) {
                result.table_full = true;
                break;
            }
            line->start_number = static_cast<std::int16_t>(r->start_number);
            line->time_word = static_cast<std::uint32_t>(rd.finish.time) & 0xFFFFFF;
            ++result.lines_added;
        }
    }
    c.modified = true;
    finish_data_changed(c);
    return result;
}

// --- Result plate -------------------------------------------------------------------------

std::string result_plate_text(const Competition& c, const Runner& r) {
    if (r.status != 0) {
        if (r.status < kStatusCount) return std::string(status_short_text(c.info, r.status));
        return std::to_string(r.status);
    }
    std::string text = format_time_text(r.result, c.info.time_precision);
    if (c.info.time_precision == 1) return text.substr(1);
    if (c.info.time_precision == 2) return text.substr(3);
    return text;
}

std::string result_plate_name_line(const Runner& r) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d %-25.25s", r.start_number,
                  std::string(field_text(r.name)).c_str());
    return buf;
}

}  // namespace skarvel
