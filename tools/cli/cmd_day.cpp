// skarvel-cli day-save FILE.wdb OUT.txt
// skarvel-cli day-read FILE.wdb --day N IN.txt
// The day file of a multi-day event: the save writes each numbered runner's result of the day;
// the read puts a saved day file into day N (1..10) of every numbered runner and saves the
// competition file (atomically). A file that is refused changes nothing.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/wdb_file.h"
#include "results/multiday.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_day_save(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0].starts_with("-") || args[1].starts_with("-")) {
        cli::error("usage: skarvel-cli day-save FILE.wdb OUT.txt");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, args[0]); rc != cli::kExitOk) return rc;
    std::string text = day_file_text(*c);
    int why = 0;
    if (!write_file_atomically(args[1], reinterpret_cast<const std::uint8_t*>(text.data()),
                               text.size(), &why)) {
        cli::file_error("cannot write", args[1], why);
        return cli::kExitOutput;
    }
    return cli::kExitOk;
}

int cmd_day_read(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    long long day = 0;
    bool ok = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--day" && i + 1 < args.size())
            ok = ok && cli::parse_int(args[++i], day);
        else if (!args[i].empty() && args[i][0] == '-')
            ok = false;
        else
            files.push_back(args[i]);
    }
    if (!ok || files.size() != 2 || day < 1 || day > kMultiDayCount) {
        cli::error("usage: skarvel-cli day-read FILE.wdb --day N IN.txt (N from 1 to 10)");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, files[0]); rc != cli::kExitOk) return rc;
    std::string why;
    int set = 0;
    if (!read_day_file(*c, int(day - 1), files[1], &why, &set)) {
        cli::error_cp1251(why + ": " + files[1]);
        return cli::kExitInput;
    }
    int save_error = 0;
    if (!save_wdb(*c, files[0], &save_error)) {
        cli::file_error("cannot save", files[0], save_error);
        return cli::kExitOutput;
    }
    std::printf("day %lld: %d lines matched a runner\n", day, set);
    return cli::kExitOk;
}
