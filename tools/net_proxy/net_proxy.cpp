#include "tools/net_proxy/net_proxy.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <deque>

namespace skarvel::tools {

struct NetProxy::Pair {
    int client = -1, server = -1;
    std::thread up, down;
    std::atomic<bool> closed{false};
    void close_both() {
        if (closed.exchange(true)) return;
        ::shutdown(client, SHUT_RDWR);
        ::shutdown(server, SHUT_RDWR);
    }
    ~Pair() {
        close_both();
        if (up.joinable()) up.join();
        if (down.joinable()) down.join();
        ::close(client);
        ::close(server);
    }
};

NetProxy::NetProxy(std::string target_host, int target_port, std::chrono::milliseconds delay)
    : host_(std::move(target_host)), target_port_(target_port), delay_(delay) {}

NetProxy::~NetProxy() {
    stop_ = true;
    if (listen_fd_ >= 0) ::shutdown(listen_fd_, SHUT_RDWR);
    if (acceptor_.joinable()) acceptor_.join();
    if (listen_fd_ >= 0) ::close(listen_fd_);
    std::lock_guard<std::mutex> lock(mutex_);
    pairs_.clear();
}

bool NetProxy::start() {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listen_fd_ < 0) return false;
    int one = 1;
    ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
    if (::listen(listen_fd_, 64) != 0) return false;
    socklen_t len = sizeof a;
    ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    acceptor_ = std::thread([this] { accept_loop(); });
    return true;
}

void NetProxy::cut() {
    cut_ = true;
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& p : pairs_) p->close_both();
}

void NetProxy::restore() {
    cut_ = false;
}

namespace {

int connect_to(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &res) != 0) return -1;
    int fd = -1;
    for (addrinfo* p = res; p; p = p->ai_next) {
        fd = ::socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, p->ai_addr, p->ai_addrlen) == 0) break;
        ::close(fd);
        fd = -1;
    }
    ::freeaddrinfo(res);
    if (fd >= 0) {
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

}  // namespace

void NetProxy::accept_loop() {
    while (!stop_) {
        int fd = ::accept(listen_fd_, nullptr, nullptr);
        if (fd < 0) {
            if (stop_) return;
            continue;
        }
        if (cut_) {
            ::close(fd);
            continue;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        int server = connect_to(host_, target_port_);
        if (server < 0) {
            ::close(fd);
            continue;
        }
        auto pair = std::make_unique<Pair>();
        pair->client = fd;
        pair->server = server;
        Pair* p = pair.get();
        p->up = std::thread([this, p] { relay(p->client, p->server, p); });
        p->down = std::thread([this, p] { relay(p->server, p->client, p); });
        std::lock_guard<std::mutex> lock(mutex_);
        // Pairs closed long ago are let go.
        std::erase_if(pairs_, [](const std::unique_ptr<Pair>& q) { return q->closed.load(); });
        pairs_.push_back(std::move(pair));
    }
}

void NetProxy::relay(int from, int to, Pair* pair) {
    using Clock = std::chrono::steady_clock;
    std::deque<std::pair<Clock::time_point, std::string>> due;
    char buf[65536];
    bool eof = false;
    while (!pair->closed.load()) {
        auto now = Clock::now();
        while (!due.empty() && due.front().first <= now) {
            const std::string& chunk = due.front().second;
            std::size_t off = 0;
            while (off < chunk.size()) {
                ssize_t n = ::send(to, chunk.data() + off, chunk.size() - off, MSG_NOSIGNAL);
                if (n <= 0) {
                    pair->close_both();
                    return;
                }
                off += static_cast<std::size_t>(n);
            }
            bytes_ += chunk.size();
            due.pop_front();
        }
        if (eof && due.empty()) {
            ::shutdown(to, SHUT_WR);
            return;
        }
        int wait_ms = 100;
        if (!due.empty())
            wait_ms = static_cast<int>(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(due.front().first - now)
                       .count()));
        pollfd p{from, static_cast<short>(eof ? 0 : POLLIN), 0};
        ::poll(&p, 1, wait_ms);
        if (!eof && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
            ssize_t n = ::recv(from, buf, sizeof buf, 0);
            if (n <= 0) {
                eof = true;
                continue;
            }
            due.emplace_back(Clock::now() + delay_, std::string(buf, static_cast<std::size_t>(n)));
        }
    }
}

}  // namespace skarvel::tools
