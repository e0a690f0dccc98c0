#include "punch/station_reader.h"

#include "core/time_text.h"

namespace skarvel {

ReadOptions read_options_from(const PunchSettings& s) {
    ReadOptions o;
    o.competition_start = s.competition_start;
    o.multi_day = s.multi_day != 0;
    o.station_type = s.station_type;
    return o;
}

int run_card_reader(StationLink& link, const ReadOptions& options, const CardReaderHooks& hooks,
                    const ReaderPauses& pauses) {
    if (options.station.extended()) return run_extended_card_reader(link, options, hooks, pauses);
    int cards = 0;
    CardReadout work;
    StationLink::KeepCard keep = hooks.keep;
    int type = 0;
    if (hooks.keep_whole)
        keep = [&hooks, &type](const CardReadout& card) {
            return hooks.keep_whole(whole_card_of(card, type));
        };
    while (!link.stop_requested() && link.port().is_open()) {
        type = link.detect_card();
        bool ok = false;
        if (type == 5) {
            ok = link.read_card_type5(work, options.competition_start, keep);
        } else if (type == 6 || type == 10) {
            if (hooks.personalise && hooks.personalise(link, type)) {
                link.pause_ms(pauses.after_no_card_ms);
                continue;
            }
            ok = link.read_card_blocks(work, type, options.multi_day, keep);
        }
        if (!ok) {
            if (type <= 0 && hooks.idle) hooks.idle();
            link.pause_ms(pauses.after_no_card_ms);
            continue;
        }
        ++cards;
        if (hooks.whole_card_read) {
            if (!hooks.whole_card_read(whole_card_of(work, type))) break;
        } else if (hooks.card_read && !hooks.card_read(work)) {
            break;
        }
    }
    return cards;
}

int run_memory_reader(StationLink& link, const ReadOptions& options, ReadoutState& state,
                      const MemoryRecordHook& record_read, const ReaderPauses& pauses,
                      const MemoryRecordHook& keep) {
    int taken = 0;
    if (link.stop_requested()) return 0;
    link.drain();
    while (!link.stop_requested() && link.port().is_open()) {
        link.drain();
        int count = link.query_memory_count(options.station_type);
        if (!link.read_failed) link.drain();
        link.pause_ms(pauses.memory_poll_ms);
        // Only records beyond those taken are new; a station whose memory was cleared reports
        // fewer, and nothing is read until it has more again.
        if (count < 0 || count <= state.memory_records_read) continue;

        link.drain();
        std::int32_t card_number = 0, time = 0;
        if (link.read_memory_record(state.memory_records_read, card_number, time) < 0) {
            // A failed read is asked for again; it never advances past the record.
            link.pause_ms(pauses.memory_poll_ms);
            continue;
        }
        if (time >= kDay) {
            ++state.memory_records_read;
            continue;
        }
        if (keep && !keep(card_number, time)) {
            // Not safe yet (the journal cannot write): the record is read again later.
            link.pause_ms(pauses.memory_poll_ms);
            continue;
        }
        ++taken;
        bool go_on = !record_read || record_read(card_number, time);
        state.last_memory_time = time;
        ++state.memory_records_read;
        if (!go_on) break;
    }
    return taken;
}

}  // namespace skarvel
