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
    X(kColFamily, "Тип", "Type") \
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
    X(kEdFeeRentalReduced, "Аренда ЧИПа: льготный", "Rented card: reduced") \
    X(kEdFeeRentalNormal, "Аренда ЧИПа: обычный", "Rented card: normal") \
    X(kEdFeeOwnReduced, "Свой ЧИП: льготный", "Own card: reduced") \
    X(kEdFeeOwnNormal, "Свой ЧИП: обычный", "Own card: normal") \
    X(kEdControlOrder, "Порядок прохождения", "Control order") \
    X(kEdRangeMessage, "%s: введите целое число от %s до %s.", "%s: enter an integer between %s and %s.") \
    X(kEdLengthMessage, "%s: введите не более %s символов.", "%s: enter no more than %s characters.") \
    X(kEdTimeFieldsRange, "%s: минуты и секунды - от 0 до 59.", "%s: minutes and seconds are 0..59.") \
    X(kEdControlValueRange, "%s, строка %s: код КП должен быть от 0 до 255, число после ; от 0 до 65535.", "%s, line %s: the control code must be 0..255 and the value 0..65535.") \
    X(kEdControlCodeRange, "%s, строка %s: код КП должен быть от 0 до 255.", "%s, line %s: the control code must be 0..255.") \
    X(kRunnersTableFull, "Таблица участников заполнена: новую запись создать нельзя", "The runners table is full: no new record can be created") \
    X(kClubsTableFull, "Таблица коллективов заполнена: новую запись создать нельзя", "The clubs table is full: no new record can be created") \
    X(kClassesTableFull, "Таблица групп заполнена: новую запись создать нельзя", "The categories table is full: no new record can be created") \
    X(kCoursesTableFull, "Таблица дистанций заполнена: новую запись создать нельзя", "The courses table is full: no new record can be created") \
    X(kFinishTableFullNoLine, "Таблица финиша заполнена: новую строку создать нельзя", "The finish table is full: no new line can be created") \
    X(kCardsTableFull, "Таблица ЧИПов заполнена: новую запись создать нельзя", "The card table is full: no new record can be created") \
    X(kClubInUse, "Коллектив используется, в нём есть участники !", "The club is in use: it has runners !") \
    X(kClassInUse, "Группа используется, в ней есть участники !", "The category is in use: it has runners !") \
    X(kCourseInUse, "Дистанция используется, есть группы, использующие её.", "The course is in use: categories use it.") \
    X(kDeleteFinishLineQuestion, "Удалить строку финиша?", "Delete the finish line?") \
    X(kFinishLineBusy, "Занято!", "Busy!") \
    X(kNumberTooBig, "Введенный номер превышает максимально допустимый!", "The number entered exceeds the maximum allowed!") \
    X(kFinishTimeHours, "Время финиша: часы", "Finish time: hours") \
    X(kFinishTimeMinutes, "Время финиша: минуты", "Finish time: minutes") \
    X(kFinishTimeSeconds, "Время финиша: секунды", "Finish time: seconds") \
    X(kFinishTimeHundredths, "Время финиша: сотые", "Finish time: hundredths") \
    X(kUnmarkQuestion, "Снять отметку?", "Unmark?") \
    X(kJoinClubsQuestion, "Объединить отмеченные коллективы и удалить не используемые?", "Join the marked clubs and delete the unused ones?") \
    X(kNoClubMarked, "Нет ни одного отметенного коллектива!", "No club is marked!") \
    X(kJoinClassesQuestion, "Объединить отмеченные группы и удалить не используемые?", "Join the marked categories and delete the unused ones?") \
    X(kNoClassMarked, "Нет ни одной отметенной группы!", "No category is marked!") \
    X(kCheckDoubleCardsQuestion, "Проверить базу данных на парные VP-номера?", "Check the database for double VP-card numbers?") \
    X(kNoRunnersWithCards, "Участников с VP-картами нет!", "There are no runners with VP-cards!") \
    X(kOneRunnerWithCard, "Есть всего 1 участник с VP-картами!", "Only 1 runner has a VP-card!") \
    X(kNoDoubleCards, "Ошибок (парных VP-номеров) нет", "No errors (double VP-card numbers)") \
    X(kClearCardsQuestion, "Будет удалено содержимое ЧИПов, номера ЧИПов в базе и т.п., продолжать?", "The card readouts and the card numbers of the runners will be deleted; continue?") \
    /* end of the editor texts */
// clang-format on
