#include "periph/ui/screens_qt.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTime>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "periph/display_pages.h"
#include "platform/qt/qt_serial_port.h"
#include "punch/ui/station_reader_qt.h"

namespace skarvel {

// --- settings ---

QString ScreenSettings::default_folder() {
#ifdef _WIN32
    return QStringLiteral("c:/lcd");
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/lcd";
#endif
}

ScreenSettings ScreenSettings::load() {
    QSettings s("Skarvel", "Skarvel");
    s.beginGroup("Setup");
    ScreenSettings r;
    r.folder = s.value("DisplayFolder").toString();
    if (r.folder.isEmpty()) r.folder = default_folder();
    r.http_on = s.value("DisplayHttp", 0).toInt() != 0;
    r.http_port = s.value("DisplayHttpPort", 8080).toInt();
    if (r.http_port < 1 || r.http_port > 65535) r.http_port = 8080;
    r.http_address = s.value("DisplayHttpAddress").toString().trimmed();
    return r;
}

void ScreenSettings::save() const {
    QSettings s("Skarvel", "Skarvel");
    s.beginGroup("Setup");
    s.setValue("DisplayFolder", folder);
    s.setValue("DisplayHttp", http_on ? 1 : 0);
    s.setValue("DisplayHttpPort", http_port);
    s.setValue("DisplayHttpAddress", http_address);
}

// --- display pages ---

DisplayPages::DisplayPages(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)), timer_(new QTimer(this)) {
    if (!env_.clock)
        env_.clock = [](int& h, int& m, int& s) {
            QTime now = QTime::currentTime();
            h = now.hour(), m = now.minute(), s = now.second();
        };
    connect(timer_, &QTimer::timeout, this, &DisplayPages::tick);
    writer_ = new QObject;
    writer_->moveToThread(&writer_thread_);
    connect(&writer_thread_, &QThread::finished, writer_, &QObject::deleteLater);
    writer_thread_.start();
}

DisplayPages::~DisplayPages() {
    timer_->stop();
    writer_thread_.quit();
    writer_thread_.wait();
}

bool DisplayPages::running() const {
    return timer_->isActive();
}

void DisplayPages::toggle() {
    Competition& c = env_.competition();
    c.info.display_on = c.info.display_on ? 0 : 1;
    if (!c.info.display_on) {
        timer_->stop();
        return;
    }
    failing_ = false;
    timer_->start(c.info.display_mode == 1 ? kStartPageIntervalMs : kFinishPageIntervalMs);
}

void DisplayPages::data_changed() {
    Competition& c = env_.competition();
    if (!c.info.display_on || c.info.display_mode == 1) return;
    if (!env_.publish || !env_.watched || !env_.watched()) return;
    env_.publish(finish_page(c));
}

void DisplayPages::tick() {
    Competition& c = env_.competition();
    // A load or a new competition clears the flag: the display ends at its next turn.
    if (!c.info.display_on) {
        timer_->stop();
        return;
    }
    const bool start = c.info.display_mode == 1;
    timer_->setInterval(start ? kStartPageIntervalMs : kFinishPageIntervalMs);
    // A slow disk (a network share) gets one page at a time; the next one is built afresh.
    if (pending_.load() > 0) return;
    std::string page;
    if (start) {
        int h = 0, m = 0, s = 0;
        env_.clock(h, m, s);
        page = start_page(c, h, m, s);
    } else {
        page = finish_page(c);
    }
    if (env_.publish && env_.watched && env_.watched()) env_.publish(page);
    std::string folder = env_.folder().toUtf8().toStdString();
    ++pending_;
    QMetaObject::invokeMethod(writer_, [this, folder, page = std::move(page)] {
        std::string why;
        bool ok = write_page_file(folder, kDisplayPageFile, page, &why);
        if (ok) ++written_;
        --pending_;
        QString reason = QString::fromUtf8(why);
        QMetaObject::invokeMethod(this, [this, ok, reason] { written(ok, reason); });
    });
}

void DisplayPages::written(bool ok, const QString& why) {
    if (ok) {
        failing_ = false;
        return;
    }
    if (failing_) return;
    failing_ = true;
    if (env_.report) env_.report(why);
}

// --- display board ---

DisplayBoardQt::DisplayBoardQt(Environment env, QObject* parent)
    : QObject(parent), env_(std::move(env)) {
    connect(&holder_, &WorkerHolder::ended, this, &DisplayBoardQt::ended);
}

DisplayBoardQt::~DisplayBoardQt() {
    holder_.stop_and_wait();
}

const LanguageTable& DisplayBoardQt::lang() const {
    return env_.lang ? env_.lang() : russian_language_table();
}

void DisplayBoardQt::toggle() {
    Competition& c = env_.competition();
    if (on_) {
        on_ = false;
        c.info.board_on = 0;
        stop();
        return;
    }
    stop();
    std::string device = env_.device();
    frames_ = 0;
    int first = board_first_line(c);
    // The port is the board's until its worker has closed it.
    WorkerHolder::Start started = holder_.start(
        device, Txt::kPortHolderBoard,
        [this, device, first](WorkerHolder::Job& job) { return worker(job, device, first); });
    if (!started.started) {
        if (env_.message) env_.message(port_busy_message(lang(), device, started.held_by));
        return;
    }
    device_ = device;
    on_ = true;
    c.info.board_on = 1;
}

void DisplayBoardQt::stop() {
    holder_.stop();
}

void DisplayBoardQt::ended(int code) {
    // The button stays pressed until it is pressed again; a port that went away says nothing.
    if (!env_.message) return;
    std::string message = reader_end_message(lang(), holder_, code, env_.com_number(), device_);
    if (!message.empty()) env_.message(message);
}

int DisplayBoardQt::worker(WorkerHolder::Job& job, const std::string& device, int first_line) {
    SerialOpenError error;
    auto port = open_serial_port(device, kBoardBaud, &error);
    if (!port) return error.code == 0 ? -1 : error.code;
    StationLinkTiming timing;
    timing.byte_timeout_ms = kBoardReadTimeoutMs;
    StationLink link(*port, timing);
    job.set_stopper([&link] { link.request_stop(); });
    sending_ = true;
    run_display_board(link, [this, first_line, &link] {
        // Built where the tables change, from one state of them; the request outlives this
        // worker when the board is stopped before the window gets to it.
        struct Request {
            std::mutex mutex;
            std::condition_variable ready;
            bool done = false;
            BoardFrame frame = board_frame(BoardLines{});
        };
        auto request = std::make_shared<Request>();
        QMetaObject::invokeMethod(this, [this, first_line, request] {
            BoardFrame frame = board_frame(board_lines(env_.competition(), first_line));
            std::lock_guard<std::mutex> lock(request->mutex);
            request->frame = frame;
            request->done = true;
            request->ready.notify_all();
        });
        std::unique_lock<std::mutex> lock(request->mutex);
        while (!request->done && !link.stop_requested())
            request->ready.wait_for(lock, std::chrono::milliseconds(10));
        ++frames_;
        return request->frame;
    });
    sending_ = false;
    job.clear_stopper();
    port->close();
    return kPortWentAway;
}

}  // namespace skarvel
