// The transponder decoder reader of the desktop program (the decoder reading command of the
// AMB menu). A worker thread opens the decoder's port (9600 baud, 8N1), reads passing records
// and does nothing else: each passing goes into a queue and the worker reads on. The window's
// thread takes the queue over and writes the finish lines when `may_apply` says the window is
// at its top level (no modal dialog, no command running), as the station reader does with
// cards: the passings that wait are written together and the results recomputed once after
// them. A passing that arrived while another competition was open is dropped and counted.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"
#include "platform/qt/worker_holder.h"
#include "punch/transponders.h"

namespace skarvel {

class TransponderReaderQt : public QObject {
    Q_OBJECT
  public:
    struct Environment {
        std::function<Competition&()> competition;
        std::function<Prompts&()> prompts;
        // The decoder's device (the station port: its COM number or a device path) and the
        // COM number for the message when it cannot be opened.
        std::function<std::string()> device;
        std::function<int()> com_number;
        // May passings be written now? Unset: when no modal dialog or popup is open.
        std::function<bool()> may_apply;
        // The competition now open (changes when another is loaded or a new one started).
        std::function<std::uint64_t()> competition_generation;
        // Passings as soon as the window has them, before they may wait for a dialog (the
        // card journal keeps them from then on).
        std::function<void(const std::vector<DecoderPassing>&)> arrived;
        // After each passing written (the status line, the journal).
        std::function<void(const DecoderPassing&, const PassingOutcome&)> passing_written;
        // After the passings of a batch were written and the results recomputed.
        std::function<void()> changed;
    };

    explicit TransponderReaderQt(Environment env, QObject* parent = nullptr);
    ~TransponderReaderQt() override;

    bool running() const { return holder_.running(); }
    // Starts the reader, or stops it when it runs. Returns true when it now runs. A port
    // another reader (or the display board) holds is refused with "Порт %s занят: %s. ...".
    // The window never waits for the port: one that cannot be opened ends the reader a moment
    // later with "Не могу инициализировать порт COM%d, err=%d".
    bool toggle();
    // Stops the reader without waiting: the worker ends on its own and lets go of the port when
    // it has closed it.
    void stop();
    // Writes the passings that wait when `may_apply` allows (else tries again shortly). The
    // window also calls it before the competition is replaced, from the top of a command, with
    // `at_command_top` (then only a modal dialog or popup holds the passings back).
    void apply_pending(bool at_command_top = false);

    int pending_count() const { return static_cast<int>(pending_.size()); }
    int passings_written() const { return written_; }
    // Damaged records dropped by the worker, and passings dropped because the competition
    // changed, since the program started.
    int records_dropped() const { return dropped_.load(); }
    int passings_orphaned() const { return orphaned_; }

    // Test hooks: the link's byte time-out and the pause after an empty read.
    StationLinkTiming timing{200, 10, 10, 100};
    int idle_ms = 10;
    // Test hook, on the worker: the port is open and listening.
    std::function<void()> on_listening;

  signals:
    // The reader ended: stopped, or the port went away or could not be opened.
    void reading_stopped();
    // The port went away while reading (emitted before reading_stopped).
    void port_lost(const QString& device);

  private:
    struct Arrival {
        DecoderPassing passing;
        std::uint64_t competition = 0;
    };
    int worker(WorkerHolder::Job& job, const std::string& device);
    void take_over();
    void ended(int code);

    Environment env_;
    WorkerHolder holder_;
    std::string device_;  // the running reader's port and the COM number it stands for
    int com_number_ = 0;
    std::atomic<int> dropped_{0};
    bool closing_ = false;
    std::mutex incoming_mutex_;
    std::vector<DecoderPassing> incoming_;  // from the worker (under incoming_mutex_)
    std::deque<Arrival> pending_;           // taken over, not yet written (owner thread only)
    int written_ = 0;
    int orphaned_ = 0;
    bool applying_ = false;
    QTimer* retry_ = nullptr;
};

}  // namespace skarvel
