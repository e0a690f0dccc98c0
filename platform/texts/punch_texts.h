// Texts of the punch subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_PUNCH(X) \
    X(kStationPortHint, "COM-порт или путь к устройству", "COM port or device path") \
    /* end of the punch texts */
// clang-format on
