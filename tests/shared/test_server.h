// A database of its own for each test, on the PostgreSQL server the environment names (libpq's
// PGHOST, PGPORT, PGUSER, PGPASSWORD; `scripts/setup.sh test` runs the tests under
// `pg_virtualenv`, which starts a throwaway server and sets them), or else on the one
// tests/shared/pg_server.sh started for the test run. Without a reachable server the tests
// that need one are skipped with the reason.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "shared/pg.h"

namespace skarvel::testing {

// Takes the server pg_server.sh started (its PGHOST=..., PGPORT=... lines) when the
// environment names none; the processes the tests start inherit it.
inline void use_test_server() {
#ifdef SKARVEL_TEST_PG_ENV
    if (std::getenv("PGHOST") || std::getenv("PGPORT")) return;
    std::ifstream in(SKARVEL_TEST_PG_ENV);
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            ::setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
#endif
}

class TestDatabase {
  public:
    TestDatabase() {
        use_test_server();
        static std::atomic<int> counter{0};
        name_ = "skarvel_t_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        admin_ = pg::Connection::open("dbname=postgres connect_timeout=5", error_);
        if (!admin_) return;
        pg::Result r = admin_->exec("CREATE DATABASE " + name_);
        if (!r.ok()) {
            error_ = r.error();
            admin_.reset();
        }
    }
    ~TestDatabase() {
        if (admin_) admin_->exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    }
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    bool ready() const { return admin_ != nullptr; }
    const std::string& error() const { return error_; }
    const std::string& name() const { return name_; }
    // The connection string of the test's database.
    std::string conninfo() const { return "dbname=" + name_; }
    std::unique_ptr<pg::Connection> connect() const {
        std::string why;
        return pg::Connection::open(conninfo(), why);
    }

  private:
    std::string name_, error_;
    std::unique_ptr<pg::Connection> admin_;
};

// Why a test skips: no server could be reached.
inline std::string no_server_reason(const TestDatabase& db) {
    return "no PostgreSQL server to test against (none named by PGHOST/PGPORT, and the "
           "shared_server_start test could not start one): " +
           db.error();
}

}  // namespace skarvel::testing

// Skips the test (with the reason) when no server can be reached.
#define SKARVEL_NEED_SERVER(db)                                                    \
    do {                                                                           \
        if (!(db).ready()) GTEST_SKIP() << skarvel::testing::no_server_reason(db); \
    } while (0)
