#include "start/number_bibs.h"

#include <algorithm>

#include "core/cp1251.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "start/extracts.h"

namespace skarvel {

using namespace literals;

namespace {

PageFont arial(double points, bool bold = false) {
    return {"Arial", points / 72.0, bold ? 700 : 400, false};
}

// Arial's figures are 1139/2048 em wide and its space 569/2048 em (the same in its metric
// twins); an em of p points is p/72 inch.
constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kFigureEm = 1139.0 / 2048.0, kSpaceEm = 569.0 / 2048.0;

struct BigNumber {
    double x = 0;
    double points = 0;
};

// Where and how large the big number of a large bib goes: at the layout's size and place when
// every figure is on the sheet (from its left edge to `limit` mm), else moved onto it and, when
// still wider, set in the largest size that fits. The text's leading blanks stay before it.
BigNumber place_big_number(std::string_view text, double x, double points, double limit) {
    const std::size_t blanks = text.find_first_not_of(' ');
    if (blanks == std::string_view::npos) return {x, points};
    const double figures = static_cast<double>(text.size() - blanks);
    auto lead = [&](double pt) {
        return static_cast<double>(blanks) * kSpaceEm * pt * kMmPerPoint;
    };
    double width = figures * kFigureEm * points * kMmPerPoint;
    if (width > limit) {
        points = limit / (figures * kFigureEm * kMmPerPoint);
        width = limit;
    }
    const double start = std::clamp(x + lead(points), 0.0, limit - width);
    return {start - lead(points), points};
}

// The big number: a runner without a start number gets no digits (a blank bib to write on).
std::string big_number(const Runner& r, bool relay_leg) {
    if (r.start_number == 0) return {};
    return strf("%4d", relay_leg ? r.start_number % 1000 : r.start_number);
}

std::string day_time(std::int32_t t) {
    if (t == kBibNoStart) return "Н/СТАРТ"_cp1251;
    if (t == kBibProtocol) return "протокол"_cp1251;
    return format_time_text(t, 0);
}

std::string club_text(const RecordLookup& look, const Runner& r) {
    const Club* club = look.club(r.club_id);
    std::string name = strf("%-20s", club ? std::string(field_text(club->name)).c_str() : " ");
    return strf("%-25.25s", name.c_str());
}

template <class Fn>
int for_current_runners(const Competition& c, Fn fn) {
    int n = 0;
    for (int i = 0; i < c.tables.runners.capacity(); ++i) {
        const Runner* r = c.tables.runners[i];
        if (!r) break;
        fn(*r, n++);
    }
    return n;
}

}  // namespace

BibOptions BibOptions::initial(const CompetitionInfo& info) {
    BibOptions o;
    o.relay_leg = info.relay != 0;
    return o;
}

int draw_number_bibs(PageDevice& dev, const Competition& c, const BibOptions& o) {
    RecordLookup look(c);
    bool open = false;
    int n = for_current_runners(c, [&](const Runner& r, int index) {
        const bool lower = o.two_per_sheet && index % 2 == 1;
        const double b = lower ? 162 : 15;
        if (!lower) {
            dev.begin_page();
            open = true;
        }
        dev.set_custom_font(arial(160, true));
        const int shown = o.relay_leg ? r.start_number % 1000 : r.start_number;
        const double x = shown >= 100 ? 25 : shown >= 10 ? 55 : 85;
        if (std::string digits = big_number(r, o.relay_leg); !digits.empty())
            dev.text_at(x, b + 10, digits);
        if (o.relay_leg) {
            dev.set_custom_font(arial(100));
            dev.text_at(150, b + 35, strf("%d", r.start_number / 1000));
        }
        if (const ClassRecord* cls = look.klass(r.class_id); o.class_name && cls) {
            dev.set_custom_font(arial(60));
            dev.text_at(31, b + 63, field_text(cls->name));
        }
        dev.set_custom_font(arial(18));
        dev.text_at(31, b + 85, strf("%-25.25s", std::string(field_text(r.name)).c_str()));
        if (o.club) dev.text_at(31, b + 93, club_text(look, r));
        if (o.card)
            dev.text_at(31, b + 101,
                        r.card_number != 0 ? strf("VP-чип: %06d"_cp1251.c_str(), r.card_number)
                                           : std::string("VP-чип:"_cp1251));
        if (o.start_times == BibStartTimes::kOneDay) {
            dev.text_at(110, b + 85,
                        strf("Старт : %-25.25s"_cp1251.c_str(), day_time(r.start_time).c_str()));
        } else if (o.start_times == BibStartTimes::kMultiDay) {
            static const char* const kLabels[3] = {
                "Старт 1 день: %-25.25s", "Старт 2 день: %-25.25s", "Старт 3 день: %-25.25s"};
            for (int day = 0; day < 3; ++day)
                if (o.days[day])
                    dev.text_at(110, b + 85 + 8.0 * day,
                                strf(utf8_to_cp1251(kLabels[day]).c_str(),
                                     day_time(r.day_results[day]).c_str()));
        }
        if (!o.two_per_sheet || lower) {
            dev.end_page();
            open = false;
        }
    });
    if (open) dev.end_page();
    return n;
}

int draw_number_bibs_large(PageDevice& dev, const Competition& c, const BibOptions& o) {
    RecordLookup look(c);
    constexpr double b = 5;
    constexpr double kLegX = 210, kLegGap = 5;
    return for_current_runners(c, [&](const Runner& r, int) {
        dev.begin_page();
        if (std::string digits = big_number(r, o.relay_leg); !digits.empty()) {
            // On a sheet on its side; the relay form's number keeps clear of its leg.
            const BigNumber n = place_big_number(digits, o.relay_leg ? -50 : -20, 380,
                                                 o.relay_leg ? kLegX - kLegGap : kLandscapeWidthMm);
            dev.set_custom_font(arial(n.points));
            dev.text_at(n.x, b + 10, digits);
        }
        if (o.relay_leg) {
            dev.set_custom_font(arial(200));
            dev.text_at(kLegX, b + 70, strf("%d", r.start_number / 1000));
        }
        if (const ClassRecord* cls = look.klass(r.class_id); o.class_name && cls) {
            dev.set_custom_font(arial(60));
            dev.text_at(20, b + 135, field_text(cls->name));
        }
        dev.set_custom_font(arial(18));
        dev.text_at(60, b + 141, strf("%-25.25s", std::string(field_text(r.name)).c_str()));
        if (o.club) dev.text_at(60, b + 149, club_text(look, r));
        if (o.card)
            dev.text_at(
                160, b + 149,
                r.card_number != 0 ? strf("VP-card: %d", r.card_number) : std::string("VP-card:"));
        std::string start = o.relay_leg ? std::string(" ")
                            : r.start_time == kBibNoStart
                                ? std::string("DNS")
                                : strf("Start: %s", format_time_text(r.start_time, 0).c_str());
        dev.text_at(160, b + 141, start);
        dev.end_page();
    });
}

bool print_number_bibs(const Competition& c, const BibOptions& o, bool large, ReportEnv& env) {
    auto dev =
        open_printer_report(env, "Печать номеров"_cp1251,
                            large ? PageOrientation::kLandscape : PageOrientation::kPortrait);
    if (!dev) return false;
    int n = large ? draw_number_bibs_large(*dev, c, o) : draw_number_bibs(*dev, c, o);
    bool whole = end_printer_report(env, *dev, n > 0);
    if (n == 0) {
        env.prompts.message(env.prompts.text(Txt::kNothingToPrintExtracts));
        return false;
    }
    return whole;
}

}  // namespace skarvel
