// skarvel-cli import card-numbers FILE.wdb LIST.txt [--own-cards]
// skarvel-cli import number-card FILE.wdb PAIRS.txt
// skarvel-cli import station-csv FILE.wdb CARDS.csv
// skarvel-cli import vpconfig FILE.wdb CARDS.csv
// skarvel-cli export number-card FILE.wdb OUT.txt
// Card numbers and card contents through files, with the rules of the menu commands:
// --own-cards answers "'Затирать' собственные ЧИПы?" with yes. An import saves the competition
// (atomically) only when it succeeded; a file with more readouts or finish lines than the
// tables have room for is refused whole.
#include <cstdio>
#include <memory>
#include <string>

#include "core/file_io.h"
#include "exchange/card_numbers.h"
#include "punch/finish_list.h"
#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

namespace skarvel::cli {

namespace {

// Loads the competition and reads the file bounded; kExitOk or the exit code after saying why.
int load_both(const CommandArgs& a, std::size_t line_max, std::size_t max_lines, Competition& c,
              std::string& text) {
    if (int rc = load_competition(c, a.files[0]); rc != kExitOk) return rc;
    int why = 0;
    if (!read_text_lines(a.files[1], line_max, max_lines, text, &why)) {
        file_error("cannot read", a.files[1], why);
        return kExitInput;
    }
    return kExitOk;
}

int card_content(const OperationArgs& args, const char* usage, bool station) {
    CommandArgs a;
    if (int rc = parse_command_args(args, usage, {}, {}, a, 2); rc != kExitOk) return rc;
    auto c = std::make_unique<Competition>();
    std::string text;
    const std::size_t line_max = station ? kStationCsvLineMax : kVpConfigLineMax;
    const std::size_t max_lines = station ? kStationCsvMaxLines : kVpConfigMaxLines;
    if (int rc = load_both(a, line_max, max_lines, *c, text); rc != kExitOk) return rc;
    CardContentOutcome out =
        station ? skarvel::import_station_csv(*c, text) : skarvel::import_vpconfig(*c, text);
    if (out.refused) {
        error(a.files[1] + ": does not fit, the " +
              (out.full_table == kFinishLines ? "finish lines" : "card readouts") +
              " table is too small; nothing imported");
        return kExitInput;
    }
    for (std::int32_t card : out.unknown_cards) std::printf("unknown card %d\n", int(card));
    std::printf("%d card readouts, %d finish lines added, %d lines skipped\n", out.readouts,
                out.finish_lines, out.lines_skipped);
    return save_competition(*c, a.files[0]);
}

}  // namespace

int import_card_numbers(const OperationArgs& args) {
    CommandArgs a;
    if (int rc = parse_command_args(args, "import card-numbers FILE.wdb LIST.txt [--own-cards]",
                                    {"--own-cards"}, {}, a, 2);
        rc != kExitOk)
        return rc;
    auto c = std::make_unique<Competition>();
    std::string text;
    if (int rc = load_both(a, kCardListLineMax, kCardListMaxLines, *c, text); rc != kExitOk)
        return rc;
    CardListOutcome out = assign_card_numbers(*c, text, a.has("--own-cards"));
    if (out.ran_out) error(a.files[1] + ": not enough card numbers for every runner");
    std::printf("%d card numbers read\n", out.numbers_read);
    return save_competition(*c, a.files[0]);
}

int import_number_card(const OperationArgs& args) {
    CommandArgs a;
    if (int rc = parse_command_args(args, "import number-card FILE.wdb PAIRS.txt", {}, {}, a, 2);
        rc != kExitOk)
        return rc;
    auto c = std::make_unique<Competition>();
    std::string text;
    if (int rc = load_both(a, kPairsLineMax, kPairsMaxLines, *c, text); rc != kExitOk) return rc;
    PairsOutcome out = skarvel::import_number_card(*c, text);
    std::printf("%d card numbers given, %d lines skipped\n", out.assigned, out.skipped);
    return save_competition(*c, a.files[0]);
}

int import_station_csv(const OperationArgs& args) {
    return card_content(args, "import station-csv FILE.wdb CARDS.csv", true);
}

int import_vpconfig(const OperationArgs& args) {
    return card_content(args, "import vpconfig FILE.wdb CARDS.csv", false);
}

int export_number_card(const OperationArgs& args) {
    CommandArgs a;
    if (int rc = parse_command_args(args, "export number-card FILE.wdb OUT.txt", {}, {}, a, 2);
        rc != kExitOk)
        return rc;
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, a.files[0]); rc != kExitOk) return rc;
    int why = 0;
    if (!finish::write_file(a.files[1], number_card_pairs(*c), &why)) {
        file_error("cannot write", a.files[1], why);
        return kExitOutput;
    }
    return kExitOk;
}

}  // namespace skarvel::cli
