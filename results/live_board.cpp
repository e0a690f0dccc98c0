#include "results/live_board.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "core/time_text.h"
#include "results/result_compute.h"

namespace skarvel {

namespace {
std::int32_t cut(std::int32_t v, int precision) {
    return precision == 0 ? v / 100 : precision == 1 ? v / 10 : v;
}
}  // namespace

std::vector<BoardClass> live_board(const Competition& c, std::int32_t now) {
    const CompetitionInfo& info = c.info;
    std::vector<BoardClass> board;
    const auto& classes = c.tables.classes;
    std::unordered_map<std::int32_t, std::size_t> slot_of_class;
    for (int i = 0; i < classes.capacity() && classes[i]; ++i) {
        if (!classes[i]->marked()) continue;
        if (slot_of_class.count(classes[i]->id)) continue;  // the first class of an id
        slot_of_class.emplace(classes[i]->id, board.size());
        board.push_back({classes[i], {}});
    }
    if (board.empty()) return board;
    const auto& runners = c.tables.runners;
    for (int i = 0; i < runners.capacity(); ++i) {
        const Runner* r = runners[i];
        if (!r || r->status == kStatusDidNotStart) continue;
        auto it = slot_of_class.find(r->class_id);
        if (it == slot_of_class.end()) continue;
        BoardEntry e;
        e.runner = r;
        if (r->status != 0) {
            if (r->finish_time == 0 && !info.board_without_finish) continue;
            e.running_time = kDay + r->start_number;
        } else if (r->finish_time != 0) {
            e.running_time = r->finish_time - r->start_time;
            e.finished = true;
        } else {
            if (!info.board_without_finish) continue;
            e.running_time = now - r->start_time;
        }
        if (e.running_time < 0 && !info.board_negative_times) continue;
        board[it->second].entries.push_back(e);
    }
    // The order of the result protocol: laps first when counted, then the time at the shown
    // precision, then the earlier start. A handicap start ranks by the finish clock time:
    // who crosses the line first is ahead; runners still out follow the finishers.
    const bool handicap = info.competition_kind == kKindHandicap;
    auto key = [&](const BoardEntry& e) -> std::int32_t {
        if (!handicap) return cut(e.running_time, info.time_precision);
        if (e.runner->status != 0) return kDay + e.runner->start_number;
        if (!e.finished || e.running_time < 0) return kDay - 1;
        return e.runner->finish_time;
    };
    for (auto& cls : board) {
        std::stable_sort(cls.entries.begin(), cls.entries.end(),
                         [&](const BoardEntry& a, const BoardEntry& b) {
                             if (info.count_laps) {
                                 int la = lap_count(c, *a.runner), lb = lap_count(c, *b.runner);
                                 if (la != lb) return la > lb;
                             }
                             std::int32_t ta = key(a), tb = key(b);
                             if (ta != tb) return ta < tb;
                             if (handicap && !a.finished && !b.finished)
                                 return a.running_time > b.running_time;
                             return a.runner->start_time < b.runner->start_time;
                         });
        // Places go to finished runners in competition without a status whose finish is after
        // their start; equal keys share a place.
        int n = 0, p = 1;
        std::int32_t prev = 0;
        for (auto& e : cls.entries) {
            if (!e.finished || e.runner->status != 0 || e.runner->out_of_competition ||
                e.running_time < 0)
                continue;
            std::int32_t k = handicap ? e.runner->finish_time : e.running_time;
            ++n;
            if (n == 1 || k != prev) p = n;
            prev = k;
            e.place = p;
        }
    }
    return board;
}

std::vector<BoardRow> live_board_rows(const Competition& c, const std::vector<BoardClass>& board) {
    std::vector<BoardRow> rows;
    const CompetitionInfo& info = c.info;
    for (const auto& cls : board) {
        rows.push_back({true, std::string(field_text(cls.class_record->name))});
        for (const auto& e : cls.entries) {
            const Runner& r = *e.runner;
            std::string time;
            if (r.status != 0) {
                int st = r.status < kStatusCount ? r.status : 0;
                time = std::string(status_short_text(info, st));
            } else if (e.running_time < 0) {
                time = "-" + format_time_text(-e.running_time, info.time_precision);
            } else {
                time = format_time_text(e.running_time, info.time_precision);
                if (!e.finished) time += " *";  // still running: the clock goes on
            }
            char place[8] = "   ";
            if (e.place > 0) std::snprintf(place, sizeof place, "%3d", e.place);
            char buf[128];
            std::snprintf(buf, sizeof buf, "%s %4d %-22.22s %s", place, r.start_number,
                          std::string(field_text(r.name)).c_str(), time.c_str());
            rows.push_back({false, buf});
        }
    }
    return rows;
}

int live_board_columns(int client_width) {
    int n = (client_width - 330) / kBoardColumnWidth;
    return n < 1 ? 1 : n;
}

}  // namespace skarvel
