// libFuzzer target for the card journal replayed on open: any bytes decode to whole entries
// (a damaged one ends the reading), each entry encodes back to itself, and the replay enters
// them without crashing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "punch/card_journal.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    std::vector<JournalEntry> entries = decode_journal(bytes);
    for (const JournalEntry& e : entries) {
        std::vector<std::uint8_t> one = encode_journal_entry(e);
        std::vector<JournalEntry> back = decode_journal(one);
        if (back.size() != 1 || encode_journal_entry(back[0]) != one) std::abort();
    }
    auto c = std::make_unique<Competition>();
    for (int n = 1; n <= 5; ++n) {
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->id = n;
        r->start_number = static_cast<std::uint16_t>(n);
        r->card_number = 100 + n;
    }
    c->rebuild_number_index();
    JournalReplay r = replay_journal(*c, entries);
    if (r.cards + r.finish_lines + r.already_there > static_cast<int>(entries.size())) std::abort();
    return 0;
}
