// The window's work for each card at full tables: the real main window (offscreen, the finish
// table on show) reads cards of 64 punches from the station simulator over a pseudo-terminal,
// with 30,000 runners and either no card read yet or 19,690 read before (the last card of the
// run is then the 20,000th, and the finish table is full). Measured is the processor time of the
// whole program per card (every thread of this process but the simulator's): the serial link, the
// card journal, the readout, punch check, finish line, results, places and the repaint the card
// causes. The simulator runs as fast as the reader asks, so the figure is work, not waiting.
//
// BM_CliReadoutAtFullTables does the same for the headless reader (`skarvel-cli readout`, a
// process of its own): its processor time per card between two runs of different lengths (what
// loading, the journal and the last write cost cancels out), and the processor time of one
// write of the full file, which the reader does at most once a minute in the background.
//
// BM_PacedRaceDay plays 2,000 cards into 30,000 runners at the line speed of a 38400-baud
// station, with the finish client sending each line to a second station and the display page
// served live over HTTP to a browser that keeps a WebSocket open: it reports the program's
// processor time per card and the latency from each card's last byte on the line to its
// acknowledgement (the card is in the journal before it), to the second station and to the
// served page.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "bench/bench_support.h"
#include "bench/race_day_support.h"
#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "periph/finish_exchange.h"
#include "punch/ui/station_reader_qt.h"

namespace {

using namespace skarvel;

constexpr int kCards = 300;

// Runs the event loop for `ms` without spinning (processEvents with a time limit returns at
// once when nothing is waiting, and a loop around it would burn the processor it measures).
void run_events_for(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
// Cards read before the measured ones start (the link and the window settle).
constexpr int kWarmUp = 10;

void BM_WindowCardAtFullTables(benchmark::State& state) {
    const int read_before = static_cast<int>(state.range(0));
    bench::RaceDay race(read_before, kCards + kWarmUp);
    double cpu_ms_per_card = 0, wall_ms_per_card = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        std::string file = (dir.path() + "/race.wdb").toStdString();
        if (!save_wdb(race.competition(), file)) {
            state.SkipWithError("cannot save the race");
            return;
        }
        bench::SimulatorThread station(race.script(), sim::SimOptions{100000, 0, 0});
        if (station.device.empty()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        QSettings("Skarvel", "Skarvel")
            .setValue("Setup/StationDevice", QString::fromStdString(station.device));
        ScriptedPrompts prompts;
        auto frame = std::make_unique<CMainFrame>(&prompts);
        frame->resize(1280, 800);
        frame->show();
        if (!frame->open_file(QString::fromStdString(file))) {
            state.SkipWithError("cannot open the race");
            return;
        }
        frame->view().show_table(kFinishLines);
        auto* reader = frame->findChild<StationReaderQt*>("station_reader");
        reader->toggle(StationReaderQt::Mode::kCards);
        auto wait_for = [&](int cards) {
            QElapsedTimer t;
            t.start();
            while (reader->cards_processed() < cards && t.elapsed() < 600000) run_events_for(50);
            return reader->cards_processed() >= cards;
        };
        if (!wait_for(kWarmUp)) {
            state.SkipWithError("the warm-up cards were not read");
            return;
        }
        state.ResumeTiming();
        const double cpu0 = bench::process_cpu_seconds() - station.cpu_seconds();
        QElapsedTimer wall;
        wall.start();
        const bool all = wait_for(kCards + kWarmUp);
        // The repaint of the last card.
        QApplication::processEvents();
        const double cpu1 = bench::process_cpu_seconds() - station.cpu_seconds();
        state.PauseTiming();
        const double elapsed = wall.nsecsElapsed() / 1e9;
        reader->stop();
        frame->save_question_answer = [] { return 1; };  // anything but Yes: no save
        frame->competition().modified = false;
        frame.reset();
        if (!all) {
            state.SkipWithError("not every card was read");
            return;
        }
        cpu_ms_per_card = (cpu1 - cpu0) * 1000 / kCards;
        wall_ms_per_card = elapsed * 1000 / kCards;
        state.ResumeTiming();
    }
    state.counters["cpu_ms_per_card"] = cpu_ms_per_card;
    state.counters["wall_ms_per_card"] = wall_ms_per_card;
    state.counters["read_before"] = read_before;
}
BENCHMARK(BM_WindowCardAtFullTables)
    ->Arg(0)
    ->Arg(kFinishLineCapacity - kCards - kWarmUp)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(false);

// Runs `skarvel-cli readout` on the race for `cards` cards; its processor time in seconds, or
// a negative value when it failed.
double cli_readout_cpu_seconds(const bench::RaceDay& race, const std::string& file, int cards) {
    bench::SimulatorThread station(race.script(), sim::SimOptions{100000, 0, 0});
    if (station.device.empty()) return -1;
    const std::string count = std::to_string(cards);
    const char* argv[] = {
        SKARVEL_CLI, "readout",     file.c_str(), "--port", station.device.c_str(),
        "--cards",   count.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, SKARVEL_CLI, &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return -1;
    int status = 0;
    rusage used{};
    if (wait4(pid, &status, 0, &used) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(used.ru_utime) + seconds(used.ru_stime);
}

// The line time of one of these 64-punch cards at 38400 baud (BM_PacedRaceDay's
// line_ms_per_card): the background write's share per card when it runs once a minute.
constexpr double kLineMsPerCard = 120;

void BM_CliReadoutAtFullTables(benchmark::State& state) {
    const int read_before = static_cast<int>(state.range(0));
    bench::RaceDay race(read_before, kCards + kWarmUp);
    double cpu_ms_per_card = 0, write_cpu_ms = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        const std::string short_run = (dir.path() + "/short.wdb").toStdString();
        const std::string long_run = (dir.path() + "/long.wdb").toStdString();
        if (!save_wdb(race.competition(), short_run) || !save_wdb(race.competition(), long_run)) {
            state.SkipWithError("cannot save the race");
            return;
        }
        const double a = cli_readout_cpu_seconds(race, short_run, kWarmUp);
        const double b = cli_readout_cpu_seconds(race, long_run, kWarmUp + kCards);
        if (a < 0 || b < 0) {
            state.SkipWithError("skarvel-cli readout failed");
            return;
        }
        cpu_ms_per_card = (b - a) * 1000 / kCards;
        // One write of the full file as the reader's worker makes it (snapshot, long names,
        // temporary file, flush, rename).
        const double w0 = bench::process_cpu_seconds();
        if (!save_wdb(race.competition(), long_run)) {
            state.SkipWithError("cannot save the race");
            return;
        }
        write_cpu_ms = (bench::process_cpu_seconds() - w0) * 1000;
    }
    state.counters["cpu_ms_per_card"] = cpu_ms_per_card;
    state.counters["file_write_cpu_ms"] = write_cpu_ms;
    state.counters["cpu_ms_per_card_with_writes"] =
        cpu_ms_per_card + write_cpu_ms * kLineMsPerCard / 60000;
    state.counters["read_before"] = read_before;
}
BENCHMARK(BM_CliReadoutAtFullTables)
    ->Arg(0)
    ->Arg(kFinishLineCapacity - kCards - kWarmUp)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3);

using Clock = std::chrono::steady_clock;

// The second station: a UDP socket on loopback noting when each start number's line arrives.
class SecondStation {
  public:
    SecondStation() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        thread_ = std::thread([this] { listen(); });
        pthread_getcpuclockid(thread_.native_handle(), &clock_);
    }
    ~SecondStation() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    double cpu_seconds() const { return bench::clock_seconds(clock_); }
    std::map<int, Clock::time_point> arrived() {
        std::lock_guard<std::mutex> lock(mutex_);
        return arrived_;
    }
    int port = 0;

  private:
    void listen() {
        std::uint8_t buf[256];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            const auto now = Clock::now();
            if (n <= 0) continue;
            auto v = decode_finish_datagram({buf, static_cast<std::size_t>(n)});
            std::lock_guard<std::mutex> lock(mutex_);
            if (v) arrived_.emplace(v->number, now);
        }
    }
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    clockid_t clock_{};
    std::mutex mutex_;
    std::map<int, Clock::time_point> arrived_;
};

// A browser on the served display page: a WebSocket on a thread of its own noting when each
// page arrives.
class LiveBrowser {
  public:
    explicit LiveBrowser(const QUrl& url) {
        thread_.start();
        QObject* ctx = new QObject;
        ctx->moveToThread(&thread_);
        QMetaObject::invokeMethod(ctx, [this, ctx, url] {
            pthread_getcpuclockid(pthread_self(), &clock_);
            auto* ws = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, ctx);
            QObject::connect(ws, &QWebSocket::textMessageReceived, ctx, [this](const QString& m) {
                const auto now = Clock::now();
                std::lock_guard<std::mutex> lock(mutex_);
                pages_.emplace_back(now, m);
            });
            QObject::connect(ws, &QWebSocket::connected, ctx, [this] { connected_ = true; });
            ws->open(url);
        });
        QObject::connect(&thread_, &QThread::finished, ctx, &QObject::deleteLater);
    }
    ~LiveBrowser() {
        thread_.quit();
        thread_.wait();
    }
    bool connected() const { return connected_; }
    double cpu_seconds() const { return connected_ ? bench::clock_seconds(clock_) : 0; }
    std::vector<std::pair<Clock::time_point, QString>> pages() {
        std::lock_guard<std::mutex> lock(mutex_);
        return pages_;
    }

  private:
    QThread thread_;
    std::atomic<bool> connected_{false};
    clockid_t clock_{};
    std::mutex mutex_;
    std::vector<std::pair<Clock::time_point, QString>> pages_;
};

struct Latency {
    std::vector<double> ms;
    void add(Clock::time_point from, Clock::time_point to) {
        ms.push_back(std::chrono::duration<double, std::milli>(to - from).count());
    }
    double at(double q) {
        if (ms.empty()) return -1;
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * ms.size()))];
    }
    void report(benchmark::State& state, const std::string& name) {
        state.counters[name + "_ms_median"] = at(0.5);
        state.counters[name + "_ms_p95"] = at(0.95);
        state.counters[name + "_ms_max"] = at(1.0);
        state.counters[name + "_count"] = static_cast<double>(ms.size());
    }
};

int free_tcp_port() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

constexpr int kPacedCards = 2000;

void BM_PacedRaceDay(benchmark::State& state) {
    bench::RaceDay race(0, kPacedCards);
    // The runner each card belongs to: his number (second station) and name (served page).
    std::vector<int> numbers;
    std::vector<QString> names;
    for (const CardReadout& card : race.cards()) {
        const Runner* r = race.competition().live.owner_of_card(card.card_number);
        numbers.push_back(r ? r->start_number : 0);
        names.push_back(r ? QString::fromStdString(cp1251_to_utf8(field_text(r->name)))
                          : QString());
    }
    SecondStation second;
    race.competition().info.client_send_mode = kSendOnCardRead;
    set_field_text(race.competition().info.finish_server_name, "127.0.0.1");
    race.competition().info.display_mode = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        std::string file = (dir.path() + "/race.wdb").toStdString();
        if (!save_wdb(race.competition(), file)) {
            state.SkipWithError("cannot save the race");
            return;
        }
        bench::SimulatorThread station(race.script(), sim::SimOptions{300, 0, 0, 38400});
        const int http_port = free_tcp_port();
        QSettings settings("Skarvel", "Skarvel");
        settings.setValue("Setup/StationDevice", QString::fromStdString(station.device));
        settings.setValue("Setup/FinishPort", second.port);
        settings.setValue("Setup/FinishClientPacingMs", 0);
        settings.setValue("Setup/DisplayFolder", dir.path() + "/lcd");
        settings.setValue("Setup/DisplayHttp", 1);
        settings.setValue("Setup/DisplayHttpPort", http_port);
        settings.sync();
        ScriptedPrompts prompts;
        auto frame = std::make_unique<CMainFrame>(&prompts);
        frame->resize(1280, 800);
        frame->show();
        if (!frame->open_file(QString::fromStdString(file))) {
            state.SkipWithError("cannot open the race");
            return;
        }
        frame->view().show_table(kFinishLines);
        frame->commands().run(CommandId::kStartClient);
        frame->commands().run(CommandId::kLcdShow);
        LiveBrowser browser(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(http_port)));
        auto* reader = frame->findChild<StationReaderQt*>("station_reader");
        reader->toggle(StationReaderQt::Mode::kCards);
        QElapsedTimer t;
        t.start();
        const double cpu0 = bench::process_cpu_seconds();
        const double others0 = station.cpu_seconds() + second.cpu_seconds() + browser.cpu_seconds();
        while (reader->cards_processed() < kPacedCards && t.elapsed() < 1800000) run_events_for(50);
        // The last card's page and line.
        QElapsedTimer settle;
        settle.start();
        run_events_for(500);
        const double cpu =
            bench::process_cpu_seconds() - cpu0 -
            (station.cpu_seconds() + second.cpu_seconds() + browser.cpu_seconds() - others0);
        const double wall = t.nsecsElapsed() / 1e9;
        reader->stop();
        const int read = reader->cards_processed();
        frame->competition().modified = false;
        frame.reset();
        if (read < kPacedCards || !browser.connected()) {
            state.SkipWithError("not every card was read, or the browser did not connect");
            return;
        }

        const auto last = station.station.last_bytes();
        const auto acks = station.station.acknowledged();
        Latency to_ack, to_second, to_page;
        for (std::size_t k = 0; k < last.size() && k < acks.size(); ++k)
            to_ack.add(last[k], acks[k]);
        const auto arrived = second.arrived();
        for (std::size_t k = 0; k < last.size() && k < numbers.size(); ++k)
            if (auto it = arrived.find(numbers[k]); it != arrived.end())
                to_second.add(last[k], it->second);
        // The first page after a card's last byte that names its runner.
        const auto pages = browser.pages();
        std::size_t from = 0;
        for (std::size_t k = 0; k < last.size() && k < names.size(); ++k) {
            while (from < pages.size() && pages[from].first < last[k]) ++from;
            for (std::size_t p = from; p < pages.size() && p < from + 64; ++p)
                if (!names[k].isEmpty() && pages[p].second.contains(names[k])) {
                    to_page.add(last[k], pages[p].first);
                    break;
                }
        }
        state.counters["cards"] = read;
        state.counters["cpu_ms_per_card"] = cpu * 1000 / read;
        state.counters["line_ms_per_card"] = wall * 1000 / read;
        state.counters["cpu_share_of_line_time"] = cpu / wall;
        to_ack.report(state, "to_journal_ack");
        to_second.report(state, "to_second_station");
        to_page.report(state, "to_served_page");
    }
}
BENCHMARK(BM_PacedRaceDay)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QSettings("Skarvel", "Skarvel").clear();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
