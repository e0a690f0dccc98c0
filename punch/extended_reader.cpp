// The card reader of the extended protocol. In handshake mode the station announces a card
// (E5, E6 or E8), the program asks for the blocks the punch count needs, checks every frame,
// asks once more for a block that failed its check, and acknowledges the card when it has
// all of it; a card pulled out halfway (E7, a NAK, silence) leaves nothing behind and is read
// from the start when it is put in again. In autosend mode the station sends the blocks by
// itself and a damaged card can only be sent again by putting it in again.
#include <array>
#include <optional>

#include "punch/station_reader.h"

namespace skarvel {

namespace {

constexpr int kMaxFramesPassed = 16;

bool announces_card(std::uint8_t cmd) {
    return cmd == ext::kCard5In || cmd == ext::kCard6In || cmd == ext::kCard8In;
}

std::int32_t be24(const std::uint8_t* p) {
    return (p[0] << 16) | (p[1] << 8) | p[2];
}

CardFamily card6_family(std::int32_t number) {
    return number >= 16711680 ? CardFamily::k6Star : CardFamily::k6;
}

// A card as its detection frame announces it. `id` is the frame's command and the 3 bytes the
// removal frame repeats.
struct Announcement {
    CardFamily family = CardFamily::kUnknown;
    std::int32_t number = 0;
    std::array<std::uint8_t, 4> id{};
};

Announcement announcement_of(const ExtendedFrame& f) {
    Announcement a;
    if (f.payload_size() < 4) return a;
    const std::uint8_t* p = f.payload();
    a.id = {f.cmd(), p[1], p[2], p[3]};
    if (f.cmd() == ext::kCard5In) {
        // A series of 0 or 1 is the 16-bit number alone.
        a.number = (p[1] <= 1 ? 0 : p[1] * 100000) + ((p[2] << 8) | p[3]);
        a.family = CardFamily::k5;
    } else if (f.cmd() == ext::kCard6In) {
        a.number = be24(p + 1);
        a.family = card6_family(a.number);
    } else {
        a.number = be24(p + 1);
        CardFamily family = card_family_of(a.number);
        std::uint8_t series = card_family_series(family);
        a.family = series != 0 && series == p[0] ? family : CardFamily::kUnknown;
    }
    return a;
}

class ExtendedReader {
  public:
    ExtendedReader(StationLink& link, const ReadOptions& options, const CardReaderHooks& hooks)
        : link_(link), hooks_(hooks) {
        decode_.competition_start = options.competition_start;
        decode_.multi_day = options.multi_day;
        decode_.card6_192 = options.station.card6_192();
        early_.assign(options.station.early.rbegin(), options.station.early.rend());
    }

    int run_handshake();
    int run_autosend();

  private:
    enum class Reply : std::uint8_t { kGood, kAbandon, kOtherCard };

    bool running() const { return !link_.stop_requested() && link_.port().is_open(); }
    FrameWait next(ExtendedFrame& f) {
        if (next_) {
            f = *next_;
            next_.reset();
            return FrameWait::kFrame;
        }
        if (!early_.empty()) {
            f = early_.back();
            early_.pop_back();
            return FrameWait::kFrame;
        }
        return next_frame(link_, reader_, f);
    }
    void tell(ReaderNotice::Kind kind, std::int32_t number) {
        if (hooks_.notice) hooks_.notice({kind, number});
    }
    bool registration_armed() const {
        return hooks_.registration_armed && hooks_.registration_armed();
    }
    bool kept(const WholeCard& card) {
        if (hooks_.keep_whole) return hooks_.keep_whole(card);
        return !hooks_.keep || hooks_.keep(card.readout);
    }
    // Hands a card over; false to stop reading.
    bool deliver(const WholeCard& card) {
        ++cards_;
        if (hooks_.whole_card_read) return hooks_.whole_card_read(card);
        return !hooks_.card_read || hooks_.card_read(card.readout);
    }
    Reply request(std::uint8_t cmd, int block, const Announcement& card, CardImage& image);
    bool read_card(const Announcement& card, WholeCard& out);

    StationLink& link_;
    const CardReaderHooks& hooks_;
    CardDecodeOptions decode_;
    ExtendedFrameReader reader_;
    std::optional<ExtendedFrame> next_;  // a frame that ended a read and begins what follows
    std::vector<ExtendedFrame> early_;   // frames of the start-up, the first at the back
    int cards_ = 0;
};

ExtendedReader::Reply ExtendedReader::request(std::uint8_t cmd, int block, const Announcement& card,
                                              CardImage& image) {
    std::uint8_t number = static_cast<std::uint8_t>(block);
    const auto frame = extended_command(cmd, &number, block < 0 ? 0 : 1);
    bool asked_again = false;
    auto ask_again = [&] {
        if (asked_again) return false;
        asked_again = true;
        link_.send(frame.data(), frame.size());
        return true;
    };
    link_.send(frame.data(), frame.size());
    for (int passed = 0; passed < kMaxFramesPassed;) {
        ExtendedFrame f;
        FrameWait w = next_frame(link_, reader_, f);
        if (w == FrameWait::kBadFrame) {
            if (!ask_again()) return Reply::kAbandon;
            continue;
        }
        if (w != FrameWait::kFrame) return Reply::kAbandon;  // a NAK or silence: card gone
        if (f.basic) {
            ++passed;
            continue;
        }
        if (f.cmd() == cmd) {
            if (cmd == ext::kReadCard5 && f.payload_size() == kCardBlockBytes) {
                image.put(0, f.payload());
                return Reply::kGood;
            }
            if (cmd != ext::kReadCard5 && f.payload_size() == kCardBlockBytes + 1 &&
                f.payload()[0] == block) {
                image.put(block, f.payload() + 1);
                return Reply::kGood;
            }
            // A reply of the wrong shape is as good as a damaged one.
            if (!ask_again()) return Reply::kAbandon;
            continue;
        }
        if (f.cmd() == ext::kCardOut) return Reply::kAbandon;
        if (announces_card(f.cmd())) {
            // The same card announced again while it is read: passed over. Another card: the
            // first was pulled out, the new one is read next.
            if (announcement_of(f).id == card.id) {
                ++passed;
                continue;
            }
            next_ = f;
            return Reply::kOtherCard;
        }
        ++passed;
    }
    return Reply::kAbandon;
}

bool ExtendedReader::read_card(const Announcement& card, WholeCard& out) {
    CardImage image;
    image.family = card.family;
    if (card.family == CardFamily::k5) {
        if (request(ext::kReadCard5, -1, card, image) != Reply::kGood) return false;
    } else {
        bool card6 = card.family == CardFamily::k6 || card.family == CardFamily::k6Star;
        std::uint8_t cmd = card6 ? ext::kReadCard6 : ext::kReadCard;
        if (request(cmd, 0, card, image) != Reply::kGood) return false;
        BlockList blocks =
            blocks_for_punches(card.family, image_punch_count(image, decode_.card6_192));
        for (int k = 0; k < blocks.count; ++k)
            if (request(cmd, blocks.blocks[k], card, image) != Reply::kGood) return false;
    }
    // Block 0 must be the card announced (a card swapped between two reads is not mixed).
    return decode_card_image(image, decode_, out) && out.readout.card_number == card.number;
}

int ExtendedReader::run_handshake() {
    // The card read and acknowledged last (or passed over), until it is taken out: the station
    // may announce it again meanwhile.
    std::optional<std::array<std::uint8_t, 4>> done;
    while (running()) {
        ExtendedFrame f;
        if (next(f) != FrameWait::kFrame || f.basic) continue;
        if (f.cmd() == ext::kCardOut) {
            done.reset();
            continue;
        }
        if (!announces_card(f.cmd())) continue;  // an echo, a stray frame
        Announcement card = announcement_of(f);
        if (done && *done == card.id) continue;
        if (card.family == CardFamily::kUnknown || registration_armed()) {
            tell(card.family == CardFamily::kUnknown ? ReaderNotice::Kind::kUnknownCard
                                                     : ReaderNotice::Kind::kRegistrationRefused,
                 card.number);
            done = card.id;
            continue;
        }
        WholeCard whole;
        if (!read_card(card, whole)) continue;  // nothing kept; read again when put back
        // Safe (journaled) before the station hears it is taken; else it stays in the station.
        if (!kept(whole)) continue;
        link_.send({ext::kAck});
        done = card.id;
        if (!deliver(whole)) break;
    }
    return cards_;
}

int ExtendedReader::run_autosend() {
    CardImage image;
    bool collecting = false;
    std::int32_t number = 0;
    auto drop = [&] {
        if (collecting && image.have != 0) tell(ReaderNotice::Kind::kReinsert, number);
        collecting = false;
    };
    while (running()) {
        ExtendedFrame f;
        FrameWait w = next(f);
        if (w == FrameWait::kSilence) {
            drop();  // the rest of a card never came
            continue;
        }
        if (w == FrameWait::kBadFrame) {
            // A damaged block cannot be asked for again here: the card must go in again.
            if (collecting || f.cmd() == ext::kReadCard5 || f.cmd() == ext::kReadCard6 ||
                f.cmd() == ext::kReadCard)
                tell(ReaderNotice::Kind::kReinsert, collecting ? number : 0);
            collecting = false;
            continue;
        }
        if (w != FrameWait::kFrame || f.basic) continue;
        const std::uint8_t cmd = f.cmd();
        if (announces_card(cmd)) {
            drop();
            Announcement card = announcement_of(f);
            number = card.number;
            image = CardImage{};
            image.family = card.family;
            collecting = true;
            continue;
        }
        if (cmd == ext::kCardOut) {
            drop();
            continue;
        }
        int block = -1;
        const std::uint8_t* bytes = f.payload();
        if (cmd == ext::kReadCard5 && f.payload_size() == kCardBlockBytes) {
            block = 0;
        } else if ((cmd == ext::kReadCard6 || cmd == ext::kReadCard) &&
                   f.payload_size() == kCardBlockBytes + 1 && f.payload()[0] < kCardMaxBlocks) {
            block = f.payload()[0];
            ++bytes;
        }
        if (block < 0) continue;
        if (block == 0) {
            drop();
            image = CardImage{};
            if (cmd == ext::kReadCard5) {
                image.family = CardFamily::k5;
            } else if (cmd == ext::kReadCard6) {
                number = be24(bytes + 0x0B);
                image.family = card6_family(number);
            } else {
                number = be24(bytes + 0x19);
                image.family = card_family_of(number);
                if (card_family_series(image.family) == 0) {
                    tell(ReaderNotice::Kind::kUnknownCard, number);
                    continue;
                }
            }
            if (registration_armed()) {
                tell(ReaderNotice::Kind::kRegistrationRefused, number);
                continue;
            }
            collecting = true;
        }
        if (!collecting || (block != 0 && !image.has(0))) continue;
        image.put(block, bytes);

        int n = image_punch_count(image, decode_.card6_192);
        CardDecodeOptions decode = decode_;
        // Without the "192 punches" setting the station sends a card 6* only as far as block 7.
        if (image.family == CardFamily::k6Star && !decode_.card6_192) {
            n = std::min(n, CardReadout::kMaxPunches);
            decode.punch_limit = CardReadout::kMaxPunches;
        }
        BlockList blocks = blocks_for_punches(image.family, n);
        bool whole = true;
        for (int k = 0; k < blocks.count; ++k) whole = whole && image.has(blocks.blocks[k]);
        if (!whole) continue;
        collecting = false;
        WholeCard card;
        if (!decode_card_image(image, decode, card)) {
            tell(ReaderNotice::Kind::kReinsert, number);
            continue;
        }
        if (!kept(card)) {
            tell(ReaderNotice::Kind::kReinsert, card.readout.card_number);
            continue;
        }
        if (!deliver(card)) break;
    }
    return cards_;
}

}  // namespace

int run_extended_card_reader(StationLink& link, const ReadOptions& options,
                             const CardReaderHooks& hooks, const ReaderPauses&) {
    ExtendedReader reader(link, options, hooks);
    return options.station.autosend() ? reader.run_autosend() : reader.run_handshake();
}

}  // namespace skarvel
