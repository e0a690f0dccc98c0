// skarvel-cli register FILE.wdb --port DEVICE --number N [--fast]
// Registration from a personalised card: waits for a type-6/10 card in the station, reads its
// personal data and makes a runner with start number N from it (name, club, birth year, card
// number), then saves the file. Cards of type 5 are passed over. Ctrl+C ends the wait.
#include <cstdio>
#include <string>
#include <vector>

#include "core/record_edit.h"
#include "core/wdb_file.h"
#include "punch/card_status.h"
#include "punch/personal_data.h"
#include "punch/station_reader.h"
#include "tools/cli/cli.h"
#include "tools/cli/serial_session.h"

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "register FILE.wdb --port DEVICE --number N [--fast]";

}  // namespace
}  // namespace skarvel::cli

int cmd_register(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    CommandArgs a;
    if (int rc = parse_command_args(args, kUsage, {"--fast"}, {"--port", "--number"}, a);
        rc != kExitOk)
        return rc;
    long long number = 0;
    if (!a.value("--port") || !a.value("--number")) {
        error(std::string("usage: skarvel-cli ") + kUsage);
        return kExitUsage;
    }
    if (!int_option(a, "--number", 1, edit_limits::kStartNumberMax, number)) return kExitUsage;
    const std::string& file = a.file;
    const std::string device = *a.value("--port");
    const bool fast = a.has("--fast");
#ifndef SKARVEL_CLI_HAS_QT
    (void)fast;
    (void)file;
    return no_serial_support("register");
#else
    auto c = std::make_unique<Competition>();
    if (int rc = load_competition(*c, file); rc != kExitOk) return rc;

    SerialSession session;
    if (!session.open("register", device, fast ? 38400 : 4800)) return kExitInput;
    StationLink link(session.port());
    session.stop_on_interrupt(link);
    const LanguageTable& english = english_texts();
    // Registration reads the cards' personal words, which only the basic protocol carries.
    if (start_station(link, fast ? 38400 : 4800).extended()) {
        session.end();
        error_cp1251(extended_refused_message(english, Txt::kRegistrationFromCards));
        return kExitInput;
    }

    std::fprintf(stderr, "skarvel-cli: waiting for a personalised card on %s (Ctrl+C ends)\n",
                 device.c_str());
    bool taken = false;
    PersonalDataBlock block{};
    std::int32_t card_number = 0;
    CardReaderHooks hooks;
    hooks.card_read = [](const CardReadout&) { return true; };  // a race card: passed over
    hooks.personalise = [&](StationLink& l, int) {
        if (take_personal_block(l, block)) {
            taken = true;
            card_number = l.detected_number;
            l.request_stop();
        }
        return true;
    };
    run_card_reader(link, {}, hooks);
    session.end();
    if (!taken) {
        error("register: no card was read");
        return kExitInput;
    }

    CardOwner owner;
    if (!parse_personal_block(block, owner)) {
        char text[160];
        std::snprintf(text, sizeof text, std::string(english.text(Txt::kRegBadCard)).c_str(),
                      card_number);
        error_cp1251(text);
        return kExitInput;
    }
    error_cp1251(card_owner_message(owner, english));
    bool no_club_room = false;
    int slot = register_card_owner(*c, owner, static_cast<int>(number), card_number, &no_club_room);
    if (slot == kNoSlot) {
        error_cp1251(english.text(no_club_room ? Txt::kRegNoRoomForClub : Txt::kNoMemoryForRecord));
        return kExitOutput;
    }
    const Runner& r = *c->tables.runners[slot];
    std::printf("number %d\tcard %d\tname %s\tclub %d\tbirth year %d\n", r.start_number,
                r.card_number, cp1251_to_utf8(field_text(r.name)).c_str(), r.club_id, r.birth_year);
    int why = 0;
    if (!save_wdb(*c, file, &why)) {
        file_error("register: cannot save", file, why);
        return kExitOutput;
    }
    return kExitOk;
#endif
}
