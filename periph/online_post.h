// On-line posting: the finish line under the cursor is sent to the result script of a web
// server as one GET request, and marked `posted` when an answer came back. This file builds
// the request and applies the answer; the HTTP client is in periph/ui (desktop program) and
// tools/cli (headless).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/competition.h"

namespace skarvel {

// A post on its way: which line, and the address to request.
struct OnlinePost {
    int slot = kNoSlot;
    // The line as it was when posted, to find it again when the table changed meanwhile.
    std::int16_t start_number = 0;
    std::uint32_t time_word = 0;
    std::string url;  // Windows-1251 bytes, nothing escaped
};

// The script's address as stored (at most 59 characters).
std::string online_url_prefix(const Competition& c);

// The request address for runner `r`: the prefix, then "num=%d&r=%s&fl=%d&t=%d" and, with
// the crossings option, "&dubl=%d" (the number of finish lines with the runner's number).
// `clock` is the running time of day in centiseconds.
std::string online_post_url(const Competition& c, const Runner& r, std::int32_t clock);

// Prepares the post of the finish line in `slot`: nothing (nullopt) for an empty slot, a line
// with number 0 or a number no runner holds; otherwise results are recomputed (so the result
// and status sent are current) and the request is built.
std::optional<OnlinePost> prepare_online_post(Competition& c, int slot, std::int32_t clock);

// The script answered: sets `posted` on the line (in its slot, or wherever the same number
// and time word now are). Returns the line's slot, or kNoSlot when it is gone.
int mark_posted(Competition& c, const OnlinePost& post);

}  // namespace skarvel
