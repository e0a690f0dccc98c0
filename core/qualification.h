#pragma once

#include <string_view>

namespace skarvel {

constexpr int kQualificationCount = 11;

// The 4-character, blank-padded Windows-1251 text of qualification index 0..10; an index out
// of range gives the blank text.
std::string_view qualification_text(int index);

}  // namespace skarvel
