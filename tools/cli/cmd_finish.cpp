// skarvel-cli finish-export FILE.wdb OUT.txt
// skarvel-cli finish-import FILE.wdb IN.txt [--statuses] [--dedupe]
// The finish text file between stations, with the rules of the menu commands: the export
// writes "%4d %11s %d" lines; the import appends the lines, takes the runners' statuses from
// the status column with --statuses, sorts the finish list and, with --dedupe, drops exact
// duplicates. The competition file is saved (atomically) after the import.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/wdb_file.h"
#include "punch/finish_list.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_finish_export(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        cli::error("usage: skarvel-cli finish-export FILE.wdb OUT.txt");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, args[0]); rc != cli::kExitOk) return rc;
    int why = 0;
    if (!write_finish_file(*c, args[1], &why)) {
        cli::file_error("cannot write", args[1], why);
        return cli::kExitOutput;
    }
    return cli::kExitOk;
}

int cmd_finish_import(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool statuses = false, dedupe = false;
    for (const std::string& a : args) {
        if (a == "--statuses")
            statuses = true;
        else if (a == "--dedupe")
            dedupe = true;
        else if (!a.empty() && a[0] == '-')
            files.clear(), files.resize(3);  // an unknown option: usage below
        else
            files.push_back(a);
    }
    if (files.size() != 2) {
        cli::error("usage: skarvel-cli finish-import FILE.wdb IN.txt [--statuses] [--dedupe]");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, files[0]); rc != cli::kExitOk) return rc;
    int why = 0;
    auto data = finish::read_finish_text_file(files[1], &why);
    if (!data) {
        cli::file_error("cannot read", files[1], why);
        return cli::kExitInput;
    }
    FinishImportResult r = import_finish_text(*c, *data, statuses);
    int dropped = 0;
    if (dedupe && r.lines_read >= 2) dropped = remove_duplicate_finish_lines(*c);
    if (r.lines_refused > 0)
        cli::error(std::to_string(r.lines_refused) +
                   " lines skipped: their number is outside -32768..32767");
    if (r.table_full) cli::error_cp1251(text_in(false, Txt::kFinishTableFull));
    if (!save_wdb(*c, files[0], &why)) {
        cli::file_error("cannot save", files[0], why);
        return cli::kExitOutput;
    }
    std::printf(
        "%d lines read, %d statuses set, %d duplicates removed, %d lines in the finish list\n",
        r.lines_read, r.statuses_set, dropped, c->tables.finish_lines.live_count());
    return cli::kExitOk;
}
