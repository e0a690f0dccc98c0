#include "shared/changes.h"

namespace skarvel::shared {

namespace {

void put_u32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put_u64(Bytes& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put_bytes(Bytes& out, const Bytes& b) {
    put_u32(out, static_cast<std::uint32_t>(b.size()));
    out.insert(out.end(), b.begin(), b.end());
}

struct Reader {
    const Bytes& data;
    std::size_t at;
    bool ok = true;
    std::uint64_t u(int n) {
        if (!ok || data.size() - at < static_cast<std::size_t>(n) || at > data.size()) {
            ok = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= std::uint64_t(data[at + i]) << (8 * i);
        at += n;
        return v;
    }
    Bytes bytes() {
        std::uint32_t n = static_cast<std::uint32_t>(u(4));
        if (!ok || data.size() - at < n) {
            ok = false;
            return {};
        }
        Bytes b(data.begin() + at, data.begin() + at + n);
        at += n;
        return b;
    }
};

// The largest change set a computer makes: every row of every table, twice over.
constexpr std::uint32_t kMaxChanges = 1u << kProvisionalOpBits;

}  // namespace

Bytes encode_change_set(const ChangeSet& cs) {
    Bytes out;
    put_u64(out, cs.seq);
    out.push_back(cs.background ? 1 : 0);
    put_u32(out, static_cast<std::uint32_t>(cs.changes.size()));
    for (const Change& c : cs.changes) {
        out.push_back(static_cast<std::uint8_t>(c.kind));
        out.push_back(static_cast<std::uint8_t>(c.action));
        put_u64(out, static_cast<std::uint64_t>(c.uid));
        put_bytes(out, c.base);
        put_bytes(out, c.data);
    }
    return out;
}

std::optional<ChangeSet> decode_change_set(const Bytes& data, std::size_t& at) {
    Reader r{data, at};
    ChangeSet cs;
    cs.seq = r.u(8);
    cs.background = r.u(1) != 0;
    std::uint32_t n = static_cast<std::uint32_t>(r.u(4));
    if (!r.ok || n > kMaxChanges) return std::nullopt;
    for (std::uint32_t i = 0; i < n && r.ok; ++i) {
        Change c;
        c.kind = static_cast<int>(r.u(1));
        std::uint64_t action = r.u(1);
        c.uid = static_cast<std::int64_t>(r.u(8));
        c.base = r.bytes();
        c.data = r.bytes();
        if (c.kind < 0 || c.kind >= kRowKindCount || action < 1 || action > 5) r.ok = false;
        c.action = static_cast<Action>(action);
        cs.changes.push_back(std::move(c));
    }
    if (!r.ok) return std::nullopt;
    at = r.at;
    return cs;
}

}  // namespace skarvel::shared
