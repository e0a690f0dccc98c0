// Serial ports through Qt SerialPort. COM port n is "\\.\COMn" on Windows and, elsewhere, the
// n-th device of a stable list (/dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS*); a device path set by
// the user (a simulator's pseudo-terminal, an unusual adapter) takes the place of the list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace skarvel {

struct SerialOpenError {
    int code = 0;  // the QSerialPort error code
    bool not_found = false;
    bool busy = false;  // in use or not permitted
    std::string text;   // the system's explanation (UTF-8)
};

// Serial devices of this machine in the stable order COM numbers map onto.
std::vector<std::string> serial_device_list();
// The device of COM port `number` (1-based); `device_override` wins when not empty. Empty when
// the machine has no such port.
std::string com_port_device(int number, const std::string& device_override = {});

// Opens and configures a port: `baud`, 8 data bits, no parity, one stop bit, DTR on. Must be
// used (read, written, closed) on the thread that opened it. Null and `error` on failure.
std::unique_ptr<SerialPort> open_serial_port(const std::string& device, int baud,
                                             SerialOpenError* error = nullptr);

// A serial device of this machine as the system describes it, found without opening it.
struct SerialPortEntry {
    std::string device;       // what open_serial_port takes: "/dev/ttyUSB0", or "COM3" on Windows
    std::string description;  // the adapter's description and maker (UTF-8), may be empty
};

// The machine's serial devices in natural order of their names. Nothing is opened (no pin
// changes on a device that belongs to someone else) and nothing waits on a device.
std::vector<SerialPortEntry> list_serial_ports();

}  // namespace skarvel
