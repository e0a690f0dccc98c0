// Who holds which port, process-wide. The card reader, the radio control reader, the
// transponder reader and the display board all use the station's port; the finish server holds
// its UDP port. Each claims the port before it opens it and lets go when it has closed it, so
// that starting one while another holds the port says who holds it instead of failing to open.
//
// A holder that has been told to stop but has not closed its port yet is "ending": one new
// claim may queue behind it and gets the port the moment the ending holder lets go. There is
// never more than one holder of a port, and never more than one claim waiting for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/language.h"

namespace skarvel {

enum class ClaimResult {
    kHeld,    // the port is the claim's
    kQueued,  // an ending holder has it; the claim gets it when that one lets go
    kBusy,    // another holds it (and is not ending), or one already waits for it
};

// A held (or queued) port; lets go when released or destroyed. Move-only. Its methods may be
// called from any thread.
class PortClaim {
  public:
    PortClaim() = default;
    PortClaim(PortClaim&& other) noexcept { *this = std::move(other); }
    PortClaim& operator=(PortClaim&& other) noexcept;
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;
    ~PortClaim() { release(); }

    // Holds or waits for a port.
    explicit operator bool() const;
    // The port is this claim's now (not merely queued for).
    bool held() const;
    // Lets go of the port, or withdraws from the queue (once).
    void release();
    // The holder was told to stop and will let go soon: one claim may queue behind it.
    void mark_ending();
    // Waits until a queued claim holds the port. Gives up (and withdraws) when `give_up` says so
    // or `limit` passes; returns whether the port is held (else `held_by` names the holder that
    // kept it).
    bool wait_until_held(std::chrono::milliseconds limit, const std::function<bool()>& give_up,
                         Txt* held_by = nullptr);

  private:
    friend ClaimResult claim_port_key(const std::string&, Txt, PortClaim&, Txt*, bool);
    std::string key_;
    std::uint64_t id_ = 0;
};

// Claims `device` for `holder` (the text naming the holder, such as Txt::kPortHolderCards) into
// `claim`. False when another holds it; `held_by` then names that one. A device path and a link
// to it are one port. An empty device name is held by nobody: true and `claim` stays empty
// (the open fails on its own).
bool claim_serial_port(const std::string& device, Txt holder, PortClaim& claim,
                       Txt* held_by = nullptr);
// The same, but queues behind a holder that is ending (kQueued: wait_until_held before opening).
ClaimResult claim_serial_port_queued(const std::string& device, Txt holder, PortClaim& claim,
                                     Txt* held_by = nullptr);
// A UDP port of this machine ("udp:<port>"); port 0 (any free port) is held by nobody.
ClaimResult claim_udp_port_queued(int port, Txt holder, PortClaim& claim, Txt* held_by = nullptr);
// Claims the register key as it is (the two above make their keys and call this).
ClaimResult claim_port_key(const std::string& key, Txt holder, PortClaim& claim, Txt* held_by,
                           bool queue_behind_ending);
// Who holds `device` now, if anyone.
std::optional<Txt> serial_port_holder(const std::string& device);

// "Порт %s занят: %s. Сначала остановите это." with the device and the holder.
std::string port_busy_message(const LanguageTable& lang, const std::string& device, Txt holder);
// "Порт %s ещё не освобождён: %s заканчивается. Попробуйте ещё раз." with the device and the
// ending holder (a queued claim that waited in vain).
std::string port_not_free_message(const LanguageTable& lang, const std::string& device, Txt holder);

}  // namespace skarvel
