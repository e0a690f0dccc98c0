#include "punch/extended_frames.h"

#include "punch/station_link.h"

namespace skarvel {

std::vector<std::uint8_t> extended_command(std::uint8_t cmd, const std::uint8_t* data,
                                           std::size_t n) {
    std::vector<std::uint8_t> out;
    out.reserve(n + 7);
    out.push_back(ext::kWakeUp);
    out.push_back(0x02);
    out.push_back(cmd);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data, data + n);
    std::uint16_t k = station_crc16(out.data() + 2, n + 2);
    out.push_back(static_cast<std::uint8_t>(k >> 8));
    out.push_back(static_cast<std::uint8_t>(k));
    out.push_back(0x03);
    return out;
}

ExtendedFrameReader::Event ExtendedFrameReader::push(std::uint8_t b) {
    switch (state_) {
        case State::kIdle:
            if (b == 0x02) state_ = State::kCmd;
            return b == ext::kNak ? Event::kNak : Event::kNone;
        case State::kCmd:
            frame_.raw[0] = b;
            frame_.basic = b < 0x80;
            if (frame_.basic) {
                frame_.raw[1] = 0;
                escaped_ = false;
                state_ = State::kBasic;
            } else {
                state_ = State::kLen;
            }
            return Event::kNone;
        case State::kLen:
            frame_.raw[1] = b;
            at_ = 0;
            state_ = b == 0 ? State::kCrc1 : State::kData;
            return Event::kNone;
        case State::kData:
            frame_.raw[2 + at_++] = b;
            if (at_ == frame_.size()) state_ = State::kCrc1;
            return Event::kNone;
        case State::kCrc1:
            crc_ = static_cast<std::uint16_t>(b << 8);
            state_ = State::kCrc0;
            return Event::kNone;
        case State::kCrc0:
            crc_ = static_cast<std::uint16_t>(crc_ | b);
            state_ = State::kEnd;
            return Event::kNone;
        case State::kEnd:
            state_ = State::kIdle;
            if (b != 0x03 || station_crc16(frame_.raw, frame_.size() + 2) != crc_)
                return Event::kBadFrame;
            return Event::kFrame;
        case State::kBasic:
            // The basic protocol: the frame ends at 0x03, and 0x10 marks the next byte as data.
            if (!escaped_ && b == 0x10) {
                escaped_ = true;
                return Event::kNone;
            }
            if (!escaped_ && b == 0x03) {
                state_ = State::kIdle;
                return Event::kBasicFrame;
            }
            escaped_ = false;
            if (frame_.raw[1] == 255) {
                // Longer than any basic frame: noise.
                state_ = State::kIdle;
                return Event::kBadFrame;
            }
            frame_.raw[2 + frame_.raw[1]++] = b;
            return Event::kNone;
    }
    return Event::kNone;
}

}  // namespace skarvel
