// skarvel-cli print extracts|extracts-two-day|cards|bibs|bibs-large FILE.wdb --pdf OUT.pdf
// [options] The pre-race printouts into a PDF file. Options mirror the dialogs; without them the
// extracts and cards take the settings stored in the competition, the bibs the dialog's
// initial choices.
//   extracts:  --selection current|clubs|marked-clubs --only-marked --card-numbers --fee
//              --signature TEXT --leg-dot
//   cards:     --selection ... --only-marked --boxes N (fixed count, else from the course)
//              --label number|code|both --club-per-sheet
//   bibs:      --times one-day|multi-day|none --days 1,2,3 --one-per-sheet --leg --no-club
//              --no-card --no-class
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
    bool only_marked = false, card_numbers = false, fee = false, leg = false,
         club_per_sheet = false;
    bool one_per_sheet = false, no_club = false, no_card = false, no_class = false;
    bool signature_given = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (a == "--pdf")
            ok = value(pdf);
        else if (a == "--selection" && !bibs)
            ok = value(selection);
        else if (a == "--only-marked" && !bibs)
            only_marked = true;
        else if (a == "--card-numbers" && extracts)
            card_numbers = true;
        else if (a == "--fee" && extracts)
            fee = true;
        else if (a == "--signature" && extracts)
            ok = signature_given = value(signature);
        else if (a == "--leg-dot" && extracts)
            leg = true;
        else if (a == "--boxes" && cards)
            ok = value(boxes);
        else if (a == "--label" && cards)
            ok = value(label);
        else if (a == "--club-per-sheet" && cards)
            club_per_sheet = true;
        else if (a == "--times" && bibs)
            ok = value(times);
        else if (a == "--days" && bibs)
            ok = value(days);
        else if (a == "--one-per-sheet" && bibs)
            one_per_sheet = true;
        else if (a == "--leg" && bibs)
            leg = true;
        else if (a == "--no-club" && bibs)
            no_club = true;
        else if (a == "--no-card" && bibs)
            no_card = true;
        else if (a == "--no-class" && bibs)
            no_class = true;
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
        o.only_marked |= only_marked;
        o.card_numbers |= card_numbers;
        o.print_fee |= fee;
        o.relay_leg_dot_number |= leg;
        o.signature = signature_given;
        o.free_text = utf8_to_cp1251(signature);
        const bool two_day = what == "extracts-two-day";
        return print_to_pdf("print", pdf,
                            [&](ReportEnv& env) { return print_extracts(c, o, env, two_day); });
    }
    if (cards) {
        CardPrintOptions o = CardPrintOptions::from_info(c.info);
        if (!selection.empty() && (o.selection = selection_of(selection)) < 0) return usage();
        o.only_marked |= only_marked;
        o.club_per_sheet |= club_per_sheet;
        if (!boxes.empty()) {
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
    o.two_per_sheet = !one_per_sheet;
    o.relay_leg |= leg;
    o.club = !no_club;
    o.card = !no_card;
    o.class_name = !no_class;
    const bool large = what == "bibs-large";
    return print_to_pdf("print", pdf,
                        [&](ReportEnv& env) { return print_number_bibs(c, o, large, env); });
}
