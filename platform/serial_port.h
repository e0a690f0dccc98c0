// A serial line as the station protocols see it: single bytes with a time-out, whole writes,
// and a purge of what has arrived but was not read. The desktop program and the command-line
// tool open real ports (or a simulator's pseudo-terminal) through platform/qt; tests may use
// any implementation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace skarvel {

class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // The next received byte (0..255), waiting at most `timeout_ms` for it; -1 when the line
    // stayed silent, the port is closed or the reader was told to stop.
    virtual int read_byte(int timeout_ms) = 0;
    // Sends all bytes; false when the port could not take them.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
    // Drops every byte that has arrived and was not read yet.
    virtual void discard_input() = 0;
    virtual bool is_open() const = 0;
    // Changes the line speed of an open port; false when this line cannot (the caller then
    // stays at the speed it has).
    virtual bool set_baud_rate(int /*baud*/) { return false; }
    virtual void close() = 0;
};

}  // namespace skarvel
