// skarvel-cli readout --db URI --port DEVICE [--cards N] [--log]: a readout place without a
// screen feeding a shared competition. Each card goes into this reader's card journal and is
// entered and sent to the server before the station hears that it is taken: the station is
// answered once the server has stored the card (or, when the server cannot be reached, once it
// is on the disk; it is sent when the server is back). Rows other computers change come in
// all the while. A restarted reader (after a crash or a kill) first enters what its journal
// holds and the server lacks.
#include "tools/cli/readout_db.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "core/finish_results.h"
#include "core/language.h"
#include "core/time_text.h"
#include "punch/card_journal.h"
#include "punch/card_status.h"
#include "punch/frame_log.h"
#include "punch/readout.h"
#include "punch/station_reader.h"
#include "shared/identity.h"
#include "shared/schema.h"
#include "shared/shared_journal.h"
#include "shared/state_dir.h"
#include "shared/store.h"
#include "shared/sync_driver.h"
#include "tools/cli/cli.h"
#include "tools/cli/serial_session.h"
#include "tools/cli/shared_db.h"

namespace skarvel::cli {

namespace {

// How long a card waits for a connected server's answer before the station is answered on
// the journal alone. A server that went away is noticed sooner, by the connection's own
// time-outs (a few seconds), and ends the wait; this bounds a server that is there but stuck.
constexpr auto kServerWait = std::chrono::seconds(30);

}  // namespace

int readout_db_command(const std::vector<std::string>& args) {
    constexpr const char* kUsage =
        "readout --db URI --port DEVICE [--cards N] [--log] [--state DIR]";
    CommandArgs a;
    if (int rc = parse_command_args(args, kUsage, {"--log"},
                                    {"--db", "--port", "--cards", "--state"}, a, 0);
        rc != kExitOk)
        return rc;
    const std::string* uri_arg = a.value("--db");
    const std::string* port_arg = a.value("--port");
    long long max_cards = 0;
    if (!uri_arg || !port_arg) {
        error(std::string("usage: skarvel-cli ") + kUsage);
        return kExitUsage;
    }
    if (a.has("--cards") && !int_option(a, "--cards", 1, 1000000000, max_cards)) return kExitUsage;
#ifndef SKARVEL_CLI_HAS_QT
    return no_serial_support("readout");
#else
    const std::string& uri = *uri_arg;
    const std::string& device = *port_arg;
    const bool log = a.has("--log");
    const std::string state_root = a.value("--state") ? *a.value("--state") : std::string();
    using namespace shared;
    std::string conninfo = pg::with_network_options(uri, "skarvel-cli readout");
    auto db = connect_db(conninfo);
    if (!db) return kExitServer;
    auto snapshot = std::make_unique<Snapshot>();
    auto c = std::make_unique<Competition>();
    FetchResult f = fetch_snapshot(*db, *snapshot);
    if (f.status != FetchStatus::kOk) return fetch_competition(*db, *c);  // says why
    const std::string root = state_root.empty() ? StateDir::default_root() : state_root;
    auto state = StateDir::claim(root, snapshot->competition_id, "readout");
    if (!state) {
        error("readout: cannot make the reader's folder under " + root);
        return kExitOutput;
    }
    build_competition(*c, *snapshot, state->origin());

    std::mutex m;  // the competition and the driver: the reading thread and the syncing one
    std::condition_variable wake;
    bool arrived = false;
    std::atomic<bool> stop{false};
    // What this reader's outbox kept from an earlier run is sent first (on `db`).
    SyncDriver driver(
        conninfo, Writer{state->origin(), host_name()}, *c, *snapshot,
        [&] {
            std::lock_guard<std::mutex> lock(m);
            arrived = true;
            wake.notify_one();
        },
        state->path() + "/outbox", db.get());
    snapshot.reset();
    db.reset();

    // Then what its journal holds and the server lacks (a reader killed before its cards
    // reached the server).
    CardJournal journal;
    std::string journal_file = journal_path_for(state->journal_base());
    std::vector<JournalEntry> left = read_journal(journal_file);
    if (!journal.open(state->journal_base())) {
        file_error("readout: cannot write the card journal", journal_file, journal.last_error());
        return kExitOutput;
    }
    {
        std::lock_guard<std::mutex> lock(m);
        JournalReplay replayed = replay_journal_shared(*c, std::move(left));
        if (replayed.cards > 0 || replayed.finish_lines > 0)
            std::fprintf(stderr, "skarvel-cli: %d card(s) brought back from the card journal %s\n",
                         replayed.cards, journal_file.c_str());
        finish_data_changed(*c);
        driver.capture(*c, true);
    }
    // Rows of the other computers, answers of the server, conflicts (a reader has nobody to
    // ask: the other computer's version stays, and this reader says what it did not write).
    bool connected = false;
    int waiting = -1;
    std::thread syncing([&] {
        std::unique_lock<std::mutex> lock(m);
        while (!stop) {
            wake.wait_for(lock, std::chrono::milliseconds(500), [&] { return arrived || stop; });
            arrived = false;
            SyncDriver::Round r = driver.process(*c);
            if (r.applied.rows > 0) finish_data_changed(*c);
            for (const std::string& why : r.refusals) error("readout: the server refused " + why);
            while (!driver.core().conflicts().empty()) {
                error(
                    "readout: a record this reader changed was changed on another computer "
                    "meanwhile; the other version stays");
                if (driver.core().decide(*c, false).rows > 0) finish_data_changed(*c);
            }
            if (driver.connected() != connected || driver.waiting() != waiting) {
                connected = driver.connected();
                waiting = driver.waiting();
                std::fprintf(stderr, "skarvel-cli: server: %s, %d waiting\n",
                             connected ? "connected" : "not connected", waiting);
            }
            if (r.all_stored) journal.clear();
        }
    });

    PunchSettings settings = punch_settings_from(c->info);
    SerialSession session;
    if (!session.open("readout", device, settings.baud_rate())) {
        stop = true;
        wake.notify_one();
        syncing.join();
        return kExitInput;
    }
    std::unique_ptr<LoggingSerialPort> logging;
    SerialPort* used = &session.port();
    if (log) {
        logging = std::make_unique<LoggingSerialPort>(session.port(),
                                                      frame_log_path(state->journal_base()));
        used = logging.get();
    }
    StationLink link(*used);
    session.stop_on_interrupt(link);

    ConsolePrompts prompts;
    ReadoutState read_state;
    long long cards = 0;
    std::vector<std::uint8_t> last_kept;  // a card offered again after a lost answer
    std::fprintf(stderr, "skarvel-cli: reading cards on %s into %s (Ctrl+C ends)\n", device.c_str(),
                 uri.c_str());
    CardReaderHooks hooks;
    const ReadOptions options = ask_station(link, settings);
    const LanguageTable& english = english_texts();
    hooks.notice = [&](const ReaderNotice& n) { error_cp1251(reader_notice_line(n, english)); };
    // The whole card (every punch, whole codes) goes into the journal.
    hooks.keep_whole = [&](const WholeCard& whole) {
        const CardReadout& card = whole.readout;
        JournalEntry e = JournalEntry::card_read(card, whole);
        std::vector<std::uint8_t> bytes = encode_journal_entry(e);
        if (bytes == last_kept) return true;  // entered already: the station asks again
        std::uint64_t seq;
        {
            // Journaled and captured under the lock: the syncing thread empties the journal
            // only when every captured change is stored, never between the two.
            std::lock_guard<std::mutex> lock(m);
            if (!journal.write_now(e)) {
                file_error("readout: cannot write the card journal", journal_file,
                           journal.last_error());
                return false;  // the station keeps the card until there is room
            }
            PunchSettings s = punch_settings_from(c->info);
            ReadoutOutcome out = process_card(*c, card, s, read_state, prompts, {});
            finish_data_changed(*c);
            seq = driver.capture(*c, true);
            std::string owner = "-";
            if (out.owner)
                owner = std::to_string(out.owner->start_number) + " " +
                        cp1251_to_utf8(field_text(out.owner->name));
            std::string finish =
                out.finish_slot != kNoSlot
                    ? format_time_text(c->tables.finish_lines[out.finish_slot]->time(),
                                       c->info.time_precision)
                    : std::string("-");
            ++cards;
            std::string family = card_family_name(whole.family, english);
            std::printf("%lld\tcard %d\towner %s\tstatus %d\tpenalty %d\tfinish %s\tfamily %s\n",
                        cards, card.card_number, owner.c_str(), out.owner ? out.owner->status : -1,
                        out.owner ? out.owner->penalty : 0, finish.c_str(),
                        family.empty() ? "-" : family.c_str());
            std::fflush(stdout);
            if (whole.beyond_readout())
                error_cp1251(card_extras_line(card.card_number, whole, english));
        }
        last_kept = std::move(bytes);
        // On the server before the station hears it is taken; without the server, the
        // journal holds it (and it is sent when the server is back).
        if (seq)
            driver.wait_stored(seq,
                               std::chrono::duration_cast<std::chrono::milliseconds>(kServerWait));
        return true;
    };
    // A card the station offers again (its answer came late) counts once.
    hooks.whole_card_read = [&](const WholeCard&) { return max_cards == 0 || cards < max_cards; };
    run_card_reader(link, options, hooks);
    session.end(used);

    // What waits goes before the reader ends, while the server answers.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        {
            std::lock_guard<std::mutex> lock(m);
            if (driver.waiting() == 0 || !driver.connected()) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop = true;
    wake.notify_one();
    syncing.join();
    int left_waiting = driver.waiting();
    std::fprintf(stderr, "skarvel-cli: %lld card(s) read%s\n", cards,
                 session.interrupted() ? ", interrupted" : "");
    if (left_waiting > 0)
        std::fprintf(stderr,
                     "skarvel-cli: %d change(s) did not reach the server; the card journal %s "
                     "keeps the cards, and the next readout sends them\n",
                     left_waiting, journal_file.c_str());
    return kExitOk;
#endif
}

}  // namespace skarvel::cli
