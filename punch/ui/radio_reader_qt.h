// The radio control reader of the desktop program ("Запустить чтение радио-КП"). The modem's
// port (the station's port) is opened, read and closed on a worker thread that does serial
// input and output only: each radio message it reads goes into a queue, and the window's thread
// stores its records (finish lines and card readouts) when no modal dialog is open and no
// command runs, as the station reader does with cards.
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
#include "punch/radio_reader.h"

namespace skarvel {

class RadioReaderQt : public QObject {
    Q_OBJECT
  public:
    struct Environment {
        std::function<Competition&()> competition;
        std::function<Prompts&()> prompts;
        // The station's port: its device and the COM number it stands for.
        std::function<std::string()> device;
        std::function<int()> com_number;
        // After records changed the tables: mark modified, repaint.
        std::function<void()> changed;
        // Each record stored (for the status bar and the journal).
        std::function<void(const RadioRecord& r, const RadioRecordOutcome& out)> record_stored;
        // A message held malformed records, dropped (their number).
        std::function<void(int dropped)> dropped;
        // May records be stored now? Unset: when no modal dialog or popup is open.
        std::function<bool()> may_apply;
        // A message has arrived (it is stored later), on this object's thread.
        std::function<void(const RadioMessage& m)> arrived;
        // The competition now open; messages read while another was open are stored only
        // when `orphaned` says so.
        std::function<std::uint64_t()> competition_generation;
        std::function<bool(const std::vector<RadioMessage>& messages)> orphaned;
    };

    explicit RadioReaderQt(Environment env, QObject* parent = nullptr);
    ~RadioReaderQt() override;

    // The menu command: a running reader stops ("Чтение радио-КП выключено"); otherwise the
    // reader starts unless another part of the program holds the port. The worker opens the
    // port and the window does not wait: "Чтение радио-КП включено, %s" (or the port failure
    // message) follows a moment later. Returns true when the reader now runs.
    bool toggle();
    bool running() const { return holder_.running(); }
    // Stops the reader without waiting: the worker ends on its own and lets go of the port when
    // it has closed it. Messages already read stay queued.
    void stop();

    // Stores the queued records when `may_apply` allows (else tries again shortly).
    void apply_pending(bool at_command_top = false);
    int pending_count() const { return static_cast<int>(pending_.size()); }
    int records_stored() const { return records_stored_; }
    int records_dropped() const { return records_dropped_; }
    // Test hooks: link timing and the cycle's pauses.
    StationLinkTiming timing;
    RadioPauses pauses;

  signals:
    // The reader ended by itself (port gone) or was stopped.
    void reading_stopped();
    // The port went away while reading (emitted before reading_stopped).
    void port_lost(const QString& device);

  private:
    struct Pending {
        RadioMessage message;
        std::uint64_t competition = 0;
    };
    int worker(WorkerHolder::Job& job, const std::string& device);
    void hand_over(RadioMessage m);
    void take_over();
    void ended(int code);

    Environment env_;
    WorkerHolder holder_;
    std::string device_;  // the running reader's port
    bool closing_ = false;
    std::mutex incoming_mutex_;
    std::vector<RadioMessage> incoming_;
    std::deque<Pending> pending_;
    bool applying_ = false;
    int records_stored_ = 0;
    int records_dropped_ = 0;
    QTimer* retry_ = nullptr;
};

}  // namespace skarvel
