// skarvel-cli post FILE.wdb --url PREFIX [--crossings] (--line N | --all)
// On-line posting without a screen: posts finish line N (counted from 1 in table order) or
// every line not yet posted to the result script at PREFIX, as the desktop program's "Send"
// does, and saves the file with the `posted` marks. The time sent is the time of day now.
// Exit code 4 when a post got no answer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/wdb_file.h"
#include "periph/online_post.h"
#include "tools/cli/cli.h"

#ifdef SKARVEL_CLI_HAS_QT
#include <QCoreApplication>
#include <QTime>

#include "periph/ui/online_poster_qt.h"
#endif

namespace {
constexpr const char* kUsage = "post FILE.wdb --url PREFIX [--crossings] (--line N | --all)";
}  // namespace

int cmd_post(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    std::string file, url;
    long long line = 0;
    bool all = false, crossings = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--url" && i + 1 < args.size()) {
            url = args[++i];
        } else if (a == "--line" && i + 1 < args.size()) {
            if (!parse_int(args[++i], line) || line < 1) {
                error("post: --line needs a number of at least 1");
                return kExitUsage;
            }
        } else if (a == "--all") {
            all = true;
        } else if (a == "--crossings") {
            crossings = true;
        } else if (!a.empty() && a[0] == '-') {
            error("post: unknown option '" + a + "' (usage: " + kUsage + ")");
            return kExitUsage;
        } else if (file.empty()) {
            file = a;
        } else {
            error(std::string("usage: ") + kUsage);
            return kExitUsage;
        }
    }
    if (file.empty() || url.empty() || all == (line > 0)) {
        error(std::string("usage: ") + kUsage);
        return kExitUsage;
    }
#ifndef SKARVEL_CLI_HAS_QT
    (void)crossings;
    error("post: this build has no network support (built without Qt)");
    return kExitUsage;
#else
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, file); rc != kExitOk) return rc;
    c->rebuild_number_index();
    int argc = 1;
    char name[] = "skarvel-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    // The address and option of this run; the file keeps its own settings.
    CompetitionInfo stored = c->info;
    set_field_text(c->info.online_url_prefix, utf8_to_cp1251(url));
    c->info.online_send_crossings = crossings ? 1 : 0;

    int posted = 0, failed = 0;
    OnlinePosterQt::Environment env;
    env.answered = [&](const OnlinePost& p) {
        if (mark_posted(*c, p) != kNoSlot) ++posted;
        std::printf("posted %s\n", cp1251_to_utf8(p.url).c_str());
    };
    env.failed = [&](const OnlinePost& p, const std::string& reason) {
        ++failed;
        error("post: number " + std::to_string(p.start_number) +
              " not posted: " + cp1251_to_utf8(reason));
    };
    env.timeout_text = "no answer within 10 s";
    OnlinePosterQt poster(std::move(env));
    QObject::connect(&poster, &OnlinePosterQt::idle, &app, &QCoreApplication::quit);

    std::int32_t clock = QTime::currentTime().msecsSinceStartOfDay() / 10;
    const auto& t = c->tables.finish_lines;
    int first = all ? 0 : static_cast<int>(line - 1);
    int last = all ? t.live_count() : first + 1;
    if (!all && first >= t.live_count()) {
        error("post: there is no finish line " + std::to_string(line));
        return kExitUsage;
    }
    for (int slot = first; slot < last; ++slot) {
        if (all && t[slot]->posted()) continue;
        if (auto p = prepare_online_post(*c, slot, clock)) poster.post(*p);
    }
    if (poster.pending() > 0) app.exec();

    std::memcpy(c->info.online_url_prefix, stored.online_url_prefix,
                sizeof stored.online_url_prefix);
    c->info.online_send_crossings = stored.online_send_crossings;
    if (posted > 0) {
        int why = 0;
        if (!save_wdb(*c, file, &why)) {
            file_error("post: cannot save", file, why);
            return kExitOutput;
        }
    }
    return failed ? kExitOutput : kExitOk;
#endif
}
