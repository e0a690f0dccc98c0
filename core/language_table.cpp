// The language table's pairs and slots, compiled into core so that every layer, core's own
// messages included, names its texts through the one table (core/language.h, core/texts/).
#include "core/cp1251.h"
#include "core/language.h"

namespace skarvel {

using namespace literals;

namespace {
#define SKARVEL_CP(s) s##_cp1251
#define SKARVEL_TEXT_PAIR(id, ru, en) TextPair{SKARVEL_CP(ru), SKARVEL_CP(en)},
constexpr TextPair kPairs[] = {SKARVEL_TEXTS(SKARVEL_TEXT_PAIR)};
#undef SKARVEL_TEXT_PAIR
#undef SKARVEL_CP
static_assert(std::size(kPairs) == static_cast<std::size_t>(Txt::kCount));
}  // namespace

const TextPair& text_pair(Txt id) {
    return kPairs[static_cast<int>(id)];
}

const LanguageTable& russian_language_table() {
    static const LanguageTable table;  // built Russian by its constructor
    return table;
}

void LanguageTable::build(UiLanguage language) {
    language_ = language;
    for (int i = 0; i < kFilledCount; ++i)
        slots_[i] = language == UiLanguage::kEnglish ? kPairs[i].en : kPairs[i].ru;
}

}  // namespace skarvel
