// Texts of the start subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_START(X) \
    /* end of the start texts */
// clang-format on
