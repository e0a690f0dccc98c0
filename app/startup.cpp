#include "app/startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/main_frame.h"
#include "app/settings.h"
#include "app/skarvel_view.h"
#include "app/stall_meter.h"
#include "core/cp1251.h"
#include "platform/qt/dialog_sizing.h"

namespace skarvel {

namespace {

struct Options {
    QString file;
    QString screenshot;
    int table = -1;
    QString lang;
    int port = 0;  // --port: the finish exchange's UDP port for this run
    bool read_cards = false;
    QString stall_log;  // --stall-log: where stalls of the window's thread are logged
    bool registration = false;
    bool help = false;
    bool bad = false;
};

bool is_registration(const QString& a) {
    for (const char* name : {"/RegServer", "-RegServer", "/UnregServer", "-UnregServer"})
        if (a.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
    return false;
}

Options parse(const QStringList& args) {
    Options o;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) {
                o.bad = true;
                return {};
            }
            return args[++i];
        };
        if (a == QStringLiteral("--screenshot")) {
            o.screenshot = value();
        } else if (a == QStringLiteral("--table")) {
            bool ok = false;
            o.table = value().toInt(&ok);
            if (!ok || o.table < 0 || o.table > view::kResultsBoard) o.bad = true;
        } else if (a == QStringLiteral("--port")) {
            bool ok = false;
            o.port = value().toInt(&ok);
            if (!ok || o.port < 1 || o.port > 65535) o.bad = true;
        } else if (a == QStringLiteral("--stall-log")) {
            o.stall_log = value();
        } else if (a == QStringLiteral("--read-cards")) {
            o.read_cards = true;
        } else if (a == QStringLiteral("--lang")) {
            o.lang = value();
            if (o.lang != QStringLiteral("ru") && o.lang != QStringLiteral("en")) o.bad = true;
        } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            o.help = true;
        } else if (is_registration(a)) {
            o.registration = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            o.bad = true;
        } else {
            o.file = a;
        }
    }
    return o;
}

int screenshot(QApplication& app, const Options& o) {
    if (o.file.isEmpty()) {
        std::fprintf(stderr, "skarvel: --screenshot needs a competition file\n");
        return 2;
    }
    ScriptedPrompts prompts;  // no message boxes in a headless run
    CMainFrame frame(&prompts);
    if (!o.lang.isEmpty())
        frame.apply_language(o.lang == QStringLiteral("en") ? UiLanguage::kEnglish
                                                            : UiLanguage::kRussian);
    frame.resize(1400, 820);
    frame.show();
    bool ok = frame.open_file(o.file);
    for (const std::string& m : prompts.messages)
        std::fprintf(stderr, "skarvel: %s\n", cp1251_to_utf8(m).c_str());
    if (!ok) return 1;
    if (o.table >= 0) frame.view().show_table(o.table);
    frame.refresh_commands();
    app.processEvents();
    QPixmap shot = frame.grab();
    if (!shot.save(o.screenshot, "PNG")) {
        std::fprintf(stderr, "skarvel: cannot write %s\n", o.screenshot.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

}  // namespace

const char* usage_text() {
    return "usage: skarvel [--port P] [--read-cards] [--stall-log FILE] [FILE.wdb]\n"
           "       skarvel --screenshot OUT.png [--table N] [--lang ru|en] FILE.wdb\n"
           "       skarvel --help\n"
           "--stall-log FILE: every stall of the window over 20 ms is logged to FILE\n"
           "Printing from the command line: skarvel-cli results|startlist FILE.wdb --pdf OUT.pdf\n"
           "The user guide: F1 in the program (skarvel.mht, skarvel-en.mht beside it)\n";
}

QString unsupported_switch(const QStringList& args) {
    static const QStringList kWithValue = {"--screenshot", "--table", "--lang", "--port",
                                           "--stall-log"};
    static const QStringList kFlags = {"--help", "-h", "--read-cards"};
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (kFlags.contains(a)) continue;
        if (kWithValue.contains(a)) {
            ++i;  // its value
            continue;
        }
        if (is_registration(a) || QFileInfo::exists(a)) continue;
        // "-x", or "/x" that is a word rather than a path ("/p", "/pt", "/dde").
        if ((a.startsWith(QLatin1Char('-')) && a.size() > 1) ||
            (a.startsWith(QLatin1Char('/')) && a.size() > 1 &&
             !a.mid(1).contains(QLatin1Char('/'))))
            return a;
    }
    return {};
}

QString startup_file(const QString& command_line_file, const UserSettings& settings) {
    if (!command_line_file.isEmpty()) return command_line_file;
    if (settings.auto_load() == 0) return {};
    QStringList recent = settings.recent_files();
    return recent.isEmpty() ? QString() : recent.first();
}

namespace {

// The answers of answer_without_window for the arguments as Qt gives them.
int answer_arguments(const QStringList& args) {
    if (QString sw = unsupported_switch(args); !sw.isEmpty()) {
        std::fprintf(stderr, "skarvel: the switch %s is not supported; nothing was opened\n%s",
                     sw.toLocal8Bit().constData(), usage_text());
        return 2;
    }
    Options o = parse(args);
    if (o.help) {
        std::fputs(usage_text(), stdout);
        return 0;
    }
    if (o.bad) {
        std::fputs(usage_text(), stderr);
        return 2;
    }
    // The program registers nothing with the system: a registration run ends here.
    if (o.registration) return 0;
    return -1;
}

}  // namespace

int answer_without_window(int argc, char** argv) {
    // Options of the toolkit itself ("-platform offscreen", "-style fusion") are taken out of
    // the command line by the application object: with one of them the answer waits for it.
    static const QStringList kToolkitOptions = {"-platform",
                                                "-platformpluginpath",
                                                "-platformtheme",
                                                "-plugin",
                                                "-qwindowgeometry",
                                                "-qwindowtitle",
                                                "-qwindowicon",
                                                "-display",
                                                "-geometry",
                                                "-style",
                                                "-stylesheet",
                                                "-title",
                                                "-name",
                                                "-session",
                                                "-reverse",
                                                "-nograb",
                                                "-dograb",
                                                "-sync",
                                                "-widgetcount"};
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        QString a = QString::fromLocal8Bit(argv[i]);
        if (i > 0 && kToolkitOptions.contains(a.startsWith(QLatin1String("--")) ? a.mid(1) : a))
            return -1;
        args << a;
    }
    return answer_arguments(args);
}

int run_application(QApplication& app) {
    QApplication::setOrganizationName(QStringLiteral("Skarvel"));
    QApplication::setApplicationName(QStringLiteral("Skarvel"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    if (int rc = answer_arguments(app.arguments()); rc >= 0) return rc;
    Options o = parse(app.arguments());
    if (!o.screenshot.isEmpty()) return screenshot(app, o);

    if (!o.stall_log.isEmpty() && !QFile(o.stall_log).open(QIODevice::Append)) {
        std::fprintf(stderr, "skarvel: cannot write %s\n",
                     QFile::encodeName(o.stall_log).constData());
        return 1;
    }
    install_dialog_sizing(app);
    CMainFrame frame;
    frame.state().finish_port = o.port;
    // A failed open leaves the new, empty competition the window starts with.
    QString file = startup_file(o.file, UserSettings());
    if (!file.isEmpty()) frame.open_file(file);
    frame.restore_window();
    frame.build_language_table();
    // A readout station that starts reading by itself ("Запустить чтение" once the window is up).
    if (o.read_cards)
        QTimer::singleShot(0, &frame, [&frame] { frame.commands().run(CommandId::kStartReading); });
    // The stall meter watches from the moment the window's event loop runs.
    std::unique_ptr<StallMeter> stalls;
    if (!o.stall_log.isEmpty()) stalls = std::make_unique<StallMeter>(o.stall_log);
    return app.exec();
}

}  // namespace skarvel
