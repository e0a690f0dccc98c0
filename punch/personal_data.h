// Card personalisation: the owner's personal data as a 128-byte block in card words 8..39,
// written from the form with 32 word writes and read back with 32 word reads, and the runner
// a personalised card makes on registration. The frames and the block are plain functions so
// they can be checked without a line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/competition.h"
#include "core/language.h"
#include "platform/serial_port.h"
#include "punch/station_link.h"

namespace skarvel {

constexpr int kPersonalWords = 32;
constexpr int kFirstPersonalWord = 8;
using PersonalDataBlock = std::array<std::uint8_t, 4 * kPersonalWords>;

struct CardDate {
    int day = 1;
    int month = 1;
    int year = 1970;
};

// The form's fields; texts are Windows-1251. A new form holds the sample values every opening
// of the dialog starts with.
struct PersonalForm {
    std::string russian_surname;
    std::string russian_first_name;
    std::string russian_patronymic;
    std::string latin_surname = "Ivanov";
    std::string latin_first_name = "Ivan";
    bool female = false;
    std::string country = "RUS";
    int region = 77;
    std::string city;
    std::string club;
    CardDate date_of_birth{1, 1, 1970};
    CardDate insurance_end{31, 12, 2008};
    std::string phone;
    std::int32_t second_card_number = 0;
    // Sports and their qualification (list positions); they are not written into the card.
    std::array<int, 5> sports{};
    std::array<int, 5> qualifications{};

    PersonalForm();
};

// Limits of the form's fields (characters) and numbers.
constexpr int kPersonalNameMax = 20;
constexpr int kPersonalCountryMax = 3;
constexpr int kPersonalCityMax = 15;
constexpr int kPersonalClubMax = 20;
constexpr int kPersonalRegionMax = 99;
constexpr std::int32_t kSecondCardMax = 9999999;

// A birth year typed as 1..1899 is taken plus 1900 (85 is 1985).
int form_birth_year(int typed);
// day + month × 31 + year × 366.
std::int32_t date_code(const CardDate& d);
// The date a code stands for, or false for a code no day 1..31 of month 1..12 gives. Codes of
// 26..31 December equal those of 1..6 January of the next year; those read as January.
bool decode_date_code(std::int32_t code, CardDate& out);

// The 128 bytes the form writes into words 8..39 (the form's birth year as typed is taken
// through form_birth_year).
PersonalDataBlock build_personal_block(const PersonalForm& form);

// 0xFF 0x02 0x02 0xEA 0x05 W D0 D1 D2 D3 CH CL 0x03: writes block bytes 4k..4k+3 into word 8 + k.
std::vector<std::uint8_t> word_write_frame(const PersonalDataBlock& block, int k);
// 0xFF 0x02 0x02 0xEB 0x01 W CH CL 0x03: asks for card word `word`.
std::vector<std::uint8_t> word_read_frame(int word);

// The line's read time-out while a card is written (the link's byte time-out).
constexpr int kPersonaliseByteTimeoutMs = 100;

struct PersonaliseTiming {
    int write_wait_ms = 200;  // after each word written and after the closing byte
    int read_attempts = 3;    // a word without a good reply is asked for again
};

struct PersonaliseResult {
    // kExtendedProtocol: the station speaks the extended protocol, which has no card writes;
    // nothing was written.
    enum class Kind {
        kDone,
        kNoCard,
        kWordDiffers,
        kStopped,
        kExtendedProtocol
    } kind = Kind::kDone;
    int word = 0;  // kWordDiffers: the card word that differs
};

// Writes the block into the card in the station (32 word writes; whatever the station answers
// to a write is read and dropped), reads the 32 words back and compares them, then sends the
// closing 0x06. The link's time-outs are the caller's; `timing.write_wait_ms` paces the writes.
PersonaliseResult write_personal_data(StationLink& link, const PersonalDataBlock& block,
                                      const PersonaliseTiming& timing = {});
// Reads words 8..39 of the card in the station. False when a word got no good reply (the card
// was taken out); `failed_word` then names it.
bool read_personal_block(StationLink& link, PersonalDataBlock& out, int attempts = 3,
                         int* failed_word = nullptr);

// The registration's read of a type-6/10 card just detected: words 8..39, then the closing
// 0x06. False when the card went away before every word was read (nothing is taken then).
bool take_personal_block(StationLink& link, PersonalDataBlock& out);

// The message a write ends with, in the interface language.
std::string personalise_message(const PersonaliseResult& r, const LanguageTable& lang);

// What a personalised card says about its owner (Windows-1251 texts).
struct CardOwner {
    std::string latin_name;    // "first;surname;" as stored
    std::string russian_name;  // "first;surname;patronymic;" as stored
    std::string country;
    std::string city;
    std::string club;
    std::string surname;     // Russian surname, else the Latin one
    std::string first_name;  // Russian first name, else the Latin one
    int birth_year = 0;      // 0 when the card holds no valid date of birth
    std::int32_t second_card_number = 0;
};

// Checks the block read from a card (hostile input) and takes it apart: each text ends inside
// its field, holds no control characters and no byte Windows-1251 leaves unassigned, the names
// have their separators, and there is a surname. False when the block is not personal data.
bool parse_personal_block(const PersonalDataBlock& block, CardOwner& out);

// "Eng_Name: %s\nRus_Name: %s\nCountry: %s\nCity: %s\nClub: %s\n".
std::string card_owner_message(const CardOwner& owner, const LanguageTable& lang);

// Makes the runner of a registered card: number, "Surname First" as the name, the card's club
// (the first club of that name, else a new one), birth year and card number; no class.
// Returns the runner's slot, or kNoSlot when the runner table or (for a new club) the club
// table is full; `no_room_for_club` tells which.
int register_card_owner(Competition& c, const CardOwner& owner, int start_number,
                        std::int32_t card_number, bool* no_room_for_club = nullptr);

}  // namespace skarvel
