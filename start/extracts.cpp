#include "start/extracts.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "core/cp1251.h"
#include "core/qualification.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr int kRunnersPerSheet = 60;
constexpr int kMaxClubs = 10000;
constexpr double kX = 1, kSheetTitleY = 10, kRuleY = 18, kHeadingY = 20, kFirstY = 24, kStep = 4;
constexpr std::size_t kFreeTextMax = 100;

PageFont sheet_body_font() {
    return {"Courier New Cyr", 9.0 / 72.0, 400, true};
}

std::string number_text(const Runner& r, bool leg_dot) {
    return leg_dot ? strf("%3d.%1d", r.start_number % 1000, r.start_number / 1000)
                   : strf("%4d", r.start_number);
}

std::string heading(const ExtractGroup& g, const ExtractOptions& o, bool two_day) {
    std::string club_title = g.current ? "      Коллектив         "_cp1251 : std::string(" ");
    std::string s = strf("%4s %-25.25s%s%-4.4s %5s ГР  "_cp1251.c_str(), "№п/п"_cp1251.c_str(),
                         "Фамилия, имя"_cp1251.c_str(), club_title.c_str(), "Квал"_cp1251.c_str(),
                         "Номер"_cp1251.c_str());
    s += two_day ? std::string(" СТАРТ1    СТАРТ2   "_cp1251) : std::string(" СТАРТ   "_cp1251);
    if (o.card_numbers) s += " VP-чип "_cp1251;
    s += two_day ? std::string("Группа  Примечания  Взнос1 Взнос2"_cp1251)
                 : std::string("Группа  Примечания  Взнос"_cp1251);
    return s;
}

bool starts_on_day(const Runner& r, int day) {
    return (r.heat_or_leg >> day) & 1;
}

}  // namespace

ExtractOptions ExtractOptions::from_info(const CompetitionInfo& info) {
    ExtractOptions o;
    o.selection = info.extract_selection <= kExtractMarkedClubs ? info.extract_selection : 0;
    o.only_marked = info.extract_only_marked != 0;
    o.card_numbers = info.print_card_numbers != 0;
    o.print_fee = info.extract_print_fee != 0;
    o.relay_leg_dot_number = info.relay_leg_dot_number != 0;
    return o;
}

void ExtractOptions::store(CompetitionInfo& info) const {
    info.extract_selection = static_cast<std::uint8_t>(selection);
    info.extract_only_marked = only_marked ? 1 : 0;
    info.print_card_numbers = card_numbers ? 1 : 0;
    info.extract_print_fee = print_fee ? 1 : 0;
    info.relay_leg_dot_number = relay_leg_dot_number ? 1 : 0;
}

int runner_fee(const Runner& r, const ClassRecord* cls) {
    if (!cls) return 0;
    switch (r.fee_flags & (Runner::kFeeReduced | Runner::kFeeOwnCard)) {
        case 0:
            return cls->fee_rental_normal;
        case Runner::kFeeReduced:
            return cls->fee_rental_reduced;
        case Runner::kFeeOwnCard:
            return cls->fee_own_normal;
        default:
            return cls->fee_own_reduced;
    }
}

std::vector<ExtractGroup> extract_groups(Competition& c, const ExtractOptions& o) {
    c.recount_tables();
    std::vector<ExtractGroup> groups;
    auto take = [&o](const Runner& r) { return !o.only_marked || r.marked; };
    if (o.selection == kExtractCurrent) {
        ExtractGroup g{"Текущие"_cp1251, {}, true, {}};
        for (int i = 0; i < c.tables.runners.capacity(); ++i) {
            const Runner* r = c.tables.runners[i];
            if (!r) break;
            if (take(*r)) g.runners.push_back(r);
        }
        if (!g.runners.empty()) groups.push_back(std::move(g));
        return groups;
    }
    // Every runner, current and parked, by club id in one walk.
    std::unordered_map<std::int32_t, std::vector<const Runner*>> by_club;
    by_club.reserve(static_cast<std::size_t>(c.tables.clubs.live_count()));
    groups.reserve(static_cast<std::size_t>(c.tables.clubs.live_count()));
    for (int i = 0; i < c.tables.runners.capacity(); ++i)
        if (const Runner* r = c.tables.runners[i]; r && take(*r)) by_club[r->club_id].push_back(r);
    for (int i = 0; i < c.tables.clubs.capacity() && i < kMaxClubs; ++i) {
        const Club* club = c.tables.clubs[i];
        if (!club) break;
        if (club->runner_count == 0) continue;
        if (o.selection == kExtractMarkedClubs && !club->marked) continue;
        auto it = by_club.find(club->id);
        if (it == by_club.end()) continue;
        groups.push_back({std::string(field_text(club->name)),
                          std::string(field_text(club->representative)), false,
                          std::move(it->second)});
        by_club.erase(it);  // a second club with the same id gets no copy
    }
    return groups;
}

void draw_extracts(PageDevice& dev, const Competition& c, const ExtractOptions& o,
                   const std::vector<ExtractGroup>& groups, bool two_day) {
    RecordLookup look(c);
    const std::string date(field_text(c.info.date));
    for (const ExtractGroup& g : groups) {
        const std::string head = heading(g, o, two_day);
        // The extract's lines and footer first: the widest sets the size that keeps every
        // column on the sheet.
        std::vector<std::string> lines;
        long fee_total = 0;
        int rented = 0;
        for (const Runner* r : g.runners) {
            const ClassRecord* cls = look.klass(r->class_id);
            std::string club_piece = " ";
            if (g.current) {
                const Club* club = look.club(r->club_id);
                club_piece =
                    strf(" %-22.22s ", club ? std::string(field_text(club->name)).c_str() : " ");
            }
            std::string line = strf("%4d %-25.25s%s%-4.4s %5s ", static_cast<int>(lines.size()) + 1,
                                    std::string(field_text(r->name)).c_str(), club_piece.c_str(),
                                    std::string(qualification_text(r->qualification)).c_str(),
                                    number_text(*r, o.relay_leg_dot_number).c_str());
            line += r->birth_year != 0 ? strf("%4d ", r->birth_year) : std::string(5, ' ');
            if (two_day) {
                for (int day = 0; day < 2; ++day)
                    line += (starts_on_day(*r, day) ? format_time_text(r->day_results[day], 0)
                                                    : std::string("н.старт "_cp1251)) +
                            " ";
            } else {
                line += format_time_text(r->start_time, c.info.time_precision) + " ";
            }
            if (o.card_numbers) {
                line += r->card_number != 0 ? strf("%-7.7ld ", static_cast<long>(r->card_number))
                                            : std::string(8, ' ');
                bool own = (r->fee_flags & Runner::kFeeOwnCard) != 0;
                line += own ? std::string("свойЧИП "_cp1251) : std::string(8, ' ');
                if (!own) ++rented;
            }
            line += strf("%-8.8s ", cls ? std::string(field_text(cls->name)).c_str() : " ");
            int fee = runner_fee(*r, cls);
            if (two_day) {
                for (int day = 0; day < 2; ++day) {
                    if (!starts_on_day(*r, day)) {
                        if (o.print_fee) line += "     ";
                        continue;
                    }
                    fee_total += fee;
                    if (o.print_fee) line += strf(" %4d", fee);
                }
            } else {
                line += r->out_of_competition ? std::string("в/к "_cp1251) : std::string(4, ' ');
                line += r->individual ? std::string("лично "_cp1251) : std::string(6, ' ');
                fee_total += fee;
                if (o.print_fee) line += strf("%d", fee);
            }
            line += field_text(r->comment);
            lines.push_back(std::move(line));
        }
        // The footer: (gap before the line in mm, text).
        std::vector<std::pair<double, std::string>> footer;
        if (o.print_fee)
            footer.emplace_back(0, strf("Стартовый взнос: %ld"_cp1251.c_str(), fee_total));
        if (o.card_numbers)
            footer.emplace_back(0, strf("Арендованных ЧИПов: %d"_cp1251.c_str(), rented));
        if (o.signature) {
            footer.emplace_back(10, o.free_text.substr(0, kFreeTextMax));
            std::string who = g.current ? std::string("Текущие"_cp1251) : g.representative;
            footer.emplace_back(0, strf("Представитель коллектива %30s/%-22.22s/"_cp1251.c_str(),
                                        " ", who.c_str()));
        }
        std::size_t widest = head.size();
        for (const std::string& l : lines) widest = std::max(widest, l.size());
        for (const auto& f : footer) widest = std::max(widest, f.second.size());
        const PageFont body = fit_to_page(sheet_body_font(), widest, kX);

        double y = kFirstY;
        bool sheet_open = false;
        auto start_sheet = [&] {
            dev.begin_page();
            dev.set_font(ReportFont::Title);
            dev.text_at(kX, kSheetTitleY, strf("%s %-22.22s", date.c_str(), g.name.c_str()));
            dev.rule_at(kRuleY);
            dev.set_custom_font(body);
            dev.text_at(kX, kHeadingY, head);
            y = kFirstY;
            sheet_open = true;
        };
        for (std::size_t n = 1; n <= lines.size(); ++n) {
            if (!sheet_open) start_sheet();
            dev.text_at(kX, y, lines[n - 1]);
            y += kStep;
            if (n % kRunnersPerSheet == 0) {
                dev.rule_at(y);
                dev.end_page();
                sheet_open = false;
            }
        }
        // A full last sheet needs no further sheet unless a footer goes on it.
        if (!sheet_open && !footer.empty()) start_sheet();
        for (const auto& [gap, text] : footer) {
            y += gap;
            dev.text_at(kX, y, text);
            y += kStep;
        }
        if (sheet_open) dev.end_page();
    }
}

bool print_extracts(Competition& c, const ExtractOptions& o, ReportEnv& env, bool two_day) {
    auto dev = open_printer_report(env, "Выписки из стартовых протоколов"_cp1251);
    if (!dev) return false;
    std::vector<ExtractGroup> groups = extract_groups(c, o);
    draw_extracts(*dev, c, o, groups, two_day);
    bool whole = end_printer_report(env, *dev, !groups.empty());
    if (groups.empty()) {
        env.prompts.message(env.prompts.text(Txt::kNothingToPrintExtracts));
        return false;
    }
    return whole;
}

}  // namespace skarvel
