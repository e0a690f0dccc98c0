// skarvel-cli with a shared competition: share, fetch, and --db in place of FILE.wdb for a
// command that reads and one that changes the competition.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/demo_competition.h"
#include "core/wdb_file.h"
#include "shared/row_codec.h"
#include "tests/shared/test_server.h"
#include "tests/tools/cli_run.h"

using namespace skarvel;
namespace fs = std::filesystem;

namespace {

class CliShared : public ::testing::Test {
  protected:
    void SetUp() override {
        SKARVEL_NEED_SERVER(server);
        dir = fs::temp_directory_path() / ("skarvel_cli_shared_" + server.name());
        fs::create_directories(dir);
        Competition c;
        make_demo_competition(c, DemoOptions{});
        c.info.competition_kind = 1;  // a marked-route event: penalties for everybody are allowed
        ASSERT_TRUE(save_wdb(c, file("race.wdb")));
        uri = "\"" + server.conninfo() + "\"";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string file(const char* name) const { return (dir / name).string(); }
    std::unique_ptr<Competition> load(const char* name) {
        auto c = std::make_unique<Competition>();
        ScriptedPrompts quiet;
        EXPECT_EQ(load_wdb(*c, file(name), quiet).status, LoadStatus::kOk);
        return c;
    }

    skarvel::testing::TestDatabase server;
    fs::path dir;
    std::string uri;
};

TEST_F(CliShared, ShareFetchAndCommandsOnTheServer) {
    using skarvel::testing::cli;
    ASSERT_EQ(cli("share " + file("race.wdb") + " --db " + uri).code, 0);
    // Shared twice: refused without --replace.
    EXPECT_EQ(cli("share " + file("race.wdb") + " --db " + uri).code, 5);
    ASSERT_EQ(cli("fetch --db " + uri + " " + file("fetched.wdb")).code, 0);
    auto original = load("race.wdb");
    auto fetched = load("fetched.wdb");
    ASSERT_EQ(fetched->tables.runners.live_count(), original->tables.runners.live_count());
    for (int i = 0; i < original->tables.runners.live_count(); ++i)
        EXPECT_EQ(shared::shared_bytes(*fetched->tables.runners[i]),
                  shared::shared_bytes(*original->tables.runners[i]));
    EXPECT_EQ(fetched->tables.card_readouts.live_count(),
              original->tables.card_readouts.live_count());

    // A command that reads: the same page from the server as from the fetched file.
    ASSERT_EQ(cli("results --db " + uri + " --html " + file("a.htm")).code, 0);
    ASSERT_EQ(cli("results " + file("fetched.wdb") + " --html " + file("b.htm")).code, 0);
    EXPECT_EQ(skarvel::testing::read_all(file("a.htm")), skarvel::testing::read_all(file("b.htm")));

    // A command that changes: what it saved is on the server afterwards.
    ASSERT_EQ(cli("penalty set60 --db " + uri).code, 0);
    ASSERT_EQ(cli("fetch --db " + uri + " " + file("after.wdb")).code, 0);
    auto after = load("after.wdb");
    for (int i = 0; i < after->tables.runners.live_count(); ++i)
        EXPECT_EQ(after->tables.runners[i]->penalty, 60) << i;
    EXPECT_EQ(after->tables.card_readouts.live_count(),
              original->tables.card_readouts.live_count());

    // A server that cannot be reached, a database without a shared competition.
    EXPECT_EQ(cli("fetch --db \"host=127.0.0.1 port=1 connect_timeout=2\" " + file("x.wdb")).code,
              5);
    EXPECT_EQ(cli("fetch --db dbname=postgres " + file("x.wdb")).code, 5);
    EXPECT_FALSE(fs::exists(file("x.wdb")));
}

}  // namespace
