#include "core/qualification.h"

#include "core/cp1251.h"

namespace skarvel {

using namespace literals;

namespace {
constexpr auto kTexts = std::to_array<std::string_view>(
    {"    "_cp1251, "Iю  "_cp1251, "IIю "_cp1251, "IIIю"_cp1251, "I   "_cp1251, "II  "_cp1251,
     "III "_cp1251, "КМС "_cp1251, "МС  "_cp1251, "МСМК"_cp1251, "ЗМС "_cp1251});
}

std::string_view qualification_text(int index) {
    if (index < 0 || index >= kQualificationCount) return kTexts[0];
    return kTexts[index];
}

}  // namespace skarvel
