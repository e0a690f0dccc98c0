// The raw frame log of the station port: every byte sent and received, in hex, one line per
// burst with a time stamp, appended to a file beside the competition file. A card misread on
// race day can then be taken apart afterwards.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace skarvel {

// "race.wdb" -> "race.station.log" (a path without extension just gets ".station.log").
std::string frame_log_path(const std::string& competition_path);

// A SerialPort that passes everything through to `inner` and writes it to the log. Lines look
// like "2026-05-17 10:31:02.415 > 02 31 03" (sent) and "... < 02 ..." (received); received
// bytes are gathered until the line falls silent or the direction changes.
class LoggingSerialPort : public SerialPort {
  public:
    // The log is opened for appending; when it cannot be, the port works without a log.
    LoggingSerialPort(SerialPort& inner, const std::string& log_path);
    ~LoggingSerialPort() override;

    bool log_open() const { return file_ != nullptr; }

    int read_byte(int timeout_ms) override;
    bool write(const std::uint8_t* data, std::size_t size) override;
    void discard_input() override;
    bool is_open() const override { return inner_.is_open(); }
    bool set_baud_rate(int baud) override { return inner_.set_baud_rate(baud); }
    void close() override;

  private:
    void flush_received();
    void write_line(char direction, const std::uint8_t* data, std::size_t size,
                    const std::string& stamp);
    void write_note(const char* note);

    SerialPort& inner_;
    std::FILE* file_ = nullptr;
    std::vector<std::uint8_t> received_;
    std::string received_stamp_;
};

// "YYYY-MM-DD HH:MM:SS.mmm" of the local clock now.
std::string log_time_stamp();

}  // namespace skarvel
