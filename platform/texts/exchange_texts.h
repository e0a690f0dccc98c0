// Texts of the exchange subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_EXCHANGE(X) \
    /* end of the exchange texts */
// clang-format on
