// Texts of the record editors, the list view and the shell's own dialogs for the language table:
// X(kName, "Русский", "English") per line, each line ending in a backslash. Read them with
// `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_EDITORS(X) \
    /* Runner, club, class, course and card editors. */ \
    X(kEdRank, "Разряд", "Rank") \
    X(kEdYearOfBirth, "Год рождения", "Year of birth") \
    X(kEdHeatLeg, "Забег/Этап", "Heat/Leg") \
    X(kEdNumber, "Номер", "Number") \
    X(kEdStart, "Старт", "Start") \
    X(kEdVPCard, "VP-ЧИП", "VP-card") \
    X(kEdComment, "Примечание", "Comment") \
    X(kEdReducedFee, "Льгота", "Reduced fee") \
    X(kEdOwnCard, "Свой ЧИП", "Own card") \
    X(kEdOC, "в/к", "o/c") \
    X(kEdIndividual, "Лично", "Individual") \
    X(kEdName, "Наименование", "Name") \
    X(kEdRepresentative, "Представитель", "Representative") \
    X(kEdAwardingOfRanks, "Присвоение разрядов", "Awarding of ranks") \
    X(kEdRanksMayBeAwarded, "можно присваивать разряды", "ranks may be awarded") \
    X(kEdMS, "МС", "MS") \
    X(kEdCMS, "КМС", "CMS") \
    X(kEdReduced, "Льготный", "Reduced") \
    X(kEdNormal, "Обычный", "Normal") \
    X(kEdEntryFeeRentedCard, "Стартовый взнос: аренда ЧИПа", "Entry fee: rented card") \
    X(kEdEntryFeeOwnCard, "Стартовый взнос: свой ЧИП", "Entry fee: own card") \
    X(kEdShortName, "Краткое название", "Short name") \
    X(kEdControls, "КП", "Controls") \
    X(kEdLengthMetres, "Длина, метров", "Length, metres") \
    X(kEdClimb, "Набор высоты", "Climb") \
    X(kEdStartCorridor, "Стартовый коридор", "Start corridor") \
    X(kEdCourseSetter, "Нач. дистанции", "Course setter") \
    X(kEdControlOrderNewLineCtrlEnter, "Порядок прохождения (переход на новую строку - Ctrl-Enter)", "Control order (new line - Ctrl-Enter)") \
    X(kEdEditingOfTheVPCardInformation, "Редактирование информации из чипа", "Editing of the VP-card information") \
    X(kEdServiceInformation, "Служебная информация", "Service information") \
    X(kEdCardNumber, "Номер чипа", "Card number") \
    X(kEdStartNumber, "Номер стартовый", "Start number") \
    X(kEdStartTime, "Время старта", "Start time") \
    X(kEdFinishTime, "Время финиша", "Finish time") \
    X(kEdPunches, "Отметок КП", "Punches") \
    X(kEdStationsMayNotWriteTheStart, "Стартовый номер, время старта и финиша могут не записываться станциями", "Stations may not write the start number, start and finish times") \
    X(kEdPunchesInCard, "Отметки в чипе.", "Punches in card.") \
    X(kEdNewLineWhileTypingNCtrlEnter, "Переход на новую\nстроку при вводе - Ctrl-Enter\nОбразец ввода: 31;12:25:31", "New line while typing -\nCtrl-Enter\nExample: 31;12:25:31") \
    /* Competition information. */ \
    X(kEdAboutCompetitions, "Информация о соревнованиях", "About competitions") \
    X(kEdTitle, "Заголовок", "Title") \
    X(kEdDate, "Дата проведения", "Date") \
    X(kEdPlace, "Место проведения", "Place") \
    X(kEdChiefJudge, "Главный судья", "Chief judge") \
    X(kEdChiefSecretary, "Главный секретарь", "Chief secretary") \
    X(kEdKindOfCompetition, "Вид соревнований", "Kind of competition") \
    X(kEdRelay, "Эстафетные", "Relay") \
    X(kEdCourseSetterN, "Начальник дистанции", "Course setter ") \
    X(kEdKindCourseOrder, "Заданное направление", "Course order") \
    X(kEdKindMarkedLaps, "Маркированная трасса-круги", "Marked route - laps") \
    X(kEdKindMarkedMinutes, "Маркированная трасса-минуты", "Marked route - minutes") \
    X(kEdKindHandicap, "Задержанный старт (гандикап)", "Delayed start (handicap)") \
    X(kEdPrecision1, "1 сек", "1 sec") \
    X(kEdPrecision01, "0,1 сек", "0.1 sec") \
    X(kEdPrecision001, "0,01 сек", "0.01 sec") \
    /* Disqualification and restoring. */ \
    X(kEdStatusRestored, "Восстановлен", "Restored") \
    X(kEdStatusWrongPunch, "Снят непр.отметка", "Disq. wrong punch") \
    X(kEdStatusOverTime, "Снят контр.время", "Disq. over time") \
    X(kEdStatusDidNotFinish, "Сошел", "Did not finish") \
    X(kEdStatusDidNotStart, "Не стартовал", "Did not start") \
    X(kEdTextInTheProtocol, "Текст в протоколе", "Text in the protocol") \
    X(kEdOKNext, "OK/Следующий", "OK/Next") \
    X(kEdRestoreAll, "Восстановить всех", "Restore all") \
    X(kEdFinishBreak, "Завершить/Прервать", "Finish/Break") \
    /* Quick runner entry and the editors' sound buttons. */ \
    X(kEdNo, "№", "No.") \
    X(kEdSound, "Звук", "Sound") \
    /* The list view's column headers. */ \
    X(kColRow, "№п/п", "Row") \
    X(kColQual, "Квал", "Rank") \
    X(kColBirth, "ГР", "YB") \
    X(kColNotes, "Примечания", "Notes") \
    X(kColTotal, "В базе", "Total") \
    X(kColMarked, "Отмеч.", "Marked") \
    X(kColFinished, "Финиш.", "Finished") \
    X(kColRentedReduced, "Ар-Льг", "R-Red") \
    X(kColRentedNormal, "Ар-Нор", "R-Nor") \
    X(kColOwnReduced, "Св-Льг", "O-Red") \
    X(kColOwnNormal, "Св-Нор", "O-Nor") \
    X(kColCourse, "Дист.", "Course") \
    X(kColControls, "КП", "Ctrls") \
    X(kColLength, "Длина", "Length") \
    X(kColClimb, "Набор", "Climb") \
    X(kColCourseName, "Название", "Name") \
    X(kColCalled, "Объявл", "Called") \
    X(kColFinish, "Финиш", "Finish") \
    X(kColResult, "Результат", "Result") \
    X(kColPlace, "Место/из", "Place/of") \
    X(kColBehind, "Отставан", "Behind") \
    X(kColCard, "№чипа", "Card") \
    X(kColBib, "Ст.№", "Bib") \
    X(kColPunches, "Отметок", "Punches") \
    /* Words in the list view's cells. */ \
    X(kCellOutOfCompetition, "в/к", "o/c") \
    X(kCellIndividual, "лично", "indiv.") \
    X(kCellReducedFee, "льгота", "reduced") \
    X(kCellDidNotFinish, "СОШЕЛ", "DNF") \
    X(kCellDidNotStart, "НЕ СТАРТ", "DNS") \
    X(kCellDisqualified, "СНЯТ", "DSQ") \
    X(kCellOc, "вк", "oc") \
    /* Marking questions of the list view. */ \
    X(kMarkAllRunners, "Отметить ВСЕХ текущих участников?", "Mark ALL the current runners?") \
    X(kUnmarkAllRunners, "Снять отметку у ВСЕХ текущих участников?", "Unmark ALL the current runners?") \
    X(kInvertAllRunners, "Инвертировать отметку у ВСЕХ текущих участников?", "Invert the mark of ALL the current runners?") \
    X(kMarkAllClubs, "Отметить ВСЕ коллективы?", "Mark ALL teams/clubs?") \
    X(kUnmarkAllClubs, "Снять отметку у ВСЕХ коллективов?", "Unmark ALL teams/clubs?") \
    X(kInvertAllClubs, "Инвертировать отметку у ВСЕХ коллективов?", "Invert the mark of ALL teams/clubs?") \
    X(kMarkAllClasses, "Отметить ВСЕ группы?", "Mark ALL categories?") \
    X(kUnmarkAllClasses, "Снять отметку у ВСЕХ групп?", "Unmark ALL categories?") \
    X(kInvertAllClasses, "Инвертировать отметку у ВСЕХ групп?", "Invert the mark of ALL categories?") \
    X(kMarkAllCourses, "Отметить ВСЕ дистанции?", "Mark ALL courses?") \
    X(kUnmarkAllCourses, "Снять отметку у ВСЕХ дистанций?", "Unmark ALL courses?") \
    X(kInvertAllCourses, "Инвертировать отметку у ВСЕХ дистанций?", "Invert the mark of ALL courses?") \
    X(kMarkAllCalled, "Отметить ВСЕХ участников, как объявленных?", "Mark ALL runners as called?") \
    X(kUnmarkAllCalled, "Снять отметку об объявлении у ВСЕХ участников?", "Clear the called mark of ALL runners?") \
    /* end of the editor texts */
// clang-format on
