#include "tools/modem_sim/modem_sim.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sstream>

#include "tools/station_sim/sim_main.h"
#include "tools/station_sim/station_sim.h"

namespace skarvel::sim {

namespace {

// What a modem puts before the user data of a message; the reader does not read it.
constexpr std::string_view kHeader = "07919761989901F0040B919701119905F80000121080410544800F";
static_assert(kHeader.size() == 54);

bool parse_number(const std::string& s, std::int32_t& out, std::int32_t max) {
    if (s.empty() || s.size() > 9) return false;
    std::int32_t v = 0;
    for (char ch : s) {
        if (ch < '0' || ch > '9') return false;
        v = v * 10 + (ch - '0');
    }
    if (v > max) return false;
    out = v;
    return true;
}

void hex(std::string& out, std::uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, v);
    out += buf;
}

}  // namespace

std::string radio_message_text(const std::vector<ModemRecord>& records) {
    std::string out(kHeader);
    for (const ModemRecord& r : records) {
        // The station keeps a 12-hour clock in seconds.
        std::uint32_t seconds = r.time < 0 ? 0 : static_cast<std::uint32_t>(r.time / 100 % 43200);
        hex(out, static_cast<std::uint32_t>(r.control), 2);
        hex(out, seconds, 4);
        out += "AA";
        hex(out, static_cast<std::uint32_t>(r.card), 6);
    }
    return out;
}

bool parse_modem_script(const std::string& text, ModemScript& out, std::string* error) {
    return for_each_script_line(
        text, error, [&out](const std::string& kind, std::istringstream& words) -> std::string {
            std::string rest;
            std::getline(words >> std::ws, rest);
            if (kind == "text" || kind == "hex") {
                if (rest.empty() || rest.size() > 3000) return "a message holds 1..3000 characters";
                out.messages.push_back({rest});
                return {};
            }
            if (kind != "message") return "unknown line '" + kind + "'";
            std::vector<ModemRecord> records;
            std::istringstream items(rest);
            std::string item;
            while (items >> item) {
                auto colon = item.find(':'), at = item.find('@');
                ModemRecord r;
                if (colon == std::string::npos || at == std::string::npos || at < colon ||
                    !parse_number(item.substr(0, colon), r.card, 0xFFFFFF) ||
                    !parse_number(item.substr(colon + 1, at - colon - 1), r.control, 255) ||
                    !parse_sim_time(item.substr(at + 1), r.time))
                    return "a record is CARD:CONTROL@HH:MM:SS (or @- for no time)";
                records.push_back(r);
            }
            if (records.empty() || records.size() > 200) return "a message holds 1..200 records";
            out.messages.push_back({radio_message_text(records)});
            return {};
        });
}

// --- The modem's answers --------------------------------------------------------------------

ModemState::ModemState(ModemScript script) {
    for (ModemMessage& m : script.messages) store_.push_back(std::move(m.text));
    released_ = total();
}

int ModemState::held() const {
    int n = 0;
    for (int i = 0; i < released_ && i < total(); ++i) n += store_[i].empty() ? 0 : 1;
    return n;
}

void ModemState::feed(std::uint8_t b, std::string& out) {
    out.push_back(static_cast<char>(b));  // echo
    if (b == '\n') return;
    if (b != '\r') {
        if (line_.size() < 512) line_.push_back(static_cast<char>(b));
        return;
    }
    std::string command;
    command.swap(line_);
    if (command.empty()) return;
    out += answer(command);
}

std::string ModemState::answer(const std::string& command) {
    const std::string ok = "\r\nOK\r\n";
    if (command == "AT") return ok;
    if (command.rfind("AT+CPMS=", 0) == 0) {
        std::string n = std::to_string(held());
        return "\r\n+CPMS: " + n + ",50," + n + ",50," + n + ",50\r\n" + ok;
    }
    if (command == "AT+CMGL=4") {
        std::string out;
        for (int i = 0; i < released_ && i < total(); ++i) {
            const std::string& text = store_[static_cast<std::size_t>(i)];
            if (text.empty()) continue;
            out += "\r\n+CMGL: " + std::to_string(i + 1) + ",1,," +
                   std::to_string(text.size() / 2) + "\r\n" + text;
        }
        return out + "\r\n" + ok;
    }
    if (command.rfind("AT+CMGD=", 0) == 0) {
        std::int32_t index = 0;
        if (!parse_number(command.substr(8), index, 9999) || index < 1 || index > released_ ||
            index > total() || store_[static_cast<std::size_t>(index - 1)].empty())
            return "\r\n+CMS ERROR: 321\r\n";
        store_[static_cast<std::size_t>(index - 1)].clear();
        deleted_.push_back(index);
        return ok;
    }
    return "\r\nERROR\r\n";
}

// --- The line --------------------------------------------------------------------------------

ModemSimulator::ModemSimulator(ModemScript script, ModemOptions options)
    : state_(std::move(script)), options_(options) {
    if (options_.gap_ms > 0) state_.set_released(0);
}

int ModemSimulator::held() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_.held();
}

std::vector<int> ModemSimulator::deleted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_.deleted();
}

void ModemSimulator::run(bool exit_when_done) {
    using Clock = std::chrono::steady_clock;
    auto next_release = Clock::now() + std::chrono::milliseconds(options_.gap_ms);
    std::string out;
    while (!stop_.load()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (state_.released() < state_.total() && Clock::now() >= next_release) {
                state_.set_released(state_.released() + 1);
                next_release = Clock::now() + std::chrono::milliseconds(options_.gap_ms);
            }
            if (exit_when_done && state_.released() == state_.total() && state_.held() == 0) break;
        }
        pollfd p{line_.fd(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
        std::uint8_t buf[256];
        ssize_t n = ::read(line_.fd(), buf, sizeof buf);
        if (n <= 0) continue;
        out.clear();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (ssize_t i = 0; i < n; ++i) state_.feed(buf[i], out);
        }
        // A modem nobody reads drops the rest of its answer after a while.
        write_all(line_.fd(), out.data(), out.size(), stop_, 500);
    }
}

}  // namespace skarvel::sim
