// The two station readers of the desktop program ("Запустить чтение" and "Чтение
// промежуточных финишей"). One reader at a time: either command stops whichever runs. The
// serial port is opened, read and closed on a worker thread, which does nothing else: each
// card or memory record it reads goes into a queue and the worker reads on.
//
// The worker has each card made safe (`keep`: the journal writes it to the disk) before it tells
// the station the card is taken. The window's thread takes the queue over as soon as it can
// (`arrived` is told of each event at once) and applies the events to the competition only
// when `may_apply` says the window is at its top level: no modal dialog (an editor, a message,
// a file dialog, the load message) and no command running. A modal dialog therefore never sees
// the tables change under it, and the events wait, in order, until it has closed. Each event
// carries the competition that was open when it arrived; one that finds another competition
// open is handed to `orphaned` instead of being applied.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/language.h"
#include "core/prompts.h"
#include "platform/port_registry.h"
#include "platform/qt/worker_holder.h"
#include "punch/readout.h"
#include "punch/station_event.h"
#include "punch/station_link.h"
#include "punch/station_reader.h"

namespace skarvel {

// Per-machine settings of the station port (user settings, not saved with the competition).
struct StationPortSettings {
    std::string device_override;  // a device path that takes the place of the COM number
    bool frame_log = false;       // append every byte to "<competition>.station.log"
};

class StationReaderQt : public QObject {
    Q_OBJECT
  public:
    enum class Mode { kNone, kCards, kMemory };

    struct Environment {
        std::function<Competition&()> competition;
        std::function<Prompts&()> prompts;
        // Split printout and finish client call points.
        std::function<ReadoutHooks()> hooks;
        // After a batch of cards or records changed the tables: mark modified, repaint (once
        // for the batch).
        std::function<void()> changed;
        // After each card: what became of it (for the status bar), with what its readout could
        // not hold (its family, every punch).
        std::function<void(const CardReadout& card, const CardExtras& extras,
                           const ReadoutOutcome& outcome)>
            card_processed;
        // What the station's start-up found (its protocol, mode, card-6 setting), on this
        // object's thread, once per start.
        std::function<void(const StationSetup& setup, Mode mode)> station_found;
        // What the card reader tells besides cards (a card of no known family, a card to put in
        // again, registration refused), on this object's thread.
        std::function<void(const ReaderNotice& notice)> reader_notice;
        // The competition's file (UTF-8), empty when untitled; the frame log goes beside it.
        std::function<std::string()> competition_path;
        std::function<StationPortSettings()> port_settings;
        // The personal data of a card read in the registration mode, on this object's thread
        // when events may be applied (see set_registration).
        std::function<void(const StationEvent&)> personal_data;
        // May events be applied now? Unset: when no modal dialog or popup is open.
        std::function<bool()> may_apply;
        // On the worker's thread, with each card or memory record read (stamped with the
        // competition open now): makes it safe (the card journal) before the station is told
        // the card is taken, or the memory reader moves past the record. False leaves it in
        // the station, to be read again after a pause (unset: everything is taken).
        std::function<bool(const StationEvent&)> keep;
        // An event has arrived (it is applied later), on this object's thread.
        std::function<void(const StationEvent&)> arrived;
        // The competition now open (changes when another is loaded or a new one started);
        // asked on the worker's thread too.
        std::function<std::uint64_t()> competition_generation;
        // Events that arrived while another competition was open; returns true to apply them
        // to the open one all the same (unset: they are not applied).
        std::function<bool(const std::vector<StationEvent>&)> orphaned;
    };

    explicit StationReaderQt(Environment env, QObject* parent = nullptr);
    ~StationReaderQt() override;

    Mode mode() const { return mode_; }
    bool reading_active() const { return mode_ != Mode::kNone; }

    // The menu toggles: when a reader runs it is stopped (whatever its kind); otherwise the
    // reader of `mode` starts (unless another part of the program holds the port: then it says
    // who). Returns true when a reader now runs. The worker opens the port
    // and the window never waits for it: a port that cannot be opened ends the reader a moment
    // later (`reading_stopped`) with the message "Не могу инициализировать порт COM%d, err=%d".
    // A port that a reader which is ending still holds is waited for on the worker.
    bool toggle(Mode mode);
    // Stops the running reader without waiting for it: the worker ends on its own and lets go
    // of the port when it has closed it. Events already read stay queued; a card the worker
    // still hands over while it ends is queued too.
    void stop();
    // Stops and waits for the worker (when the program ends).
    void stop_and_wait();
    // The worker threads alive, the running one and those ending (for tests).
    int worker_threads() const { return holder_.threads(); }

    // Applies the queued events when `may_apply` allows (else tries again shortly). Called
    // by itself; the window also calls it before the competition changes, from the top of a
    // command, with `at_command_top` (then only a modal dialog or popup stops it).
    void apply_pending(bool at_command_top = false);
    // Events read and not applied yet (for tests and the status line).
    int pending_count() const;
    // Every card and record kept (journaled, or being journaled) and not applied yet.
    std::vector<StationEvent> pending_events() const;
    // Events taken over from the worker so far.
    int arrived_count() const { return arrived_count_; }

    // The registration mode: while it is on, the card reader reads the personal data (words
    // 8..39) of every type-6/10 card instead of its punches and hands it over as a
    // kPersonalData event. May be switched while a reader runs.
    void set_registration(bool on) { registration_.store(on); }
    bool registration() const { return registration_.load(); }

    ReadoutState& state() { return state_; }
    // Test hooks: link timing and pauses of the readers.
    StationLinkTiming timing;
    ReaderPauses pauses;

    // Cards and records processed since the program started (for the status line and tests).
    int cards_processed() const { return cards_processed_; }
    int records_processed() const { return records_processed_; }

  signals:
    // The reader ended by itself (port gone) or was stopped.
    void reading_stopped();
    // The port went away while reading (emitted before reading_stopped); `device` is its path.
    void port_lost(const QString& device);

  private:
    bool start(Mode mode);
    // Runs on the worker: returns the system's error code of a port that could not be opened,
    // or kPortWentAway.
    int worker(WorkerHolder::Job& job, Mode mode, const std::string& device, int baud,
               ReadOptions options, const std::string& log_path);
    // The worker ended by itself: the port could not be opened, went away or stayed held, or
    // the station cannot give its memory (kMemoryRefused).
    void ended(int code);
    static constexpr int kMemoryRefused = -2;
    // Worker side: queues an event and wakes this object's thread.
    void hand_over(StationEvent e);
    // Worker side: the same for the event just kept.
    void hand_over_kept();
    // This object's thread: takes the worker's events over.
    void take_over();
    bool may_apply_now(bool at_command_top) const;
    // Applies one event; true when it changed the tables.
    bool apply(const StationEvent& e);

    Environment env_;
    Mode mode_ = Mode::kNone;
    ReadoutState state_;
    WorkerHolder holder_;
    // What the running reader was started on (for the messages when it ends by itself).
    std::string device_;
    int com_number_ = 0;
    std::atomic<bool> registration_{false};
    bool closing_ = false;  // being destroyed (owner thread only)
    int cards_processed_ = 0;
    int records_processed_ = 0;
    mutable std::mutex incoming_mutex_;
    std::vector<StationEvent> incoming_;   // from the worker (under incoming_mutex_)
    std::optional<StationEvent> keeping_;  // being made safe (under incoming_mutex_)
    std::deque<StationEvent> pending_;     // taken over, not yet applied (owner thread only)
    int arrived_count_ = 0;
    bool applying_ = false;
    QTimer* retry_ = nullptr;
};

// "Не могу инициализировать порт COM%d, err=%d" in the language of `lang`.
std::string port_open_failed_message(const LanguageTable& lang, int com_number, int error_code);

// The end code of a device worker whose port went away while it read (any other code is the
// system's error code of a port that could not be opened, or WorkerHolder::kPortNotFree).
inline constexpr int kPortWentAway = 0;
// What a device reader that ended by itself tells the user: nothing for kPortWentAway (each
// reader says that in its own words), the open failure, or that the port was not freed.
std::string reader_end_message(const LanguageTable& lang, const WorkerHolder& holder, int code,
                               int com_number, const std::string& device);

}  // namespace skarvel
