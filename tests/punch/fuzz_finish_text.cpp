// libFuzzer target for the finish text import and the starters file: no input may crash them
// or read out of bounds; the imported list stays sorted, within the table, with 24-bit times,
// and every runner status stays a status code.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "punch/finish_list.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto c = std::make_unique<Competition>();
    c->clear();
    for (int n = 1; n <= 20; ++n) {
        Runner* r = c->tables.runners[c->new_record(kRunners)];
        r->start_number = static_cast<std::uint16_t>(n);
        r->card_number = 100 + n;
        r->id = n;
    }
    c->rebuild_number_index();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    FinishImportResult res = import_finish_text(*c, text, true);
    const auto& t = c->tables.finish_lines;
    int n = t.live_count();
    if (n != res.lines_read || n > 20000) std::abort();
    for (int i = 0; i < n; ++i) {
        if (t[i]->time_word >= (1u << 24)) std::abort();
        if (i > 0 && t[i - 1]->time_word > t[i]->time_word) std::abort();
    }
    remove_duplicate_finish_lines(*c);
    for (int i = 1; i < t.live_count(); ++i)
        if (t[i - 1]->start_number == t[i]->start_number && t[i - 1]->time_word == t[i]->time_word)
            std::abort();
    ScriptedPrompts prompts;
    StartersResult s = read_starters(*c, text, prompts);
    add_non_starters(*c, s);
    for (int i = 0; i < 20; ++i)
        if (c->tables.runners[i]->status >= kStatusCount) std::abort();
    return 0;
}
