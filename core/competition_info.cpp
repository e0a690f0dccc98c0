#include "core/competition_info.h"

#include "core/cp1251.h"
#include "core/field_codec.h"
#include "core/records.h"

namespace skarvel {

using namespace literals;

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
    for (int st = 0; st < kStatusCount; ++st) {
        if (field_text(status_short_texts[st]).empty())
            set_field_text(status_short_texts[st], standard_status_short_text(st));
        if (field_text(status_names[st]).empty())
            set_field_text(status_names[st], standard_status_name(st));
    }
}

namespace {

constexpr std::string_view kStandardShort[kStatusCount] = {
    ""_cp1251,     "снят"_cp1251, "снят"_cp1251,  "снят"_cp1251,    "снят"_cp1251,
    "снят"_cp1251, "снят"_cp1251, "сошел"_cp1251, "не старт"_cp1251};
constexpr std::string_view kStandardName[kStatusCount] = {
    "норма"_cp1251,     "непр.отм."_cp1251, "контр.вр."_cp1251,
    "причина 3"_cp1251, "причина 4"_cp1251, "причина 5"_cp1251,
    "причина 6"_cp1251, "сошел"_cp1251,     "не стартов"_cp1251};

bool known(int status) {
    return status >= 0 && status < kStatusCount;
}

}  // namespace

std::string_view standard_status_short_text(int status) {
    return known(status) ? kStandardShort[status] : std::string_view();
}

std::string_view standard_status_name(int status) {
    return known(status) ? kStandardName[status] : std::string_view();
}

std::string_view status_short_text(const CompetitionInfo& info, int status) {
    if (!known(status)) return {};
    std::string_view own = field_text(info.status_short_texts[status]);
    return own.empty() ? kStandardShort[status] : own;
}

std::string_view status_name(const CompetitionInfo& info, int status) {
    if (!known(status)) return {};
    std::string_view own = field_text(info.status_names[status]);
    return own.empty() ? kStandardName[status] : own;
}

}  // namespace skarvel
