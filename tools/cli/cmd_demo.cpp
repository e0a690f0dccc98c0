// skarvel-cli demo OUT.wdb [--runners N] [--seed S] [--full] [--cards SCRIPT]: writes a demo
// competition on race day, and the station simulator's script of the runners still out.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/demo_competition.h"
#include "core/file_io.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/check_punches.h"
#include "tools/cli/cli.h"

using namespace skarvel;

namespace {

// Runners still out on the course when the demo is written.
constexpr int kStillOut = 6;
// A card that belongs to nobody in the demo, read last.
constexpr std::int32_t kStrangerCard = 2999999;

std::string sim_time(std::int32_t t) {
    return format_time_text(t, 0);
}

}  // namespace

// The station simulator's script for `cards` (see skarvel-station-sim), then a stranger's card.
std::string demo_station_script(const std::vector<CardReadout>& cards) {
    std::string out = "# The demo's runners still out, in the order they come to the finish.\n";
    auto line = [&out](const CardReadout& card) {
        out += "card type=6 number=" + std::to_string(card.card_number) +
               " start=" + sim_time(card.start.time) + " finish=" + sim_time(card.finish.time) +
               " punches=";
        int n = card.held_punches();
        if (n == 0) out += "-";
        for (int i = 0; i < n; ++i) {
            if (i) out += ',';
            out += std::to_string(card.punches[i].code) + "@" + sim_time(card.punches[i].time);
        }
        out += '\n';
    };
    for (const CardReadout& card : cards) line(card);
    if (!cards.empty()) {
        out += "# A card nobody in the competition owns.\n";
        CardReadout stranger = cards.back();
        stranger.card_number = kStrangerCard;
        line(stranger);
    }
    return out;
}

int cmd_demo(const std::vector<std::string>& args) {
    const char* usage =
        "usage: skarvel-cli demo OUT.wdb [--runners N] [--seed S] [--full] [--cards SCRIPT]";
    DemoOptions options;
    options.still_out = kStillOut;
    std::string out, script;
    bool full = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        long long v = 0;
        if (a == "--runners" || a == "--seed") {
            if (i + 1 >= args.size() || !cli::parse_int(args[i + 1], v)) {
                cli::error(a + " needs a whole number");
                return cli::kExitUsage;
            }
            ++i;
            if (a == "--runners") {
                if (v < 0 || v > kRunnerCapacity) {
                    cli::error("--runners must be 0.." + std::to_string(kRunnerCapacity));
                    return cli::kExitUsage;
                }
                options.runners = static_cast<int>(v);
            } else {
                if (v < 0) {
                    cli::error("--seed must not be negative");
                    return cli::kExitUsage;
                }
                options.seed = static_cast<std::uint64_t>(v);
            }
        } else if (a == "--cards") {
            if (i + 1 >= args.size()) {
                cli::error("--cards needs a file name");
                return cli::kExitUsage;
            }
            script = args[++i];
        } else if (a == "--full") {
            full = true;
        } else if (!a.empty() && a[0] == '-') {
            cli::error("unknown option " + a + "\n" + usage);
            return cli::kExitUsage;
        } else if (out.empty()) {
            out = a;
        } else {
            cli::error(usage);
            return cli::kExitUsage;
        }
    }
    if (out.empty()) {
        cli::error(usage);
        return cli::kExitUsage;
    }
    if (full) options = DemoOptions::full_capacity(options.seed);
    auto c = std::make_unique<Competition>();
    std::vector<CardReadout> cards;
    make_demo_competition(*c, options, &cards);
    int why = 0;
    if (!save_wdb(*c, out, &why)) {
        cli::file_error("cannot save", out, why);
        return cli::kExitOutput;
    }
    if (!script.empty()) {
        std::string text = demo_station_script(cards);
        FileHandle f = open_file(script, "wb", &why);
        if (!f || std::fwrite(text.data(), 1, text.size(), f.get()) != text.size() ||
            std::fclose(f.release()) != 0) {
            cli::file_error("cannot write", script, why != 0 ? why : EIO);
            return cli::kExitOutput;
        }
    }
    return cli::kExitOk;
}
