// Process-wide state that does not belong to one competition: the random source, the running
// clock and the language table. One object, owned by the main window.
#pragma once

#include <cstdint>
#include <functional>

#include "core/language.h"
#include "core/rand15.h"
#include "platform/qt/qt_printer.h"

namespace skarvel {

// The 100 ms clock: `program_clock` is the time of day in centiseconds, with tenths (and
// random hundredths) added according to the competition's time precision.
class ProgramClock {
  public:
    // One tick with the local time of day; returns the new clock value.
    std::int32_t tick(int hour, int minute, int second, int precision, Rand15& rand15);
    std::int32_t value() const { return value_; }

  private:
    std::int32_t value_ = 0;
    int subsecond_ = 0;
    int last_second_ = -1;
};

struct AppState {
    Rand15 rand15;
    ProgramClock clock;
    LanguageTable lang;
    // The printer chosen in "Выбор принтера..." (the default printer until then) and the
    // desktop's "open" action, for every report.
    QtPrinterProvider printer;
    QtShellOpener shell;
    std::int32_t program_clock() const { return clock.value(); }
    // The finish exchange's UDP port for this run (--port); 0: the user setting.
    int finish_port = 0;
    // The finish client's calls for the card readout (empty until the client is bound).
    std::function<void(int finish_slot)> send_finish_line;
    std::function<void()> send_unsent_finish_lines;
};

}  // namespace skarvel
