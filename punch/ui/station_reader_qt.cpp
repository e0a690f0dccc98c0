#include "punch/ui/station_reader_qt.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "core/cp1251.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/stall_scope.h"
#include "punch/card_status.h"
#include "punch/frame_log.h"
#include "punch/personal_data.h"
#include "punch/punch_settings.h"

namespace skarvel {

using namespace skarvel::literals;

std::string port_open_failed_message(const LanguageTable& lang, int com_number, int error_code) {
    char buf[96];
    std::snprintf(buf, sizeof buf, std::string(lang.text(Txt::kPortOpenFailed)).c_str(), com_number,
                  error_code);
    return buf;
}

std::string reader_end_message(const LanguageTable& lang, const WorkerHolder& holder, int code,
                               int com_number, const std::string& device) {
    if (code == kPortWentAway) return {};
    if (code == WorkerHolder::kPortNotFree)
        return port_not_free_message(lang, device, holder.port_kept_by());
    return port_open_failed_message(lang, com_number, code);
}

StationReaderQt::StationReaderQt(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    retry_->setInterval(50);
    connect(retry_, &QTimer::timeout, this, [this] { apply_pending(); });
    connect(&holder_, &WorkerHolder::ended, this, &StationReaderQt::ended);
}

StationReaderQt::~StationReaderQt() {
    // At exit the competition and the prompts may already be gone: a card handed over while
    // the worker winds down is dropped, not processed.
    closing_ = true;
    stop_and_wait();
}

bool StationReaderQt::toggle(Mode mode) {
    if (reading_active()) {
        stop();
        return false;
    }
    return start(mode);
}

bool StationReaderQt::start(Mode mode) {
    if (mode == Mode::kNone || holder_.running()) return false;
    Competition& c = env_.competition();
    PunchSettings s = punch_settings_from(c.info);
    StationPortSettings ps = env_.port_settings ? env_.port_settings() : StationPortSettings{};
    int com = s.port_index + 1;
    std::string device = com_port_device(com, ps.device_override);
    std::string log_path;
    if (ps.frame_log) {
        std::string file = env_.competition_path ? env_.competition_path() : std::string();
        if (file.empty()) {
            // An untitled competition logs into the program's data folder.
            QString dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
            QDir().mkpath(dir);
            file = (dir + "/untitled.wdb").toStdString();
        }
        log_path = frame_log_path(file);
    }

    ReadOptions options = read_options_from(s);
    int baud = s.baud_rate();
    // The worker opens the port; the window does not wait for it (see worker()). The port is
    // this reader's until the worker has closed it.
    WorkerHolder::Start started =
        holder_.start(device, mode == Mode::kCards ? Txt::kPortHolderCards : Txt::kPortHolderMemory,
                      [this, mode, device, baud, options, log_path](WorkerHolder::Job& job) {
                          return worker(job, mode, device, baud, options, log_path);
                      });
    if (!started.started) {
        env_.prompts().message(port_busy_message(env_.prompts().lang(), device, started.held_by));
        return false;
    }
    device_ = device;
    com_number_ = com;
    mode_ = mode;
    return true;
}

void StationReaderQt::stop() {
    if (!holder_.running()) return;
    holder_.stop();
    mode_ = Mode::kNone;
    emit reading_stopped();
}

void StationReaderQt::stop_and_wait() {
    stop();
    holder_.stop_and_wait();
}

void StationReaderQt::ended(int code) {
    mode_ = Mode::kNone;
    if (code == kPortWentAway) emit port_lost(QString::fromStdString(device_));
    emit reading_stopped();
    std::string message =
        code == kMemoryRefused
            ? extended_refused_message(env_.prompts().lang(), Txt::kPortHolderMemory)
            : reader_end_message(env_.prompts().lang(), holder_, code, com_number_, device_);
    if (!message.empty() && !closing_) env_.prompts().message(message);
}

void StationReaderQt::hand_over(StationEvent e) {
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        incoming_.push_back(std::move(e));
    }
    QMetaObject::invokeMethod(
        this, [this] { take_over(); }, Qt::QueuedConnection);
}

void StationReaderQt::hand_over_kept() {
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        if (!keeping_) return;
        incoming_.push_back(std::move(*keeping_));
        keeping_.reset();
    }
    QMetaObject::invokeMethod(
        this, [this] { take_over(); }, Qt::QueuedConnection);
}

void StationReaderQt::take_over() {
    StallScope named("station card arrival");
    std::vector<StationEvent> events;
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        events.swap(incoming_);
    }
    if (closing_) return;
    std::uint64_t generation = env_.competition_generation ? env_.competition_generation() : 0;
    for (StationEvent& e : events) {
        // Stamped where it was journaled; else it belongs to the competition open now.
        if (e.competition == 0) e.competition = generation;
        ++arrived_count_;
        if (env_.arrived) env_.arrived(e);
        pending_.push_back(std::move(e));
    }
    apply_pending();
}

int StationReaderQt::pending_count() const {
    return static_cast<int>(pending_.size());
}

std::vector<StationEvent> StationReaderQt::pending_events() const {
    std::vector<StationEvent> out(pending_.begin(), pending_.end());
    std::lock_guard<std::mutex> lock(incoming_mutex_);
    out.insert(out.end(), incoming_.begin(), incoming_.end());
    if (keeping_) out.push_back(*keeping_);
    return out;
}

bool StationReaderQt::may_apply_now(bool at_command_top) const {
    if (at_command_top || !env_.may_apply)
        return QApplication::activeModalWidget() == nullptr &&
               QApplication::activePopupWidget() == nullptr;
    return env_.may_apply();
}

void StationReaderQt::apply_pending(bool at_command_top) {
    // Re-entered from a message an event shows: the outer call goes on when it has closed.
    if (applying_ || closing_ || pending_.empty()) return;
    StallScope named("station card hand-over");
    if (!may_apply_now(at_command_top)) {
        retry_->start();
        return;
    }
    applying_ = true;
    std::uint64_t generation = env_.competition_generation ? env_.competition_generation() : 0;
    std::vector<StationEvent> orphans;
    bool changed = false;
    while (!pending_.empty() && !closing_) {
        StationEvent e = std::move(pending_.front());
        pending_.pop_front();
        if (e.competition != generation) {
            orphans.push_back(std::move(e));
            continue;
        }
        changed = apply(e) || changed;
    }
    if (!orphans.empty() && !closing_ && env_.orphaned && env_.orphaned(orphans))
        for (const StationEvent& e : orphans) changed = apply(e) || changed;
    applying_ = false;
    // One repaint (and one title update) for the whole batch.
    if (changed && !closing_ && env_.changed) env_.changed();
    // Events that arrived while a message of this run was open.
    if (!pending_.empty()) retry_->start();
}

bool StationReaderQt::apply(const StationEvent& e) {
    Competition& c = env_.competition();
    if (e.kind == StationEvent::Kind::kCard) {
        PunchSettings s = punch_settings_from(c.info);
        ReadoutHooks h = env_.hooks ? env_.hooks() : ReadoutHooks{};
        ReadoutOutcome out = process_card(c, e.card, s, state_, env_.prompts(), h);
        ++cards_processed_;
        if (env_.card_processed) env_.card_processed(e.card, e.extras, out);
        return true;
    }
    if (e.kind == StationEvent::Kind::kPersonalData) {
        if (env_.personal_data) env_.personal_data(e);
        return false;
    }
    store_memory_record(c, e.card_number, e.time, env_.prompts());
    ++records_processed_;
    return true;
}

int StationReaderQt::worker(WorkerHolder::Job& job, Mode mode, const std::string& device, int baud,
                            ReadOptions options, const std::string& log_path) {
    SerialOpenError error;
    auto port = open_serial_port(device, baud, &error);
    if (!port) return error.code == 0 ? -1 : error.code;
    // Bytes that arrived before the reader started belong to nobody.
    port->discard_input();

    std::unique_ptr<LoggingSerialPort> logging;
    SerialPort* used = port.get();
    if (!log_path.empty()) {
        logging = std::make_unique<LoggingSerialPort>(*port, log_path);
        used = logging.get();
    }
    StationLink link(*used, timing);
    job.set_stopper([&link] { link.request_stop(); });

    // The start-up: the protocol the station speaks and how it is set. The memory exchange
    // needs the basic protocol: on a station set to the extended one it is refused.
    options.station = start_station(link, baud);
    QMetaObject::invokeMethod(
        this,
        [this, setup = options.station, mode] {
            if (closing_) return;
            if (env_.station_found) env_.station_found(setup, mode);
            // A station that reports no cards is said aloud, not left silent.
            std::string not_reading = station_mode_message(setup, env_.prompts().lang());
            if (mode == Mode::kCards && !not_reading.empty()) env_.prompts().message(not_reading);
        },
        Qt::QueuedConnection);
    const bool refused = mode == Mode::kMemory && options.station.extended();

    // Each card or record is stamped with the competition open now and made safe before the
    // station lets go of it; from then until it is handed over it counts as not entered (a
    // save in between keeps it in the journal).
    auto keep = [this](StationEvent e) {
        e.competition = env_.competition_generation ? env_.competition_generation() : 0;
        {
            std::lock_guard<std::mutex> lock(incoming_mutex_);
            keeping_ = e;
        }
        bool kept = !env_.keep || env_.keep(e);
        if (!kept) {
            std::lock_guard<std::mutex> lock(incoming_mutex_);
            keeping_.reset();
        }
        return kept;
    };
    if (refused) {
        // Nothing is read: the reader ends below and says why.
    } else if (mode == Mode::kCards) {
        CardReaderHooks hooks;
        // The whole card (its family, every punch) is journaled, not only what its readout holds.
        hooks.keep_whole = [&keep](const WholeCard& card) {
            StationEvent e;
            e.kind = StationEvent::Kind::kCard;
            e.card = card.readout;
            e.extras = card;
            return keep(e);
        };
        hooks.whole_card_read = [this](const WholeCard&) {
            hand_over_kept();
            return true;
        };
        hooks.notice = [this](const ReaderNotice& n) {
            QMetaObject::invokeMethod(
                this,
                [this, n] {
                    if (!closing_ && env_.reader_notice) env_.reader_notice(n);
                },
                Qt::QueuedConnection);
        };
        hooks.registration_armed = [this] { return registration_.load(); };
        hooks.personalise = [this](StationLink& l, int) {
            if (!registration_.load()) return false;
            StationEvent e;
            e.kind = StationEvent::Kind::kPersonalData;
            PersonalDataBlock block;
            // A card taken out halfway gives nothing: it is read again when put back.
            if (!take_personal_block(l, block)) return true;
            std::copy(block.begin(), block.end(), e.personal.begin());
            e.card.card_number = l.detected_number;
            hand_over(std::move(e));
            return true;
        };
        run_card_reader(link, options, hooks, pauses);
    } else {
        auto record = [](std::int32_t card_number, std::int32_t time) {
            StationEvent e;
            e.kind = StationEvent::Kind::kMemoryRecord;
            e.card_number = card_number;
            e.time = time;
            return e;
        };
        run_memory_reader(
            link, options, state_,
            [this](std::int32_t, std::int32_t) {
                hand_over_kept();
                return true;
            },
            pauses,
            [&keep, &record](std::int32_t card_number, std::int32_t time) {
                return keep(record(card_number, time));
            });
    }

    job.clear_stopper();
    used->close();
    // A station set to the extended protocol was asked for its memory: refused, said below.
    return refused ? kMemoryRefused : kPortWentAway;
}

}  // namespace skarvel
