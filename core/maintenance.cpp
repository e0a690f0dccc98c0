#include "core/maintenance.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/record_edit.h"

namespace skarvel {

using namespace literals;

bool check_duplicate_card_numbers(Competition& c, Prompts& prompts, bool english) {
    if (!prompts.ask_yes_no_captioned(text_in(english, Txt::kCheckDoubleCardsQuestion),
                                      text_in(english, Txt::kCheckCaption)))
        return false;
    auto& table = c.tables.runners;
    std::vector<Runner*> all;
    int with_card = 0;
    for (int i = 0, end = table.used_end(); i < end; ++i)
        if (Runner* r = table[i]) {
            all.push_back(r);
            with_card += r->card_number != 0;
        }
    if (with_card == 0) {
        prompts.message(text_in(english, Txt::kNoRunnersWithCards));
        return false;
    }
    if (with_card == 1) {
        prompts.message(text_in(english, Txt::kOneRunnerWithCard));
        return false;
    }
    // The slots themselves are rearranged only when the user wants the list, so the sort
    // works on a list of pointers and the table stays as it was otherwise.
    std::stable_sort(all.begin(), all.end(), [](const Runner* a, const Runner* b) {
        return a->card_number < b->card_number;
    });
    for (Runner* r : all) r->draw_key = 0;
    bool pairs = false;
    for (std::size_t i = 1; i < all.size(); ++i)
        if (all[i]->card_number != 0 && all[i]->card_number == all[i - 1]->card_number) {
            all[i]->draw_key = all[i - 1]->draw_key = 1;
            pairs = true;
        }
    if (!pairs) {
        prompts.message(text_in(english, Txt::kNoDoubleCards));
        return false;
    }
    if (!prompts.ask_yes_no_captioned(text_in(english, Txt::kShowDoubleNumbersQuestion),
                                      text_in(english, Txt::kErrorCaption)))
        return false;

    std::unordered_map<const Runner*, std::unique_ptr<Runner>> owned;
    for (int i = 0, end = table.used_end(); i < end; ++i)
        if (table[i]) {
            Runner* r = table.slot(i).get();
            owned[r] = std::move(table.slot(i));
        }
    int front = 0, back = table.capacity() - 1;
    for (Runner* r : all)
        if (r->draw_key == 1) table.slot(front++) = std::move(owned[r]);
    for (Runner* r : all)
        if (r->draw_key != 1) table.slot(back--) = std::move(owned[r]);
    c.rebuild_number_index();
    c.view.table = kRunners;
    c.view.board = false;
    c.view.cursor[kRunners] = 0;
    c.view.top[kRunners] = 0;
    c.modified = true;
    return true;
}

int fill_unnumbered_finish_lines(Competition& c) {
    auto& lines = c.tables.finish_lines;
    int filled = 0;
    for (int i = 1; i < lines.capacity() && lines[i]; ++i)
        if (lines[i]->start_number == 0 && lines[i - 1]->start_number != 0) {
            lines[i]->start_number = lines[i - 1]->start_number;
            ++filled;
        }
    if (filled) {
        c.modified = true;
        finish_data_changed(c);
    }
    return filled;
}

bool finish_crossings_to_card_readouts(Competition& c, Prompts& prompts, bool english) {
    if (!prompts.ask_yes_no_captioned(text_in(english, Txt::kClearCardsQuestion),
                                      text_in(english, Txt::kAttention)))
        return false;
    auto& cards = c.tables.card_readouts;
    cards.erase_live();

    auto& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i)
        if (Runner* r = runners[i]) r->card_number = r->start_number;

    std::unordered_map<int, CardReadout*> by_number;
    bool full_told = false;
    const auto& lines = c.tables.finish_lines;
    for (int i = 0; i < lines.capacity() && lines[i]; ++i) {
        const FinishLine& line = *lines[i];
        int n = line.start_number;
        CardReadout*& card = by_number[n];
        if (!card) {
            int slot = c.new_record(kCardReadouts);
            if (slot == kNoSlot) {
                if (!full_told) prompts.message(table_full_message(kCardReadouts, english));
                full_told = true;
                by_number.erase(n);
                continue;
            }
            card = cards[slot];
            card->card_number = n;
        }
        for (int k = 0; k < CardReadout::kMaxPunches; ++k)
            if (card->punches[k].code == 0) {
                card->punches[k].code = static_cast<std::uint8_t>(k + 1);
                card->punches[k].time = static_cast<std::int32_t>(line.time_word);
                card->punch_count = k + 1;
                break;
            }
    }
    c.modified = true;
    return true;
}

}  // namespace skarvel
