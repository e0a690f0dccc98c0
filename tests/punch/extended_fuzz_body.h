// Arbitrary bytes through the extended protocol: the frame reader, the card decoders of every
// family (the bytes taken as a card's blocks), and the extended card reader (handshake or
// autosend) over a line of those bytes, on into the readout processing. Nothing may crash, hang
// or read outside a block. Shared by the libFuzzer target and a unit test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "punch/card_families.h"
#include "punch/extended_frames.h"
#include "punch/station_reader.h"
#include "tests/punch/station_fuzz_body.h"

namespace skarvel::test {

inline void fuzz_extended_input(Competition& comp, const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const std::uint8_t knobs = data[0];
    ++data;
    --size;

    // The frame reader: a good frame's payload lies within its length.
    ExtendedFrameReader frames;
    for (std::size_t i = 0; i < size; ++i)
        if (frames.push(data[i]) == ExtendedFrameReader::Event::kFrame &&
            frames.frame().payload_size() + 2 > frames.frame().size() + 2)
            std::abort();

    // The decoders: the bytes as the blocks of a card of the family the knobs pick.
    CardImage image;
    image.family = static_cast<CardFamily>(1 + knobs % (kCardFamilyCount - 1));
    image.have = static_cast<std::uint8_t>(data[0] | 1);
    for (int b = 0; b < kCardMaxBlocks; ++b)
        for (int i = 0; i < kCardBlockBytes; ++i)
            image.block[b][i] = data[(b * kCardBlockBytes + i) % size];
    CardDecodeOptions options;
    options.multi_day = knobs & 0x10;
    options.card6_192 = knobs & 0x20;
    options.competition_start = 9 * 360000;
    WholeCard card;
    if (decode_card_image(image, options, card)) {
        if (card.readout.punch_count < 0 || card.readout.punch_count > CardReadout::kMaxPunches ||
            card.punches.size() > kMaxCardPunches)
            std::abort();
        BlockList blocks = blocks_for_punches(card.family, static_cast<int>(card.punches.size()));
        if (blocks.count > kCardMaxBlocks - 1) std::abort();
    }

    // The reader over the line, each card processed.
    FakeSerialPort port;
    port.close_when_dry = 3;
    for (std::size_t i = 0; i < size; ++i) port.input.push_back(data[i]);
    StationLink link(port, StationLinkTiming{1, 10, 0, 0});
    ReadOptions read;
    read.multi_day = options.multi_day;
    read.station.answered = read.station.settings_read = true;
    read.station.protocol = static_cast<std::uint8_t>(1 | (knobs & 0x40 ? 2 : 4));
    read.station.card6_blocks = options.card6_192 ? 0xFF : 0xC1;
    PunchSettings s;
    s.check_mode = knobs % 7;
    s.finish_source = (knobs >> 1) % 3;
    ScriptedPrompts prompts;
    ReadoutState state;
    CardReaderHooks hooks;
    int cards = 0;
    hooks.whole_card_read = [&](const WholeCard& w) {
        process_card(comp, w.readout, s, state, prompts, {});
        return ++cards < 8;
    };
    run_card_reader(link, read, hooks);
    if (comp.tables.card_readouts.live_count() > 200) {
        comp.tables.card_readouts.clear();
        comp.tables.finish_lines.clear();
        comp.count_finish_lines();
    }
}

}  // namespace skarvel::test
