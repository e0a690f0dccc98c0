#include "tools/cli/cli.h"

#include <charconv>
#include <cstdio>

#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "platform/file_messages.h"
#include "tools/cli/exchange_ops.h"

#ifdef SKARVEL_CLI_HAS_QT
#include <QGuiApplication>
#include <QString>

#include "platform/qt/qt_printer.h"
#endif

namespace skarvel::cli {

const LanguageTable& english_texts() {
    static const LanguageTable table = [] {
        LanguageTable t;
        t.build(UiLanguage::kEnglish);
        return t;
    }();
    return table;
}

void error(std::string_view text) {
    std::fprintf(stderr, "skarvel-cli: %.*s\n", int(text.size()), text.data());
}

void error_cp1251(std::string_view text) {
    error(cp1251_to_utf8(text));
}

void file_error(std::string_view what, std::string_view utf8_path, int err) {
    // One encoding on the console: the reason is turned into UTF-8 like the path.
    std::string text(what);
    text += ' ';
    text += utf8_path;
    text += ": ";
    text += cp1251_to_utf8(file_error_reason(english_texts(), err));
    error(text);
}

bool ConsolePrompts::ask_yes_no(std::string_view question) {
    error_cp1251(question);
    return false;
}

void ConsolePrompts::message(std::string_view text) {
    if (!quiet) error_cp1251(text);
}

void PathPrompts::message(std::string_view text) {
    messages.emplace_back(text);
    ConsolePrompts::message(text);
}

namespace {
class NoShell : public ShellOpener {
  public:
    void open_path(const std::string&) override {}
};
}  // namespace

int run_with_pdf_printer(std::string_view command, const std::string& pdf,
                         const std::function<int(PrinterProvider&)>& run) {
#ifdef SKARVEL_CLI_HAS_QT
    (void)command;
    // Printing needs a GUI application object, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "skarvel-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QtPrinterProvider printers;
    printers.pdf_path = QString::fromUtf8(pdf);
    printers.lang = &english_texts();
    return run(printers);
#else
    (void)pdf;
    (void)run;
    error(std::string(command) +
          ": --pdf needs the Qt printing support; this skarvel-cli was built without it "
          "(configure with -DSKARVEL_GUI=ON)");
    return kExitUsage;
#endif
}

int print_to_pdf(std::string_view command, const std::string& pdf,
                 const std::function<bool(ReportEnv&)>& run) {
    return run_with_pdf_printer(command, pdf, [&](PrinterProvider& printers) {
        ConsolePrompts prompts;
        NoShell shell;
        ReportEnv env{prompts, printers, shell};
        if (run(env)) return kExitOk;
        error(std::string(command) + ": nothing printed to '" + pdf + "'");
        return kExitOutput;
    });
}

int load_competition(Competition& c, const std::string& path, int* version) {
    ConsolePrompts prompts;
    prompts.quiet = true;
    LoadResult res = load_wdb(c, path, prompts);
    if (version) *version = res.version;
    switch (res.status) {
        case LoadStatus::kOk:
        case LoadStatus::kConverted:
            return kExitOk;
        case LoadStatus::kCannotOpen:
            error(path + ": cannot read the file");
            return kExitInput;
        case LoadStatus::kUnknownVersion:
            error(path + ": not a competition file (unknown format or version " +
                  std::to_string(res.version) + ")");
            return kExitInput;
        case LoadStatus::kDamaged:
            if (res.damaged_table == "end")
                error(path + ": damaged file: " + std::to_string(res.records_read) +
                      " bytes after the last table where " + std::to_string(res.records_expected) +
                      " belong");
            else
                error(path + ": damaged file: table " + res.damaged_table + ", " +
                      std::to_string(res.records_read) + " of " +
                      std::to_string(res.records_expected) + " records read");
            error_cp1251(res.message);
            return kExitDamaged;
    }
    return kExitInput;
}

bool parse_int(std::string_view text, long long& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

int parse_report_args(const std::vector<std::string>& args, std::string_view command,
                      std::string_view usage, ReportArgs& out,
                      const std::vector<std::pair<std::string_view, std::string*>>& extra) {
    auto usage_error = [&] {
        error("usage: " + std::string(usage));
        return kExitUsage;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* into = a == "--html" ? &out.html : a == "--pdf" ? &out.pdf : nullptr;
        for (const auto& [name, target] : extra)
            if (a == name) into = target;
        if (into) {
            if (i + 1 >= args.size()) return usage_error();
            *into = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            error(std::string(command) + ": unknown option '" + a + "'");
            return kExitUsage;
        } else if (out.file.empty()) {
            out.file = a;
        } else {
            return usage_error();
        }
    }
    if (out.file.empty() || out.html.empty() == out.pdf.empty()) return usage_error();
    return kExitOk;
}

bool CommandArgs::has(std::string_view name) const {
    return value(name) != nullptr;
}

const std::string* CommandArgs::value(std::string_view name) const {
    for (const auto& [n, v] : options)
        if (n == name) return &v;
    return nullptr;
}

int operation_of(const std::vector<std::string>& args, std::string_view command,
                 std::string_view usage, const std::vector<std::string_view>& operations,
                 std::vector<std::string>& rest) {
    if (args.empty()) {
        error("usage: skarvel-cli " + std::string(usage));
        return -1;
    }
    for (std::size_t i = 0; i < operations.size(); ++i) {
        if (args[0] != operations[i]) continue;
        rest.assign(args.begin() + 1, args.end());
        return static_cast<int>(i);
    }
    error(std::string(command) + ": unknown operation '" + args[0] + "'");
    return -1;
}

int parse_command_args(const std::vector<std::string>& args, std::string_view usage,
                       const std::vector<std::string_view>& flags,
                       const std::vector<std::string_view>& valued, CommandArgs& out,
                       std::size_t files_wanted) {
    auto usage_error = [&] {
        error("usage: skarvel-cli " + std::string(usage));
        return kExitUsage;
    };
    auto listed = [](const std::vector<std::string_view>& names, const std::string& a) {
        for (std::string_view n : names)
            if (a == n) return true;
        return false;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (listed(flags, a)) {
            out.options.emplace_back(a, std::string());
        } else if (listed(valued, a)) {
            if (i + 1 >= args.size()) return usage_error();
            out.options.emplace_back(a, args[++i]);
        } else if (!a.empty() && a[0] == '-') {
            error("unknown option '" + a + "'");
            return usage_error();
        } else if (out.files.size() < files_wanted) {
            out.files.push_back(a);
        } else {
            return usage_error();
        }
    }
    if (out.files.size() != files_wanted) return usage_error();
    out.file = out.files.empty() ? std::string() : out.files.front();
    return kExitOk;
}

bool int_option(const CommandArgs& a, std::string_view name, long long lo, long long hi,
                long long& value) {
    const std::string* text = a.value(name);
    if (text && parse_int(*text, value) && value >= lo && value <= hi) return true;
    error(std::string(name) + " needs a whole number from " + std::to_string(lo) + " to " +
          std::to_string(hi));
    return false;
}

int save_competition(const Competition& c, const std::string& path) {
    int why = 0;
    if (save_wdb(c, path, &why)) return kExitOk;
    file_error("cannot save", path, why);
    return kExitOutput;
}

int run_operation(const std::vector<std::string>& args, std::string_view command,
                  std::span<const OperationKind> kinds, std::string_view files) {
    std::vector<std::string_view> names;
    std::string usage = std::string(command) + " ";
    for (const OperationKind& k : kinds) {
        usage += std::string(names.empty() ? "" : "|") + std::string(k.name);
        names.push_back(k.name);
    }
    usage += " " + std::string(files);
    std::vector<std::string> rest;
    const int op = operation_of(args, command, usage, names, rest);
    if (op < 0) return kExitUsage;
    return kinds[static_cast<std::size_t>(op)].run(rest);
}

}  // namespace skarvel::cli
