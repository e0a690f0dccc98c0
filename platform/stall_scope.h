// What the window's thread is running, for the stall meter (`skarvel --stall-log`, see
// app/stall_meter.h). A handler names itself with a StallScope for as long as it runs, a command
// with a StallCommandScope; nested scopes put the outer name back when they end. Each costs two
// relaxed atomic stores, whether a meter watches or not; the meter's watchdog thread reads the
// names while the window's thread is stalled.
#pragma once

#include <atomic>

namespace skarvel {

struct StallLabels {
    std::atomic<const char*> handler{nullptr};  // a string literal, or null
    std::atomic<int> command{-1};               // a CommandId, or -1
};

inline StallLabels& stall_labels() {
    static StallLabels labels;
    return labels;
}

class StallScope {
  public:
    // `name` must be a string literal (it is read later, from another thread).
    explicit StallScope(const char* name)
        : outer_(stall_labels().handler.exchange(name, std::memory_order_relaxed)) {}
    ~StallScope() { stall_labels().handler.store(outer_, std::memory_order_relaxed); }
    StallScope(const StallScope&) = delete;
    StallScope& operator=(const StallScope&) = delete;

  private:
    const char* outer_;
};

class StallCommandScope {
  public:
    explicit StallCommandScope(int command)
        : outer_(stall_labels().command.exchange(command, std::memory_order_relaxed)) {}
    ~StallCommandScope() { stall_labels().command.store(outer_, std::memory_order_relaxed); }
    StallCommandScope(const StallCommandScope&) = delete;
    StallCommandScope& operator=(const StallCommandScope&) = delete;

  private:
    int outer_;
};

}  // namespace skarvel
