#include "shared/outbox_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace skarvel::shared {

namespace {

constexpr std::uint8_t kSet = 1;
constexpr std::uint8_t kDone = 2;

std::uint32_t check_of(const std::uint8_t* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

void put_u32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t get_u32(const Bytes& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(b[at + i]) << (8 * i);
    return v;
}

bool write_all(int fd, const Bytes& b) {
    std::size_t off = 0;
    while (off < b.size()) {
        ssize_t n = ::write(fd, b.data() + off, b.size() - off);
        if (n <= 0) return false;
        off += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

OutboxFile::~OutboxFile() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (writer_.joinable()) writer_.join();
}

std::vector<ChangeSet> OutboxFile::read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<ChangeSet> sets;
    std::set<std::uint64_t> done;
    std::size_t at = 0;
    while (b.size() - at >= 9) {
        std::uint8_t type = b[at];
        std::uint32_t len = get_u32(b, at + 1);
        if (len > b.size() - at - 9) break;  // torn
        std::uint32_t check = get_u32(b, at + 5 + len);
        if (check != check_of(b.data() + at, 5 + len)) break;
        Bytes payload(b.begin() + at + 5, b.begin() + at + 5 + len);
        at += 9 + len;
        if (type == kSet) {
            std::size_t p = 0;
            if (auto cs = decode_change_set(payload, p)) sets.push_back(std::move(*cs));
        } else if (type == kDone && payload.size() == 8) {
            std::uint64_t seq = 0;
            for (int i = 0; i < 8; ++i) seq |= std::uint64_t(payload[i]) << (8 * i);
            done.insert(seq);
        }
    }
    std::erase_if(sets, [&done](const ChangeSet& cs) { return done.count(cs.seq) > 0; });
    return sets;
}

bool OutboxFile::open(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    path_ = path;
    writer_ = std::thread([this] { run(); });
    return true;
}

void OutboxFile::queue(std::uint8_t type, const Bytes& payload) {
    if (path_.empty()) return;
    Bytes entry;
    entry.push_back(type);
    put_u32(entry, static_cast<std::uint32_t>(payload.size()));
    entry.insert(entry.end(), payload.begin(), payload.end());
    put_u32(entry, check_of(entry.data(), entry.size()));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.insert(queued_.end(), entry.begin(), entry.end());
    }
    wake_.notify_one();
}

void OutboxFile::append(const ChangeSet& cs) {
    queue(kSet, encode_change_set(cs));
}

void OutboxFile::done(std::uint64_t seq) {
    Bytes p;
    for (int i = 0; i < 8; ++i) p.push_back(static_cast<std::uint8_t>(seq >> (8 * i)));
    queue(kDone, p);
}

void OutboxFile::clear() {
    if (path_.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.clear();
        clear_ = true;
    }
    wake_.notify_one();
}

bool OutboxFile::flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return (queued_.empty() && !clear_ && !busy_) || path_.empty(); });
    return !failed_;
}

void OutboxFile::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queued_.empty() || clear_; });
        if (queued_.empty() && !clear_ && stop_) return;
        Bytes data;
        data.swap(queued_);
        bool clear = clear_;
        clear_ = false;
        busy_ = true;
        lock.unlock();
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (clear ? O_TRUNC : O_APPEND);
        int fd = ::open(path_.c_str(), flags, 0644);
        bool ok = fd >= 0 && write_all(fd, data) && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        lock.lock();
        busy_ = false;
        failed_ = !ok;
        idle_.notify_all();
    }
}

}  // namespace skarvel::shared
