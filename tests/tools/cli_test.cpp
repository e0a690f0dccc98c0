// skarvel-cli run as a user runs it: output, exit codes, files.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/cp1251.h"
#include "core/demo_competition.h"
#include "core/time_text.h"
#include "core/wdb_file.h"
#include "tests/run_program.h"

using namespace skarvel;

namespace {

struct CliRun {
    int code = -1;
    std::string out, err;
};

CliRun run_cli(const std::string& args) {
    skarvel::testing::ProgramRun run = skarvel::testing::run_program(SKARVEL_CLI_PATH, args);
    return {run.started ? run.code : -1, run.out, run.err};
}

#ifndef _WIN32
// Runs skarvel-cli with every file it writes limited to `limit` bytes, as on a disk that is
// full: a write past it fails. Returns the exit code.
int run_cli_on_full_disk(std::vector<std::string> words, long limit) {
    words.insert(words.begin(), SKARVEL_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        rlimit r{rlim_t(limit), rlim_t(limit)};
        ::setrlimit(RLIMIT_FSIZE, &r);
        ::signal(SIGXFSZ, SIG_IGN);
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

// A small JSON reader: enough to check that the output is well formed and to look at it.
struct Value {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    double number = 0;
    std::string text;
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;  // in order
    const Value* get(const std::string& key) const {
        for (auto& [k, v] : members)
            if (k == key) return &v;
        return nullptr;
    }
};

class Parser {
  public:
    explicit Parser(const std::string& s) : s_(s) {}
    bool parse(Value& v) {
        bool ok = value(v);
        space();
        return ok && i_ == s_.size();
    }

  private:
    const std::string& s_;
    std::size_t i_ = 0;
    void space() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    bool lit(const char* w) {
        std::size_t n = std::strlen(w);
        if (s_.compare(i_, n, w) != 0) return false;
        i_ += n;
        return true;
    }
    bool string(std::string& out) {
        if (i_ >= s_.size() || s_[i_] != '"') return false;
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"') {
            unsigned char c = s_[i_];
            if (c < 0x20) return false;
            if (c == '\\') {
                if (++i_ >= s_.size()) return false;
                char e = s_[i_];
                if (e == 'u') {
                    if (i_ + 4 >= s_.size()) return false;
                    out += char(std::stoi(s_.substr(i_ + 1, 4), nullptr, 16));
                    i_ += 4;
                } else if (std::string("\"\\/bfnrt").find(e) != std::string::npos) {
                    out += e;
                } else {
                    return false;
                }
                ++i_;
            } else {
                out += s_[i_++];
            }
        }
        if (i_ >= s_.size()) return false;
        ++i_;
        return true;
    }
    bool value(Value& v) {
        space();
        if (i_ >= s_.size()) return false;
        char c = s_[i_];
        if (c == '{') {
            v.kind = Value::kObject;
            ++i_;
            space();
            if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
            for (;;) {
                space();
                std::string k;
                if (!string(k)) return false;
                space();
                if (i_ >= s_.size() || s_[i_++] != ':') return false;
                Value m;
                if (!value(m)) return false;
                v.members.emplace_back(k, std::move(m));
                space();
                if (i_ < s_.size() && s_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
                return false;
            }
        }
        if (c == '[') {
            v.kind = Value::kArray;
            ++i_;
            space();
            if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
            for (;;) {
                Value m;
                if (!value(m)) return false;
                v.items.push_back(std::move(m));
                space();
                if (i_ < s_.size() && s_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
                return false;
            }
        }
        if (c == '"') {
            v.kind = Value::kString;
            return string(v.text);
        }
        if (lit("true") || lit("false")) return v.kind = Value::kBool, true;
        if (lit("null")) return true;
        std::size_t start = i_;
        if (s_[i_] == '-') ++i_;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
        if (i_ == start || (s_[start] == '-' && i_ == start + 1)) return false;
        v.kind = Value::kNumber;
        v.number = std::stod(s_.substr(start, i_ - start));
        return true;
    }
};

class CliTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("skarvel_cli_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string file(const std::string& name) const { return (dir / name).string(); }
};

}  // namespace

TEST_F(CliTest, DemoThenDumpGivesOneJsonObjectWithEveryTable) {
    CliRun demo =
        run_cli("demo " + file("d.wdb") + " --runners 50 --seed 7 --cards " + file("cards.txt"));
    ASSERT_EQ(demo.code, 0) << demo.err;
    CliRun dump = run_cli("dump " + file("d.wdb"));
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_TRUE(dump.err.empty());
    Value root;
    ASSERT_TRUE(Parser(dump.out).parse(root)) << dump.out.substr(0, 400);
    ASSERT_EQ(root.kind, Value::kObject);
    std::vector<std::string> keys;
    for (auto& [k, v] : root.members) keys.push_back(k);
    EXPECT_EQ(keys, (std::vector<std::string>{"version", "info", "runners", "clubs", "classes",
                                              "courses", "finish_lines", "card_readouts"}));
    EXPECT_EQ(root.get("version")->number, 21);

    // The same competition, made here, to compare with.
    Competition c;
    DemoOptions o;
    o.runners = 50;
    o.seed = 7;
    o.still_out = 6;  // the command's demo is a race in progress
    make_demo_competition(c, o);

    const Value& info = *root.get("info");
    ASSERT_EQ(info.get("title_lines")->items.size(), 10u);
    EXPECT_EQ(info.get("title_lines")->items[0].text,
              cp1251_to_utf8(field_text(c.info.title_lines[0])));
    EXPECT_EQ(info.get("status_short_texts")->items.size(), 9u);
    EXPECT_EQ(info.get("status_names")->items.size(), 9u);
    EXPECT_EQ(info.get("course_setters")->items.size(), 4u);
    EXPECT_EQ(info.get("formula_c")->number, 1);
    EXPECT_EQ(info.get("display_on")->number, 0);
    EXPECT_NE(info.get("time_precision"), nullptr);
    for (auto& [k, v] : info.members) EXPECT_NE(k.rfind("field_", 0), 0u) << k;

    const Value& runners = *root.get("runners");
    ASSERT_EQ(runners.items.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        const Runner& r = *c.tables.runners[i];
        const Value& v = runners.items[i];
        EXPECT_EQ(v.get("name")->text, cp1251_to_utf8(field_text(r.name)));
        EXPECT_EQ(v.get("id")->number, r.id);
        EXPECT_EQ(v.get("start_number")->number, r.start_number);
        EXPECT_EQ(v.get("card_number")->number, r.card_number);
        EXPECT_EQ(v.get("day_results")->items.size(), 10u);
        EXPECT_EQ(v.get("reserved160"), nullptr);
    }
    for (const char* k : {"id", "name", "representative", "runner_count", "marked"})
        EXPECT_NE(root.get("clubs")->items.at(0).get(k), nullptr) << k;
    for (const char* k : {"id", "name", "course_id", "flags", "fee_own_reduced", "ms_award"})
        EXPECT_NE(root.get("classes")->items.at(0).get(k), nullptr) << k;
    const Value& course = root.get("courses")->items.at(0);
    EXPECT_EQ(course.get("control_codes")->items.size(), 100u);
    EXPECT_EQ(course.get("control_count")->number, c.tables.courses[0]->control_count);

    const Value& lines = *root.get("finish_lines");
    ASSERT_EQ(int(lines.items.size()), c.tables.finish_lines.live_count());
    const FinishLine& f = *c.tables.finish_lines[0];
    EXPECT_EQ(lines.items[0].get("start_number")->number, f.start_number);
    EXPECT_EQ(lines.items[0].get("time")->number, f.time());
    EXPECT_EQ(lines.items[0].get("counter")->number, f.counter());
    EXPECT_EQ(lines.items[0].get("flags")->number, f.flags);

    const Value& cards = *root.get("card_readouts");
    ASSERT_EQ(int(cards.items.size()), c.tables.card_readouts.live_count());
    for (std::size_t i = 0; i < cards.items.size(); ++i) {
        const CardReadout& r = *c.tables.card_readouts[int(i)];
        const Value& v = cards.items[i];
        EXPECT_EQ(v.get("card_number")->number, r.card_number);
        EXPECT_EQ(v.get("punch_count")->number, r.punch_count);
        ASSERT_EQ(int(v.get("punches")->items.size()), r.punch_count);
        EXPECT_EQ(v.get("station_punches")->items.size(), 2u);
        EXPECT_EQ(v.get("finish")->get("time")->number, r.finish.time);
        if (r.punch_count > 0) {
            EXPECT_EQ(v.get("punches")->items[0].get("code")->number, r.punches[0].code);
            EXPECT_EQ(v.get("punches")->items[0].get("time")->number, r.punches[0].time);
        }
    }

    // The simulator's script: the cards of the runners still out, then a stranger's card.
    std::vector<CardReadout> out;
    make_demo_competition(c, o, &out);
    ASSERT_EQ(out.size(), 6u);
    std::ifstream in(file("cards.txt"), std::ios::binary);
    std::vector<std::string> card_lines;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("card ", 0) == 0) card_lines.push_back(line);
    ASSERT_EQ(card_lines.size(), 7u);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const CardReadout& r = out[i];
        std::string expect = "card type=6 number=" + std::to_string(r.card_number) +
                             " start=" + format_time_text(r.start.time, 0) +
                             " finish=" + format_time_text(r.finish.time, 0) +
                             " punches=" + std::to_string(r.punches[0].code) + "@" +
                             format_time_text(r.punches[0].time, 0) + ",";
        EXPECT_EQ(card_lines[i].substr(0, expect.size()), expect);
        bool owned = false;
        for (int k = 0; k < c.tables.runners.capacity() && c.tables.runners[k]; ++k)
            owned = owned || c.tables.runners[k]->card_number == r.card_number;
        EXPECT_TRUE(owned) << r.card_number;
    }
    EXPECT_NE(card_lines[6].find("number=2999999 "), std::string::npos);
}

TEST_F(CliTest, TextsWithQuotesAndControlCharactersAreEscaped) {
    Competition c;
    Runner& r = *c.tables.runners[c.new_record(kRunners)];
    set_field_text(r.name, "a\"b\\c\td");
    set_field_text(c.info.title_lines[1], "\x01");
    ASSERT_TRUE(save_wdb(c, file("q.wdb")));
    CliRun dump = run_cli("dump " + file("q.wdb"));
    ASSERT_EQ(dump.code, 0) << dump.err;
    Value root;
    ASSERT_TRUE(Parser(dump.out).parse(root));
    EXPECT_EQ(root.get("runners")->items.at(0).get("name")->text, "a\"b\\c\td");
    EXPECT_EQ(root.get("info")->get("title_lines")->items.at(1).text, "\x01");
}

TEST_F(CliTest, ConvertWritesVersion21AndRefusesDamagedFiles) {
    ASSERT_EQ(run_cli("demo " + file("d.wdb") + " --runners 30").code, 0);
    CliRun conv = run_cli("convert " + file("d.wdb") + " " + file("e.wdb"));
    ASSERT_EQ(conv.code, 0) << conv.err;
    auto read = [](const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(read(file("d.wdb")), read(file("e.wdb")));

    std::string cut = read(file("d.wdb")).substr(0, 3000);
    std::ofstream(file("cut.wdb"), std::ios::binary) << cut;
    CliRun bad = run_cli("convert " + file("cut.wdb") + " " + file("out.wdb"));
    EXPECT_EQ(bad.code, 3);
    EXPECT_NE(bad.err.find("damaged"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("runners"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(file("out.wdb")));
    // A count zeroed inside the file: the tables after it are read from record bytes, and the
    // file does not end where they say.
    std::string zeroed = read(file("d.wdb"));
    std::memset(zeroed.data() + 4, 0, 4);
    std::ofstream(file("zeroed.wdb"), std::ios::binary) << zeroed;
    CliRun refused = run_cli("convert " + file("zeroed.wdb") + " " + file("out.wdb"));
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("damaged"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(file("out.wdb")));
    // Nowhere to write.
    CliRun nowhere = run_cli("convert " + file("d.wdb") + " " + file("no/such/dir/x.wdb"));
    EXPECT_EQ(nowhere.code, 4);
    EXPECT_FALSE(nowhere.err.empty());
}

#ifndef _WIN32  // a file size limit per process is POSIX
// A report written to a full disk fails with the output exit code, and the file written before
// stays as it was: reports go to a temporary file renamed over the target only when whole, and
// a PDF file is checked when the printer is done.
TEST_F(CliTest, ReportsToAFullDiskFailAndKeepTheLastGoodFile) {
    ASSERT_EQ(run_cli("demo " + file("d.wdb") + " --runners 200").code, 0);
    std::vector<std::vector<std::string>> reports = {
        {"results", file("d.wdb"), "--html", file("r.htm")},
        {"startlist", file("d.wdb"), "--html", file("s.htm")},
    };
#ifdef SKARVEL_CLI_HAS_QT  // PDF files need the Qt build of the tool
    reports.push_back({"results", file("d.wdb"), "--pdf", file("r.pdf")});
    reports.push_back({"startlist", file("d.wdb"), "--pdf", file("s.pdf")});
#endif
    auto read = [](const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    };
    for (const auto& words : reports) {
        std::string args;
        for (const std::string& w : words) args += w + " ";
        CliRun good = run_cli(args);
        ASSERT_EQ(good.code, 0) << args << good.err;
        std::string before = read(words[3]);
        ASSERT_GT(before.size(), 4096u) << args;
        EXPECT_EQ(run_cli_on_full_disk(words, long(before.size() / 2)), 4) << args;
        EXPECT_EQ(read(words[3]), before) << args;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}
#endif

// The tool speaks one language: failures told by the logic come in English like its own.
TEST_F(CliTest, ErrorsAreToldInEnglishOnly) {
    ASSERT_EQ(run_cli("demo " + file("d.wdb") + " --runners 30").code, 0);
    std::ofstream(file("plain"), std::ios::binary) << "x";
    const std::string cases[] = {
        "export online " + file("d.wdb") + " " + file("no/such/x.csv"),
        "multipage " + file("d.wdb") + " --out " + file("plain"),
        "lists clubs " + file("d.wdb") + " --html " + file("no/such/x.htm"),
        "startlist " + file("d.wdb") + " --html " + file("no/such/x.htm"),
    };
    for (const std::string& args : cases) {
        CliRun r = run_cli(args);
        EXPECT_NE(r.code, 0) << args;
        EXPECT_FALSE(r.err.empty()) << args;
        for (unsigned char ch : r.err) EXPECT_LT(ch, 0x80) << args << ": " << r.err;
    }
}

TEST_F(CliTest, BadInputGivesAMessageAndAnExitCode) {
    struct Case {
        std::string args;
        int code;
    };
    std::ofstream(file("junk.wdb"), std::ios::binary) << "not a competition";
    std::ofstream(file("empty.wdb"), std::ios::binary);
    const Case cases[] = {
        {"", 1},
        {"frobnicate", 1},
        {"dump", 1},
        {"dump a b", 1},
        {"dump " + file("missing.wdb"), 2},
        {"dump " + file("junk.wdb"), 2},
        {"dump " + file("empty.wdb"), 2},
        {"dump " + dir.string(), 2},
        {"convert " + file("missing.wdb"), 1},
        {"demo", 1},
        {"demo " + file("x.wdb") + " --runners", 1},
        {"demo " + file("x.wdb") + " --runners ten", 1},
        {"demo " + file("x.wdb") + " --runners 30001", 1},
        {"demo " + file("x.wdb") + " --runners -5", 1},
        {"demo " + file("x.wdb") + " --seed 1x", 1},
        {"demo " + file("x.wdb") + " --colour red", 1},
    };
    for (const Case& c : cases) {
        CliRun r = run_cli(c.args);
        EXPECT_EQ(r.code, c.code) << c.args;
        EXPECT_FALSE(r.err.empty()) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    EXPECT_FALSE(std::filesystem::exists(file("x.wdb")));
    CliRun help = run_cli("help");
    EXPECT_EQ(help.code, 0);
    for (const char* named : {"dump", "|ocad8|", "--relay-scale 100|1000"})
        EXPECT_NE(help.out.find(named), std::string::npos) << named;
}

// Penalties for everybody follow the menu: the marked-route kinds (1, 2) only.
TEST_F(CliTest, PenaltyForEverybodyOnlyForMarkedRouteKinds) {
    for (int kind : {0, 1, 2, 3}) {
        Competition c;
        c.info.competition_kind = static_cast<std::uint8_t>(kind);
        c.tables.runners[c.new_record(kRunners)]->penalty = 5;
        ASSERT_TRUE(save_wdb(c, file("p.wdb")));
        CliRun run = run_cli("penalty set60 " + file("p.wdb"));
        const bool marked_route = kind == 1 || kind == 2;
        EXPECT_EQ(run.code, marked_route ? 0 : 1) << kind;
        EXPECT_EQ(
            run.err.find("the competition kind is " + std::to_string(kind)) != std::string::npos,
            !marked_route)
            << run.err;
        Competition back;
        ScriptedPrompts prompts;
        ASSERT_TRUE(load_wdb(back, file("p.wdb"), prompts).ok());
        EXPECT_EQ(back.tables.runners[0]->penalty, marked_route ? 60 : 5) << kind;
    }
}

// Every report goes to exactly the OUT it is given, with or without an extension (no default
// extension is added, as a save dialog would).
TEST_F(CliTest, ReportsAreWrittenToExactlyTheOutGiven) {
    ASSERT_EQ(run_cli("demo " + file("d.wdb") + " --runners 40 --seed 3").code, 0);
    {
        Competition c;
        ScriptedPrompts p;
        ASSERT_TRUE(load_wdb(c, file("d.wdb"), p).ok());
        c.info.relay = 1;
        ASSERT_TRUE(save_wdb(c, file("relay.wdb")));
    }
    const std::string d = file("d.wdb");
    const std::map<std::string, std::string> runs = {
        {"relayout", "results " + file("relay.wdb") + " --html "},
        {"protocol", "results " + d + " --html "},
        {"splits", "export osv " + d + " "},
        {"route", "export routegadget " + d + " "},
        {"common", "export splits-html " + d + " "},
        {"clubs", "lists clubs " + d + " --html "},
        {"summary", "summary " + d + " --html "},
        {"start", "startlist " + d + " --html "},
        {"pairs.list", "export number-card " + d + " "},
    };
    std::vector<std::string> expected = {"d.wdb", "relay.wdb"};
    for (const auto& [out, command] : runs) {
        CliRun r = run_cli(command + file(out));
        EXPECT_EQ(r.code, 0) << command << r.err;
        expected.push_back(out);
    }
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
}
