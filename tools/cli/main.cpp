// skarvel-cli: the competition file and the program's logic from the command line.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/cli.h"
#include "tools/cli/shared_db.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>
#endif

// One line per subcommand: its name, its arguments, what it does. The code is
// `int cmd_<name>(const std::vector<std::string>& args)` in cli/cmd_<name>.cpp, which returns
// the exit code (see cli.h) and prints its errors on stderr.
// clang-format off
#define SKARVEL_CLI_COMMANDS(X) \
    X(dump, "FILE.wdb", "print the competition as one JSON object (UTF-8)") \
    X(convert, "IN.wdb OUT.wdb", "load a version-21 or version-11 file, save it as version 21") \
    X(demo, "OUT.wdb [--runners N] [--seed S] [--full] [--cards SCRIPT]", "write a demo competition on race day (SCRIPT: the station simulator's cards)") \
    X(readout, "FILE.wdb --port DEVICE [--cards N] [--log] | --db URI --port DEVICE [--cards N] [--state DIR]", "read punching cards into the file (every card family, in the protocol the station speaks), saving in the background, or into the shared competition on a server (each card on the server before the station hears it is taken)") \
    X(station_info, "--port DEVICE [--fast]", "print the station's protocol, operating mode, card-6 setting and clock") \
    X(radio, "FILE.wdb --port DEVICE [--messages N]", "read radio control messages from the GSM modem into the file (N messages, or until Ctrl+C), saving after each") \
    X(transponders, "FILE.wdb --port DEVICE [--passings N]", "read transponder passings from the decoder into finish lines, saving after each") \
    X(startlist, "FILE.wdb --html OUT.htm | --pdf OUT.pdf", "write the start protocol with the stored settings") \
    X(results, "FILE.wdb --html OUT.htm | --pdf OUT.pdf [--points TABLE.txt]", "write the result protocol with the stored settings") \
    X(finish_export, "FILE.wdb OUT.txt", "write the finish text file of the competition") \
    X(finish_import, "FILE.wdb IN.txt [--statuses] [--dedupe]", "append a finish text file to the finish list and save") \
    X(iof, "export results|start|entries|courses FILE.wdb OUT.xml | import " "entries|courses|classes|start|results FILE.wdb IN.xml", "write or read an IOF XML 3.0 message (the import saves FILE.wdb)") \
    X(display, "start|finish FILE.wdb --out DIR [--at HH:MM:SS]", "write the start or finish page of the large screen once") \
    X(multipage, "FILE.wdb --out DIR [--tables]", "write the result pages that cycle through the classes") \
    X(board, "FILE.wdb --port DEVICE [--frames N]", "drive the display board with the last four finish lines (N frames, or until Ctrl+C)") \
    X(lists, "mandate|clubs|classes|courses FILE.wdb --html OUT.htm [--only-marked]", "write the credentials committee protocol or an overview list") \
    X(start_grid, "FILE.wdb [--only-marked]", "print the start grid by corridor on stdout") \
    X(print, "extracts|extracts-two-day|cards|bibs|bibs-large FILE.wdb --pdf OUT.pdf [options]", "print entry extracts, runner cards or number bibs into a PDF file") \
    X(finish_server, "FILE.wdb [--port P] [--listen ADDRESS] [--count N | --seconds S]", "receive the client station's finish lines into the file, saving after each") \
    X(finish_client, "FILE.wdb --server HOST [--port P] [--once]", "send the finish lines not yet sent to the server station") \
    X(post, "FILE.wdb --url PREFIX [--crossings] (--line N | --all)", "post finish line N (from 1) or all unposted lines to the on-line result script") \
    X(export, "osv|routegadget|splits-html|number-card|start-list|online|relay-online FILE.wdb OUT", "write the split files of the result dialog, the common splits page, the start number / card number pairs, the start-list text file or the on-line CSV file (per runner or per relay team)") \
    X(import, "card-numbers|number-card|station-csv|vpconfig|start-times|penalties|entries|palm|palm-penalty|ocad8|transponder-codes|amb-finish|amb-start FILE.wdb IN [--own-cards] [--relay-scale 100|1000]", "read card numbers, card contents, start times, marked-route penalties, a semicolon-separated entry list, the handheld recorder's CSV, course control orders (ocad8; --relay-scale turns relay numbers team.leg into team + leg x 100 or x 1000), transponder codes or the transponder decoder's finish or start file from a file into the competition and save") \
    X(day_save, "FILE.wdb OUT.txt", "write the day file of a multi-day event (each numbered runner's result)") \
    X(day_read, "FILE.wdb --day N IN.txt", "read a day file into day N (1..10) of the runners and save") \
    X(multiday, "FILE.wdb --days 1,2,3 --html OUT.htm [--places] [--handicap OUT.txt]", "write the multi-day protocol of the selected days (--places: with day places) and the handicap start file") \
    X(draw, "FILE.wdb [--by-club] [--by-heat]", "draw the current runners' order and save") \
    X(numbers, "FILE.wdb --first N --step S", "number the current runners and save") \
    X(start_times, "FILE.wdb --first HH:MM:SS --interval HH:MM:SS [--per N]", "give the current runners start times and save") \
    X(split_text, "FILE.wdb --card N", "print the text split printout of a card (Windows-1251)") \
    X(serve, "DIR [--port N]", "serve a display folder over HTTP as the desktop program does") \
    X(summary, "FILE.wdb --html OUT.htm [--only-marked]", "write the summary table of clubs by class") \
    X(penalty, "clear|set60 FILE.wdb | from-cards FILE.wdb --control P --interval M", "set every runner's marked-route penalty to 0 or 60 (competition kinds 1 and 2 only), or count it from the punches at a penalty control, and save") \
    X(readouts, "shift FILE.wdb --control C --by [-]HH:MM:SS | remove-control FILE.wdb --control C", "move or remove the punches of one control in the read cards and save") \
    X(personalise, "--port DEVICE --form FORM.json [--fast]", "write a runner's personal data (FORM.json) into the card in the station and check it by reading it back") \
    X(register, "FILE.wdb --port DEVICE --number N [--fast]", "make runner N from the personal data of the next personalised card in the station and save") \
    X(share, "FILE.wdb --db URI [--replace]", "put the competition on a PostgreSQL server as a competition shared by several computers") \
    X(fetch, "--db URI OUT.wdb", "write the shared competition on the server into a competition file")
// clang-format on

#define SKARVEL_CLI_DECLARE(name, usage, help) int cmd_##name(const std::vector<std::string>& args);
SKARVEL_CLI_COMMANDS(SKARVEL_CLI_DECLARE)

namespace {

struct Command {
    const char* name;
    const char* usage;
    const char* help;
    int (*run)(const std::vector<std::string>&);
};

#define SKARVEL_CLI_ENTRY(name, usage, help) {#name, usage, help, &cmd_##name},
const Command kCommands[] = {SKARVEL_CLI_COMMANDS(SKARVEL_CLI_ENTRY)};

// Commands of two words are typed with a dash ("finish-export"); the table names them with an
// underscore, and both spellings are accepted.
std::string dashed(std::string_view name) {
    std::string out(name);
    for (char& ch : out)
        if (ch == '_') ch = '-';
    return out;
}

void print_usage(std::FILE* out) {
    std::fprintf(out, "usage: skarvel-cli COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : kCommands) {
        std::fprintf(out, "  %s %s\n      %s\n", dashed(c.name).c_str(), c.usage, c.help);
    }
    std::fprintf(out,
                 "\nA shared competition on a PostgreSQL server: every command that reads a "
                 "FILE.wdb\ntakes --db URI in its place (a libpq connection string or URI); "
                 "what the command\nwould save goes to the server as one change.\n");
    std::fprintf(out,
                 "\nThe user guide shows each command at work: F1 in the desktop program, or\n"
                 "docs/guide.en.md (Russian: docs/guide.ru.md) in the source tree.\n");
}

// The arguments as UTF-8, as every file name inside the program is. On Windows the narrow
// argv is in the ANSI code page and loses every letter outside it, so the wide command line is
// read instead; standard output and error carry the program's bytes untranslated (its CR LF
// lines stay CR LF).
std::vector<std::string> utf8_arguments(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int wargc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargv) {
        std::vector<std::string> out;
        for (int i = 0; i < wargc; ++i) {
            int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
            std::string arg(n > 0 ? std::size_t(n - 1) : 0, '\0');
            if (n > 1)
                WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, arg.data(), n, nullptr, nullptr);
            out.push_back(std::move(arg));
        }
        LocalFree(wargv);
        return out;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> argument = utf8_arguments(argc, argv);
    argc = int(argument.size());
    if (argc < 2) {
        print_usage(stderr);
        return skarvel::cli::kExitUsage;
    }
    std::string_view name = argument[1];
    if (name == "help" || name == "--help" || name == "-h") {
        print_usage(stdout);
        return skarvel::cli::kExitOk;
    }
    for (const Command& c : kCommands) {
        if (name != c.name && name != dashed(c.name)) continue;
        std::vector<std::string> args(argument.begin() + 2, argument.end());
        try {
            // The commands of the shared competition take --db themselves.
            std::string_view own[] = {"share", "fetch", "readout"};
            skarvel::cli::DbStandIn db;
            if (std::find(std::begin(own), std::end(own), std::string_view(c.name)) ==
                std::end(own)) {
                if (int rc = db.prepare(args); rc != skarvel::cli::kExitOk) return rc;
            }
            return db.finish(c.run(args));
        } catch (const std::exception& e) {
            skarvel::cli::error(std::string(c.name) + ": " + e.what());
            return skarvel::cli::kExitOutput;
        }
    }
    skarvel::cli::error("unknown command '" + std::string(name) + "' (try: skarvel-cli help)");
    return skarvel::cli::kExitUsage;
}
