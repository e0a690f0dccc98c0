#include "punch/radio_reader.h"

#include <optional>
#include <set>
#include <string>

namespace skarvel {

namespace {

// A modem that never stops talking must not hold the reader in a drain for ever.
constexpr int kMaxDrainBytes = 1 << 16;
// Bytes looked through for the listing's first line end.
constexpr std::size_t kMaxLeadIn = kRadioMaxMessage;
// Messages of one listing looked at for a radio message (a phone's store holds a few hundred).
constexpr int kMaxListed = 1000;

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
    std::set<int> foreign;  // indexes of the messages passed over
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
        // The listed messages one after another: the first radio message is taken; others
        // (a phone used as the modem keeps its own) stay where they are and are passed over,
        // so no message is read for ever.
        std::optional<int> index;
        RadioMessage m;
        for (int listed = 0; listed < kMaxListed; ++listed) {
            int plus = link.read_raw_byte();
            if (link.read_failed || plus != '+') break;
            // "+" and the rest of the listing line: "CMGL: index,...".
            if (!read_line(link, line, 5 + kRadioMaxListing) || line.size() == 5 + kRadioMaxListing)
                break;
            std::optional<int> listed_index = parse_listing_index("+" + line);
            // Only a message that arrived whole (its line end seen) is taken and deleted; one
            // cut short by a silent modem is read again in the next cycle.
            std::string text;
            if (!read_line(link, text, kRadioMaxMessage + 2)) break;
            if (!listed_index) continue;
            while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
            m = parse_radio_message(text);
            if (m.radio) {
                index = listed_index;
                break;
            }
            foreign.insert(*listed_index);
        }
        drain(link);
        st.foreign_kept = static_cast<int>(foreign.size());
        if (!index) continue;

        ++taken;
        ++st.messages;
        st.records_dropped += m.dropped;
        const bool go_on = !message_read || message_read(m);
        send_text(link, modem_delete_command(*index));
        if (!go_on) break;
        link.pause_ms(pauses.after_delete_ms);
    }
    return taken;
}

}  // namespace skarvel
