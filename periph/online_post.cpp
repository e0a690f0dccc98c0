#include "periph/online_post.h"

#include <cstdio>
#include <cstring>

#include "core/time_text.h"

namespace skarvel {

std::string online_url_prefix(const Competition& c) {
    const char* s = c.info.online_url_prefix;
    return std::string(s, strnlen(s, sizeof c.info.online_url_prefix - 1));
}

std::string online_post_url(const Competition& c, const Runner& r, std::int32_t clock) {
    std::string result = format_time_text(r.result, c.info.time_precision);
    char query[128];
    if (c.info.online_send_crossings) {
        int crossings = r.start_number < c.finish_count_by_number.size()
                            ? c.finish_count_by_number[r.start_number]
                            : 0;
        std::snprintf(query, sizeof query, "num=%d&r=%s&fl=%d&t=%d&dubl=%d", r.start_number,
                      result.c_str(), r.status, clock, crossings);
    } else {
        std::snprintf(query, sizeof query, "num=%d&r=%s&fl=%d&t=%d", r.start_number, result.c_str(),
                      r.status, clock);
    }
    return online_url_prefix(c) + query;
}

std::optional<OnlinePost> prepare_online_post(Competition& c, int slot, std::int32_t clock) {
    if (slot < 0 || slot >= c.tables.finish_lines.capacity()) return std::nullopt;
    const FinishLine* line = c.tables.finish_lines[slot];
    if (!line || line->start_number == 0) return std::nullopt;
    const Runner* r = c.runner_by_number(line->start_number);
    if (!r) return std::nullopt;
    c.recompute_finish_results();
    OnlinePost post;
    post.slot = slot;
    post.start_number = line->start_number;
    post.time_word = line->time_word;
    post.url = online_post_url(c, *r, clock);
    return post;
}

int mark_posted(Competition& c, const OnlinePost& post) {
    auto& t = c.tables.finish_lines;
    auto same = [&post](const FinishLine* l) {
        return l && l->start_number == post.start_number && l->time_word == post.time_word;
    };
    int slot = post.slot;
    if (slot < 0 || slot >= t.capacity() || !same(t[slot])) {
        slot = kNoSlot;
        for (int i = 0; i < t.capacity() && t[i]; ++i)
            if (same(t[i])) {
                slot = i;
                break;
            }
    }
    if (slot == kNoSlot) return kNoSlot;
    t[slot]->flags |= FinishLine::kFlagPosted;
    c.modified = true;
    return slot;
}

}  // namespace skarvel
