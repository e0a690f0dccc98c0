#include "core/competition_info.h"

#include "core/field_codec.h"

namespace skarvel {

void CompetitionInfo::encode(std::uint8_t* out) const {
    std::copy(raw.begin(), raw.end(), out);
    visit_fields(*this,
                 [out](std::size_t offset, const auto& field) { codec::put(out + offset, field); });
}

void CompetitionInfo::decode(const std::uint8_t* in) {
    std::copy(in, in + kSize, raw.begin());
    visit_fields(*this, [in](std::size_t offset, auto& field) { codec::get(in + offset, field); });
}

void CompetitionInfo::reset_to_new() {
    // A new competition keeps the other settings of the previous one (titles, punching and
    // report options carry over as a template); only these start afresh.
    filter_class_id = filter_club_id = filter_course_id = 0;
    formula_c = 1;
    sound_options[0] = sound_options[1] = 1;
    sound_durations[0] = 2000;
    sound_durations[1] = 2000;
    sound_durations[2] = 3000;
    display_on = 0;
}

}  // namespace skarvel
