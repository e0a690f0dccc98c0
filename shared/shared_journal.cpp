#include "shared/shared_journal.h"

namespace skarvel::shared {

JournalReplay replay_journal_shared(Competition& c, std::vector<JournalEntry> entries) {
    const auto& lines = c.tables.finish_lines;
    int known = 0;
    std::erase_if(entries, [&](JournalEntry& e) {
        if (e.kind != JournalEntry::Kind::kFinishLine) return false;
        // The same clock time, and the number it had or a number typed into it since.
        for (int i = 0; i < lines.used_end(); ++i) {
            const FinishLine* l = lines[i];
            if (l && l->time() == e.line.time() &&
                (e.line.start_number == 0 || l->start_number == e.line.start_number)) {
                ++known;
                return true;
            }
        }
        e.slot = -1;  // a line of its own
        return false;
    });
    JournalReplay r = replay_journal(c, entries);
    r.already_there += known;
    return r;
}

}  // namespace skarvel::shared
