#include "punch/card_status.h"

#include "core/time_text.h"

namespace skarvel {

std::string card_status_line(const Competition& c, const CardReadout& card,
                             const ReadoutOutcome& out, const PunchSettings& s,
                             const LanguageTable& lang) {
    const std::string dash = " \x97 ";  // an em dash in Windows-1251
    std::string line(lang.text(Txt::kCardStatusCard));
    line += ' ';
    line += std::to_string(card.card_number);
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
    return line;
}

}  // namespace skarvel
