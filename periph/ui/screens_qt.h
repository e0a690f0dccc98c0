// The screens of the finish area in the desktop program: the display page kept up to date in
// the display folder, and the display board on the serial port. Pages and frames are built on
// the thread of these objects (the window's), where the tables change, so a page never mixes
// two states of the tables; the disk writes and the serial bytes run on worker threads.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/competition.h"
#include "core/language.h"
#include "periph/display_board.h"
#include "platform/qt/worker_holder.h"

class QTimer;

namespace skarvel {

// The per-machine settings of the screens (user settings, section "Setup").
struct ScreenSettings {
    QString folder;  // the display folder
    bool http_on = false;
    int http_port = 8080;
    // The one address to listen on (an IP address of this computer); empty: every interface.
    QString http_address;

    static ScreenSettings load();
    void save() const;
    // "c:/lcd" on Windows; elsewhere "lcd" under the user's data folder.
    static QString default_folder();
};

// Writes the display page while `display_on` is set: the start page every 500 ms, the finish
// page every 2 s. A page that cannot be written is reported once (until one is written again)
// through `report`, and the display goes on.
class DisplayPages : public QObject {
    Q_OBJECT
  public:
    struct Environment {
        std::function<Competition&()> competition;
        std::function<QString()> folder;
        // A failure to show in the status bar (UTF-8 reason); called on this object's thread.
        std::function<void(const QString&)> report;
        // The local clock as hour, minute, second (tests set it).
        std::function<void(int&, int&, int&)> clock;
        // Browsers that follow the page live (the web server's live connections): `watched`
        // tells whether there are any, `publish` hands them the page (unset: none).
        std::function<bool()> watched;
        std::function<void(const std::string& page)> publish;
    };
    explicit DisplayPages(Environment env, QObject* parent = nullptr);
    ~DisplayPages() override;

    // "Отображать": switches the display on or off (display_on).
    void toggle();
    // The finish data changed: live browsers get the finish page at once (the page file is
    // still written at its pace).
    void data_changed();
    bool running() const;
    // Pages written since the program started (for tests and the status line).
    int pages_written() const { return written_.load(); }

  private:
    void tick();
    void written(bool ok, const QString& why);

    Environment env_;
    QTimer* timer_;
    QThread writer_thread_;
    QObject* writer_ = nullptr;  // lives on writer_thread_
    std::atomic<int> pending_{0};
    std::atomic<int> written_{0};
    bool failing_ = false;
};

// The display board: while on, a worker sends the frame of the four finish lines before the
// ones counted when it was switched on, five times a second, byte by byte.
class DisplayBoardQt : public QObject {
    Q_OBJECT
  public:
    struct Environment {
        std::function<Competition&()> competition;
        // The serial device of the board (the station port) and the COM number it stands for.
        std::function<std::string()> device;
        std::function<int()> com_number;
        // A message box ("Не могу инициализировать порт COM%d, err=%d"); on this object's thread.
        std::function<void(const std::string&)> message;
        // The interface language (unset: Russian) of the messages about the port.
        std::function<const LanguageTable&()> lang;
    };
    explicit DisplayBoardQt(Environment env, QObject* parent = nullptr);
    ~DisplayBoardQt() override;

    // The toolbar button: off when on; else on, and the worker starts. While another part of the
    // program holds the port the button stays off and a message says who holds it.
    void toggle();
    // The button is pressed (board_on).
    bool on() const { return on_; }
    // The worker sends frames (false after a port that could not be opened).
    bool sending() const { return sending_.load(); }
    int frames_sent() const { return frames_.load(); }
    // Stops the worker without waiting: it ends on its own and lets go of the port when it has
    // closed it.
    void stop();
    // Worker threads alive, the running one and those ending (for tests).
    int worker_threads() const { return holder_.threads(); }

  private:
    int worker(WorkerHolder::Job& job, const std::string& device, int first_line);
    void ended(int code);
    const LanguageTable& lang() const;

    Environment env_;
    bool on_ = false;
    WorkerHolder holder_;
    std::string device_;  // the port of the running worker
    std::atomic<bool> sending_{false};
    std::atomic<int> frames_{0};
};

}  // namespace skarvel
