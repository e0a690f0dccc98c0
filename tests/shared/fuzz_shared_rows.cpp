// libFuzzer target for the rows a server sends (another program may have written anything into
// the database): rows of any kind, uid, place, size and content brought into a competition, and
// answers to a change set, must never crash; the tables stay compact where they must.
#include <cstdlib>
#include <memory>

#include "core/demo_competition.h"
#include "shared/mirror.h"

using namespace skarvel;
using namespace skarvel::shared;

namespace {

struct Reader {
    const std::uint8_t* p;
    std::size_t n;
    std::uint64_t u(int bytes) {
        std::uint64_t v = 0;
        for (int i = 0; i < bytes && n > 0; ++i, ++p, --n) v |= std::uint64_t(*p) << (8 * i);
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto c = std::make_unique<Competition>();
    make_demo_competition(*c, DemoOptions{.runners = 20});
    Mirror m("me");
    m.capture(*c, 1);  // every record known (provisional)
    Reader in{data, size};
    std::vector<ServerRow> rows;
    while (in.n > 4 && rows.size() < 64) {
        ServerRow r;
        r.kind = static_cast<int>(in.u(1) % (kRowKindCount + 2));
        r.uid = static_cast<std::int64_t>(in.u(1)) - 8;
        r.pos = static_cast<std::int64_t>(in.u(1));
        r.deleted = in.u(1) & 1;
        r.origin = (in.u(1) & 1) ? "me" : "other";
        std::size_t len = static_cast<std::size_t>(in.u(2) % 700);
        if (len > in.n) len = in.n;
        r.data.assign(in.p, in.p + len);
        in.p += len;
        in.n -= len;
        rows.push_back(std::move(r));
    }
    m.apply(*c, rows);
    // The answer to a change set, made of the same bytes.
    ChangeSet cs = m.capture(*c, 2);
    ChangeSetOutcome out;
    out.seq = 2;
    out.stored = true;
    for (std::size_t i = 0; i < cs.changes.size(); ++i) {
        ChangeOutcome o;
        o.status = static_cast<ChangeOutcome::Status>(i < rows.size() ? rows[i].uid & 3 : 0);
        o.uid = i < rows.size() ? rows[i].pos : 0;
        o.theirs = i < rows.size() ? rows[i].data : Bytes{};
        o.theirs_deleted = i < rows.size() && rows[i].deleted;
        out.outcomes.push_back(std::move(o));
    }
    std::vector<Change> resend;
    std::vector<Conflict> conflicts;
    m.settle(*c, cs, out, resend, conflicts);
    for (const Conflict& k : conflicts) m.keep_mine(*c, k);
    // Finish lines and card readouts stay in slots 0..n-1.
    if (c->tables.card_readouts.live_count() != c->tables.card_readouts.occupied_count())
        std::abort();
    if (c->tables.finish_lines.live_count() != c->tables.finish_lines.occupied_count())
        std::abort();
    return 0;
}
