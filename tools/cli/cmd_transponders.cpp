// skarvel-cli transponders FILE.wdb --port DEVICE [--passings N]
// A transponder decoder reader without a screen: each passing becomes a finish line (the
// owner found by the transponder code in the runner's comment, the competition's time shift
// and precision applied) and the file is saved (atomically) after each. Ends after N passings
// or on Ctrl+C; damaged records are dropped and counted.
#include <cstdio>
#include <string>
#include <vector>

#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/transponders.h"
#include "tools/cli/cli.h"
#include "tools/cli/serial_session.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "transponders FILE.wdb --port DEVICE [--passings N]";

}  // namespace
}  // namespace skarvel::cli

int cmd_transponders(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    CommandArgs a;
    if (int rc = parse_command_args(args, kUsage, {}, {"--port", "--passings"}, a); rc != kExitOk)
        return rc;
    long long max_passings = 0;
    if (a.has("--passings") && !int_option(a, "--passings", 1, 1'000'000'000, max_passings))
        return kExitUsage;
    const std::string* device = a.value("--port");
    if (!device) {
        error(std::string("usage: skarvel-cli ") + kUsage);
        return kExitUsage;
    }
#ifndef SKARVEL_CLI_HAS_QT
    (void)max_passings;
    return no_serial_support("transponders");
#else
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, a.file); rc != kExitOk) return rc;

    SerialSession session;
    if (!session.open("transponders", *device, kDecoderBaud)) return kExitInput;
    StationLink link(session.port());
    session.stop_on_interrupt(link);

    long long passings = 0;
    int save_failures = 0;
    std::fprintf(stderr, "skarvel-cli: reading passings on %s (Ctrl+C ends)\n", device->c_str());
    DecoderReaderStats stats;
    run_transponder_reader(
        link,
        [&](const DecoderPassing& p) {
            PassingOutcome out = store_passing(*c, p);
            ++passings;
            if (out.slot == kNoSlot) error("transponders: the finish table is full");
            std::printf("%lld\tcode %.*s\tnumber %d\tfinish %s\n", passings,
                        static_cast<int>(p.code.size()), p.code.data(), out.start_number,
                        format_time_text(out.time, c->info.time_precision).c_str());
            std::fflush(stdout);
            int why = 0;
            if (!save_wdb(*c, a.file, &why)) {
                ++save_failures;
                file_error("transponders: cannot save", a.file, why);
            }
            return max_passings == 0 || passings < max_passings;
        },
        stats);

    session.end();
    std::fprintf(stderr, "skarvel-cli: %lld passing(s) read, %d damaged record(s) dropped%s\n",
                 passings, stats.dropped, session.interrupted() ? ", interrupted" : "");
    return save_failures ? kExitOutput : kExitOk;
#endif
}
