// skarvel-cli readout FILE.wdb --port DEVICE [--cards N] [--log]
// A readout station without a screen: cards are read with the punching settings stored in
// the competition, in the protocol the station speaks (asked at the start), questions are
// answered "no", messages go to stderr. Each card's line ends with its family. Ends after N
// cards or on Ctrl+C.
//
// Each card goes into the card journal beside the file ("FILE.wdb.journal") and onto the disk
// before the station is told it is taken: from then on it is safe. The file itself is written
// in the background (atomically), at most once a minute and only between cards, and a last
// time when the reader stops (PeriodicSaver); each write lets the journal go of what it holds.
// A reader killed before a write, or one whose writes fail, leaves the cards in the journal,
// and the next run brings them back first. A journal that cannot write (a full disk) takes no
// card: the station keeps it until there is room.
#include <cstdio>
#include <string>
#include <vector>

#include "core/time_text.h"
#include "core/wdb_file.h"
#include "punch/card_journal.h"
#include "punch/card_status.h"
#include "punch/frame_log.h"
#include "punch/periodic_saver.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "tools/cli/cli.h"
#include "tools/cli/readout_db.h"
#include "tools/cli/serial_session.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "readout FILE.wdb --port DEVICE [--cards N] [--log]";

#ifdef SKARVEL_CLI_HAS_QT
// Saves the competition; once it is on the disk the journal lets go of what it holds.
bool save_and_trim(Competition& c, const std::string& file, CardJournal& journal) {
    int why = 0;
    if (!save_wdb(c, file, &why)) {
        file_error("readout: cannot save", file, why);
        return false;
    }
    c.modified = false;
    journal.clear();
    return true;
}

// Opens the journal of `file` and enters what an earlier run left in it. False when the
// journal cannot be written (no card could be taken safely).
bool recover_from_journal(Competition& c, const std::string& file, CardJournal& journal) {
    std::string path = journal_path_for(file);
    std::vector<JournalEntry> left = read_journal(path);
    if (!journal.open(file)) {
        file_error("readout: cannot write the card journal", path, journal.last_error());
        return false;
    }
    if (left.empty()) return true;
    JournalReplay r = replay_journal(c, left);
    if (r.cards == 0 && r.finish_lines == 0) {
        journal.clear();  // the file holds all of it already
        return true;
    }
    std::fprintf(stderr, "skarvel-cli: %d card(s) brought back from the card journal %s\n", r.cards,
                 path.c_str());
    save_and_trim(c, file, journal);
    return true;
}
#endif

}  // namespace
}  // namespace skarvel::cli

int cmd_readout(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    // A readout place of a shared competition (tools/cli/readout_db.cpp).
    for (const std::string& arg : args)
        if (arg == "--db") return readout_db_command(args);
    ReaderArgs a;
    if (int rc = parse_reader_args(args, "readout", kUsage, "--cards", {"--log"}, a); rc != kExitOk)
        return rc;
#ifndef SKARVEL_CLI_HAS_QT
    return no_serial_support("readout");
#else
    const long long max_cards = a.count;
    const bool log = a.has("--log");
    const std::string& file = a.file;
    const std::string& device = a.device;
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, file); rc != kExitOk) return rc;
    CardJournal journal;
    if (!recover_from_journal(*c, file, journal)) return kExitOutput;
    PunchSettings settings = punch_settings_from(c->info);

    SerialSession session;
    if (!session.open("readout", device, settings.baud_rate())) return kExitInput;
    std::unique_ptr<LoggingSerialPort> logging;
    SerialPort* used = &session.port();
    if (log) {
        logging = std::make_unique<LoggingSerialPort>(session.port(), frame_log_path(file));
        if (!logging->log_open())
            error("readout: cannot write the frame log " + frame_log_path(file));
        used = logging.get();
    }

    StationLink link(*used);
    session.stop_on_interrupt(link);
    // The station's protocol decides how cards are read.
    const LanguageTable& english = english_texts();
    const ReadOptions options = ask_station(link, settings);

    ConsolePrompts prompts;
    ReadoutState state;
    long long cards = 0;
    PeriodicSaver saver(*c, journal, file,
                        [&file](int why) { file_error("readout: cannot save", file, why); });
    std::fprintf(stderr, "skarvel-cli: reading cards on %s (Ctrl+C ends)\n", device.c_str());
    CardReaderHooks hooks;
    bool journal_down = false;
    // The whole card (every punch, whole codes) goes into the journal.
    hooks.keep_whole = [&](const WholeCard& card) {
        bool kept = journal.write_now(JournalEntry::card_read(card.readout, card));
        if (kept && journal_down)
            std::fprintf(stderr, "skarvel-cli: the card journal writes again\n");
        if (!kept && !journal_down) {
            file_error("readout: cannot write the card journal", journal_path_for(file),
                       journal.last_error());
            error("readout: cards stay in the station until there is room");
        }
        journal_down = !kept;
        return kept;
    };
    hooks.notice = [&](const ReaderNotice& n) { error_cp1251(reader_notice_line(n, english)); };
    hooks.whole_card_read = [&](const WholeCard& whole) {
        const CardReadout& card = whole.readout;
        // The stored settings may be changed by nobody else here; read them per card anyway,
        // as the desktop program does.
        PunchSettings s = punch_settings_from(c->info);
        ReadoutOutcome out = process_card(*c, card, s, state, prompts, {});
        ++cards;
        std::string owner = "-";
        if (out.owner)
            owner = std::to_string(out.owner->start_number) + " " +
                    cp1251_to_utf8(field_text(out.owner->name));
        std::string finish = out.finish_slot != kNoSlot
                                 ? format_time_text(c->tables.finish_lines[out.finish_slot]->time(),
                                                    c->info.time_precision)
                                 : std::string("-");
        std::string family = card_family_name(whole.family, english);
        std::printf("%lld\tcard %d\towner %s\tstatus %d\tpenalty %d\tfinish %s\tfamily %s\n", cards,
                    card.card_number, owner.c_str(), out.owner ? out.owner->status : -1,
                    out.owner ? out.owner->penalty : 0, finish.c_str(),
                    family.empty() ? "-" : family.c_str());
        std::fflush(stdout);
        // What the readout could not keep (the card journal keeps it whole).
        if (whole.beyond_readout())
            error_cp1251(card_extras_line(card.card_number, whole, english));
        // The station is free again: a write that is due starts now, in the background.
        saver.between_cards();
        return max_cards == 0 || cards < max_cards;
    };
    hooks.idle = [&saver] { saver.between_cards(); };
    run_card_reader(link, options, hooks);

    session.end(used);
    const bool saved = saver.finish();
    std::fprintf(stderr, "skarvel-cli: %lld card(s) read%s\n", cards,
                 session.interrupted() ? ", interrupted" : "");
    if (journal_holds_unsaved(journal_path_for(file)))
        std::fprintf(stderr,
                     "skarvel-cli: the card journal %s keeps what could not be saved; the next "
                     "readout brings it back\n",
                     journal_path_for(file).c_str());
    return saved ? kExitOk : kExitOutput;
#endif
}
