// Who holds which serial port, process-wide. The card reader, the radio control reader, the
// transponder reader and the display board all use the station's port; each claims the device
// before it opens it and lets go when it has closed it, so that starting one while another
// holds the port says who holds it instead of failing to open.
#pragma once

#include <optional>
#include <string>

#include "core/language.h"

namespace skarvel {

// A held port; lets go when released or destroyed. Move-only.
class PortClaim {
  public:
    PortClaim() = default;
    PortClaim(PortClaim&& other) noexcept { *this = std::move(other); }
    PortClaim& operator=(PortClaim&& other) noexcept;
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;
    ~PortClaim() { release(); }

    explicit operator bool() const { return !key_.empty(); }
    // Lets go of the port (callable from any thread; once).
    void release();

  private:
    friend bool claim_serial_port(const std::string&, Txt, PortClaim&, Txt*);
    std::string key_;
};

// Claims `device` for `holder` (the text naming the holder, such as Txt::kPortHolderCards) into
// `claim`. False when another holds it; `held_by` then names that one. A device path and a link
// to it are one port. An empty device name is held by nobody: true and `claim` stays empty
// (the open fails on its own).
bool claim_serial_port(const std::string& device, Txt holder, PortClaim& claim,
                       Txt* held_by = nullptr);
// Who holds `device` now, if anyone.
std::optional<Txt> serial_port_holder(const std::string& device);

// "Порт %s занят: %s. Сначала остановите это." with the device and the holder.
std::string port_busy_message(const LanguageTable& lang, const std::string& device, Txt holder);

}  // namespace skarvel
