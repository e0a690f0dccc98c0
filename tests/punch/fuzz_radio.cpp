// libFuzzer target for the radio control messages: no modem answer may crash the parsers or
// the reader's command cycle; every record handed over is within its fields, and a message's
// records and dropped records never exceed what its length holds.
#include <cstdlib>
#include <string_view>

#include "punch/radio_reader.h"
#include "tests/punch/fake_serial_port.h"

using namespace skarvel;

namespace {

void check(const RadioMessage& m, std::size_t length) {
    std::size_t most = length < kRadioRecordsAt ? 0 : (length - kRadioRecordsAt) / kRadioRecordSize;
    if (m.records.size() + static_cast<std::size_t>(m.dropped) > most) std::abort();
    if (m.records.size() > static_cast<std::size_t>(kRadioMaxRecords)) std::abort();
    for (const RadioRecord& r : m.records)
        if (r.control < 0 || r.control > 255 || r.seconds < 0 || r.seconds > 0xFFFF ||
            r.card_number < 0 || r.card_number > 0xFFFFFF)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    check(parse_radio_message(text), std::min(size, kRadioMaxMessage));
    if (auto index = parse_listing_index(text); index && (*index < 0 || *index > 999999))
        std::abort();

    // The same bytes as the modem's answers to the reader, handed out one write at a time.
    test::FakeSerialPort port;
    std::size_t at = 0;
    port.responder = [&](const std::vector<std::uint8_t>&, test::FakeSerialPort& p) {
        if (at >= size) {
            p.close();
            return;
        }
        std::size_t n = std::min<std::size_t>(size - at, 64 + data[at]);
        for (std::size_t i = at; i < at + n; ++i) p.input.push_back(data[i]);
        p.input.push_back(-1);
        at += n;
    };
    StationLink link(port);
    RadioReaderStats stats;
    run_radio_reader(
        link,
        [&](const RadioMessage& m) {
            check(m, kRadioMaxMessage);
            return true;
        },
        {0, 0}, &stats);
    if (stats.messages > stats.cycles) std::abort();
    return 0;
}
