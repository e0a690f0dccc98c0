// Card personalisation: "Персонализация..." writes the form into the card in the station (on
// a worker thread), and the registration mode (toolbar toggle) turns the personal data of each
// type-6/10 card the station reader detects into a runner, on the window's thread.
#include <QWidget>
#include <cstdio>
#include <memory>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "core/finish_results.h"
#include "core/record_edit.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_text.h"
#include "punch/personal_data.h"
#include "punch/punch_settings.h"
#include "punch/ui/personal_dialog.h"
#include "punch/ui/personaliser_qt.h"
#include "punch/ui/station_reader_qt.h"

namespace skarvel {

StationPortSettings station_port_settings();

namespace {

std::string with_number(std::string_view format, int n) {
    char buf[256];
    std::snprintf(buf, sizeof buf, std::string(format).c_str(), n);
    return buf;
}

// The start number typed in the "Поиск" dialog (preset to "Номер"), or 0 when it was
// cancelled. A number that is not 1..29999, or that another runner holds, is told and asked
// again: two runners with one number would share one finish.
int ask_start_number(AppContext& ctx) {
    const LanguageTable& lang = ctx.lang();
    Competition& c = ctx.competition;
    c.rebuild_number_index();
    std::string initial(lang.text(Txt::kRegNumberInitial));
    for (;;) {
        auto typed = ctx.prompts.ask_find_text(initial);
        if (!typed) return 0;
        std::string s = *typed;
        while (!s.empty() && s.front() == ' ') s.erase(s.begin());
        while (!s.empty() && s.back() == ' ') s.pop_back();
        long n = 0;
        bool digits = !s.empty() && s.size() <= 5;
        for (char ch : s) {
            if (ch < '0' || ch > '9') digits = false;
            if (digits) n = n * 10 + (ch - '0');
        }
        initial = *typed;
        if (!digits || n < 1 || n > edit_limits::kStartNumberMax) {
            ctx.prompts.message(lang.text(Txt::kRegNumberBad));
            continue;
        }
        const Runner* holder = c.runner_by_number(static_cast<int>(n));
        if (!holder) return static_cast<int>(n);
        char text[256];
        std::snprintf(text, sizeof text, std::string(lang.text(Txt::kRegNumberTaken)).c_str(),
                      static_cast<int>(n), std::string(field_text(holder->name)).c_str());
        ctx.prompts.message(text);
    }
}

}  // namespace

void register_personal_card(AppContext& ctx, const StationEvent& e) {
    const LanguageTable& lang = ctx.lang();
    Competition& c = ctx.competition;
    PersonalDataBlock block;
    std::copy(e.personal.begin(), e.personal.end(), block.begin());
    CardOwner owner;
    if (!parse_personal_block(block, owner)) {
        ctx.prompts.message(with_number(lang.text(Txt::kRegBadCard), e.card.card_number));
        return;
    }
    ctx.prompts.message(card_owner_message(owner, lang));
    // A card put in twice would make its owner twice: asked first.
    for (int i = 0; i < c.tables.runners.capacity(); ++i) {
        const Runner* r = c.tables.runners[i];
        if (!r || r->card_number != e.card.card_number || e.card.card_number == 0) continue;
        char question[512];
        std::snprintf(question, sizeof question, std::string(lang.text(Txt::kRegCardTaken)).c_str(),
                      e.card.card_number, r->start_number,
                      std::string(field_text(r->name)).c_str());
        if (!ctx.prompts.ask_yes_no(question)) return;
        break;
    }
    int number = ask_start_number(ctx);
    if (number == 0) return;  // cancelled: no runner
    bool no_room_for_club = false;
    int slot = register_card_owner(c, owner, number, e.card.card_number, &no_room_for_club);
    if (slot == kNoSlot) {
        ctx.prompts.message(
            lang.text(no_room_for_club ? Txt::kRegNoRoomForClub : Txt::kNoMemoryForRecord));
        return;
    }
    finish_data_changed(c);
    ctx.mark_modified();
    ctx.repaint();
    char status[256];
    std::snprintf(status, sizeof status, std::string(lang.text(Txt::kRegDone)).c_str(),
                  e.card.card_number, number,
                  std::string(field_text(c.tables.runners[slot]->name)).c_str());
    ctx.show_status(qs(status));
}

void bind_personal_commands(AppContext& ctx, StationReaderQt* reader) {
    using C = CommandId;
    auto* writer = new PersonaliserQt(ctx.parent());
    // Tests shorten the pauses between the words.
    if (qEnvironmentVariableIsSet("SKARVEL_PERSONALISE_WAIT_MS"))
        writer->timing.write_wait_ms = qEnvironmentVariableIntValue("SKARVEL_PERSONALISE_WAIT_MS");
    writer->setObjectName(QStringLiteral("personaliser"));
    QObject::connect(writer, &PersonaliserQt::finished, writer,
                     [&ctx](int port_error, int com, PersonaliseResult r) {
                         ctx.frame.refresh_commands();
                         std::string text =
                             port_error >= 0 ? port_open_failed_message(ctx.lang(), com, port_error)
                                             : personalise_message(r, ctx.lang());
                         ctx.show_status(qs(text));
                         if (!text.empty()) ctx.prompts.message(text);
                     });

    ctx.commands.bind(
        C::kPersonalisation,
        [&ctx, reader, writer] {
            const LanguageTable& lang = ctx.lang();
            if (writer->running()) {
                ctx.prompts.message(lang.text(Txt::kPersBusy));
                return;
            }
            // The station answers one program at a time: the reader must not hold the port.
            if (reader->reading_active()) {
                ctx.prompts.message(lang.text(Txt::kPersReaderRunning));
                return;
            }
            PersonalDialog dialog(lang, ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            PunchSettings s = punch_settings_from(ctx.competition.info);
            int com = s.port_index + 1;
            std::string device = com_port_device(com, station_port_settings().device_override);
            // Another part of the program (the display board, a radio reader) may hold it.
            auto claim = std::make_shared<PortClaim>();
            Txt held_by = Txt::kPersTitle;
            if (!claim_serial_port(device, Txt::kPersTitle, *claim, &held_by)) {
                ctx.prompts.message(port_busy_message(lang, device, held_by));
                return;
            }
            writer->start(device, s.baud_rate(), com, build_personal_block(dialog.form()), claim);
            ctx.show_status(qs(lang.text(Txt::kPersWriting)));
        },
        [writer] {
            return CommandState{!writer->running(), false};
        });

    ctx.commands.bind(
        C::kPersonalisationMode,
        [&ctx, reader] {
            reader->set_registration(!reader->registration());
            ctx.show_status(ctx.text(reader->registration() ? Txt::kRegModeOn : Txt::kRegModeOff));
        },
        [reader] {
            return CommandState{true, reader->registration()};
        });
}

}  // namespace skarvel
