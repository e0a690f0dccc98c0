// skarvel-cli split-text FILE.wdb --card N
// The text form of the split printout (as the split files hold it, Windows-1251, CR LF) of the
// first card readout with card number N, for the first runner with that card, on standard
// output. The file is not changed.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "punch/split_sheet.h"
#include "results/report_output.h"
#include "tools/cli/cli.h"

using namespace skarvel;

namespace {

// The first record in slot order whose card number is `number`, or null.
template <class R>
const R* first_with_card(const Table<R>& table, long long number) {
    for (int i = 0; i < table.capacity(); ++i)
        if (table[i] && table[i]->card_number == number) return table[i];
    return nullptr;
}

}  // namespace

int cmd_split_text(const std::vector<std::string>& args) {
    cli::CommandArgs a;
    if (int rc = cli::parse_command_args(args, "split-text FILE.wdb --card N", {}, {"--card"}, a);
        rc != cli::kExitOk)
        return rc;
    long long number = 0;
    if (!cli::int_option(a, "--card", 1, 2147483647, number)) return cli::kExitUsage;
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, a.file); rc != cli::kExitOk) return rc;
    const std::string card_text = std::to_string(number);
    const CardReadout* card = first_with_card(c->tables.card_readouts, number);
    if (!card) {
        cli::error(a.file + ": no card readout of card " + card_text);
        return cli::kExitInput;
    }
    const Runner* owner = first_with_card(c->tables.runners, number);
    if (!owner) {
        cli::error(a.file + ": no runner has card " + card_text);
        return cli::kExitInput;
    }
    StringSink out;
    cli::ConsolePrompts prompts;  // "Нет такой дистанции !" and the like go to stderr
    write_split_text(out, *c, *owner, *card, prompts);
    if (out.text.empty()) {
        cli::error(a.file + ": the runner of card " + card_text + " has no class or course");
        return cli::kExitInput;
    }
    if (std::fwrite(out.text.data(), 1, out.text.size(), stdout) != out.text.size() ||
        std::fflush(stdout) != 0) {
        cli::error("cannot write to standard output");
        return cli::kExitOutput;
    }
    return cli::kExitOk;
}
