// The loader treats a file as hostile: thousands of cut and mutated versions of real files
// (both versions) must load without a crash or a read out of bounds (the sanitizer build runs
// this too), and whatever loads cleanly saves and loads again to the same bytes.
#include <gtest/gtest.h>

#include <random>

#include "core/demo_competition.h"
#include "core/wdb_file.h"
#include "wdb_test_util.h"

using namespace skarvel;
using namespace skarvel::test;

namespace {

Bytes demo_file(int runners, std::uint64_t seed) {
    Competition c;
    DemoOptions o;
    o.runners = runners;
    o.seed = seed;
    make_demo_competition(c, o);
    return encode_wdb(c);
}

Bytes old_file() {
    OldFile f;
    for (int i = 0; i < 3; ++i) {
        Bytes r(kOldRunner, 0);
        put_le(r, 60, i + 1, 2);
        put_le(r, 100, i + 1, 4);
        f.runners.push_back(r);
        f.lines.push_back(Bytes(kOldLine, std::uint8_t(i)));
        f.cards.push_back(Bytes(kOldCard, std::uint8_t(0x40 + i)));
    }
    f.clubs.push_back(Bytes(kOldClub, 0x31));
    f.classes.push_back(Bytes(kOldClass, 0x32));
    f.courses.push_back(Bytes(kOldCourse, 0x33));
    return f.build();
}

// Loads `b`; checks the report is coherent and that a clean load is stable.
void check_one(Competition& c, const Bytes& b, int& clean, int& damaged) {
    LoadResult res = decode_wdb(c, b.data(), b.size());
    ASSERT_EQ(res.status == LoadStatus::kDamaged, !res.damaged_table.empty());
    ASSERT_LE(c.tables.runners.occupied_count(), kRunnerCapacity);
    if (res.status == LoadStatus::kDamaged) {
        ++damaged;
        ASSERT_FALSE(res.message.empty());
        ASSERT_GE(res.records_read, 0);
        return;
    }
    if (!res.ok()) return;
    ++clean;
    Bytes saved = encode_wdb(c);
    static Competition d;
    ASSERT_EQ(decode_wdb(d, saved.data(), saved.size()).status, LoadStatus::kOk);
    ASSERT_TRUE(encode_wdb(d) == saved);
}

constexpr int kMutations = 3000;

void mutate(Bytes& b, std::mt19937& rng) {
    switch (rng() % 6) {
        case 0: {  // a few random bytes
            int n = 1 + int(rng() % 8);
            for (int i = 0; i < n && !b.empty(); ++i) b[rng() % b.size()] = std::uint8_t(rng());
            break;
        }
        case 1: {  // a 32-bit value that looks like a count
            if (b.size() < 4) break;
            static const std::uint32_t values[] = {0,          1,     0x7FFFFFFF, 0x80000000,
                                                   0xFFFFFFFF, 10000, 10001,      30000,
                                                   30001,      20001, 21,         11};
            put_le(b, rng() % (b.size() - 3), values[rng() % std::size(values)], 4);
            break;
        }
        case 2:  // cut
            b.resize(rng() % (b.size() + 1));
            break;
        case 3: {  // a range removed
            if (b.empty()) break;
            std::size_t at = rng() % b.size();
            std::size_t n = std::min<std::size_t>(b.size() - at, 1 + rng() % 600);
            b.erase(b.begin() + at, b.begin() + at + n);
            break;
        }
        case 4: {  // a range inserted
            std::size_t at = b.empty() ? 0 : rng() % b.size();
            std::size_t n = 1 + rng() % 600;
            Bytes extra(n);
            for (auto& x : extra) x = std::uint8_t(rng());
            b.insert(b.begin() + at, extra.begin(), extra.end());
            break;
        }
        default:  // the other version's number
            if (b.size() >= 4) put_le(b, 0, (rng() & 1) ? 11 : 21, 4);
            break;
    }
}

}  // namespace

TEST(WdbCorpus, CutAtEveryLengthAndMutatedFilesNeverBreakTheLoader) {
    const std::vector<Bytes> seeds = {demo_file(4, 1), demo_file(12, 2), old_file(),
                                      Bytes{21, 0, 0, 0}, Bytes{11, 0, 0, 0}};
    Competition c;
    int clean = 0, damaged = 0;
    for (const Bytes& s : seeds)
        for (std::size_t len = 0; len <= s.size(); len += 1 + len / 256)
            ASSERT_NO_FATAL_FAILURE(
                check_one(c, Bytes(s.begin(), s.begin() + len), clean, damaged));
    std::mt19937 rng(20240518);
    for (int i = 0; i < kMutations; ++i) {
        Bytes b = seeds[rng() % seeds.size()];
        int rounds = 1 + int(rng() % 3);
        for (int k = 0; k < rounds; ++k) mutate(b, rng);
        ASSERT_NO_FATAL_FAILURE(check_one(c, b, clean, damaged)) << "mutation " << i;
    }
    EXPECT_GT(clean, kMutations / 30);
    EXPECT_GT(damaged, kMutations / 3);
}
