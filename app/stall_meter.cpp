#include "app/stall_meter.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QMetaEnum>
#include <algorithm>

#include "app/command_table.h"
#include "core/cp1251.h"
#include "core/language.h"
#include "platform/stall_scope.h"

#ifdef __linux__
#include <fcntl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
#endif

namespace skarvel {

namespace {

using namespace std::chrono_literals;

constexpr auto kTick = 5ms;

QEvent::Type heartbeat_type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

struct Heartbeat : QEvent {
    Heartbeat(std::uint64_t s, std::chrono::steady_clock::time_point at)
        : QEvent(heartbeat_type()), seq(s), posted(at) {}
    std::uint64_t seq;
    std::chrono::steady_clock::time_point posted;
};

int current_tid() {
#ifdef __linux__
    return static_cast<int>(::syscall(SYS_gettid));
#else
    return 0;
#endif
}

// Nanoseconds thread `tid` has spent runnable but waiting for a processor; -1 where unknown.
std::int64_t cpu_wait_ns(int tid) {
#ifdef __linux__
    if (tid <= 0) return -1;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/schedstat", tid);
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char buf[128];
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return -1;
    buf[n] = 0;
    long long on_cpu = 0, waiting = 0;
    if (std::sscanf(buf, "%lld %lld", &on_cpu, &waiting) != 2) return -1;
    return waiting;
#else
    (void)tid;
    return -1;
#endif
}

// Processor time the calling thread has used, in nanoseconds.
std::int64_t thread_cpu_ns() {
#ifdef __linux__
    timespec t{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) != 0) return 0;
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
#else
    return 0;
#endif
}

std::string clock_time(std::chrono::system_clock::time_point t) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms)
        .toString(QStringLiteral("HH:mm:ss.zzz"))
        .toStdString();
}

// The command's English menu text (UTF-8) without its key hint and accelerator marks.
std::vector<std::string> english_command_names() {
    LanguageTable english;
    english.build(UiLanguage::kEnglish);
    std::vector<std::string> names(kCommandCount);
    for (const CommandDef& def : command_table()) {
        std::string_view text = english.text(def.text);
        text = text.substr(0, text.find('\t'));
        std::string name;
        for (char ch : text)
            if (ch != '&') name += ch;
        names[static_cast<std::size_t>(def.id)] = cp1251_to_utf8(name);
    }
    return names;
}

}  // namespace

bool StallMeter::measures_cpu_wait() {
    return cpu_wait_ns(current_tid()) >= 0;
}

StallMeter::StallMeter(const QString& path, int threshold_ms, QObject* parent)
    : QObject(parent),
      threshold_ms_(threshold_ms),
      command_names_(english_command_names()),
      tid_(current_tid()),
      last_cpu_ns_(thread_cpu_ns()) {
    if (!path.isEmpty()) {
        log_ = std::fopen(QFile::encodeName(path).constData(), "a");
        ok_ = log_ != nullptr;
        if (log_) {
            std::fprintf(log_,
                         "# stalls of the window's thread over %d ms: began, length ms, of it "
                         "waiting for a processor ms, processor time used ms, what ran\n",
                         threshold_ms_);
            std::fflush(log_);
        }
    }
    QCoreApplication::instance()->installEventFilter(this);
    // A dispatcher that says when it blocks lets the watchdog sleep meanwhile; one that does
    // not keeps it awake (the heartbeat every tick, as always).
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &StallMeter::going_idle,
                Qt::DirectConnection);
    watchdog_ = std::thread([this] { watch(); });
}

StallMeter::~StallMeter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    watchdog_.join();
    if (log_) {
        double longest = 0, longest_own = 0;
        for (const Stall& s : stalls_) {
            longest = std::max(longest, s.ms);
            longest_own = std::max(longest_own, s.own_ms());
        }
        std::fprintf(log_, "# %zu stalls, longest %.1f ms, longest of the program's own %.1f ms\n",
                     stalls_.size(), longest, longest_own);
        std::fclose(log_);
    }
}

std::vector<Stall> StallMeter::stalls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stalls_;
}

void StallMeter::going_idle() {
    window_idle_.store(true);
}

void StallMeter::at_work() {
    window_idle_.store(false);
    // Paired with the watchdog, which marks itself asleep before it looks at window_idle_
    // for the last time: either it sees the thread at work, or this sees it asleep and wakes
    // it under the lock it waits with.
    if (watchdog_asleep_.load()) {
        std::lock_guard<std::mutex> lock(mutex_);
        wake_.notify_all();
    }
}

bool StallMeter::eventFilter(QObject* watched, QEvent* e) {
    if (window_idle_.load(std::memory_order_relaxed) || watchdog_asleep_.load()) at_work();
    if (e->type() != heartbeat_type() && watched) {
        event_type_.store(static_cast<int>(e->type()), std::memory_order_relaxed);
        receiver_class_.store(watched->metaObject()->className(), std::memory_order_relaxed);
    }
    return false;
}

bool StallMeter::event(QEvent* e) {
    if (e->type() != heartbeat_type()) return QObject::event(e);
    // Back in an event loop: the events delivered before have been handled (but for those
    // whose handlers run this loop, and the scopes name those).
    receiver_class_.store(nullptr, std::memory_order_relaxed);
    auto* beat = static_cast<Heartbeat*>(e);
    Clock::time_point now = Clock::now();
    // Read the scheduler's figures only when they will be needed.
    std::int64_t wait =
        now - beat->posted > std::chrono::milliseconds(threshold_ms_) ? cpu_wait_ns(tid_) : -1;
    std::int64_t cpu = thread_cpu_ns();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        answered_seq_ = beat->seq;
        answered_at_ = now;
        answered_wait_ns_ = wait;
        answered_cpu_ns_ = cpu - last_cpu_ns_;
    }
    last_cpu_ns_ = cpu;
    answered_count_.fetch_add(1);
    wake_.notify_all();
    return true;
}

std::string StallMeter::what_runs_now() const {
    std::string what;
    auto add = [&what](const std::string& part) {
        if (!what.empty()) what += "; ";
        what += part;
    };
    int command = stall_labels().command.load(std::memory_order_relaxed);
    if (command >= 0 && command < static_cast<int>(command_names_.size()))
        add("command " + command_names_[static_cast<std::size_t>(command)]);
    if (const char* handler = stall_labels().handler.load(std::memory_order_relaxed))
        add(std::string("handler ") + handler);
    if (const char* receiver = receiver_class_.load(std::memory_order_relaxed)) {
        int type = event_type_.load(std::memory_order_relaxed);
        const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
        add("event " + (name ? std::string(name) : std::to_string(type)) + " to " + receiver);
    }
    return what;
}

void StallMeter::record(const Stall& s) {
    if (!log_) return;
    std::fprintf(log_, "%s\t%.1f\t%.1f\t%.1f\t%s\n", s.began.c_str(), s.ms, s.cpu_wait_ms, s.cpu_ms,
                 s.what.empty() ? "(not seen)" : s.what.c_str());
    std::fflush(log_);
}

void StallMeter::watch() {
    const auto threshold = std::chrono::milliseconds(threshold_ms_);
    std::uint64_t seq = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        // Nothing can stall while the window's thread waits for events: sleep until it has one.
        watchdog_asleep_.store(true);
        wake_.wait(lock, [&] { return stopping_ || !window_idle_.load(); });
        watchdog_asleep_.store(false);
        if (stopping_) break;
        ++seq;
        lock.unlock();
        std::int64_t wait_at_post = cpu_wait_ns(tid_);
        auto began = std::chrono::system_clock::now();
        Clock::time_point posted = Clock::now();
        QCoreApplication::postEvent(this, new Heartbeat(seq, posted));
        std::vector<std::string> seen;
        lock.lock();
        // Until it is answered: every tick, note what the window's thread runs.
        while (!stopping_ &&
               !wake_.wait_for(lock, kTick, [&] { return stopping_ || answered_seq_ == seq; })) {
            lock.unlock();
            std::string what = what_runs_now();
            // The first few different samples say enough (a long stall keeps its line short).
            if (!what.empty() && seen.size() < 8 &&
                std::find(seen.begin(), seen.end(), what) == seen.end())
                seen.push_back(what);
            lock.lock();
        }
        if (stopping_) break;
        if (answered_at_ - posted > threshold) {
            Stall s;
            s.began = clock_time(began);
            s.ms = std::chrono::duration<double, std::milli>(answered_at_ - posted).count();
            if (wait_at_post >= 0 && answered_wait_ns_ >= wait_at_post)
                s.cpu_wait_ms =
                    std::min(s.ms, static_cast<double>(answered_wait_ns_ - wait_at_post) / 1e6);
            s.cpu_ms = static_cast<double>(answered_cpu_ns_) / 1e6;
            for (const std::string& w : seen) s.what += (s.what.empty() ? "" : " | ") + w;
            stalls_.push_back(s);
            lock.unlock();
            record(s);
            lock.lock();
        }
        // The next heartbeat a tick later.
        wake_.wait_for(lock, kTick, [&] { return stopping_; });
    }
}

}  // namespace skarvel
