#include "shared/retag.h"

#include <deque>
#include <string>
#include <unordered_map>

#include "shared/row_codec.h"

namespace skarvel::shared {

namespace {

template <class R>
void retag_table(const Table<R>& before, Table<R>& after) {
    auto key = [](const R& r) {
        Bytes b = shared_bytes(r);
        return std::string(b.begin(), b.end());
    };
    std::unordered_map<std::string, std::deque<const R*>> by_bytes;
    for (int i = 0; i < before.used_end(); ++i)
        if (const R* r = before[i]; r && r->row.uid != 0) by_bytes[key(*r)].push_back(r);
    std::vector<R*> unmatched;
    std::unordered_map<const R*, bool> taken;
    for (int i = 0; i < after.used_end(); ++i) {
        R* r = after[i];
        if (!r) continue;
        r->row.uid = 0;
        auto it = by_bytes.find(key(*r));
        if (it != by_bytes.end() && !it->second.empty()) {
            const R* old = it->second.front();
            it->second.pop_front();
            r->row.uid = old->row.uid;
            r->row.foreign = old->row.foreign;
            taken[old] = true;
        } else {
            unmatched.push_back(r);
        }
    }
    std::vector<const R*> left;
    for (int i = 0; i < before.used_end(); ++i)
        if (const R* r = before[i]; r && r->row.uid != 0 && !taken.count(r)) left.push_back(r);
    std::vector<R*> still;
    if constexpr (requires(R x) { x.id; }) {
        std::unordered_map<std::int32_t, std::deque<const R*>> by_id;
        for (const R* r : left) by_id[r->id].push_back(r);
        std::vector<const R*> rest;
        for (R* r : unmatched) {
            auto it = by_id.find(r->id);
            if (it != by_id.end() && !it->second.empty()) {
                const R* old = it->second.front();
                it->second.pop_front();
                r->row.uid = old->row.uid;
                r->row.foreign = old->row.foreign;
                taken[old] = true;
            } else {
                still.push_back(r);
            }
        }
        std::erase_if(left, [&taken](const R* r) { return taken.count(r) > 0; });
    } else {
        still = unmatched;
    }
    for (std::size_t i = 0; i < still.size() && i < left.size(); ++i) {
        still[i]->row.uid = left[i]->row.uid;
        still[i]->row.foreign = left[i]->row.foreign;
    }
}

}  // namespace

void retag(const Competition& before, Competition& after) {
    retag_table(before.tables.runners, after.tables.runners);
    retag_table(before.tables.clubs, after.tables.clubs);
    retag_table(before.tables.classes, after.tables.classes);
    retag_table(before.tables.courses, after.tables.courses);
    retag_table(before.tables.finish_lines, after.tables.finish_lines);
    retag_table(before.tables.card_readouts, after.tables.card_readouts);
}

}  // namespace skarvel::shared
