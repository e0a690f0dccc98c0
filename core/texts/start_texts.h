// Texts of the start subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_START(X) \
    /* Pre-race printouts. */ \
    X(kExtractTitle, "Печать выписок", "Print of extracts") \
    X(kWhomToPrint, "Кого печатать", "Whom to print") \
    X(kExtractCurrentRunners, "Текущих участников", "The current runners") \
    X(kForAllClubs, "Для всех коллективов", "For all clubs/teams") \
    X(kForMarkedClubs, "Только для отмеченных коллективов", "Only for selected clubs/teams") \
    X(kOnlyMarkedRunners, "Только отмеченных участников", "Only the selected runners") \
    X(kAddition, "Дополнительно", "Addition") \
    X(kPrintCardNumbers, "Печатать номера VP-карт", "Print VP-card numbers") \
    X(kPrintFee, "Печатать стартовый взнос", "Print the entry fee") \
    X(kRepresentativeSignature, "Подпись представителя команды", "Signature of the team representative") \
    X(kTextAfterExtract, "Текст после выписки", "Text after the extract") \
    X(kRelayDotNumber, "Эстафетный номер 1234->234.1", "Relay number 1234->234.1") \
    X(kMandateTitle, "Справка мандатной комиссии", "The information of credentials committee") \
    X(kMandateOnlyMarked, "Учитывать только отмеченных спортсменов", "Count only the selected runners") \
    X(kGridTitle, "Шахматка", "'Chess' list") \
    X(kGridNote, "Для печати справки скопируйте данные в буфер и перенесите их, например, в Word", "For print of the information copy the data in the buffer and transfer them, for example, in Word") \
    X(kCardsCurrentRunners, "Текущих спортсменов", "The current runners") \
    X(kCardsBoxCount, "Количество клеток", "Number of cells") \
    X(kCardsFromCourse, "Из параметров дистанции", "From parameters of a courses") \
    X(kCardsOtherCount, "Другое (+2 резерва)", "Another (+2 reserves)") \
    X(kCardsInBox, "Печатать в клетке", "To print in a cell") \
    X(kCardsBoxNumber, "Номер п/п", "1, 2, 3...") \
    X(kCardsBoxCode, "обозначение КП (31, 32...)", "Control codes (31, 32..)") \
    X(kCardsBoxBoth, "Номер+обозначение КП", "1(31), 2(32)...") \
    X(kCardsClubPerSheet, "Каждый коллектив - с нового листа", "Each club - from a new sheet") \
    /* The bib dialog: its texts are the same in both languages. */ \
    X(kBibTitle, "Печать номера", "Печать номера") \
    X(kBibStartTime, "Стартовое время", "Стартовое время") \
    X(kBibOneDay, "Однодневные", "Однодневные") \
    X(kBibMultiDay, "Многодневные", "Многодневные") \
    X(kBibNoTime, "Не печатать", "Не печатать") \
    X(kBibDay1, "1 день", "1 день") \
    X(kBibDay2, "2 день", "2 день") \
    X(kBibDay3, "3 день", "3 день") \
    X(kBibTwoPerSheet, "2 номера в листе", "2 номера в листе") \
    X(kBibLegForm, "1234->234.1", "1234->234.1") \
    X(kBibClub, "коллектив", "коллектив") \
    X(kBibCard, "VP-чип", "VP-чип") \
    X(kBibClass, "Группа", "Группа") \
    X(kBibAddition, "Дополнительно", "Дополнительно") \
    X(kRelayStartSaveTitle, "старт эстафеты", "relay start") \
    X(kFinishLinesFollowNumbers, "Строк финиша с номерами, которые сменят владельца: %d.\nОни перейдут к участникам с новыми номерами. Продолжать?", "Finish lines with numbers that change hands: %d.\nThey will follow the runners' new numbers. Continue?") \
    /* Numbering, start times, draw, heats, marked runners, start list. */ \
    X(kStartDlgPerTime, "по сколько чел", "runners per time") \
    X(kStartDlgAllClasses, "Все группы", "All classes") \
    X(kStartDlgMarkedClasses, "Только отмеченные группы", "Only the marked classes") \
    X(kStartDlgAllCourses, "Все дистанции", "All courses") \
    X(kStartDlgMarkedCourses, "Только отмеченные дистанции", "Only the marked courses") \
    X(kStartDlgForAllClasses, "Для всех групп", "For all classes") \
    X(kStartDlgForMarkedClasses, "Только для отмеченных групп", "Only for the selected classes") \
    X(kStartDlgForAllCourses, "Для всех дистанций", "For all courses") \
    X(kStartDlgForMarkedCourses, "Только для отмеченных дистанций", "Only for the selected courses") \
    X(kStartDlgExtendedHtml, "Расширенный HTML", "Extended HTML") \
    X(kStartDlgRelayTitle, "Печать протокола старта", "Print start list") \
    X(kStartDlgRelayFirstLegTimes, "время старта 1 этапу", "start time to the first leg") \
    X(kStartDlgSettingNumber, "Присвоение номера", "Setting number") \
    X(kStartDlgFromNumber, "Начать с", "From number") \
    X(kStartDlgNumberStep, "Шаг номеров", "Number step") \
    X(kStartDlgSettingStartingTime, "Присвоение времени", "Setting starting time") \
    X(kStartDlgFromTime, "Начать с", "From time") \
    X(kStartDlgTimeStep, "Шаг времён", "Time step") \
    X(kStartDlgWhomToMixing, "Кого жеребить", "Whom to mixing") \
    X(kStartDlgHowToMixing, "Как жеребить", "How to mixing") \
    X(kStartDlgWithClub, "С учетом коллективов", "With club") \
    X(kStartDlgWithRound, "С учетом забега/этапа", "With round") \
    X(kStartDlgChangeStartTime, "Изменить время старта текущих на", "Change start time") \
    X(kStartDlgIncrease, "Добавить", "Increase") \
    X(kStartDlgDecrease, "Отнять", "Decrease") \
    X(kStartDlgFromNumber2, "С какого номера", "From number") \
    X(kStartDlgToNumber, "По какой номер", "To number") \
    X(kStartDlgRound, "Какой этап", "Round") \
    X(kStartDlgChangeNumber, "Изменить номер", "Change number") \
    X(kStartDlgNowIs, "Какой был", "Now is") \
    X(kStartDlgWillBe, "Какой будет", "Will be") \
    X(kStartDlgNotInDatabase, "-- нет в базе данных --", "--not in database--") \
    X(kStartDlgNotChange, "--не менять--", "--not change--") \
    X(kStartDlgClearSelect, "Сбросить отметку", "Clear select") \
    X(kStartDlgSetCategories, "Присвоить группу", "Set categories") \
    X(kStartDlgSetClub, "Присвоить коллектив", "Set club") \
    X(kStartDlgSetRound0NotChange, "Присвоить забег, 0-не менять", "Set round, 0-not change") \
    X(kStartDlgPrintStartList, "Печать протоколов старта", "Print start list") \
    X(kStartDlgWhereToPrint, "Куда печатать", "Where to print") \
    X(kStartDlgTheCurrentPrinter, "Текущий принтер", "The current printer") \
    X(kStartDlgHTMLFile, "HTML-файл", "HTML-file") \
    X(kStartDlgEachClassesFromANewSheet, "Каждую группу/дистанцию - с нового листа", "Each classes - from a new sheet") \
    X(kStartChangeCaption, "Изменение старта", "Start time change") \
    X(kTruncateSecondsQuestion, "Отбросить секунды и сотые в стартовом времени\nу текущих спортсменов ?", "Drop the seconds and hundredths of the start times\nof the current runners?") \
    X(kCopyResultToStartQuestion, "Вы уверены, что копировать результат в старт?", "Copy the results to the start times, are you sure?") \
    X(kNumbersOutOfRange, "Номера должны быть в пределах 1..29999:\nномер последнего был бы %ld.\nНомера не присвоены.", "Numbers must lie within 1..29999:\nthe last one would be %ld.\nNo numbers were set.") \
    X(kClubsApartFailed, "Не удалось расставить по командам!", "The runners of a club could not be kept apart!") \
    X(kNumberOutOfRange, "Номер должен быть от 0 до 29999!", "The number must lie between 0 and 29999!") \
    X(kCheckDoubleNumbersQuestion, "Проверить базу данных на парные номера\n(без учета нулевых номеров)?", "Check the database for double start numbers\n(numbers 0 aside)?") \
    X(kCheckCaption, "Проверка", "Check") \
    X(kErrorCaption, "Ошибка", "Error") \
    X(kNoDoubleNumbers, "Ошибок (парных номеров) нет", "No errors (no double numbers)") \
    X(kShowDoubleNumbersQuestion, "Есть парные номера, показать их список?", "There are double numbers; show their list?") \
    X(kCardToNumberQuestion, "Копировать текущим № ЧИПа в № участника с 'урезанием' до 4-х цифр", "Copy the VP-card number of the current runners to their start number, cut to 4 digits") \
    X(kCutToThreeDigitsQuestion, "А может № участника 'урезать' до 3-х цифр", "Cut the start numbers to 3 digits instead?") \
    X(kNothingToPrintExtracts, "Печать отменена:\nНет ни одного участника или коллектива\nс заданными свойствами!", "Printing cancelled:\nno runner or team/club\nhas the chosen properties!") \
    X(kNothingToPrintStartList, "Печать отменена:\nНет ни одного участника, группы или дистанции\nс заданными свойствами!", "Printing cancelled:\nno runner, category or course\nhas the chosen properties!") \
    X(kPrinterFailed, "Печать не завершена: принтер сообщил об ошибке", "Printing not finished: the printer reported an error") \
    /* end of the start texts */
// clang-format on
