#include "punch/card_status.h"

#include <cstdio>

#include "core/time_text.h"

namespace skarvel {

namespace {

// A text of the table with its %d / %s filled.
template <class... A>
std::string format(const LanguageTable& lang, Txt t, A... args) {
    char buf[400];
    std::snprintf(buf, sizeof buf, std::string(lang.text(t)).c_str(), args...);
    return buf;
}

}  // namespace

std::string card_family_name(CardFamily f, const LanguageTable& lang) {
    if (f == CardFamily::kActive) return std::string(lang.text(Txt::kCardFamilyActive));
    return std::string(card_family_code(f));
}

std::string card_status_line(const Competition& c, const CardReadout& card,
                             const ReadoutOutcome& out, const PunchSettings& s,
                             const LanguageTable& lang, const CardExtras* extras) {
    const std::string dash = " \x97 ";  // an em dash in Windows-1251
    std::string line(lang.text(Txt::kCardStatusCard));
    line += ' ';
    line += std::to_string(card.card_number);
    if (extras && extras->family != CardFamily::kUnknown) {
        line += ", ";
        line += lang.text(Txt::kCardStatusFamily);
        line += ' ';
        line += card_family_name(extras->family, lang);
    }
    if (out.reread) {
        line += " (";
        line += lang.text(Txt::kCardStatusReread);
        line += ')';
    }
    const Runner* owner = out.owner;
    if (owner) {
        line += ": N";
        line += std::to_string(owner->start_number);
        line += ' ';
        line += field_text(owner->name);
        if (owner->status != kStatusOk && owner->status < kStatusCount) {
            line += dash;
            line += status_name(c.info, owner->status);
        } else if (out.finish_slot != kNoSlot && owner->result > 0) {
            line += dash;
            line += lang.text(Txt::kCardStatusResult);
            line += ' ';
            line += format_time_text(owner->result, c.info.time_precision);
        }
    }
    // Why no finish line came of the card (or why it has no time).
    std::string_view why;
    if (!owner)
        why = lang.text(Txt::kCardStatusNoOwner);
    else if (s.finish_source != kSourceStation && s.finish_source != kSourcePunch)
        why = lang.text(Txt::kCardStatusFinishFromList);
    else if (out.finish_slot == kNoSlot)
        why = lang.text(Txt::kCardStatusFinishFull);
    if (!why.empty()) {
        line += owner ? "; " : ": ";
        line += lang.text(Txt::kCardStatusNoFinishLine);
        line += ": ";
        line += why;
    } else if (c.tables.finish_lines[out.finish_slot]->time() == 0) {
        line += "; ";
        line += lang.text(Txt::kCardStatusNoFinishTime);
    }
    if (out.readout_slot == kNoSlot) {
        line += "; ";
        line += lang.text(Txt::kCardStatusNotStored);
    }
    if (extras && extras->beyond_readout())
        line += "; " + card_extras_line(card.card_number, *extras, lang);
    return line;
}

std::string card_extras_line(std::int32_t card_number, const CardExtras& extras,
                             const LanguageTable& lang) {
    std::string line;
    if (extras.shortened())
        line = format(lang, Txt::kCardPunchesStored, card_number,
                      static_cast<int>(extras.punches.size()));
    if (extras.long_code != 0)
        line += (line.empty() ? "" : "; ") +
                format(lang, Txt::kCardCodeShortened, extras.long_code, extras.long_code % 256);
    return line;
}

std::string station_setup_line(const StationSetup& setup, const LanguageTable& lang) {
    if (!setup.answered || !setup.settings_read)
        return std::string(lang.text(Txt::kStationNoAnswer));
    if (!setup.extended()) return std::string(lang.text(Txt::kStationBasicProtocol));
    std::string how(lang.text(setup.autosend() ? Txt::kStationAutosend : Txt::kStationHandshake));
    return format(lang, Txt::kStationExtended, int(setup.station_code), how.c_str());
}

std::string station_mode_message(const StationSetup& setup, const LanguageTable& lang) {
    if (!setup.settings_read || setup.readout_mode()) return {};
    std::string mode;
    switch (setup.mode) {
        case 0x02:
            mode = lang.text(Txt::kStationModeControl);
            break;
        case 0x03:
            mode = lang.text(Txt::kStationModeStart);
            break;
        case 0x04:
            mode = lang.text(Txt::kStationModeFinish);
            break;
        case 0x07:
            mode = lang.text(Txt::kStationModeClear);
            break;
        case 0x0A:
            mode = lang.text(Txt::kStationModeCheck);
            break;
        default:
            mode = std::to_string(setup.mode);
    }
    return format(lang, Txt::kStationNotReadout, mode.c_str());
}

std::string reader_notice_line(const ReaderNotice& n, const LanguageTable& lang) {
    switch (n.kind) {
        case ReaderNotice::Kind::kUnknownCard:
            return format(lang, Txt::kCardUnknownType, n.card_number);
        case ReaderNotice::Kind::kReinsert:
            return n.card_number ? format(lang, Txt::kCardReinsert, n.card_number)
                                 : std::string(lang.text(Txt::kCardReinsertUnknown));
        case ReaderNotice::Kind::kRegistrationRefused:
            return extended_refused_message(lang, Txt::kRegistrationFromCards);
    }
    return {};
}

std::string extended_refused_message(const LanguageTable& lang, Txt what) {
    std::string name(lang.text(what));
    return format(lang, Txt::kExtendedRefused, name.c_str());
}

}  // namespace skarvel
