// skarvel-cli import ocad8 FILE.wdb IN.txt [--relay-scale 100|1000]
// The course control orders of a course-setting program: one course per line, added to the
// competition (a new one when FILE.wdb does not exist yet). A relay number team.leg names the
// course leg × scale + team (100 when left out, as the menu command proposes at first). Saved
// atomically only when the file was read, fitted the course table and added courses.
#include "exchange/control_orders.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/cp1251.h"
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
    LanguageTable lang;
    lang.build(UiLanguage::kEnglish);
    auto c = std::make_unique<Competition>();
    if (std::filesystem::exists(a.files[0]))
        if (int rc = load_competition(*c, a.files[0]); rc != kExitOk) return rc;
    ControlOrderReport r = import_control_orders_file(*c, a.files[1], int(scale), lang);
    if (!r.ok) {
        error_cp1251(r.message + ": " + a.files[1]);
        return kExitInput;
    }
    if (r.courses > 0)
        if (int rc = save_competition(*c, a.files[0]); rc != kExitOk) return rc;
    std::printf("%s\n", cp1251_to_utf8(r.message).c_str());
    return kExitOk;
}

}  // namespace skarvel::cli
