// The frame of a skarvel-cli command that drives one serial device without a screen: its
// arguments, and (only in the Qt build, SKARVEL_CLI_HAS_QT) the Qt event core the port needs,
// the port itself, and Ctrl+C / SIGTERM stopping the link that reads it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skarvel::cli {

// The arguments of a reader command: FILE.wdb, --port DEVICE, an optional count option
// (`count`, e.g. "--cards": a number of at least 1) and flags standing alone. Returns kExitOk,
// or kExitUsage after printing "<command>: <count> needs a number of at least 1",
// "<command>: unknown option '<arg>' (usage: <usage>)" or "usage: <usage>".
struct ReaderArgs {
    std::string file, device;
    long long count = 0;             // 0 when not given
    std::vector<std::string> flags;  // the flags given
    bool has(std::string_view flag) const;
};
int parse_reader_args(const std::vector<std::string>& args, std::string_view command,
                      std::string_view usage, std::string_view count,
                      const std::vector<std::string_view>& flags, ReaderArgs& out);

// In a build without Qt: prints "<command>: this build has no serial port support (built
// without Qt)" and returns kExitUsage.
int no_serial_support(std::string_view command);

}  // namespace skarvel::cli

#ifdef SKARVEL_CLI_HAS_QT

#include <QCoreApplication>

#include "platform/serial_port.h"
#include "punch/station_link.h"
#include "punch/station_reader.h"

namespace skarvel::cli {

// One per process at a time. Typical use:
//   SerialSession session;
//   if (!session.open("radio", device, kModemBaud)) return kExitInput;
//   StationLink link(session.port());
//   session.stop_on_interrupt(link);
//   ... run the reader until it has enough or session.interrupted() ...
//   session.end();
class SerialSession {
  public:
    SerialSession();
    ~SerialSession();
    SerialSession(const SerialSession&) = delete;
    SerialSession& operator=(const SerialSession&) = delete;

    // Opens `device` at `baud` and drops what was waiting in it. On failure prints
    // "skarvel-cli: <command>: cannot open <device>: <why>" and returns false.
    bool open(std::string_view command, const std::string& device, int baud);
    SerialPort& port() { return *port_; }

    // From now until end(), SIGINT and SIGTERM ask `link` to stop (the reader gives up at its
    // next byte) and mark the session interrupted.
    void stop_on_interrupt(StationLink& link);
    bool interrupted() const;

    // Puts the old signal handlers back and closes `used` (a wrapper around port(), or port()
    // itself when null). The destructor does it if nobody did.
    void end(SerialPort* used = nullptr);

  private:
    int argc_ = 1;
    char name_[12] = "skarvel-cli";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_;
    std::unique_ptr<SerialPort> port_;
    bool watching_ = false;
    bool ended_ = false;
    void (*old_int_)(int) = nullptr;
    void (*old_term_)(int) = nullptr;
};

// Asks the station on `link` which protocol it speaks and how it is set, tells that on stderr
// (and aloud, a station that reports no cards), and returns the options to read its cards with.
ReadOptions ask_station(StationLink& link, const PunchSettings& settings);

}  // namespace skarvel::cli

#endif  // SKARVEL_CLI_HAS_QT
