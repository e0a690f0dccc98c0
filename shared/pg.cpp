#include "shared/pg.h"

#include <libpq-fe.h>
#include <poll.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace skarvel::pg {

// ---- Result ----

Result::Result(pg_result* r) : r_(r) {}

Result& Result::operator=(Result&& o) noexcept {
    if (this != &o) {
        if (r_) PQclear(r_);
        r_ = o.r_;
        o.r_ = nullptr;
    }
    return *this;
}

Result::~Result() {
    if (r_) PQclear(r_);
}

bool Result::ok() const {
    if (!r_) return false;
    ExecStatusType s = PQresultStatus(r_);
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK || s == PGRES_PIPELINE_SYNC;
}

std::string Result::error() const {
    if (!r_) return "no result (the connection broke)";
    const char* m = PQresultErrorMessage(r_);
    std::string s = m ? m : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

std::string Result::sqlstate() const {
    if (!r_) return {};
    const char* s = PQresultErrorField(r_, PG_DIAG_SQLSTATE);
    return s ? s : "";
}

int Result::rows() const {
    return r_ ? PQntuples(r_) : 0;
}

bool Result::is_null(int row, int col) const {
    return !r_ || PQgetisnull(r_, row, col);
}

bool Result::binary() const {
    return r_ && PQnfields(r_) > 0 && PQfformat(r_, 0) == 1;
}

std::string_view Result::text(int row, int col) const {
    if (is_null(row, col)) return {};
    return {PQgetvalue(r_, row, col), static_cast<std::size_t>(PQgetlength(r_, row, col))};
}

std::vector<std::uint8_t> Result::bytes(int row, int col) const {
    std::string_view v = text(row, col);
    return {v.begin(), v.end()};
}

long long Result::integer(int row, int col) const {
    if (is_null(row, col)) return 0;
    const char* p = PQgetvalue(r_, row, col);
    int n = PQgetlength(r_, row, col);
    if (PQfformat(r_, col) == 1) {
        // Network byte order, sign-extended from the value's width.
        unsigned long long u = 0;
        for (int i = 0; i < n; ++i) u = (u << 8) | static_cast<unsigned char>(p[i]);
        if (n > 0 && n < 8 && (static_cast<unsigned char>(p[0]) & 0x80)) u |= ~0ull << (8 * n);
        return static_cast<long long>(u);
    }
    return std::strtoll(p, nullptr, 10);
}

// ---- Connection ----

std::unique_ptr<Connection> Connection::open(const std::string& conninfo, std::string& error) {
    PGconn* c = PQconnectdb(conninfo.c_str());
    if (!c) {
        error = "out of memory";
        return nullptr;
    }
    if (PQstatus(c) != CONNECTION_OK) {
        error = PQerrorMessage(c);
        while (!error.empty() && (error.back() == '\n' || error.back() == ' ')) error.pop_back();
        PQfinish(c);
        return nullptr;
    }
    // Notices ("relation already exists, skipping") are not for the user.
    PQsetNoticeProcessor(
        c, [](void*, const char*) {}, nullptr);
    return std::unique_ptr<Connection>(new Connection(c));
}

Connection::~Connection() {
    if (c_) PQfinish(c_);
}

bool Connection::alive() const {
    return c_ && PQstatus(c_) == CONNECTION_OK;
}

std::string Connection::error_message() const {
    std::string e = c_ ? PQerrorMessage(c_) : "not connected";
    while (!e.empty() && (e.back() == '\n' || e.back() == ' ')) e.pop_back();
    return e;
}

std::string Connection::describe() const {
    if (!c_) return {};
    std::string host = PQhost(c_) ? PQhost(c_) : "";
    if (!host.empty() && host[0] == '/') host = "localhost";
    return std::string(PQuser(c_)) + "@" + host + ":" + PQport(c_) + "/" + PQdb(c_);
}

Result Connection::exec(const std::string& sql) {
    return Result(PQexec(c_, sql.c_str()));
}

namespace {

struct ParamArrays {
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    explicit ParamArrays(const std::vector<Param>& params) {
        for (const Param& p : params) {
            values.push_back(p.kind == Param::Kind::kNull ? nullptr : p.value.data());
            lengths.push_back(static_cast<int>(p.value.size()));
            formats.push_back(p.kind == Param::Kind::kBytes ? 1 : 0);
        }
    }
};

}  // namespace

Result Connection::exec(const std::string& sql, const std::vector<Param>& params,
                        bool binary_result) {
    ParamArrays a(params);
    return Result(PQexecParams(c_, sql.c_str(), static_cast<int>(params.size()), nullptr,
                               a.values.data(), a.lengths.data(), a.formats.data(),
                               binary_result ? 1 : 0));
}

bool Connection::wait_socket(bool for_write, std::chrono::milliseconds timeout) {
    pollfd p{PQsocket(c_), static_cast<short>(for_write ? (POLLOUT | POLLIN) : POLLIN), 0};
    if (p.fd < 0) return false;
    int n = ::poll(&p, 1, static_cast<int>(timeout.count()));
    return n > 0;
}

std::vector<Result> Connection::pipeline(const std::vector<Statement>& statements,
                                         bool binary_result,
                                         const std::vector<std::size_t>& group_ends) {
    std::vector<Result> out;
    if (!alive() || PQenterPipelineMode(c_) != 1) return out;
    PQsetnonblocking(c_, 1);
    // Where a synchronisation point follows: after each group, and after the last statement.
    std::vector<std::size_t> ends = group_ends;
    if (ends.empty() || ends.back() != statements.size()) ends.push_back(statements.size());
    bool broken = false;
    std::size_t syncs_sent = 0, syncs_seen = 0;
    // A statement's result has been taken; its terminating null result is still to come.
    bool awaiting_end = false;
    std::size_t sent = 0;
    // Writes while the socket takes bytes and reads whatever answers are ready in between, so
    // a large batch never fills both directions' buffers at once.
    while (!broken && syncs_seen < ends.size()) {
        // A handful of statements at a time keeps libpq's buffer small.
        for (int k = 0; k < 64 && syncs_sent < ends.size(); ++k) {
            if (sent == ends[syncs_sent]) {
                if (PQpipelineSync(c_) != 1) {
                    broken = true;
                    break;
                }
                ++syncs_sent;
                continue;
            }
            const Statement& s = statements[sent];
            ParamArrays a(s.params);
            if (PQsendQueryParams(c_, s.sql.c_str(), static_cast<int>(s.params.size()), nullptr,
                                  a.values.data(), a.lengths.data(), a.formats.data(),
                                  binary_result ? 1 : 0) != 1) {
                broken = true;
                break;
            }
            ++sent;
        }
        if (broken) break;
        int f = PQflush(c_);
        if (f < 0 || PQconsumeInput(c_) != 1) {
            broken = true;
            break;
        }
        while (!PQisBusy(c_)) {
            PGresult* r = PQgetResult(c_);
            if (!r) {
                if (!awaiting_end) break;  // nothing more is ready
                awaiting_end = false;
                continue;
            }
            if (PQresultStatus(r) == PGRES_PIPELINE_SYNC) {
                PQclear(r);
                ++syncs_seen;
                continue;
            }
            if (awaiting_end) {
                PQclear(r);  // a second result of one statement: not ours to keep
            } else {
                out.emplace_back(r);
                awaiting_end = true;
            }
        }
        if (syncs_seen == ends.size()) break;
        // More to queue and room to write it: go on at once; otherwise wait for the socket.
        if (f == 0 && syncs_sent < ends.size()) continue;
        if (!wait_socket(f == 1, std::chrono::milliseconds(1000)) && PQstatus(c_) != CONNECTION_OK)
            broken = true;
    }
    if (broken || PQstatus(c_) != CONNECTION_OK || out.size() != statements.size()) {
        out.clear();
        return out;
    }
    PQexitPipelineMode(c_);
    PQsetnonblocking(c_, 0);
    return out;
}

int Connection::socket() const {
    return alive() ? PQsocket(c_) : -1;
}

bool Connection::take_notifications(std::vector<Notification>& out) {
    if (!alive()) return false;
    if (PQconsumeInput(c_) != 1) return false;
    while (PGnotify* n = PQnotifies(c_)) {
        out.push_back({n->relname ? n->relname : "", n->extra ? n->extra : ""});
        PQfreemem(n);
    }
    return PQstatus(c_) == CONNECTION_OK;
}

bool Connection::wait_readable(std::chrono::milliseconds timeout, int wake_fd) {
    pollfd p[2] = {{socket(), POLLIN, 0}, {wake_fd, POLLIN, 0}};
    int n = ::poll(p, wake_fd >= 0 ? 2 : 1, static_cast<int>(timeout.count()));
    return n > 0;
}

// ---- connection strings ----

std::string quote_conninfo_value(std::string_view value) {
    std::string out = "'";
    for (char ch : value) {
        if (ch == '\'' || ch == '\\') out += '\\';
        out += ch;
    }
    out += '\'';
    return out;
}

std::string make_conninfo(std::string_view host, int port, std::string_view dbname,
                          std::string_view user) {
    std::string s;
    auto add = [&s](std::string_view key, std::string_view value) {
        if (value.empty()) return;
        if (!s.empty()) s += ' ';
        s += key;
        s += '=';
        s += quote_conninfo_value(value);
    };
    add("host", host);
    if (port > 0) add("port", std::to_string(port));
    add("dbname", dbname);
    add("user", user);
    return s;
}

namespace {
bool is_uri(const std::string& s) {
    return s.rfind("postgresql://", 0) == 0 || s.rfind("postgres://", 0) == 0;
}
}  // namespace

std::string with_network_options(const std::string& conninfo, std::string_view application) {
    const std::pair<const char*, std::string> options[] = {
        {"connect_timeout", "3"},
        {"keepalives", "1"},
        {"keepalives_idle", "5"},
        {"keepalives_interval", "2"},
        {"keepalives_count", "2"},
        {"tcp_user_timeout", "6000"},
        {"application_name", std::string(application)},
    };
    std::string out = conninfo;
    bool uri = is_uri(conninfo);
    for (const auto& [key, value] : options) {
        if (conninfo.find(std::string(key) + "=") != std::string::npos) continue;
        if (uri) {
            out += out.find('?') == std::string::npos ? '?' : '&';
            out += key;
            out += '=';
            for (char ch : value) {
                if (std::isalnum(static_cast<unsigned char>(ch)) || ch == '-' || ch == '_' ||
                    ch == '.') {
                    out += ch;
                } else {
                    char buf[4];
                    std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(ch));
                    out += buf;
                }
            }
        } else {
            if (!out.empty()) out += ' ';
            out += key;
            out += '=';
            out += quote_conninfo_value(value);
        }
    }
    return out;
}

}  // namespace skarvel::pg
