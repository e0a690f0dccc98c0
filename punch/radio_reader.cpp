#include "punch/radio_reader.h"

#include <string>

namespace skarvel {

namespace {

// A modem that never stops talking must not hold the reader in a drain for ever.
constexpr int kMaxDrainBytes = 1 << 16;
// Bytes looked through for the listing's first line end.
constexpr std::size_t kMaxLeadIn = kRadioMaxMessage;

void drain(StationLink& link) {
    link.read_failed = false;
    for (int n = 0; n < kMaxDrainBytes && !link.read_failed; ++n) link.read_raw_byte();
}

bool send_text(StationLink& link, std::string_view text) {
    return link.send(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// Reads up to a line feed (not kept) or until `max` characters were read; false when a read
// timed out first.
bool read_line(StationLink& link, std::string& out, std::size_t max) {
    out.clear();
    while (out.size() < max) {
        int b = link.read_raw_byte();
        if (link.read_failed) return false;
        if (b == '\n') return true;
        out.push_back(static_cast<char>(b));
    }
    return true;
}

}  // namespace

std::string modem_delete_command(int index) {
    return "AT+CMGD=" + std::to_string(index) + "\r";
}

int run_radio_reader(StationLink& link,
                     const std::function<bool(const RadioMessage&)>& message_read,
                     const RadioPauses& pauses, RadioReaderStats* stats) {
    RadioReaderStats local;
    RadioReaderStats& st = stats ? *stats : local;
    int taken = 0;
    std::string line;
    while (!link.stop_requested() && link.port().is_open()) {
        ++st.cycles;
        drain(link);
        send_text(link, kModemSelectStore);
        link.pause_ms(pauses.after_command_ms);
        drain(link);
        // The listing command is echoed before its line end goes out.
        send_text(link, kModemList);
        link.pause_ms(pauses.after_command_ms);
        drain(link);
        send_text(link, "\r");
        link.pause_ms(pauses.after_command_ms);

        link.read_failed = false;
        if (!read_line(link, line, kMaxLeadIn) || line.size() >= kMaxLeadIn) {
            ++st.listing_timeouts;
            continue;
        }
        int plus = link.read_raw_byte();
        if (link.read_failed || plus != '+') continue;
        // "+" and the rest of the listing line: "CMGL: index,...".
        if (!read_line(link, line, 5 + kRadioMaxListing) || line.size() == 5 + kRadioMaxListing)
            continue;
        auto index = parse_listing_index("+" + line);
        // Only a message that arrived whole (its line end seen) is taken and deleted; one cut
        // short by a silent modem is read again in the next cycle.
        std::string text;
        bool whole = read_line(link, text, kRadioMaxMessage + 2);
        drain(link);
        if (!index || !whole) continue;
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();

        RadioMessage m = parse_radio_message(text);
        bool go_on = true;
        if (m.radio) {
            ++taken;
            ++st.messages;
            st.records_dropped += m.dropped;
            if (message_read) go_on = message_read(m);
        } else {
            // Not from a radio control: left in the store it would be listed first for ever.
            ++st.foreign_deleted;
        }
        send_text(link, modem_delete_command(*index));
        if (!go_on) break;
        link.pause_ms(pauses.after_delete_ms);
    }
    return taken;
}

}  // namespace skarvel
