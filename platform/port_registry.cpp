#include "platform/port_registry.h"

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>

namespace skarvel {

namespace {

struct Holder {
    Txt holder;
    std::uint64_t owner = 0;
    bool ending = false;
    std::uint64_t next = 0;  // the claim waiting for the port, 0 when none
    Txt next_holder = Txt::kPortHolderCards;
};

// Everything about claims, their keys and ids, is under this one lock.
struct Register {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, Holder> held;
    std::uint64_t last_id = 0;
};

Register& reg() {
    static Register r;
    return r;
}

std::string port_key(const std::string& device) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(device, ec);
    return ec || canonical.empty() ? device : canonical.string();
}

void replace_first(std::string& text, std::string_view what, std::string_view with) {
    auto at = text.find(what);
    if (at != std::string::npos) text.replace(at, what.size(), with);
}

std::string with_port_and_holder(const LanguageTable& lang, Txt format, const std::string& device,
                                 Txt holder) {
    std::string text(lang.text(format));
    replace_first(text, "%s", device);
    replace_first(text, "%s", lang.text(holder));
    return text;
}

}  // namespace

PortClaim& PortClaim::operator=(PortClaim&& other) noexcept {
    if (this != &other) {
        release();
        std::lock_guard<std::mutex> lock(reg().mutex);
        key_ = std::move(other.key_);
        id_ = other.id_;
        other.key_.clear();
        other.id_ = 0;
    }
    return *this;
}

PortClaim::operator bool() const {
    std::lock_guard<std::mutex> lock(reg().mutex);
    return id_ != 0;
}

bool PortClaim::held() const {
    std::lock_guard<std::mutex> lock(reg().mutex);
    auto it = reg().held.find(key_);
    return id_ != 0 && it != reg().held.end() && it->second.owner == id_;
}

void PortClaim::release() {
    Register& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (id_ == 0) return;
    auto it = r.held.find(key_);
    if (it != r.held.end()) {
        Holder& h = it->second;
        if (h.owner == id_) {
            if (h.next != 0) {
                // The claim that waited takes the port over.
                h.owner = h.next;
                h.holder = h.next_holder;
                h.next = 0;
                h.ending = false;
            } else {
                r.held.erase(it);
            }
        } else if (h.next == id_) {
            h.next = 0;
        }
    }
    key_.clear();
    id_ = 0;
    r.changed.notify_all();
}

void PortClaim::mark_ending() {
    std::lock_guard<std::mutex> lock(reg().mutex);
    auto it = reg().held.find(key_);
    if (id_ != 0 && it != reg().held.end() && it->second.owner == id_) it->second.ending = true;
}

bool PortClaim::wait_until_held(std::chrono::milliseconds limit,
                                const std::function<bool()>& give_up, Txt* held_by) {
    Register& r = reg();
    auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock<std::mutex> lock(r.mutex);
    for (;;) {
        auto it = r.held.find(key_);
        if (id_ == 0 || it == r.held.end()) return false;
        if (it->second.owner == id_) return true;
        if ((give_up && give_up()) || std::chrono::steady_clock::now() >= deadline) {
            if (held_by) *held_by = it->second.holder;
            if (it->second.next == id_) it->second.next = 0;
            key_.clear();
            id_ = 0;
            return false;
        }
        // Woken when a claim lets go; the give-up condition is looked at every few moments.
        r.changed.wait_for(lock, std::chrono::milliseconds(20));
    }
}

ClaimResult claim_port_key(const std::string& key, Txt holder, PortClaim& claim, Txt* held_by,
                           bool queue_behind_ending) {
    claim.release();
    Register& r = reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.held.find(key);
    if (it == r.held.end()) {
        r.held.emplace(key, Holder{holder, ++r.last_id});
        claim.key_ = key;
        claim.id_ = r.last_id;
        return ClaimResult::kHeld;
    }
    Holder& h = it->second;
    if (queue_behind_ending && h.ending && h.next == 0) {
        h.next = ++r.last_id;
        h.next_holder = holder;
        claim.key_ = key;
        claim.id_ = h.next;
        return ClaimResult::kQueued;
    }
    // The one that will hold it is the one to stop.
    if (held_by) *held_by = h.next != 0 ? h.next_holder : h.holder;
    return ClaimResult::kBusy;
}

bool claim_serial_port(const std::string& device, Txt holder, PortClaim& claim, Txt* held_by) {
    claim.release();
    if (device.empty()) return true;
    return claim_port_key(port_key(device), holder, claim, held_by, false) == ClaimResult::kHeld;
}

ClaimResult claim_serial_port_queued(const std::string& device, Txt holder, PortClaim& claim,
                                     Txt* held_by) {
    claim.release();
    if (device.empty()) return ClaimResult::kHeld;
    return claim_port_key(port_key(device), holder, claim, held_by, true);
}

ClaimResult claim_udp_port_queued(int port, Txt holder, PortClaim& claim, Txt* held_by) {
    claim.release();
    if (port == 0) return ClaimResult::kHeld;
    return claim_port_key("udp:" + std::to_string(port), holder, claim, held_by, true);
}

std::optional<Txt> serial_port_holder(const std::string& device) {
    std::lock_guard<std::mutex> lock(reg().mutex);
    auto it = reg().held.find(port_key(device));
    if (it == reg().held.end()) return std::nullopt;
    return it->second.holder;
}

std::string port_busy_message(const LanguageTable& lang, const std::string& device, Txt holder) {
    return with_port_and_holder(lang, Txt::kPortBusy, device, holder);
}

std::string port_not_free_message(const LanguageTable& lang, const std::string& device,
                                  Txt holder) {
    return with_port_and_holder(lang, Txt::kPortNotFree, device, holder);
}

}  // namespace skarvel
