#include "punch/personal_data.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/cp1251.h"
#include "punch/card_status.h"

namespace skarvel {

using namespace skarvel::literals;

PersonalForm::PersonalForm()
    : russian_surname("Иванов"_cp1251),
      russian_first_name("Иван"_cp1251),
      russian_patronymic("Иванович"_cp1251),
      city("Москва"_cp1251),
      club("Азимут"_cp1251) {}

int form_birth_year(int typed) {
    return typed >= 1 && typed <= 1899 ? typed + 1900 : typed;
}

std::int32_t date_code(const CardDate& d) {
    return d.day + d.month * 31 + d.year * 366;
}

bool decode_date_code(std::int32_t code, CardDate& out) {
    // day + month × 31 lies in 32..403: the year is what is left above it.
    if (code < 32) return false;
    std::int32_t year = (code - 32) / 366;
    std::int32_t rest = code - year * 366;
    int month = (rest - 1) / 31;
    int day = rest - month * 31;
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    out = {day, month, static_cast<int>(year)};
    return true;
}

namespace {

constexpr int kLatinAt = 0, kRussianAt = 24, kCountryAt = 64, kCityAt = 67, kClubAt = 83,
              kBirthAt = 100, kInsuranceAt = 104, kSecondCardAt = 120;

// Copies `text` from `at`, cut at `end`.
void put_text(PersonalDataBlock& b, int at, int end, std::string_view text) {
    std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(end - at));
    std::memcpy(b.data() + at, text.data(), n);
}

void put_u32(PersonalDataBlock& b, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get_u32(const PersonalDataBlock& b, int at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(b[at + i]) << (8 * i);
    return v;
}

std::string cut(std::string_view s, std::size_t n) {
    return std::string(s.substr(0, n));
}

}  // namespace

PersonalDataBlock build_personal_block(const PersonalForm& f) {
    PersonalDataBlock b{};
    const std::size_t name = kPersonalNameMax;
    put_text(b, kLatinAt, kRussianAt,
             cut(f.latin_first_name, name) + ";" + cut(f.latin_surname, name) + ";");
    put_text(b, kRussianAt, kCountryAt,
             cut(f.russian_first_name, name) + ";" + cut(f.russian_surname, name) + ";" +
                 cut(f.russian_patronymic, name) + ";");
    put_text(b, kCountryAt, kCityAt, cut(f.country, kPersonalCountryMax));
    // The city keeps its terminating NUL inside the field.
    put_text(b, kCityAt, kClubAt - 1, cut(f.city, kPersonalCityMax));
    put_text(b, kClubAt, kBirthAt, cut(f.club, kPersonalClubMax));
    CardDate birth = f.date_of_birth;
    birth.year = form_birth_year(birth.year);
    put_u32(b, kBirthAt, static_cast<std::uint32_t>(date_code(birth)));
    put_u32(b, kInsuranceAt, static_cast<std::uint32_t>(date_code(f.insurance_end)));
    put_u32(b, kSecondCardAt,
            static_cast<std::uint32_t>(
                std::clamp<std::int32_t>(f.second_card_number, 0, kSecondCardMax)));
    return b;
}

std::vector<std::uint8_t> word_write_frame(const PersonalDataBlock& block, int k) {
    std::uint8_t body[7] = {0xEA,
                            0x05,
                            static_cast<std::uint8_t>(kFirstPersonalWord + k),
                            block[4 * k],
                            block[4 * k + 1],
                            block[4 * k + 2],
                            block[4 * k + 3]};
    return station_command_frame(body, 7);
}

std::vector<std::uint8_t> word_read_frame(int word) {
    std::uint8_t body[3] = {0xEB, 0x01, static_cast<std::uint8_t>(word)};
    return station_command_frame(body, 3);
}

namespace {

// One word: the 13-byte reply's bytes 6..9. A reply that does not open with 0x02 and close with
// 0x03 (noise, or a card announcement crossing it) is asked for again.
bool read_word(StationLink& link, int word, std::uint8_t* out, int attempts) {
    for (int a = 0; a < std::max(1, attempts); ++a) {
        if (link.stop_requested()) return false;
        link.port().discard_input();
        auto frame = word_read_frame(word);
        link.send(frame.data(), frame.size());
        link.read_failed = false;
        std::uint8_t r[13];
        for (auto& x : r) x = static_cast<std::uint8_t>(link.read_raw_byte());
        if (link.read_failed || r[0] != 0x02 || r[12] != 0x03) continue;
        std::memcpy(out, r + 6, 4);
        return true;
    }
    return false;
}

}  // namespace

bool read_personal_block(StationLink& link, PersonalDataBlock& out, int attempts,
                         int* failed_word) {
    for (int k = 0; k < kPersonalWords; ++k) {
        if (!read_word(link, kFirstPersonalWord + k, out.data() + 4 * k, attempts)) {
            if (failed_word) *failed_word = kFirstPersonalWord + k;
            return false;
        }
    }
    return true;
}

bool take_personal_block(StationLink& link, PersonalDataBlock& out) {
    bool ok = read_personal_block(link, out);
    if (link.stop_requested()) return false;
    link.send({0x06});
    return ok;
}

PersonaliseResult write_personal_data(StationLink& link, const PersonalDataBlock& block,
                                      const PersonaliseTiming& timing) {
    using Kind = PersonaliseResult::Kind;
    PersonaliseResult result;
    for (int k = 0; k < kPersonalWords && !link.stop_requested(); ++k) {
        auto frame = word_write_frame(block, k);
        link.send(frame.data(), frame.size());
        link.pause_ms(timing.write_wait_ms);
        // The station's answer to a write says nothing the read-back does not: dropped.
        link.port().discard_input();
    }
    PersonalDataBlock back{};
    if (!link.stop_requested()) {
        if (!read_personal_block(link, back, timing.read_attempts)) {
            result.kind = Kind::kNoCard;
        } else {
            for (int k = 0; k < kPersonalWords; ++k)
                if (std::memcmp(back.data() + 4 * k, block.data() + 4 * k, 4) != 0) {
                    result = {Kind::kWordDiffers, kFirstPersonalWord + k};
                    break;
                }
        }
    }
    if (link.stop_requested()) return {Kind::kStopped, 0};
    link.send({0x06});
    link.pause_ms(timing.write_wait_ms);
    link.port().discard_input();
    return result;
}

std::string personalise_message(const PersonaliseResult& r, const LanguageTable& lang) {
    using Kind = PersonaliseResult::Kind;
    switch (r.kind) {
        case Kind::kDone:
            return std::string(lang.text(Txt::kPersDone));
        case Kind::kNoCard:
            return std::string(lang.text(Txt::kPersNoCard));
        case Kind::kWordDiffers: {
            char buf[256];
            std::snprintf(buf, sizeof buf, std::string(lang.text(Txt::kPersWordDiffers)).c_str(),
                          r.word);
            return buf;
        }
        case Kind::kExtendedProtocol:
            return extended_refused_message(lang, Txt::kPersTitle);
        case Kind::kStopped:
            break;
    }
    return {};
}

namespace {

// The text of a field up to its NUL (or its end when `terminated` is not required); false when
// it holds a control character or the byte Windows-1251 leaves unassigned.
bool field(const PersonalDataBlock& b, int at, int end, bool terminated, std::string& out) {
    out.clear();
    for (int i = at; i < end; ++i) {
        std::uint8_t ch = b[i];
        if (ch == 0) return true;
        if (ch < 0x20 || ch == 0x7F || ch == 0x98) return false;
        out += static_cast<char>(ch);
    }
    return !terminated;
}

// "a;b;c;" into its parts (a part cut short by the field's end has no separator).
std::vector<std::string> parts(const std::string& s) {
    std::vector<std::string> out(1);
    for (char ch : s) {
        if (ch == ';')
            out.emplace_back();
        else
            out.back() += ch;
    }
    return out;
}

std::string trimmed(const std::string& s) {
    auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

}  // namespace

bool parse_personal_block(const PersonalDataBlock& b, CardOwner& out) {
    out = CardOwner{};
    if (!field(b, kLatinAt, kRussianAt, false, out.latin_name) ||
        !field(b, kRussianAt, kCountryAt, false, out.russian_name) ||
        !field(b, kCountryAt, kCityAt, false, out.country) ||
        !field(b, kCityAt, kClubAt, true, out.city) ||
        !field(b, kClubAt, kBirthAt, false, out.club))
        return false;
    // Names are written with their separators: a field without one is not a name field.
    if (out.russian_name.find(';') == std::string::npos &&
        out.latin_name.find(';') == std::string::npos)
        return false;
    auto russian = parts(out.russian_name);
    auto latin = parts(out.latin_name);
    std::string ru_surname = russian.size() > 1 ? trimmed(russian[1]) : std::string();
    std::string en_surname = latin.size() > 1 ? trimmed(latin[1]) : std::string();
    if (!ru_surname.empty()) {
        out.surname = ru_surname;
        out.first_name = trimmed(russian[0]);
    } else if (!en_surname.empty()) {
        out.surname = en_surname;
        out.first_name = trimmed(latin[0]);
    } else {
        return false;
    }
    out.club = trimmed(out.club);
    CardDate birth;
    if (decode_date_code(static_cast<std::int32_t>(get_u32(b, kBirthAt)), birth)) {
        int year = birth.year >= 1 && birth.year <= 99 ? birth.year + 1900 : birth.year;
        if (year >= 1900 && year <= 2100) out.birth_year = year;
    }
    std::uint32_t second = get_u32(b, kSecondCardAt);
    if (second <= static_cast<std::uint32_t>(kSecondCardMax))
        out.second_card_number = static_cast<std::int32_t>(second);
    return true;
}

std::string card_owner_message(const CardOwner& o, const LanguageTable& lang) {
    std::string format(lang.text(Txt::kRegCardShown));
    std::string out;
    const std::string* values[] = {&o.latin_name, &o.russian_name, &o.country, &o.city, &o.club};
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 2, "%s") == 0 && next < std::size(values)) {
            out += *values[next++];
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

int register_card_owner(Competition& c, const CardOwner& owner, int start_number,
                        std::int32_t card_number, bool* no_room_for_club) {
    if (no_room_for_club) *no_room_for_club = false;
    std::int32_t club_id = 0;
    if (!owner.club.empty()) {
        auto& clubs = c.tables.clubs;
        for (int i = 0; i < clubs.capacity() && clubs[i]; ++i)
            if (field_text(clubs[i]->name) == owner.club) {
                club_id = clubs[i]->id;
                break;
            }
        if (club_id == 0) {
            // The runner's slot is checked first: no club is made for a runner with no room.
            if (c.find_free_slot(kRunners) == kNoSlot) return kNoSlot;
            std::int32_t id = c.next_record_id(kClubs);
            int slot = c.new_record(kClubs);
            if (slot == kNoSlot) {
                if (no_room_for_club) *no_room_for_club = true;
                return kNoSlot;
            }
            Club& club = *clubs[slot];
            club.id = id;
            set_field_text(club.name, owner.club);
            club_id = id;
        }
    }
    int slot = c.new_record(kRunners);
    if (slot == kNoSlot) return kNoSlot;
    Runner& r = *c.tables.runners[slot];
    c.fill_new_runner(r);
    r.class_id = 0;  // the list's filter class is not the card owner's
    std::string name = owner.surname;
    if (!owner.first_name.empty()) name += " " + owner.first_name;
    set_field_text(r.name, name);
    r.start_number = static_cast<std::uint16_t>(start_number);
    r.club_id = static_cast<std::int16_t>(club_id);
    r.birth_year = static_cast<std::uint16_t>(owner.birth_year);
    r.card_number = card_number;
    c.rebuild_number_index();
    return slot;
}

}  // namespace skarvel
