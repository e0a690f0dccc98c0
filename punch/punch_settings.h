// The punching settings of a competition ("Настройка электронной отметки"): how cards are read,
// checked and turned into finish lines. Every field is kept in the competition header and saved
// with the file; PunchSettings is the plain copy that the reader, the dialog and the tests use.
#pragma once

#include <cstdint>

#include "core/competition_info.h"

namespace skarvel {

// Values of `check_mode`.
enum CheckMode : std::uint8_t {
    kCheckNone = 0,          // "не проверять"
    kCheckCourse = 1,        // "Из параметров дистанции"
    kCheckNumberCourse = 2,  // "дистанция=№ участника"
    kCheckUniqueCount = 3,   // "Выбор: кол-во уник.КП из параметров"
    kCheckThread = 4,        // "Ориентатлон, нитка"
    kCheckCarousel = 5,      // "Карусель"
    kCheckNumberThread = 6,  // accepted from a stored competition only
};

// The check a stored mode asks for: a value outside 0..6 (from an imported or converted file)
// means no check, never a check that fails every card.
constexpr int effective_check_mode(int stored) {
    return stored >= kCheckNone && stored <= kCheckNumberThread ? stored : kCheckNone;
}

// Values of `start_source` and `finish_source`.
enum TimeSource : std::uint8_t {
    kSourceDatabase = 0,  // start: "Из базы данных"; finish: "Из протокола финиша"
    kSourceStation = 1,  // "Из стартовой станции" / "Из финишной станции"
    kSourcePunch = 2,  // "Первая отметка" / "Последняя отметка"
};

struct PunchSettings {
    std::int32_t competition_start = 0;  // time of day, reference of the 12-hour roll-over
    std::uint8_t port_index = 0;         // COM number - 1
    std::uint8_t fast_station = 0;       // "BSM7": 38400 baud, else 4800
    std::uint8_t multi_day = 0;          // 24-hour roll-over of punches
    std::uint8_t append_on_reread = 0;
    std::uint8_t station_type = 0;  // 0 "BS7-8", 1 "BS7-S", 2 "BS-7-2"
    std::uint8_t warnings = 0;
    std::uint8_t limit_disqualify = 0;
    std::uint8_t check_mode = 0;
    std::int32_t penalty_per_miss = 0;  // minutes per missing control
    std::uint8_t start_source = 0;
    std::uint8_t finish_source = 0;
    std::uint8_t print_on_read = 0;
    std::uint8_t second_copy_on_bad = 0;
    std::uint8_t print_speed = 0;
    std::uint8_t new_split_layout = 0;
    std::uint8_t split_left_offset_cm = 0;
    std::int32_t split_scale = 0;  // 0 "100%", 1 "85%", 2 "70%"
    std::uint8_t ask_owner_number = 0;
    std::uint8_t labyrinth_mode = 0;

    int baud_rate() const { return fast_station ? 38400 : 4800; }

    bool operator==(const PunchSettings&) const = default;
};

PunchSettings punch_settings_from(const CompetitionInfo& info);
void store_punch_settings(CompetitionInfo& info, const PunchSettings& s);

}  // namespace skarvel
