// skarvel-cli import ocad8 FILE.wdb IN.txt [--relay-scale 100|1000]
// The course control orders of a course-setting program: one course per line, added to the
// competition (a new one when FILE.wdb does not exist yet). A relay number team.leg names the
// course leg × scale + team (100 when left out, as the menu command proposes at first). Saved
// atomically only when the file was read, fitted the course table and added courses.
#include "exchange/control_orders.h"

#include <string>

#include "tools/cli/cli.h"
#include "tools/cli/exchange_ops.h"

namespace skarvel::cli {

int import_ocad8(const OperationArgs& args) {
    CommandArgs a;
    if (int rc = parse_command_args(args, "import ocad8 FILE.wdb IN.txt [--relay-scale 100|1000]",
                                    {}, {"--relay-scale"}, a, 2);
        rc != kExitOk)
        return rc;
    long long scale = 100;
    if (a.has("--relay-scale") &&
        (!int_option(a, "--relay-scale", 100, 1000, scale) || (scale != 100 && scale != 1000))) {
        error("--relay-scale is 100 or 1000");
        return kExitUsage;
    }
    return import_into(a.files[0], a.files[1], [&](Competition& c, const LanguageTable& lang) {
        ControlOrderReport r = import_control_orders_file(c, a.files[1], int(scale), lang);
        return ImportOutcome{r.ok, r.courses > 0, r.message};
    });
}

}  // namespace skarvel::cli
