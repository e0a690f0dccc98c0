// Texts of the results subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_RESULTS(X) \
    /* Multi-day results. */ \
    X(kMultiDayTitle, "Результаты многодневки", "Multi-day results") \
    X(kMultiDayHandicap, "Экспортировать стартовый гандикапа", "Export the handicap start list") \
    X(kDayChoiceTitle, "Читать файл многодневки", "Read a multi-day file") \
    X(kDayChoiceRead, "Читать", "Read") \
    X(kDayN, "%1 день", "Day %1") \
    /* The relay result protocol's dialog. */ \
    X(kRelayPrintTitle, "Печать протоколов результатов эстафеты", "Print relay results") \
    X(kRelaySplits, "содержимое ЧИПа", "VP-card contents") \
    X(kRelaySplitsNone, "не печатать", "do not print") \
    X(kRelaySplitsCorrect, "только правильные отметки", "only correct punches") \
    X(kRelaySplitsAll, "все отметки", "all punches") \
    X(kRelayControlCodes, "печатать номера КП", "print control codes") \
    X(kRelayVariant, "Печатать вариант", "Print the variant") \
    X(kRelayAllClasses, "Для всех групп", "For all classes") \
    X(kRelayMarkedClasses, "Только для отмеченных групп", "Only for the selected classes") \
    X(kRelayFirstN, "Печатать только первых (0 - всех)", "Print only the first (0 - all)") \
    X(kRelayRanks, "Печатать выполнение разрядов", "Print rank fulfilment") \
    X(kRelayCourseSetter, "Печатать нач. дистанции", "Print the course setter") \
    X(kRelayExtendedHtml, "расширенный HTML", "extended HTML") \
    X(kRelayFirstNRange, "Введите целое число от 0 до 255.", "Please enter an integer between 0 and 255.") \
    X(kResultError, "ОШИБКА", "ERROR") \
    X(kBoardTitle, "Табло результатов", "Live results") \
    X(kBoardNoClassMarked, "Нет отмеченных групп. Отметьте группы для табло: таблица групп (F10), клавиша Insert или +.", "No class is marked. Mark the classes for the board: classes table (F10), key Insert or +.") \
    /* end of the results texts */
// clang-format on
