#include "start/number_bibs.h"

#include "core/cp1251.h"
#include "core/record_lookup.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "start/extracts.h"

namespace skarvel {

using namespace literals;

namespace {

PageFontSpec arial(double points, bool bold = false) {
    return {"Arial", points / 72.0, bold ? 700 : 400, false};
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
    return for_current_runners(c, [&](const Runner& r, int) {
        dev.begin_page();
        dev.set_custom_font(arial(380));
        if (std::string digits = big_number(r, o.relay_leg); !digits.empty())
            dev.text_at(o.relay_leg ? -50 : -20, b + 10, digits);
        if (o.relay_leg) {
            dev.set_custom_font(arial(200));
            dev.text_at(210, b + 70, strf("%d", r.start_number / 1000));
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
    auto dev = open_printer_report(env, "Печать номеров"_cp1251);
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
