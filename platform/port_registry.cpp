#include "platform/port_registry.h"

#include <filesystem>
#include <map>
#include <mutex>

namespace skarvel {

namespace {

std::mutex& registry_mutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, Txt>& registry() {
    static std::map<std::string, Txt> held;
    return held;
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

}  // namespace

PortClaim& PortClaim::operator=(PortClaim&& other) noexcept {
    if (this != &other) {
        release();
        key_ = std::move(other.key_);
        other.key_.clear();
    }
    return *this;
}

void PortClaim::release() {
    if (key_.empty()) return;
    std::lock_guard<std::mutex> lock(registry_mutex());
    registry().erase(key_);
    key_.clear();
}

bool claim_serial_port(const std::string& device, Txt holder, PortClaim& claim, Txt* held_by) {
    claim.release();
    if (device.empty()) return true;
    std::string key = port_key(device);
    std::lock_guard<std::mutex> lock(registry_mutex());
    auto [it, added] = registry().emplace(key, holder);
    if (!added) {
        if (held_by) *held_by = it->second;
        return false;
    }
    claim.key_ = std::move(key);
    return true;
}

std::optional<Txt> serial_port_holder(const std::string& device) {
    std::lock_guard<std::mutex> lock(registry_mutex());
    auto it = registry().find(port_key(device));
    if (it == registry().end()) return std::nullopt;
    return it->second;
}

std::string port_busy_message(const LanguageTable& lang, const std::string& device, Txt holder) {
    std::string text(lang.text(Txt::kPortBusy));
    replace_first(text, "%s", device);
    replace_first(text, "%s", lang.text(holder));
    return text;
}

}  // namespace skarvel
