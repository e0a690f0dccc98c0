// skarvel-cli radio FILE.wdb --port DEVICE [--messages N]
// The radio control reader without a screen: the GSM modem's messages are read, each record
// becomes a finish line and a card readout, the message is deleted from the modem, and the
// file is saved (atomically) after every message. Ends after N messages or on Ctrl+C.
#include <cstdio>
#include <string>
#include <vector>

#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/radio_reader.h"
#include "tools/cli/cli.h"
#include "tools/cli/serial_session.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "radio FILE.wdb --port DEVICE [--messages N]";

}  // namespace
}  // namespace skarvel::cli

int cmd_radio(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    ReaderArgs a;
    if (int rc = parse_reader_args(args, "radio", kUsage, "--messages", {}, a); rc != kExitOk)
        return rc;
#ifndef SKARVEL_CLI_HAS_QT
    return no_serial_support("radio");
#else
    const long long max_messages = a.count;
    const std::string& file = a.file;
    const std::string& device = a.device;
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, file); rc != kExitOk) return rc;

    SerialSession session;
    if (!session.open("radio", device, kModemBaud)) return kExitInput;
    StationLink link(session.port());
    session.stop_on_interrupt(link);

    ConsolePrompts prompts;
    long long messages = 0, records = 0;
    int save_failures = 0;
    RadioReaderStats stats;
    std::fprintf(stderr, "skarvel-cli: reading radio controls on %s (Ctrl+C ends)\n",
                 device.c_str());
    run_radio_reader(
        link,
        [&](const RadioMessage& m) {
            ++messages;
            std::vector<RadioRecordOutcome> outs = store_radio_message(*c, m, prompts);
            for (std::size_t i = 0; i < outs.size(); ++i) {
                const RadioRecord& r = m.records[i];
                const RadioRecordOutcome& out = outs[i];
                ++records;
                std::printf("%lld\tcontrol %d\tcard %d\tnumber %d\ttime %s\n", records, r.control,
                            r.card_number, out.owner ? out.owner->start_number : 0,
                            format_time_text(static_cast<std::int32_t>(out.time_word & 0xFFFFFF), 2)
                                .c_str());
            }
            if (m.dropped)
                std::printf("message %lld: %d malformed record(s) dropped\n", messages, m.dropped);
            std::fflush(stdout);
            int why = 0;
            if (!save_wdb(*c, file, &why)) {
                ++save_failures;
                file_error("radio: cannot save", file, why);
            } else {
                c->modified = false;
            }
            return max_messages == 0 || messages < max_messages;
        },
        {}, &stats);

    session.end();
    std::fprintf(stderr,
                 "skarvel-cli: %lld message(s), %lld record(s) read, %d malformed dropped, %d "
                 "other message(s) left on the modem%s\n",
                 messages, records, stats.records_dropped, stats.foreign_kept,
                 session.interrupted() ? ", interrupted" : "");
    return save_failures ? kExitOutput : kExitOk;
#endif
}
