// Handlers of the transponder commands (the AMB menu): the decoder reader with its radio mark,
// "Сдвиг времени", "Импорт номеров транспондеров", "Сгенерить финиш", "Сгенерить старт" and
// "Очистка номеров".
#include <QApplication>
#include <QSettings>
#include <QWidget>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_text.h"
#include "platform/stall_scope.h"
#include "punch/card_journal.h"
#include "punch/punch_settings.h"
#include "punch/transponder_files.h"
#include "punch/ui/transponder_reader_qt.h"

namespace skarvel {

namespace {

// The decoder sits on the station's port: its COM number, or the device path that takes its
// place on this machine (the punching settings' port field).
std::string decoder_device(const Competition& c) {
    QSettings s("Skarvel", "Skarvel");
    s.beginGroup("Setup");
    const std::string override_path = s.value("StationDevice").toString().toStdString();
    return com_port_device(punch_settings_from(c.info).port_index + 1, override_path);
}

}  // namespace

void bind_transponder_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    Competition& c = ctx.competition;

    TransponderReaderQt::Environment env;
    env.competition = [&c]() -> Competition& { return c; };
    env.prompts = [&ctx]() -> Prompts& { return ctx.prompts; };
    env.device = [&c] { return decoder_device(c); };
    env.com_number = [&c] { return punch_settings_from(c.info).port_index + 1; };
    // Passings wait while a modal dialog is open or a command runs, as cards do.
    env.may_apply = [&ctx] {
        return QApplication::activeModalWidget() == nullptr &&
               QApplication::activePopupWidget() == nullptr &&
               ctx.commands.running() == CommandId::kCount;
    };
    env.competition_generation = [&ctx] { return ctx.competition_generation(); };
    // Each passing is on disk as soon as the window has it, before it may wait for a dialog
    // (the line it will make, appended at the end by a replay after a crash).
    env.arrived = [&ctx, &c](const std::vector<DecoderPassing>& passings) {
        StallScope named("card journal");
        for (const DecoderPassing& p : passings)
            ctx.journal().append(JournalEntry::finish_line(passing_line(c, p), -1));
    };
    env.passing_written = [&ctx, &c](const DecoderPassing& p, const PassingOutcome& out) {
        if (out.slot == kNoSlot) {
            ctx.show_status(qs(ctx.lang().text(Txt::kNoMemoryForFinish)));
            return;
        }
        // The line as it became goes into the card journal at once.
        ctx.journal_finish_line(out.slot);
        const std::string code(p.code_text());
        ctx.show_status(
            qs(strf_view(ctx.lang().text(Txt::kAmbPassing), code.c_str(), out.start_number,
                         format_time_text(out.time, c.info.time_precision).c_str())));
    };
    env.changed = [&ctx] {
        ctx.mark_modified();
        ctx.repaint();
    };
    // Owned by the main window: stopped (port closed) when the program ends.
    auto* reader = new TransponderReaderQt(std::move(env), ctx.parent());
    reader->setObjectName(QStringLiteral("transponder_reader"));
    QObject::connect(reader, &TransponderReaderQt::port_lost, reader,
                     [&ctx](const QString& device) {
                         QString text = ctx.text(Txt::kAmbPortLost);
                         text.replace(QStringLiteral("%s"), device);
                         ctx.show_status(text);
                         ctx.frame.refresh_commands();
                         ctx.prompts.message(cp(text));
                     });
    QObject::connect(reader, &TransponderReaderQt::reading_stopped, reader, [&ctx, reader] {
        ctx.show_status(
            qs(strf_view(ctx.lang().text(Txt::kAmbReaderStopped), reader->records_dropped())));
        ctx.frame.refresh_commands();
    });

    // Passings already read belong to the competition open now: written before it is replaced,
    // with the cards and radio records.
    ctx.apply_station_events = [before = ctx.apply_station_events, reader] {
        if (before) before();
        reader->apply_pending(true);
    };

    cmd.bind(
        C::kAmbRead, [reader] { reader->toggle(); },
        [reader] {
            return CommandState{true, reader->running()};
        });

    cmd.bind(C::kAmbTimeShift, [&ctx, &c] {
        std::optional<std::string> text = ctx.prompts.ask_text_captioned(
            ctx.lang().text(Txt::kAmbShiftPrompt), format_amb_shift(c.info.amb_time_shift),
            ctx.lang().text(Txt::kAmbShiftTitle));
        if (!text) return;
        std::optional<std::int32_t> shift = parse_amb_shift(*text);
        if (!shift) {
            ctx.prompts.message(ctx.lang().text(Txt::kAmbShiftBadTime));
            return;
        }
        c.info.amb_time_shift = *shift;
        ctx.mark_modified();
    });

    cmd.bind(C::kAmbImportNumbers, [&ctx, &c] {
        if (run_import_transponder_codes(c, ctx.prompts)) ctx.mark_modified();
    });
    cmd.bind(C::kAmbGenerateFinish, [&ctx, &c] {
        if (run_import_decoder_times(c, ctx.prompts, DecoderFileKind::kFinish)) ctx.mark_modified();
    });
    cmd.bind(C::kAmbGenerateStart, [&ctx, &c] {
        if (run_import_decoder_times(c, ctx.prompts, DecoderFileKind::kStart)) ctx.mark_modified();
    });
    cmd.bind(C::kAmbClearNumbers, [&ctx, &c] {
        if (run_clear_transponder_codes(c, ctx.prompts)) ctx.mark_modified();
    });
}

}  // namespace skarvel
