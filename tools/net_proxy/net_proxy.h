// A TCP relay that stands between a program and its server: it adds a delay each way (a server
// far away) and can cut every connection and refuse new ones for a while (a cable pulled). The
// shared competition's tests and benchmark put it between the program and PostgreSQL.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skarvel::tools {

class NetProxy {
  public:
    // Relays connections to `target_host`:`target_port`, each
    // direction `delay` late.
    NetProxy(std::string target_host, int target_port, std::chrono::milliseconds delay);
    ~NetProxy();
    NetProxy(const NetProxy&) = delete;
    NetProxy& operator=(const NetProxy&) = delete;

    // Listens on 127.0.0.1 on a free port; false when it cannot.
    bool start();
    int port() const { return port_; }
    // Closes every relayed connection and refuses new ones until restore().
    void cut();
    void restore();
    bool is_cut() const { return cut_.load(); }
    // Bytes relayed so far (both ways).
    std::uint64_t bytes() const { return bytes_.load(); }

  private:
    struct Pair;
    void accept_loop();
    void relay(int from, int to, Pair* pair);

    std::string host_;
    int target_port_;
    std::chrono::milliseconds delay_;
    int listen_fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> cut_{false};
    std::atomic<std::uint64_t> bytes_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Pair>> pairs_;
};

}  // namespace skarvel::tools
