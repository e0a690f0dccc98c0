// libFuzzer target for the personal data read back from a card: no block may crash the checks
// or the registration, and a block that passes makes a runner whose name and club are clean
// Windows-1251 text inside their fields, with a birth year of 0 or 1900..2100.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "punch/personal_data.h"

using namespace skarvel;

namespace {

bool clean(std::string_view s) {
    for (unsigned char ch : s)
        if (ch < 0x20 || ch == 0x7F || ch == 0x98) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto c = std::make_unique<Competition>();
    PersonalDataBlock block{};
    std::memcpy(block.data(), data, size < block.size() ? size : block.size());
    CardOwner owner;
    if (!parse_personal_block(block, owner)) return 0;
    if (owner.surname.empty() || !clean(owner.surname) || !clean(owner.first_name) ||
        !clean(owner.club) || owner.club.size() > 17 || owner.city.size() > 15)
        std::abort();
    if (owner.birth_year != 0 && (owner.birth_year < 1900 || owner.birth_year > 2100)) std::abort();
    c->clear();
    int slot = register_card_owner(*c, owner, 1, 2000001);
    if (slot == kNoSlot) std::abort();
    const Runner& r = *c->tables.runners[slot];
    if (!clean(field_text(r.name)) || field_text(r.name).empty()) std::abort();
    if (r.club_id != 0) {
        const Club* club = c->find_club_by_id(r.club_id);
        if (!club || field_text(club->name) != owner.club) std::abort();
    } else if (!owner.club.empty()) {
        std::abort();
    }
    return 0;
}
