// skarvel-cli demo OUT.wdb [--runners N] [--seed S] [--full]: writes a demo competition.
#include <memory>
#include <string>
#include <vector>

#include "core/demo_competition.h"
#include "core/wdb_file.h"
#include "tools/cli/cli.h"

using namespace skarvel;

int cmd_demo(const std::vector<std::string>& args) {
    const char* usage = "usage: skarvel-cli demo OUT.wdb [--runners N] [--seed S] [--full]";
    DemoOptions options;
    std::string out;
    bool full = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        long long v = 0;
        if (a == "--runners" || a == "--seed") {
            if (i + 1 >= args.size() || !cli::parse_int(args[i + 1], v)) {
                cli::error(a + " needs a whole number");
                return cli::kExitUsage;
            }
            ++i;
            if (a == "--runners") {
                if (v < 0 || v > kRunnerCapacity) {
                    cli::error("--runners must be 0.." + std::to_string(kRunnerCapacity));
                    return cli::kExitUsage;
                }
                options.runners = static_cast<int>(v);
            } else {
                if (v < 0) {
                    cli::error("--seed must not be negative");
                    return cli::kExitUsage;
                }
                options.seed = static_cast<std::uint64_t>(v);
            }
        } else if (a == "--full") {
            full = true;
        } else if (!a.empty() && a[0] == '-') {
            cli::error("unknown option " + a + "\n" + usage);
            return cli::kExitUsage;
        } else if (out.empty()) {
            out = a;
        } else {
            cli::error(usage);
            return cli::kExitUsage;
        }
    }
    if (out.empty()) {
        cli::error(usage);
        return cli::kExitUsage;
    }
    if (full) options = DemoOptions::full_capacity(options.seed);
    auto c = std::make_unique<Competition>();
    make_demo_competition(*c, options);
    std::string why;
    if (!save_wdb(*c, out, &why)) {
        cli::error_cp1251(why);
        return cli::kExitOutput;
    }
    return cli::kExitOk;
}
