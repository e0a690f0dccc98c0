// skarvel-cli multiday FILE.wdb --days 1,2,3 --html OUT.htm [--places] [--handicap OUT.txt]
// The multi-day protocol of the selected days (1..10), ranked per class by the sum of the
// days, and with --handicap the start file of a handicap start (each runner's gap to his
// class leader); --places gives the second form with each day's place in the class. The
// competition file is not changed.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"
#include "results/multiday.h"
#include "tools/cli/cli.h"

using namespace skarvel;

namespace {

// "1,3,5" -> bits 0, 2, 4; false on anything else.
bool parse_days(std::string_view text, unsigned& days) {
    days = 0;
    while (true) {
        std::size_t comma = text.find(',');
        long long d = 0;
        if (!cli::parse_int(text.substr(0, comma), d) || d < 1 || d > kMultiDayCount) return false;
        days |= 1u << (d - 1);
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

bool write_text(const std::string& path, const std::string& text) {
    if (write_file_atomically(path, reinterpret_cast<const std::uint8_t*>(text.data()),
                              text.size()))
        return true;
    cli::error_cp1251(std::string(cli::english_texts().text(Txt::kCannotWriteFile)) + ": " + path);
    return false;
}

}  // namespace

int cmd_multiday(const std::vector<std::string>& args) {
    std::string file, days_text, html, handicap;
    bool ok = true, places = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* value = a == "--days"       ? &days_text
                             : a == "--html"     ? &html
                             : a == "--handicap" ? &handicap
                                                 : nullptr;
        if (a == "--places")
            places = true;
        else if (value && i + 1 < args.size())
            *value = args[++i];
        else if (value || (!a.empty() && a[0] == '-') || !file.empty())
            ok = false;
        else
            file = a;
    }
    unsigned days = 0;
    if (!ok || file.empty() || html.empty() || !parse_days(days_text, days)) {
        cli::error(
            "usage: skarvel-cli multiday FILE.wdb --days 1,2,3 --html OUT.htm "
            "[--places] [--handicap OUT.txt]");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, file); rc != cli::kExitOk) return rc;
    MultiDayProtocol p = multiday_protocol_text(*c, days, places);
    if (p.runners == 0) {
        cli::error("no runner has a start number");
        return cli::kExitInput;
    }
    if (!write_text(html, p.html)) return cli::kExitOutput;
    if (!handicap.empty() && !write_text(handicap, p.handicap)) return cli::kExitOutput;
    return cli::kExitOk;
}
