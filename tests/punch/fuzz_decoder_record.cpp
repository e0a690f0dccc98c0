// libFuzzer target for the transponder decoder: the bytes as they come off the line (lead-in,
// escapes, record text) and as a decoder file. No input may crash the readers or read out of
// bounds; a passing is always within one day with a 7-character code free of control
// characters, and its finish line keeps a 24-bit time.
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/time_text.h"
#include "punch/transponder_files.h"
#include "punch/transponders.h"
#include "tests/punch/fake_serial_port.h"

using namespace skarvel;

namespace {
// The line closes once every byte of the input was read, which ends the reader.
struct EndingPort : skarvel::test::FakeSerialPort {
    int read_byte(int timeout_ms) override {
        if (input.empty()) open = false;
        return FakeSerialPort::read_byte(timeout_ms);
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto c = std::make_unique<Competition>();
    c->clear();
    for (int n = 1; n <= 5; ++n) {
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->start_number = static_cast<std::uint16_t>(n);
        r->id = n;
        set_field_text(r->comment, "AB1234" + std::to_string(n));
    }
    c->info.amb_time_shift = size > 0 ? static_cast<std::int8_t>(data[0]) * 997 : 0;
    c->info.time_precision = size > 1 ? data[1] % 3 : 2;

    EndingPort port;
    port.queue({data, data + size});
    StationLink link(port);
    DecoderReaderStats stats;
    run_transponder_reader(
        link,
        [](const DecoderPassing& p) {
            if (p.time < 0 || p.time >= kDay) std::abort();
            for (char ch : p.code)
                if (static_cast<unsigned char>(ch) < 0x20) std::abort();
            PassingOutcome out = store_passing(*c, p);
            if (out.slot >= 0 && c->tables.finish_lines[out.slot]->time_word >= (1u << 24))
                std::abort();
            return true;
        },
        stats, 0);
    if (stats.passings + stats.dropped > static_cast<int>(size / 2) + 1) std::abort();

    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<DecoderPassing> p = parse_decoder_record(text);
    if (p && (p->time < 0 || p->time >= kDay)) std::abort();
    TransponderImportCounts codes = import_transponder_codes(*c, text);
    TransponderImportCounts times = import_decoder_times(*c, text, DecoderFileKind::kFinish);
    if (codes.taken + codes.unknown > static_cast<int>(kTransponderFileLines)) std::abort();
    if (times.unknown != static_cast<int>(times.unknown_keys.size())) std::abort();
    for (int i = 0; i < c->tables.finish_lines.live_count(); ++i)
        if (c->tables.finish_lines[i]->time_word >= (1u << 24)) std::abort();
    return 0;
}
