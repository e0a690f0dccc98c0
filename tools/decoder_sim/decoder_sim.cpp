#include "tools/decoder_sim/decoder_sim.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <thread>

#include "tools/station_sim/sim_pty.h"

namespace skarvel::sim {

namespace {

constexpr std::uint8_t kEscape = 0x10;

void put(std::vector<std::uint8_t>& out, char ch) {
    const auto b = static_cast<std::uint8_t>(ch);
    if (b < 0x20 && b != '\n') out.push_back(kEscape);
    out.push_back(b);
}

}  // namespace

bool parse_decoder_script(const std::string& text, std::vector<SimPassing>& out,
                          std::string* error) {
    return for_each_script_line(
        text, error, [&out](const std::string& kind, std::istringstream& words) -> std::string {
            if (kind != "passing") return "unknown line '" + kind + "'";
            SimPassing p;
            std::string word;
            while (words >> word) {
                const auto eq = word.find('=');
                if (eq == std::string::npos) return "expected key=value: " + word;
                const std::string key = word.substr(0, eq), value = word.substr(eq + 1);
                if (key == "code") {
                    p.code = value;
                } else if (key == "time") {
                    p.time = value;
                } else if (key == "after") {
                    p.after_ms = std::atoi(value.c_str());
                } else if (key == "fault") {
                    if (value == "garbage")
                        p.fault = SimPassing::Fault::kGarbage;
                    else if (value == "cut")
                        p.fault = SimPassing::Fault::kCut;
                    else if (value == "badtime")
                        p.fault = SimPassing::Fault::kBadTime;
                    else
                        return "unknown fault " + value;
                } else {
                    return "unknown key " + key;
                }
            }
            if (p.code.empty() || p.time.empty()) return "a passing needs code= and time=";
            out.push_back(p);
            return {};
        });
}

std::string decoder_record_text(const SimPassing& p, int sequence) {
    // "@", the decoder's number, the sequence, the time, the code, the hits.
    const std::string time = p.fault == SimPassing::Fault::kBadTime ? "x" + p.time : p.time;
    return "@\t1\t" + std::to_string(sequence) + "\t" + time + "\t'" + p.code + "'\t12";
}

std::vector<std::uint8_t> decoder_record_bytes(const SimPassing& p, int sequence) {
    std::vector<std::uint8_t> out;
    if (p.fault == SimPassing::Fault::kGarbage)
        for (std::uint8_t b : {0x55, 0x01, 0x41, 0x0A, 0x10}) out.push_back(b);
    out.push_back(0x01);
    out.push_back(0x40);
    const std::string text = decoder_record_text(p, sequence);
    const std::size_t n = p.fault == SimPassing::Fault::kCut ? text.size() / 2 : text.size();
    for (std::size_t i = 0; i < n; ++i) put(out, text[i]);
    // A cut record ends in a line feed all the same: the reader sees a short record.
    out.push_back('\n');
    return out;
}

void DecoderSimulator::pause_ms(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop_.load() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

bool DecoderSimulator::send(const std::vector<std::uint8_t>& bytes) {
    return write_all(line_.fd(), bytes.data(), bytes.size(), stop_, -1) == bytes.size();
}

bool DecoderSimulator::wait_until_opened() {
    return wait_until_set_up(line_.fd(), stop_);
}

void DecoderSimulator::run() {
    int sequence = 0;
    for (const SimPassing& p : passings_) {
        if (stop_.load()) return;
        pause_ms(p.after_ms);
        if (!send(decoder_record_bytes(p, ++sequence))) return;
        ++sent_;
    }
}

}  // namespace skarvel::sim
