// skarvel-cli startlist FILE.wdb --html OUT.htm | --pdf OUT.pdf
// The start protocol with the settings stored in the competition: as an HTML page (the relay
// protocol for a relay competition, the individual one otherwise: by class or by course, only
// marked, card numbers, extended HTML as stored), or the printed individual protocol as PDF.
#include <string>
#include <vector>

#include "results/report_output.h"
#include "start/start_list.h"
#include "tools/cli/cli.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "startlist FILE.wdb --html OUT.htm | --pdf OUT.pdf";

class NoShell : public ShellOpener {
  public:
    void open_path(const std::string&) override {}
};

// No printer is used: the protocol is always written as HTML here.
class NoPrinter : public PrinterProvider {
  public:
    std::unique_ptr<PageDevice> open_document(
        std::string_view, std::string& error,
        PageOrientation = PageOrientation::kPortrait) override {
        error = "no printer";
        return nullptr;
    }
};

}  // namespace
}  // namespace skarvel::cli

int cmd_startlist(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    ReportArgs parsed;
    if (int rc = parse_report_args(args, "startlist", kUsage, parsed); rc != kExitOk) return rc;
    const std::string& file = parsed.file;
    const std::string& html = parsed.html;
    [[maybe_unused]] const std::string& pdf = parsed.pdf;  // printing needs the Qt build
    Competition c;
    if (int rc = load_competition(c, file); rc != kExitOk) return rc;

    StartListSettings s = StartListSettings::from_info(c.info);
    if (!pdf.empty()) {
        if (c.info.relay) {
            error("startlist: the relay start protocol is written as HTML only; use --html");
            return kExitUsage;
        }
        return run_with_pdf_printer("startlist", pdf, [&](PrinterProvider& printers) {
            ConsolePrompts prompts;
            NoShell shell;
            ReportEnv env{prompts, printers, shell};
            s.to_html = false;
            if (print_start_list(c, s, env)) return kExitOk;
            // Nothing to print leaves no PDF (the message has said so); a printer failure is an
            // output error.
            return start_list_groups(c, s).empty() ? kExitOk : kExitOutput;
        });
    }
    s.to_html = true;
    PathPrompts prompts(html);
    NoPrinter printers;
    NoShell shell;
    ReportEnv env{prompts, printers, shell};
    if (print_start_protocol(c, s, env)) return kExitOk;
    for (const auto& m : prompts.messages)
        if (m == prompts.text(Txt::kCannotWriteFile)) {
            error("startlist: cannot write '" + html + "'");
            return kExitOutput;
        }
    if (c.info.relay) error("startlist: no runner has a start number; nothing written");
    // An individual protocol without groups has been written with its head and end; the
    // message above says why it is empty.
    return kExitOk;
}
