// The user guide as a reader meets it: every command line it shows runs (device commands
// against the simulators; the desktop program's window steps are not run), every picture and
// file it names exists, both languages show the same commands and pictures in the same chapters,
// and every skarvel-cli command has an example that runs.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/cli_run.h"
#include "tools/guide/guide_doc.h"

namespace skarvel::guide {
namespace {

namespace fs = std::filesystem;

const fs::path kDocs = SKARVEL_DOCS_DIR;

struct Guide {
    std::string language;
    GuideOutline outline;
};

const std::vector<Guide>& guides() {
    static const std::vector<Guide> all = [] {
        std::vector<Guide> g;
        for (const char* lang : {"en", "ru"})
            g.push_back({lang, read_outline(skarvel::testing::read_all(
                                   kDocs / ("guide." + std::string(lang) + ".md")))});
        return g;
    }();
    return all;
}

// Blocks the reader types.
bool shell_block(const CodeBlock& b) {
    return b.info == "sh";
}

// The command lines of a block without their comments, in order.
std::vector<std::string> command_lines(const CodeBlock& b) {
    std::vector<std::string> out;
    std::istringstream in(b.text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t hash = line.find(" #");
        if (line.rfind('#', 0) == 0) continue;
        if (hash != std::string::npos) line.erase(hash);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

int free_port() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

// What every block runs after: the built programs on the PATH, the window not opened, each
// simulator started in the background with the device it prints standing for /dev/pts/N, a
// web server that answers every request standing for the on-line result script, and
// everything started in the background ended with the block.
// The PostgreSQL server of the shared competition's examples: the one libpq's environment
// names, or the one tests/shared/pg_server.sh started for the test run.
std::string server_env() {
    const std::string env = SKARVEL_TEST_PG_ENV;
    return "if [ -z \"${PGHOST:-}${PGPORT:-}\" ] && [ -f '" + env + "' ]; then set -a; . '" + env +
           "'; set +a; fi\n";
}

const char* const kPrelude = R"(set -eo pipefail
pids=()
end_all() { for p in "${pids[@]}" $(jobs -p); do kill "$p" 2> /dev/null || true; done; }
trap end_all EXIT
skarvel() { :; }
wait_for() {  # FILE PATTERN: the first match, within two minutes
    local found=""
    for _ in $(seq 1200); do
        found=$(grep -o "$2" "$1" 2> /dev/null | head -n 1 || true)
        [ -n "$found" ] && break
        sleep 0.1
    done
    [ -n "$found" ] || { echo "no $2 in $1:" >&2; cat "$1" >&2; return 1; }
    echo "$found"
}
start_sim() {
    local out="sim.$RANDOM.out"
    "$@" > "$out" 2>&1 &
    pids+=($!)
    SIM_DEVICE=$(wait_for "$out" '^/dev/[^ ]*')
}
skarvel-station-sim() { start_sim command skarvel-station-sim "$@"; }
skarvel-modem-sim() { start_sim command skarvel-modem-sim "$@"; }
skarvel-decoder-sim() { start_sim command skarvel-decoder-sim "$@"; }
skarvel-board-sim() { start_sim command skarvel-board-sim "$@"; }
start_web() {
    mkdir -p web.empty
    command skarvel-cli serve web.empty --port 0 > web.out 2>&1 &
    pids+=($!)
    WEB_URL=$(wait_for web.out 'http://[^ ]*/')
}
)";

// The block as it runs here: the device, ports and addresses of this machine.
std::string runnable(const CodeBlock& b, std::string& prelude_extra) {
    std::string text = std::regex_replace(b.text, std::regex("/dev/pts/N"), "$SIM_DEVICE");
    if (text.find("http://results.example/") != std::string::npos) {
        prelude_extra += "start_web\n";
        text = std::regex_replace(text, std::regex("http://results\\.example/"), "${WEB_URL}");
    }
    // Fixed ports of the examples: free ones here, the same number for the same port.
    std::map<std::string, std::string> ports;
    const std::regex port_re("--port ([0-9]{4,5})\\b");
    for (std::sregex_iterator it(text.begin(), text.end(), port_re), end; it != end; ++it)
        ports.emplace((*it)[1].str(), std::to_string(free_port()));
    for (const auto& [from, to] : ports)
        text = std::regex_replace(text, std::regex("\\b" + from + "\\b"), to);
    return text;
}

TEST(Guide, EveryPictureAndFileItNamesExists) {
    for (const Guide& g : guides()) {
        ASSERT_FALSE(g.outline.headings.empty()) << g.language;
        for (const FileRef& f : g.outline.files)
            EXPECT_TRUE(fs::exists(kDocs / f.url))
                << "guide." << g.language << ".md:" << f.line << " names " << f.url;
    }
}

TEST(Guide, BothLanguagesShowTheSameChaptersCommandsAndPictures) {
    const GuideOutline& en = guides()[0].outline;
    const GuideOutline& ru = guides()[1].outline;
    auto levels = [](const GuideOutline& o) {
        std::vector<int> l;
        for (const Heading& h : o.headings) l.push_back(h.level);
        return l;
    };
    EXPECT_EQ(levels(en), levels(ru));
    auto commands = [](const GuideOutline& o) {
        std::vector<std::string> c;
        for (const CodeBlock& b : o.blocks)
            if (shell_block(b))
                for (const std::string& line : command_lines(b)) c.push_back(b.info + ": " + line);
        return c;
    };
    EXPECT_EQ(commands(en), commands(ru));
    auto pictures = [](const GuideOutline& o) {
        std::set<std::string> p;
        for (const FileRef& f : o.files) p.insert(f.url);
        return p;
    };
    EXPECT_EQ(pictures(en), pictures(ru));
}

TEST(Guide, EveryCliCommandHasAnExample) {
    const std::string help = skarvel::testing::cli("--help").out;
    EXPECT_NE(help.find("docs/guide.en.md"), std::string::npos) << "--help points to the guide";
    std::set<std::string> shown;
    for (const CodeBlock& b : guides()[0].outline.blocks)
        if (shell_block(b))
            for (const std::string& line : command_lines(b)) {
                std::smatch m;
                if (std::regex_search(line, m, std::regex("skarvel-cli ([a-z-]+)")))
                    shown.insert(m[1]);
            }
    const std::regex command_re("^  ([a-z-]+) ");
    int commands = 0;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, command_re)) continue;
        ++commands;
        EXPECT_TRUE(shown.count(m[1])) << "no example of skarvel-cli " << m[1];
    }
    EXPECT_GT(commands, 30);
}

TEST(Guide, EveryCommandLineItShowsRuns) {
    const fs::path work =
        fs::temp_directory_path() / ("skarvel_guide_" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    int ran = 0;
    for (const CodeBlock& b : guides()[0].outline.blocks) {
        if (!shell_block(b)) continue;
        std::string extra;
        const std::string text = runnable(b, extra);
        const fs::path script = work / ("block" + std::to_string(b.line) + ".sh");
        std::ofstream(script) << "export PATH=\"" << SKARVEL_TOOL_DIRS << ":$PATH\"\n"
                              << kPrelude << server_env() << extra << text;
        const auto r = skarvel::testing::shell("cd '" + work.string() + "' && bash '" +
                                               script.string() + "' 2>&1 < /dev/null");
        EXPECT_EQ(r.code, 0) << "guide.en.md:" << b.line << "\n" << b.text << "---\n" << r.out;
        ++ran;
    }
    EXPECT_GT(ran, 10);
    if (!HasFailure()) fs::remove_all(work);
}

TEST(GuideArchive, HoldsThePageAndEveryFileItNamesOnce) {
    EXPECT_EQ(base64("Man"), "TWFu\r\n");
    EXPECT_EQ(base64("Ma"), "TWE=\r\n");
    EXPECT_EQ(base64(std::string(57, 'x')).find("\r\n"), 76u);  // MIME's line length
    const std::string html =
        guide_html("# T\n\n## One\n\n![a](p.png) [again](p.png) [web](http://x/y.png)\n", "en");
    EXPECT_NE(html.find("<a href=\"#c1\">One</a>"), std::string::npos);  // the chapter list
    EXPECT_NE(html.find("<h2><a id=\"c1\"></a>One</h2>"), std::string::npos);
    std::vector<std::string> asked;
    const std::string mht = web_archive(html, "T", [&](const std::string& url, std::string& bytes) {
        asked.push_back(url);
        bytes = "PNG";
        return true;
    });
    EXPECT_EQ(asked, std::vector<std::string>{"p.png"});
    EXPECT_NE(mht.find("Content-Location: file:///p.png\r\n\r\n" + base64("PNG")),
              std::string::npos);
    EXPECT_NE(mht.find("Content-Location: file:///skarvel.htm"), std::string::npos);
}

}  // namespace
}  // namespace skarvel::guide
