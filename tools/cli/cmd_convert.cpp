// skarvel-cli convert IN.wdb OUT.wdb: loads either version and saves version 21.
#include <memory>
#include <string>
#include <vector>

#include "core/wdb_file.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_convert(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        cli::error("usage: skarvel-cli convert IN.wdb OUT.wdb");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    if (int rc = cli::load_competition(*c, args[0]); rc != cli::kExitOk) return rc;
    int why = 0;
    if (!save_wdb(*c, args[1], &why)) {
        cli::file_error("cannot save", args[1], why);
        return cli::kExitOutput;
    }
    return cli::kExitOk;
}
