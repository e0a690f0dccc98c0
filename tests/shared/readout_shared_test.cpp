// Headless readout places of a shared competition (`skarvel-cli readout --db`), each a process
// of its own on a station simulator: a card is on the server before its station hears that it
// is taken; two places reading at once give one finish list; a reader killed at the
// acknowledgement, or cut off from the server and killed, loses nothing the station was told.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "shared/identity.h"
#include "shared/store.h"
#include "tests/punch/simulated_race.h"
#include "tests/shared/test_server.h"
#include "tools/net_proxy/net_proxy.h"
#include "tools/station_sim/station_sim.h"

using namespace skarvel;
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kFirstCard = 3000100;

bool wait_for(const std::function<bool()>& done) {
    for (int i = 0; i < 12000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

// A station simulator on a pty of its own with the cards of runners [from, to).
struct Station {
    sim::StationSimulator sim;
    std::string device;
    std::thread thread;
    Station(int from, int to, std::function<void()> on_ack = {}, bool now = true)
        : sim(parse(from, to), {200, 5, 0}), device(sim.open_pty()) {
        sim.on_acknowledged = std::move(on_ack);
        if (now) start();
    }
    // The cards are offered from now on.
    void start() {
        if (!device.empty()) thread = std::thread([this] { sim.run(); });
    }
    ~Station() {
        sim.stop();
        if (thread.joinable()) thread.join();
    }
    static sim::SimScript parse(int from, int to) {
        std::string all = skarvel::testing::simulated_cards(to, kFirstCard), script;
        std::istringstream lines(all);
        std::string line;
        for (int i = 0; std::getline(lines, line); ++i)
            if (i >= from) script += line + "\n";
        sim::SimScript parsed;
        sim::parse_script(script, parsed, nullptr);
        return parsed;
    }
};

class ReadoutShared : public ::testing::Test {
  protected:
    void SetUp() override {
        SKARVEL_NEED_SERVER(server);
        dir = fs::temp_directory_path() / ("skarvel_readout_shared_" + server.name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        Competition c;
        skarvel::testing::simulated_race(c, 20, kFirstCard);
        auto db = server.connect();
        ASSERT_EQ(shared::share_competition(*db, c, shared::new_origin_id(), "t", false).status,
                  shared::ShareStatus::kOk);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // A reader process on `device`; its folder is `name` (a restarted reader is the same one).
    pid_t start(const std::string& device, const std::string& name, int cards,
                const std::string& conninfo = {}) {
        std::string out = (dir / (name + ".out")).string();
        std::string err = (dir / (name + ".err")).string();
        std::vector<std::string> words = {
            SKARVEL_CLI, "readout", "--db",    conninfo.empty() ? server.conninfo() : conninfo,
            "--port",    device,    "--state", (dir / name).string()};
        if (cards > 0) {
            words.push_back("--cards");
            words.push_back(std::to_string(cards));
        }
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        pid_t pid = ::fork();
        if (pid == 0) {
            int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(o, 1);
            ::dup2(e, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }
    std::string err(const std::string& name) {
        std::ifstream in(dir / (name + ".err"));
        std::stringstream t;
        t << in.rdbuf();
        return t.str();
    }
    static int finish(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }
    // How many readouts of each card the server holds (0 for a card it lacks).
    std::map<std::int32_t, int> on_server() {
        std::map<std::int32_t, int> n;
        auto db = server.connect();
        shared::Snapshot s;
        EXPECT_EQ(shared::fetch_snapshot(*db, s).status, shared::FetchStatus::kOk);
        Competition c;
        shared::build_competition(c, s, "test");
        for (int i = 0; i < c.tables.card_readouts.live_count(); ++i)
            ++n[c.tables.card_readouts[i]->card_number];
        lines = c.tables.finish_lines.live_count();
        return n;
    }

    skarvel::testing::TestDatabase server;
    fs::path dir;
    int lines = 0;
};

TEST_F(ReadoutShared, TwoPlacesReadingAtOnceGiveOneList) {
    Station a(0, 5), b(5, 10);
    ASSERT_FALSE(a.device.empty() || b.device.empty());
    pid_t pa = start(a.device, "a", 5), pb = start(b.device, "b", 5);
    int sa = finish(pa), sb = finish(pb);
    ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0) << err("a");
    ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0) << err("b");
    std::map<std::int32_t, int> n = on_server();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(n[kFirstCard + i], 1) << i;
    EXPECT_EQ(lines, 10);
}

TEST_F(ReadoutShared, KilledAtTheAcknowledgementTheCardIsOnTheServer) {
    std::atomic<pid_t> reader{0};
    std::atomic<bool> killed{false};
    Station s(0, 3, [&] {
        if (pid_t pid = reader.exchange(0); pid > 0) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
    });
    reader = start(s.device, "r", 0);
    pid_t first = reader.load();
    ASSERT_TRUE(wait_for([&] { return killed.load(); })) << err("r");
    finish(first);
    // The card the station was told is taken is on the server already.
    EXPECT_EQ(on_server()[kFirstCard], 1) << err("r");
    // The same reader again reads on; nothing twice.
    pid_t again = start(s.device, "r", 2);
    int status = finish(again);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << err("r");
    std::map<std::int32_t, int> n = on_server();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(n[kFirstCard + i], 1) << i << err("r");
    EXPECT_EQ(lines, 3);
}

TEST_F(ReadoutShared, CutOffAndKilledTheCardsReachTheServerLater) {
    const char* port = std::getenv("PGPORT");
    tools::NetProxy proxy("127.0.0.1", port ? std::atoi(port) : 5432, std::chrono::milliseconds(0));
    ASSERT_TRUE(proxy.start());
    std::string via = pg::make_conninfo("127.0.0.1", proxy.port(), server.name(),
                                        std::getenv("PGUSER") ? std::getenv("PGUSER") : "");
    {
        Station s(0, 2, {}, false);
        pid_t pid = start(s.device, "r", 0, via);
        ASSERT_TRUE(wait_for([&] {
            return err("r").find("server: connected") != std::string::npos;
        })) << err("r");
        proxy.cut();
        s.start();
        // Both cards are taken from the journal alone, then the reader dies.
        ASSERT_TRUE(wait_for([&] { return s.sim.cards_taken() == 2; })) << err("r");
        ::kill(pid, SIGKILL);
        finish(pid);
    }
    EXPECT_EQ(on_server()[kFirstCard], 0) << err("r");
    proxy.restore();
    // Started again, it sends what waited first, then reads one more card.
    Station s(2, 3);
    pid_t pid = start(s.device, "r", 1, via);
    int status = finish(pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << err("r");
    std::map<std::int32_t, int> n = on_server();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(n[kFirstCard + i], 1) << i;
    EXPECT_EQ(lines, 3);
}

}  // namespace
