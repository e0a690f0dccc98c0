// The punch check: a runner's card readout against the runner's course, by the check mode of
// the punching settings. Shared by the card reader, the re-check command and the rebuild of
// the finish list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"
#include "core/prompts.h"
#include "punch/punch_settings.h"

namespace skarvel {

// Modes 1, 2 and 5: 1 when the course was run, else 0. Mode 3: 1, or the penalty for the
// missing different controls. Modes 4 and 6: the number of missing controls. Mode 0: 0.
// Mode 5 also renames the runner and sets status (and class, in labyrinth mode).
int check_punches(Competition& c, Runner& runner, const CardReadout& card,
                  const PunchSettings& settings, Prompts& prompts);

// The controls of a course: up to the first 0, at most 64.
std::vector<std::uint8_t> course_controls(const Course& course);
// The course of a runner's class; messages for a missing class or course. Null when missing.
Course* class_course(Competition& c, const Runner& runner, Prompts& prompts);
// The last course (up to the first empty slot) whose name read as a number is `number`.
Course* course_by_number(Competition& c, int number);
// All controls found in the punches in order (a repeated control needs a repeated punch).
bool controls_in_order(const std::vector<std::uint8_t>& controls, const CardReadout& card);

// True when a course has a time limit (time_limit_min above 0; 0 means none) and the result
// is over it.
bool over_course_time_limit(const Course* course, std::int32_t result);

}  // namespace skarvel
