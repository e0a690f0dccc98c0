// A thin layer over libpq for the shared competition: one connection, plain statements,
// statements with parameters (byte strings travel in binary), a pipeline that sends many
// statements of one transaction in a single round trip, and LISTEN notifications. Nothing
// here knows what a competition is.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace skarvel::pg {

// One parameter of a statement: text (numbers, names) or bytes (records), or NULL.
struct Param {
    enum class Kind { kNull, kText, kBytes };
    Kind kind = Kind::kNull;
    std::string value;

    static Param null() { return {}; }
    static Param text(std::string v) { return {Kind::kText, std::move(v)}; }
    static Param number(long long v) { return {Kind::kText, std::to_string(v)}; }
    static Param bytes(const std::uint8_t* p, std::size_t n) {
        return {Kind::kBytes, std::string(reinterpret_cast<const char*>(p), n)};
    }
    static Param bytes(const std::vector<std::uint8_t>& v) { return bytes(v.data(), v.size()); }
};

struct Statement {
    std::string sql;
    std::vector<Param> params;
};

// A statement's result. Values are read in the format asked for: text, or binary (then the
// integer readers decode PostgreSQL's network byte order).
class Result {
  public:
    Result() = default;
    explicit Result(pg_result* r);
    Result(Result&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
    Result& operator=(Result&& o) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ~Result();

    // The statement ran (a command, or rows returned).
    bool ok() const;
    // The server's error text and SQLSTATE code ("" when none).
    std::string error() const;
    std::string sqlstate() const;
    int rows() const;
    bool is_null(int row, int col) const;
    std::string_view text(int row, int col) const;
    std::vector<std::uint8_t> bytes(int row, int col) const;
    // Integers of a binary result (int2, int4, int8, bool) or of a text result.
    long long integer(int row, int col) const;
    bool binary() const;

  private:
    pg_result* r_ = nullptr;
};

struct Notification {
    std::string channel;
    std::string payload;
};

class Connection {
  public:
    // Connects with a libpq connection string or URI ("host=... dbname=..." or
    // "postgresql://user@host:port/db"); the password comes from the standard password file
    // or the environment, never from us. Null and `error` set on failure.
    static std::unique_ptr<Connection> open(const std::string& conninfo, std::string& error);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool alive() const;
    std::string error_message() const;
    // "user@host:port/db" for messages and the status bar.
    std::string describe() const;

    Result exec(const std::string& sql);
    Result exec(const std::string& sql, const std::vector<Param>& params, bool binary_result);
    Result exec(const Statement& s, bool binary_result) {
        return exec(s.sql, s.params, binary_result);
    }
    // Runs the statements in order in one round trip (libpq's pipeline mode, without waiting
    // for each answer), reading the answers while it writes so that a large batch never
    // blocks. The statements form groups ending before the indexes of `group_ends` (one group
    // when empty): after a failure the rest of its group is skipped by the server, the next
    // group runs. One result per statement; empty when the connection broke.
    std::vector<Result> pipeline(const std::vector<Statement>& statements, bool binary_result,
                                 const std::vector<std::size_t>& group_ends = {});

    // The socket to wait on for notifications; -1 when broken.
    int socket() const;
    // Reads what arrived and returns the notifications; false when the connection broke.
    bool take_notifications(std::vector<Notification>& out);
    // Waits until the socket is readable or `timeout` passed (or `wake_fd` becomes readable,
    // when not -1). True when something may be read.
    bool wait_readable(std::chrono::milliseconds timeout, int wake_fd = -1);

    pg_conn* raw() { return c_; }

  private:
    explicit Connection(pg_conn* c) : c_(c) {}
    bool wait_socket(bool for_write, std::chrono::milliseconds timeout);
    pg_conn* c_ = nullptr;
};

// The text of a parameter quoted for use inside a connection string (key='value').
std::string quote_conninfo_value(std::string_view value);
// A connection string from its parts; empty parts are left out (libpq's defaults apply).
std::string make_conninfo(std::string_view host, int port, std::string_view dbname,
                          std::string_view user);
// Adds the options that make a lost server noticed within seconds (connect timeout, keepalive
// and TCP user timeout) and names the program, unless the string sets them already.
std::string with_network_options(const std::string& conninfo, std::string_view application);

}  // namespace skarvel::pg
