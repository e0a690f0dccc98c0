// Texts of the punch subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_PUNCH(X) \
    X(kStationPortHint, "COM-порт или путь к устройству", "COM port or device path") \
    X(kCardsReadDuringChange, "Во время смены соревнования прочитано карт: %d. Внести их в открытое соревнование?", "Cards read while the competition was being changed: %d. Enter them into the competition now open?") \
    X(kJournalRecovered, "Из журнала восстановлено после сбоя: карт %d, строк финиша %d. Сохраните соревнование.", "Recovered from the journal after a failure: %d cards, %d finish lines. Save the competition.") \
    X(kStartProvedByCard, "Финиш на ЧИПе: статус \"Не стартовал\" снят", "The card has a finish: status \"did not start\" cleared") \
    /* end of the punch texts */
// clang-format on
