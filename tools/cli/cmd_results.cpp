// skarvel-cli results FILE.wdb --html OUT.htm | --pdf OUT.pdf [--points TABLE.txt]
// The result protocol with the settings stored in the competition.
#include <string>
#include <vector>

#include "results/relay_results.h"
#include "results/report_output.h"
#include "results/result_protocol.h"
#include "tools/cli/cli.h"

namespace skarvel::cli {
namespace {

using namespace literals;

constexpr const char* kUsage =
    "results FILE.wdb --html OUT.htm | --pdf OUT.pdf [--points TABLE.txt]";

// Writes the protocol through `out`; returns the exit code.
int finish_run(const ProtocolRun& run, ConsolePrompts& prompts) {
    if (run.stopped) return kExitInput;
    if (run.sections == 0)
        prompts.message(
            "Печать результатов отменена:\nНет ни одного участника, группы или дистанции\nс заданными свойствами!"_cp1251);
    return kExitOk;
}

}  // namespace
}  // namespace skarvel::cli

int cmd_results(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    std::string points_path;
    ReportArgs parsed;
    if (int rc = parse_report_args(args, "results", kUsage, parsed, {{"--points", &points_path}});
        rc != kExitOk)
        return rc;
    const std::string& file = parsed.file;
    const std::string& html = parsed.html;
    [[maybe_unused]] const std::string& pdf = parsed.pdf;  // printing needs the Qt build
    Competition c;
    ConsolePrompts prompts;
    if (int rc = load_competition(c, file); rc != kExitOk) return rc;

    // A relay competition gets the relay protocol, HTML only, with its stored settings.
    if (c.info.relay) {
        if (html.empty()) {
            error("results: the relay result protocol is written as HTML only; use --html");
            return kExitUsage;
        }
        PathPrompts to_file(html);
        RecordingPrinterProvider printers;
        RecordingShellOpener shell;
        ReportEnv env{to_file, printers, shell};
        if (print_relay_protocol(c, RelayPrintSettings::from(c.info), env)) return kExitOk;
        return shell.opened.empty() ? kExitOutput : kExitInput;
    }

    std::vector<std::int32_t> points;
    if (c.info.points_mode == 2) {
        if (points_path.empty()) {
            error("results: the competition takes points from a table file: give it with --points");
            return kExitUsage;
        }
        if (!load_points_table(points_path, points)) {
            error("results: cannot read the points table '" + points_path + "'");
            return kExitInput;
        }
    }

    if (!html.empty()) {
        auto out = ReportFile::create(html);
        if (!out) {
            error("results: cannot write '" + html + "'");
            return kExitOutput;
        }
        out->write(result_protocol_head(c.info));
        ProtocolRun run = write_result_protocol(c, {nullptr, out.get()}, prompts, &points);
        out->write("\r\n</body>\r\n</html>\r\n");
        if (!out->close()) {
            error("results: cannot write '" + html + "'");
            return kExitOutput;
        }
        return finish_run(run, prompts);
    }

    return run_with_pdf_printer("results", pdf, [&](PrinterProvider& printers) {
        std::string err;
        auto dev = printers.open_document("Протокол результатов"_cp1251, err);
        if (!dev) {
            error("results: cannot write '" + pdf + "' (" + err + ")");
            return kExitOutput;
        }
        ProtocolRun run = write_result_protocol(c, {dev.get(), nullptr}, prompts, &points);
        dev->end_document();
        if (run.sections > 0 && !dev->ok()) {
            error("results: cannot write '" + pdf + "' (the PDF file is not whole)");
            return kExitOutput;
        }
        return finish_run(run, prompts);
    });
}
