// Handlers of the card-reading commands: "Параметры Vespunt...", "Запустить чтение" (F8),
// "Чтение промежуточных финишей", "перепроверить этот чип" and "Запустить чтение радио-КП".
#include <QApplication>
#include <QSettings>
#include <QWidget>
#include <memory>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/time_text.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_text.h"
#include "platform/stall_scope.h"
#include "punch/card_status.h"
#include "punch/punch_settings.h"
#include "punch/readout.h"
#include "punch/split_sheet.h"
#include "punch/ui/punch_settings_dialog.h"
#include "punch/ui/radio_reader_qt.h"
#include "punch/ui/station_reader_qt.h"
#include "results/report_output.h"

namespace skarvel {

namespace {

// This machine's station port: a device path in place of the COM number, and the frame log.
StationPortSettings load_port_settings() {
    QSettings s("Skarvel", "Skarvel");
    s.beginGroup("Setup");
    StationPortSettings p;
    p.device_override = s.value("StationDevice").toString().toStdString();
    p.frame_log = s.value("StationFrameLog", 0).toInt() != 0;
    return p;
}

void save_port_settings(const StationPortSettings& p) {
    QSettings s("Skarvel", "Skarvel");
    s.beginGroup("Setup");
    s.setValue("StationDevice", QString::fromStdString(p.device_override));
    s.setValue("StationFrameLog", p.frame_log ? 1 : 0);
}

}  // namespace

StationPortSettings station_port_settings() {
    return load_port_settings();
}

void register_personal_card(AppContext& ctx, const StationEvent& e);
void bind_personal_commands(AppContext& ctx, StationReaderQt* reader);

void bind_punch_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    Competition& c = ctx.competition;
    auto env =
        std::make_shared<ReportEnv>(ReportEnv{ctx.prompts, ctx.state.printer, ctx.state.shell});

    // The calls a processed card makes: the split printout and the finish client (send the
    // unsent lines, send this line; bound in bind_network.cpp).
    auto hooks = [&c, env, &state = ctx.state] {
        ReadoutHooks h;
        h.print_split = [print = split_print_hook(c, *env), env](const Runner* owner,
                                                                 const CardReadout& card) {
            StallScope named("split printout");
            // Printed by the program itself: no file dialog per sheet.
            env->printers.automatic = true;
            print(owner, card);
            env->printers.automatic = false;
        };
        h.send_unsent_finish_lines = state.send_unsent_finish_lines;
        h.send_finish_line = state.send_finish_line;
        return h;
    };

    StationReaderQt::Environment reader_env;
    reader_env.competition = [&c]() -> Competition& { return c; };
    reader_env.prompts = [&ctx]() -> Prompts& { return ctx.prompts; };
    reader_env.hooks = hooks;
    reader_env.changed = [&ctx] {
        ctx.mark_modified();
        ctx.repaint();
    };
    // The card brought results and places up to date (process_card): the line only reads them.
    reader_env.card_processed = [&ctx, &c](const CardReadout& card, const CardExtras& extras,
                                           const ReadoutOutcome& out) {
        ctx.show_status(
            qs(card_status_line(c, card, out, punch_settings_from(c.info), ctx.lang(), &extras)));
    };
    // What the station's start-up found: its protocol in the status bar (a station in the basic
    // protocol is told once per start: cards 8 and later need the extended one). The reader
    // itself says aloud that a station reports no cards.
    reader_env.station_found = [&ctx](const StationSetup& setup, StationReaderQt::Mode mode) {
        if (mode != StationReaderQt::Mode::kCards) return;
        std::string not_reading = station_mode_message(setup, ctx.lang());
        ctx.show_status(
            qs(not_reading.empty() ? station_setup_line(setup, ctx.lang()) : not_reading));
    };
    reader_env.reader_notice = [&ctx](const ReaderNotice& n) {
        std::string text = reader_notice_line(n, ctx.lang());
        ctx.show_status(qs(text));
        if (n.kind == ReaderNotice::Kind::kRegistrationRefused) ctx.prompts.message(text);
    };
    reader_env.competition_path = [&ctx] { return ctx.file_path(); };
    reader_env.port_settings = [] { return load_port_settings(); };
    // Cards wait while a modal dialog is open or a command runs (see StationReaderQt).
    auto reader_env_may_apply = [&ctx] {
        return QApplication::activeModalWidget() == nullptr &&
               QApplication::activePopupWidget() == nullptr &&
               ctx.commands.running() == CommandId::kCount;
    };
    reader_env.may_apply = reader_env_may_apply;
    reader_env.competition_generation = [&ctx] { return ctx.competition_generation(); };
    // Each card is on the disk before the station is told it is taken (on the reader's worker:
    // the window never waits for the disk). A journal that cannot write takes no card: the
    // runner's card stays in the station until there is room (told by the main window). An
    // untitled competition has no journal.
    reader_env.keep = [&ctx](const StationEvent& e) {
        CardJournal& journal = ctx.journal();
        return !journal.wanted() || journal.write_now(JournalEntry::from(e));
    };
    // Cards that arrived for the competition open before (its journal keeps them): entered
    // here only when the operator says so.
    reader_env.orphaned = [&ctx](const std::vector<StationEvent>& events) {
        std::string text(ctx.lang().text(Txt::kCardsReadDuringChange));
        auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(events.size()));
        if (!ctx.prompts.ask_yes_no(text)) return false;
        for (const StationEvent& e : events)
            if (e.kind != StationEvent::Kind::kPersonalData)
                ctx.journal().append(JournalEntry::from(e));
        return true;
    };
    // Registration from personalised cards (the toolbar's registration mode).
    reader_env.personal_data = [&ctx](const StationEvent& e) { register_personal_card(ctx, e); };
    // Owned by the main window: destroyed (reader stopped, port closed) when the program ends.
    auto* reader = new StationReaderQt(std::move(reader_env), ctx.parent());
    reader->setObjectName(QStringLiteral("station_reader"));
    // Radio controls: the modem hangs on the station's port (a device path set for it wins).
    RadioReaderQt::Environment radio_env;
    radio_env.competition = [&c]() -> Competition& { return c; };
    radio_env.prompts = [&ctx]() -> Prompts& { return ctx.prompts; };
    radio_env.device = [&c] {
        return com_port_device(c.info.port_index + 1, load_port_settings().device_override);
    };
    radio_env.com_number = [&c] { return c.info.port_index + 1; };
    radio_env.changed = [&ctx] {
        ctx.mark_modified();
        ctx.repaint();
    };
    radio_env.record_stored = [&ctx, &c](const RadioRecord& r, const RadioRecordOutcome& out) {
        // Again once stored: a save in between empties the journal of what had only arrived
        // (the replay enters a record once however often it is journaled).
        ctx.journal().append(JournalEntry::radio_record(r));
        char line[160];
        std::snprintf(line, sizeof line,
                      std::string(ctx.lang().text(Txt::kRadioRecordStatus)).c_str(), r.control,
                      r.card_number,
                      format_time_text(static_cast<std::int32_t>(out.time_word & 0xFFFFFF),
                                       c.info.time_precision)
                          .c_str());
        ctx.show_status(qs(line));
    };
    radio_env.dropped = [&ctx](int dropped) {
        ctx.show_status(qs(ctx.lang().text(Txt::kRadioRecordsDropped))
                            .replace(QStringLiteral("%d"), QString::number(dropped)));
    };
    radio_env.may_apply = reader_env_may_apply;
    radio_env.competition_generation = [&ctx] { return ctx.competition_generation(); };
    // Each record is on disk as soon as the window has it, before it is stored.
    radio_env.arrived = [&ctx](const RadioMessage& m) {
        StallScope named("card journal");
        for (const RadioRecord& r : m.records) ctx.journal().append(JournalEntry::radio_record(r));
    };
    radio_env.orphaned = [&ctx](const std::vector<RadioMessage>& messages) {
        std::size_t records = 0;
        for (const RadioMessage& m : messages) records += m.records.size();
        std::string text(ctx.lang().text(Txt::kCardsReadDuringChange));
        auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(records));
        if (!ctx.prompts.ask_yes_no(text)) return false;
        for (const RadioMessage& m : messages)
            for (const RadioRecord& r : m.records)
                ctx.journal().append(JournalEntry::radio_record(r));
        return true;
    };
    auto* radio = new RadioReaderQt(std::move(radio_env), ctx.parent());
    radio->setObjectName(QStringLiteral("radio_reader"));
    QObject::connect(radio, &RadioReaderQt::reading_stopped, radio,
                     [&ctx] { ctx.frame.refresh_commands(); });
    QObject::connect(radio, &RadioReaderQt::port_lost, radio, [&ctx](const QString& device) {
        QString message =
            qs(ctx.lang().text(Txt::kRadioPortLost)).replace(QStringLiteral("%s"), device);
        ctx.show_status(message);
        ctx.prompts.message(cp(message));
    });
    cmd.bind(
        C::kRadioControls, [radio] { radio->toggle(); },
        [radio] {
            return CommandState{true, radio->running()};
        });

    ctx.apply_station_events = [reader, radio] {
        reader->apply_pending(true);
        radio->apply_pending(true);
    };
    ctx.pending_station_events = [reader] {
        std::vector<StationEvent> events = reader->pending_events();
        std::erase_if(events, [](const StationEvent& e) {
            return e.kind == StationEvent::Kind::kPersonalData;
        });
        return events;
    };
    // A port that goes away stops the reader: say so, and F8 shows it stopped.
    QObject::connect(reader, &StationReaderQt::port_lost, reader, [&ctx](const QString& device) {
        std::string text(ctx.lang().text(Txt::kStationPortLost));
        QString message = qs(text).replace(QStringLiteral("%s"), device);
        ctx.show_status(message);
        ctx.frame.refresh_commands();
        ctx.prompts.message(cp(message));
    });

    cmd.bind(C::kPunchSettings, [&ctx, &c] {
        StationPortSettings port = load_port_settings();
        PunchSettingsDialog dialog(punch_settings_from(c.info), list_serial_ports(), port,
                                   c.info.time_precision, ctx.lang().english(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        store_punch_settings(c.info, dialog.settings());
        save_port_settings(dialog.port_settings());
        ctx.mark_modified();
    });

    cmd.bind(
        C::kStartReading, [reader] { reader->toggle(StationReaderQt::Mode::kCards); },
        [reader] {
            return CommandState{true, reader->reading_active()};
        });

    cmd.bind(
        C::kIntermediateFinish, [reader] { reader->toggle(StationReaderQt::Mode::kMemory); },
        [reader] {
            return CommandState{true, reader->mode() == StationReaderQt::Mode::kMemory};
        });

    cmd.bind(
        C::kRecheckCard,
        [&ctx, &c, hooks] {
            int row = ctx.view.cursor_row();
            if (!c.tables.card_readouts[row]) return;
            recheck_readout(c, row, punch_settings_from(c.info), ctx.prompts, hooks());
            ctx.mark_modified();
        },
        [&ctx] {
            return CommandState{ctx.view.shown_table() == kCardReadouts, false};
        });

    bind_personal_commands(ctx, reader);
}

}  // namespace skarvel
