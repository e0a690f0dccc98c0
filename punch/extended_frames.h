// The stations' extended protocol on the wire: frames STX CMD LEN DATA CRC1 CRC0 ETX. The
// receiver counts LEN bytes instead of looking for the end byte, so nothing is escaped, and
// every frame carries station_crc16 over CMD, LEN and DATA. Single bytes stand between frames:
// 0x06 (the program's acknowledgement), 0x15 (the station cannot do what it was asked) and
// 0xFF (a wake-up byte the program sends before its frames).
//
// The frame reader is a byte-at-a-time state machine, so the link feeds it from the line and
// the fuzz target and the tests feed it from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace skarvel {

namespace ext {
// Commands the program sends and the station answers with the same code.
constexpr std::uint8_t kSetMode = 0xF0;     // 0x4D direct, 0x53 remote
constexpr std::uint8_t kGetMode = 0xF1;     //
constexpr std::uint8_t kReadSystem = 0x83;  // address, count
constexpr std::uint8_t kReadCard5 = 0xB1;   // one reply of 128 bytes
constexpr std::uint8_t kReadCard6 = 0xE1;   // block 0..7, or 8 = the configured blocks
constexpr std::uint8_t kReadCard = 0xEF;    // block of the later families, 8 = all
constexpr std::uint8_t kBeep = 0xF9;        //
constexpr std::uint8_t kReadClock = 0xF7;   //
// What the station sends by itself.
constexpr std::uint8_t kCard5In = 0xE5;
constexpr std::uint8_t kCard6In = 0xE6;
constexpr std::uint8_t kCard8In = 0xE8;  // cards 8, 9, 10, 11, the active card, p and t
constexpr std::uint8_t kCardOut = 0xE7;
// Single bytes.
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kWakeUp = 0xFF;
constexpr std::uint8_t kDirect = 0x4D;
// System memory addresses read at start-up.
constexpr std::uint8_t kProtocolAddress = 0x74;
constexpr std::uint8_t kModeAddress = 0x71;
constexpr std::uint8_t kCard6BlocksAddress = 0x33;
}  // namespace ext

// FF 02 CMD LEN DATA CRC1 CRC0 03: a command as the program sends it.
std::vector<std::uint8_t> extended_command(std::uint8_t cmd, const std::uint8_t* data,
                                           std::size_t n);
inline std::vector<std::uint8_t> extended_command(std::uint8_t cmd,
                                                  std::initializer_list<std::uint8_t> data) {
    return extended_command(cmd, std::data(data), data.size());
}

// A frame as received: CMD, LEN and DATA side by side (the bytes the check covers). For a
// frame of the basic protocol (CMD below 0x80) DATA holds the bytes up to the end byte with the
// 0x10 escapes taken out.
struct ExtendedFrame {
    std::uint8_t raw[2 + 255] = {};
    bool basic = false;

    std::uint8_t cmd() const { return raw[0]; }
    std::size_t size() const { return raw[1]; }
    const std::uint8_t* data() const { return raw + 2; }
    // DATA after the station's code (CS1 CS0), which opens every frame a station sends.
    std::size_t payload_size() const { return size() >= 2 ? size() - 2 : 0; }
    const std::uint8_t* payload() const { return raw + 4; }
    std::uint16_t station_code() const {
        return size() >= 2 ? static_cast<std::uint16_t>((raw[2] << 8) | raw[3]) : 0;
    }
};

class ExtendedFrameReader {
  public:
    enum class Event : std::uint8_t {
        kNone,        // more bytes needed (or a byte between frames was passed over)
        kFrame,       // a good extended frame: frame()
        kBadFrame,    // a frame failed its check or its end byte: dropped whole
        kNak,         // a 0x15 between frames
        kBasicFrame,  // a frame of the basic protocol: frame(), with basic set
    };

    Event push(std::uint8_t b);
    const ExtendedFrame& frame() const { return frame_; }
    // Between frames (nothing half-received).
    bool idle() const { return state_ == State::kIdle; }
    void reset() { state_ = State::kIdle; }

  private:
    enum class State : std::uint8_t { kIdle, kCmd, kLen, kData, kCrc1, kCrc0, kEnd, kBasic };
    State state_ = State::kIdle;
    bool escaped_ = false;
    std::size_t at_ = 0;
    std::uint16_t crc_ = 0;
    ExtendedFrame frame_;
};

}  // namespace skarvel
