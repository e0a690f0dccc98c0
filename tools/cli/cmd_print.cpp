// skarvel-cli print extracts|extracts-two-day|cards|bibs|bibs-large FILE.wdb --pdf OUT.pdf
// [options] The pre-race printouts into a PDF file. Options mirror the dialogs and switch each
// choice either way; a choice not given keeps the setting stored in the competition (extracts
// and cards) or the dialog's initial choice (bibs).
//   extracts:  --selection current|clubs|marked-clubs --only-marked|--all
//              --card-numbers|--no-card-numbers --fee|--no-fee --signature TEXT
//              --leg-dot|--no-leg-dot
//   cards:     --selection ... --only-marked|--all --boxes N|course (a fixed count, or from the
//              course) --label number|code|both --club-per-sheet|--no-club-sheets
//   bibs:      --times one-day|multi-day|none --days 1,2,3 --one-per-sheet|--two-per-sheet
//              --leg|--no-leg --club|--no-club --card|--no-card --class|--no-class
#include <optional>
#include <string>
#include <vector>

#include "start/extracts.h"
#include "start/number_bibs.h"
#include "start/runner_cards.h"
#include "tools/cli/cli.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage =
    "print extracts|extracts-two-day|cards|bibs|bibs-large FILE.wdb --pdf OUT.pdf [options]";

int selection_of(const std::string& v) {
    return v == "current" ? 0 : v == "clubs" ? 1 : v == "marked-clubs" ? 2 : -1;
}

}  // namespace
}  // namespace skarvel::cli

int cmd_print(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    auto usage = [] {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    };
    if (args.empty()) return usage();
    const std::string what = args[0];
    const bool extracts = what == "extracts" || what == "extracts-two-day";
    const bool cards = what == "cards";
    const bool bibs = what == "bibs" || what == "bibs-large";
    if (!extracts && !cards && !bibs) return usage();

    std::string file, pdf, selection, signature, boxes, label, times, days;
    bool signature_given = false;
    // The switches: each has an "on" and an "off" form; unset keeps the starting value.
    struct Switch {
        const char* on;
        const char* off;
        bool extracts, cards, bibs;
        std::optional<bool> value;
    };
    Switch only_marked{"--only-marked", "--all", true, true, false, {}};
    Switch card_numbers{"--card-numbers", "--no-card-numbers", true, false, false, {}};
    Switch fee{"--fee", "--no-fee", true, false, false, {}};
    Switch leg_dot{"--leg-dot", "--no-leg-dot", true, false, false, {}};
    Switch club_sheets{"--club-per-sheet", "--no-club-sheets", false, true, false, {}};
    Switch two_per_sheet{"--two-per-sheet", "--one-per-sheet", false, false, true, {}};
    Switch leg{"--leg", "--no-leg", false, false, true, {}};
    Switch club{"--club", "--no-club", false, false, true, {}};
    Switch card{"--card", "--no-card", false, false, true, {}};
    Switch klass{"--class", "--no-class", false, false, true, {}};
    Switch* const switches[] = {&only_marked,   &card_numbers, &fee,  &leg_dot, &club_sheets,
                                &two_per_sheet, &leg,          &club, &card,    &klass};
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        bool ok = true, known = false;
        for (Switch* sw : switches) {
            if ((a != sw->on && a != sw->off) ||
                !((extracts && sw->extracts) || (cards && sw->cards) || (bibs && sw->bibs)))
                continue;
            sw->value = a == sw->on;
            known = true;
        }
        if (known)
            continue;
        else if (a == "--pdf")
            ok = value(pdf);
        else if (a == "--selection" && !bibs)
            ok = value(selection);
        else if (a == "--signature" && extracts)
            ok = signature_given = value(signature);
        else if (a == "--boxes" && cards)
            ok = value(boxes);
        else if (a == "--label" && cards)
            ok = value(label);
        else if (a == "--times" && bibs)
            ok = value(times);
        else if (a == "--days" && bibs)
            ok = value(days);
        else if (!a.empty() && a[0] == '-') {
            error("print " + what + ": unknown option '" + a + "'");
            return kExitUsage;
        } else if (file.empty())
            file = a;
        else
            ok = false;
        if (!ok) return usage();
    }
    if (file.empty() || pdf.empty()) return usage();
    Competition c;
    if (int rc = load_competition(c, file); rc != kExitOk) return rc;

    if (extracts) {
        ExtractOptions o = ExtractOptions::from_info(c.info);
        if (!selection.empty() && (o.selection = selection_of(selection)) < 0) return usage();
        o.only_marked = only_marked.value.value_or(o.only_marked);
        o.card_numbers = card_numbers.value.value_or(o.card_numbers);
        o.print_fee = fee.value.value_or(o.print_fee);
        o.relay_leg_dot_number = leg_dot.value.value_or(o.relay_leg_dot_number);
        o.signature = signature_given;
        o.free_text = utf8_to_cp1251(signature);
        const bool two_day = what == "extracts-two-day";
        return print_to_pdf("print", pdf,
                            [&](ReportEnv& env) { return print_extracts(c, o, env, two_day); });
    }
    if (cards) {
        CardPrintOptions o = CardPrintOptions::from_info(c.info);
        if (!selection.empty() && (o.selection = selection_of(selection)) < 0) return usage();
        o.only_marked = only_marked.value.value_or(o.only_marked);
        o.club_per_sheet = club_sheets.value.value_or(o.club_per_sheet);
        if (boxes == "course") {
            o.fixed_box_count = false;
        } else if (!boxes.empty()) {
            long long n = 0;
            if (!parse_int(boxes, n) || n < 0 || n > 100) return usage();
            o.fixed_box_count = true;
            o.box_count = static_cast<int>(n);
        }
        if (!label.empty()) {
            o.box_label = label == "number" ? kBoxNumber
                          : label == "code" ? kBoxControlCode
                          : label == "both" ? kBoxNumberAndCode
                                            : -1;
            if (o.box_label < 0) return usage();
        }
        return print_to_pdf("print", pdf,
                            [&](ReportEnv& env) { return print_runner_cards(c, o, env); });
    }
    BibOptions o = BibOptions::initial(c.info);
    if (!times.empty()) {
        if (times == "one-day")
            o.start_times = BibStartTimes::kOneDay;
        else if (times == "multi-day")
            o.start_times = BibStartTimes::kMultiDay;
        else if (times == "none")
            o.start_times = BibStartTimes::kNone;
        else
            return usage();
    }
    if (!days.empty()) {
        for (bool& d : o.days) d = false;
        for (char ch : days) {
            if (ch >= '1' && ch <= '3')
                o.days[ch - '1'] = true;
            else if (ch != ',')
                return usage();
        }
    }
    o.two_per_sheet = two_per_sheet.value.value_or(o.two_per_sheet);
    o.relay_leg = leg.value.value_or(o.relay_leg);
    o.club = club.value.value_or(o.club);
    o.card = card.value.value_or(o.card);
    o.class_name = klass.value.value_or(o.class_name);
    const bool large = what == "bibs-large";
    return print_to_pdf("print", pdf,
                        [&](ReportEnv& env) { return print_number_bibs(c, o, large, env); });
}
