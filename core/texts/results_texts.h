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
    X(kRelayPrintHeader, "Печатать шапку", "Print the header") \
    X(kRelayPrintPoints, "Печатать очки", "Print points") \
    X(kRelayRanks, "Печатать выполнение разрядов", "Print rank fulfilment") \
    X(kRelayCourseSetter, "Печатать нач. дистанции", "Print the course setter") \
    X(kRelayExtendedHtml, "расширенный HTML", "extended HTML") \
    X(kRelayFirstNRange, "Введите целое число от 0 до 255.", "Please enter an integer between 0 and 255.") \
    X(kResultError, "ОШИБКА", "ERROR") \
    X(kBoardTitle, "Табло результатов", "Live results") \
    X(kBoardNoClassMarked, "Нет отмеченных групп. Отметьте группы для табло: таблица групп (F10), клавиша Insert или +.", "No class is marked. Mark the classes for the board: classes table (F10), key Insert or +.") \
    /* The result protocol's dialog. */ \
    X(kResultDlgExportOsv, "Export OSV...", "Export OSV...") \
    X(kResultDlgExportRouteGadget, "Export RouteGadget...", "Export RouteGadget...") \
    X(kResultDlgPrintResult, "Печать результатов", "Print result") \
    X(kResultDlgPrintTo, "Куда печатать", "Print to") \
    X(kResultDlgCurrentPrinter, "Текущий принтер", "Current printer") \
    X(kResultDlgHTMLFile, "HTML-файл", "HTML file") \
    X(kResultDlgPrintFor, "Кого печатать", "Print for") \
    X(kResultDlgAllCategories, "Для всех групп", "All categories") \
    X(kResultDlgMarkedCategoriesOnly, "Только для отмеченных групп", "Marked categories only") \
    X(kResultDlgAllCourses, "Для всех дистанций", "All courses") \
    X(kResultDlgMarkedCoursesOnly, "Только для отмеченных дистанций", "Marked courses only") \
    X(kResultDlgCardContents, "содержимое ЧИПа", "Card contents") \
    X(kResultDlgCorrectPunchesOnly, "только правильные отметки", "correct punches only") \
    X(kResultDlgPrintPlacesInSplits, "печатать места в сплитах", "print places in splits") \
    X(kResultDlgAdditionalHTMLOnly, "Дополнительно (только HTML)", "Additional (HTML only)") \
    X(kResultDlgPoints, "Очки", "Points") \
    X(kResultDlgFormulaPOINTS10, "формула: ОЧКИ*10=", "formula: POINTS*10=") \
    X(kResultDlgFromFile, "из файла", "from file") \
    X(kResultDlgTrun, "*Туч", "*Trun") \
    X(kResultDlgTwin, "*Тпобед", "*Twin") \
    X(kResultDlgPleaseEnterAnIntegerBetween1, "Введите целое число от %1 до %2.", "Please enter an integer between %1 and %2.") \
    X(kResultDlgPrintNonStarters, "Печатать н/стартовавших", "Print non-starters") \
    X(kResultDlgPrintAllFinishPasses, "Печатать все прохождения через финиш", "Print all finish passes") \
    X(kResultDlgCountLaps, "С учетом количества кругов", "Count laps") \
    X(kResultDlgPrintTimeLimit, "Печатать контр. время", "Print time limit") \
    X(kResultDlgPrintComment, "Печатать коментарий", "Print comment") \
    X(kResultDlgPrintCourseSetter, "Печатать нач. дистанции", "Print course setter") \
    X(kResultDlgTimeBehindTheLeader, "Отставание от лидера", "Time behind the leader") \
    X(kResultDlgPrintASecondLineOfSplits, "Печатать 2-ю строку в сплитах", "Print a second line of splits") \
    X(kResultDlgControlStatistics, "Статистика по КП", "Control statistics") \
    X(kResultDlgExtractsByTeam, "Выписки по командам", "Extracts by team") \
    X(kResultDlgMarkedRoutePenaltyByControl, "Маркировка: штраф по КП", "Marked route: penalty by control") \
    X(kResultDlgNoPointsForIndividuals, "Лично-очки не давать", "No points for individuals") \
    X(kResultDlgTwinMeanOf6Places, "Тпоб=Тср 6ти мест", "Twin = mean of 6 places") \
    X(kNothingToPrintResults, "Печать результатов отменена:\nНет ни одного участника, группы или дистанции\nс заданными свойствами!", "Printing of the results cancelled:\nno runner, category or course\nhas the chosen properties!") \
    X(kHtmlFileFilter, "HTML-файл(*.htm) |*.htm||", "HTML file(*.htm) |*.htm||") \
    X(kHtmlFilesFilter, "HTML-Файлы(*.htm) |*.htm||", "HTML files(*.htm) |*.htm||") \
    X(kPlainTxtFilter, "файл(*.txt) |*.txt||", "file(*.txt) |*.txt||") \
    X(kPointsTableFilter, "таблица очков(*.txt)|*.txt||", "points table(*.txt)|*.txt||") \
    /* end of the results texts */
// clang-format on
