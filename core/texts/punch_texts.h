// Texts of the punch subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_PUNCH(X) \
    X(kFinishLinesRefused, "Пропущено строк с номером вне -32768..32767: %d", "Lines skipped, their number is outside -32768..32767: %d") \
    X(kStationPortHint, "COM-порт или путь к устройству", "COM port or device path") \
    X(kCardsReadDuringChange, "Во время смены соревнования прочитано карт: %d. Внести их в открытое соревнование?", "Cards read while the competition was being changed: %d. Enter them into the competition now open?") \
    X(kJournalRecovered, "Из журнала восстановлено после сбоя: карт %d, строк финиша %d. Сохраните соревнование.", "Recovered from the journal after a failure: %d cards, %d finish lines. Save the competition.") \
    X(kJournalCannotWrite, "Журнал карт не записывается на диск. Карты не снимаются со станции (участник ждёт у станции), пока на диске не будет места.", "The card journal cannot be written to the disk. Cards are not taken from the station (the runner waits at the station) until there is room on the disk.") \
    X(kJournalPane, "ЖУРНАЛ КАРТ НЕ ПИШЕТСЯ: карты не снимаются", "CARD JOURNAL NOT WRITTEN: cards are not taken") \
    X(kJournalWritesAgain, "Журнал карт снова записывается на диск.", "The card journal is written to the disk again.") \
    X(kStartProvedByCard, "Финиш на ЧИПе: статус \"Не стартовал\" снят", "The card has a finish: status \"did not start\" cleared") \
    /* Messages of the card readout. */ \
    X(kNoMemoryForCards, "Нет памяти для создания чипов", "No room for another card readout") \
    X(kNoMemoryForRecord, "Нет памяти для создания записи", "No room for another runner") \
    X(kCardReadBefore, "Такой ЧИП уже был!", "This card has been read before!") \
    X(kOwnerNotFound, "Владелец не найден!", "No runner has this card!") \
    X(kOverTimeLimit, "Снимаю за превышение контрольного времени!", "Disqualified: over the time limit!") \
    X(kNoMemoryForFinish, "Нет памяти для создания финиша", "No room for another finish line") \
    X(kCheckNotDone, "отметка не проверялась\r\n", "punches not checked\r\n") \
    X(kCheckedByCourse, "Проверила отметку (по дистанции)!\r\n", "Punches checked (against the course)!\r\n") \
    X(kCheckedByNumber, "Проверила отметку (по номеру)!\r\n", "Punches checked (by start number)!\r\n") \
    X(kCheckedCount, "Проверила количество отметок!\r\n", "Number of punches checked!\r\n") \
    X(kPunchOk, "Отметка - ОК\r\n", "Punches - OK\r\n") \
    X(kPunchBad, "Отметка - Плохая, снимаю", "Punches - bad, disqualified") \
    /* The status bar after each card read. */ \
    X(kCardStatusCard, "ЧИП", "Card") \
    X(kCardStatusResult, "результат", "result") \
    X(kCardStatusNoFinishLine, "строка финиша не создана", "no finish line") \
    X(kCardStatusNoOwner, "владелец не найден", "no runner has this card") \
    X(kCardStatusFinishFromList, "время финиша берётся из протокола финиша (Параметры Vespunt...)", "the finish time is taken from the finish list (Vespunt settings)") \
    X(kCardStatusFinishFull, "таблица финиша заполнена", "the finish table is full") \
    X(kCardStatusNotStored, "таблица ЧИПов заполнена, ЧИП не сохранён", "the card table is full, the card was not stored") \
    X(kCardStatusNoFinishTime, "на ЧИПе нет времени финиша", "the card holds no finish time") \
    X(kCardStatusReread, "прочитан повторно", "read again") \
    /* The card families and the stations' protocols. */ \
    X(kCardStatusFamily, "тип", "type") \
    X(kCardFamilyActive, "активный", "active") \
    X(kCardPunchesStored, "ЧИП %d: отметок %d, сохранено 64", "Card %d: %d punches, 64 stored") \
    X(kCardCodeShortened, "код КП %d больше 255, сохранён как %d", "control code %d above 255 shortened to %d") \
    X(kCardUnknownType, "ЧИП %d: неизвестный тип ЧИПа, не прочитан", "Card %d: unknown card type, not read") \
    X(kCardReinsert, "ЧИП %d прочитан не полностью: вставьте его в станцию ещё раз", "Card %d was not read whole: insert it in the station again") \
    X(kCardReinsertUnknown, "ЧИП прочитан не полностью: вставьте его в станцию ещё раз", "A card was not read whole: insert it in the station again") \
    X(kStationBasicProtocol, "ЧИПам 8 и новее нужен расширенный протокол станции", "cards 8 and later need the station's extended protocol") \
    X(kStationNoAnswer, "Станция не ответила на запрос настроек: ЧИПы читаются в базовом протоколе", "The station did not answer the start-up: cards are read in the basic protocol") \
    X(kStationExtended, "Станция %d: расширенный протокол, %s", "Station %d: extended protocol, %s") \
    X(kStationHandshake, "с подтверждением", "handshake") \
    X(kStationAutosend, "автовыдача", "autosend") \
    X(kStationNotReadout, "Станция не в режиме считывания (режим: %s): о ЧИПах она не сообщает. Переведите станцию в режим считывания.", "The station is not in readout mode (mode: %s): it reports no cards. Set the station to readout mode.") \
    X(kStationModeControl, "контроль", "control") \
    X(kStationModeStart, "старт", "start") \
    X(kStationModeFinish, "финиш", "finish") \
    X(kStationModeClear, "очистка", "clear") \
    X(kStationModeCheck, "проверка", "check") \
    X(kExtendedRefused, "%s: станция работает в расширенном протоколе, а это возможно только в базовом. Переключите настройку станции «Протокол» на «базовый».", "%s: the station speaks the extended protocol, and this works only in the basic one. Switch the station's setting \"Protocol\" to \"basic\".") \
    X(kRegistrationFromCards, "Регистрация по ЧИПам", "Registration from cards") \
    X(kStationPortLost, "Порт станции пропал (%s): чтение остановлено", "The station port went away (%s): reading stopped") \
    /* Marked-route penalties and corrections of the read cards. */ \
    X(kPenaltyEntryTitle, "Присвоение штрафа", "Setting penalty") \
    X(kPenaltyEntryNumber, "Номер", "Number") \
    X(kPenaltyEntryPenalty, "Штраф", "Penalty") \
    X(kPenaltyEntryNext, "OK/Следующий", "OK/Next") \
    X(kPenaltyEntryClose, "Завершить/Прервать", "Finish/Cancel") \
    X(kPenaltyNotInBase, "-- нет в протоколе --", "-- not in base --") \
    X(kPenaltyNoFinishLine, "Участника с таким номером нет в финише!", "The runner with this number has no finish line!") \
    X(kPenaltyClearAll, "Обнулить ВСЕМ штраф?", "Set EVERYBODY's penalty to 0?") \
    X(kPenaltySetAll60, "Присвоить ВСЕМ штраф 60?", "Set EVERYBODY's penalty to 60?") \
    X(kPenaltyControl, "Номер КП-штраф", "Penalty control code") \
    X(kPenaltyMinInterval, "Минимальный интервал, сек", "Minimum interval, seconds") \
    X(kPenaltyFromCardsAsk, "Присвоить всем штраф из содержимого ЧИПов?\nКП=%d, мин.инт=%d", "Set everybody's penalty from the cards?\nControl=%d, min. interval=%d") \
    X(kPenaltyFromCardsDone, "Штраф из ЧИПов присвоен участникам: %d; остальным 60", "Penalty taken from the cards of %d runners; the others have 60") \
    X(kShiftWhichControl, "Какое КП?", "Which control?") \
    X(kShiftBy, "На сколько (можно и минус) ЧЧ:ММ:СС?", "By how much (minus allowed) HH:MM:SS?") \
    X(kShiftBadTime, "Сдвиг времени: нужно время ЧЧ:ММ:СС (можно с минусом)", "Time shift: a time HH:MM:SS is needed (minus allowed)") \
    X(kShiftBadControl, "Номер КП - от 1 до 255", "The control code is 1 to 255") \
    X(kShiftDone, "Сдвинуто отметок: %d", "Punches shifted: %d") \
    X(kRemoveWhichControl, "Отметку какого КП удалить из содержимого ЧИПов?", "Remove the punches of which control from the read cards?") \
    X(kRemoveDone, "Удалено отметок: %d", "Punches removed: %d") \
    /* Finish preparation, rebuilding and split printing. */ \
    X(kFinishDlgPreparationOfFinish, "Подготовка финиша", "Preparation of finish") \
    X(kFinishDlgClearFinish, "Очистить финиш", "Clear finish") \
    X(kFinishDlgClearVPCards, "Очистить содержимое ЧИПов", "Clear VP-cards") \
    X(kFinishDlgRestoreRunners, "Восстановить спортсменам", "Restore runners") \
    X(kFinishDlgRebuildFinishList, "Перестроить протокол финиша", "Rebuild finish list") \
    X(kFinishDlgFromDatabase, "Из базы данных", "From database") \
    X(kFinishDlgFromStartStation, "Из стартовой станции", "From start station") \
    X(kFinishDlgFirstPunch, "Первая отметка", "First punch") \
    X(kFinishDlgStartTime, "Стартовое время", "Start time") \
    X(kFinishDlgFinishTime, "Финишное время", "Finish time") \
    X(kFinishDlgFromFinishList, "Из протокола финиша", "From finish list") \
    X(kFinishDlgFromFinishStation, "Из финишной станции", "From finish station") \
    X(kFinishDlgLastPunch, "Последняя отметка", "Last punch") \
    X(kFinishDlgCheckPunchesAgain, "Перепроверить отметку", "Check punches again") \
    X(kFinishDlgPrintSplits, "Печать информашек", "Print splits") \
    X(kFinishDlgStartFrom0Current, "Начать с (0-с текущей)", "Start from (0 - current)") \
    X(kFinishDlgHowMany0ToTheEnd, "Всего печатать (0-до конца)", "How many (0 - to the end)") \
    /* The punching settings dialog. */ \
    X(kPunchDlgElectronicPunchingSettings, "Настройка электронной отметки", "Electronic punching settings") \
    X(kPunchDlgStartOfCompetition, "Начало соревнований:", "Start of competition:") \
    X(kPunchDlgCommunicationPort, "Коммуникационный порт", "Communication port") \
    X(kPunchDlgLogStationTraffic, "журнал обмена со станцией", "log station traffic") \
    X(kPunchDlgMultiDay, "многосуточный вариант", "multi-day") \
    X(kPunchDlgReReadAppend, "повторное чтение - дописывать", "re-read: append") \
    X(kPunchDlgStationType, "Тип станции на смотровом", "Station type") \
    X(kPunchDlgShowWarnings, "выдавать предупреждения", "show warnings") \
    X(kPunchDlgDisqualifyOverTimeLimit, "снимать по контр. вр.", "disqualify over time limit") \
    X(kPunchDlgPunchCheck, "Проверка отметки", "Punch check") \
    X(kPunchDlgDoNotCheck, "не проверять", "do not check") \
    X(kPunchDlgFromCourse, "Из параметров дистанции", "from course") \
    X(kPunchDlgCourseRunnerNumber, "дистанция=№ участника", "course = runner number") \
    X(kPunchDlgCountOfUniqueControls, "Выбор: кол-во уник.КП из параметров", "count of unique controls") \
    X(kPunchDlgThreadOfControls, "Ориентатлон, нитка", "thread of controls") \
    X(kPunchDlgCarousel, "Карусель", "Carousel") \
    X(kPunchDlgFromDatabase, "Из базы данных", "from database") \
    X(kPunchDlgFromStartStation, "Из стартовой станции", "from start station") \
    X(kPunchDlgFirstPunch, "Первая отметка", "first punch") \
    X(kPunchDlgFromFinishList, "Из протокола финиша", "from finish list") \
    X(kPunchDlgFromFinishStation, "Из финишной станции", "from finish station") \
    X(kPunchDlgLastPunch, "Последняя отметка", "last punch") \
    X(kPunchDlgPrintWhenReading, "Печатать при чтении", "Print when reading") \
    X(kPunchDlg2CopiesOnBadPunch, "2 экз. при плохой отметке", "2 copies on bad punch") \
    X(kPunchDlgPrintSpeed, "печатать скорость", "print speed") \
    X(kPunchDlgNewLayout, "новый вид", "new layout") \
    X(kPunchDlgLeftMarginCm, "Отступ слева, см", "Left margin, cm") \
    X(kPunchDlgUnknownCardAskNumber, "неизвестный ЧИП-спрашивать номер", "unknown card: ask number") \
    X(kPunchDlgLabyrinthCreateRunners, "Режим лабиринта-создавать участников", "Labyrinth: create runners") \
    /* Radio controls read through a GSM modem. */ \
    X(kRadioReadingOn, "Чтение радио-КП включено, %s", "Radio control reading on, %s") \
    X(kRadioReadingOff, "Чтение радио-КП выключено", "Radio control reading off") \
    X(kRadioRecordStatus, "Радио-КП %d: ЧИП %d, %s", "Radio control %d: card %d, %s") \
    X(kRadioRecordsDropped, "Испорченных записей радио-КП отброшено: %d", "Malformed radio control records dropped: %d") \
    X(kRadioPortLost, "Порт модема пропал (%s): чтение радио-КП остановлено", "The modem port went away (%s): radio control reading stopped") \
    /* One serial port, several users: who holds it. */ \
    X(kPortBusy, "Порт %s занят: %s. Сначала остановите это.", "Port %s is in use: %s. Stop that first.") \
    X(kPortNotFree, "Порт %s ещё не освобождён: %s заканчивается. Попробуйте ещё раз.", "Port %s is not free yet: %s is ending. Try again.") \
    X(kPortHolderServer, "сервер финиша", "finish server") \
    X(kPortHolderCards, "чтение ЧИПов", "card reading") \
    X(kPortHolderMemory, "чтение промежуточных финишей", "intermediate finish reading") \
    X(kPortHolderRadio, "чтение радио-КП", "radio control reading") \
    X(kPortHolderDecoder, "чтение транспондеров", "transponder reading") \
    X(kPortHolderBoard, "вывод на табло", "display board") \
    /* Card personalisation: the form, the write and its check, the registration mode. */ \
    X(kPersTitle, "Персонификация", "Personalisation") \
    X(kPersRussian, "по-русски", "in Russian") \
    X(kPersSurname, "Фамилия", "Surname") \
    X(kPersFirstName, "Имя", "First name") \
    X(kPersPatronymic, "Отчество", "Patronymic") \
    X(kPersLatin, "по-английски", "in Latin letters") \
    X(kPersSex, "Пол", "Sex") \
    X(kPersMale, "М", "M") \
    X(kPersFemale, "Ж", "F") \
    X(kPersCountry, "Страна", "Country") \
    X(kPersCityRegion, "Город, субъект", "City, region") \
    X(kPersClub, "Клуб", "Club") \
    X(kPersBirthDate, "Дата рождения", "Date of birth") \
    X(kPersInsuranceEnd, "Окончание страх.", "Insurance ends") \
    X(kPersPhone, "Телефон(только цифры, + уже есть)", "Phone (digits only, the + is there)") \
    X(kPersSecondCard, "VP-чип, если есть ещё", "Another VP card, if any") \
    X(kPersSport1, "1й", "1st") \
    X(kPersSport2, "2й", "2nd") \
    X(kPersSport3, "3й", "3rd") \
    X(kPersSport4, "4й", "4th") \
    X(kPersSport5, "5й", "5th") \
    X(kPersSportKind, "вид", "sport") \
    X(kPersQualification, "квалифик", "qualification") \
    X(kPersSportFoot, "ориентирование бегом", "foot orienteering") \
    X(kPersSportSki, "ориентирование на лыжах", "ski orienteering") \
    X(kPersSportBike, "ориентирование на велосипедах", "mountain bike orienteering") \
    X(kPersSportTrail, "ориентирование по тропам", "trail orienteering") \
    X(kPersNotCp1251, "Поле \"%s\" содержит знаки, которых нет в кодировке Windows-1251", "The field \"%s\" holds characters outside Windows-1251") \
    X(kPersWriting, "Запись персональных данных в ЧИП...", "Writing the personal data into the card...") \
    X(kPersDone, "Персональные данные записаны в ЧИП и проверены", "The personal data is written into the card and checked") \
    X(kPersNoCard, "ЧИП не отвечает: вставьте ЧИП в станцию и повторите запись", "The card does not answer: put the card in the station and write again") \
    X(kPersWordDiffers, "Слово %d ЧИПа не совпало с записанным: повторите запись", "Card word %d differs from what was written: write again") \
    X(kPersReaderRunning, "Остановите чтение ЧИПов: станция занята", "Stop reading cards first: the station is busy") \
    X(kPersBusy, "Запись в ЧИП уже идёт", "A card is being written already") \
    X(kRegCardShown, "Eng_Name: %s\nRus_Name: %s\nCountry: %s\nCity: %s\nClub: %s\n", "Eng_Name: %s\nRus_Name: %s\nCountry: %s\nCity: %s\nClub: %s\n") \
    X(kRegNumberInitial, "Номер", "Number") \
    X(kRegNumberBad, "Номер должен быть в пределах 1..29999", "The number must be within 1..29999") \
    X(kRegNumberTaken, "Номер %d уже у участника %s. Введите другой номер.", "Number %d already belongs to %s. Type another number.") \
    X(kRegBadCard, "В ЧИПе %d нет верных персональных данных: участник не создан", "Card %d holds no valid personal data: no runner made") \
    X(kRegNoRoomForClub, "Нет памяти для создания клуба", "No room for another club") \
    X(kRegCardTaken, "ЧИП %d уже есть у участника N%d %s. Зарегистрировать ещё одного участника с этим ЧИПом?", "Card %d already belongs to runner N%d %s. Register another runner with this card?") \
    X(kRegDone, "Зарегистрирован ЧИП %d: N%d %s", "Card %d registered: N%d %s") \
    X(kRegModeOn, "Регистрация по ЧИПам: персональные данные ЧИПов создают участников (чтение F8)", "Registration: the personal data of each card makes a runner (reading F8)") \
    X(kRegModeOff, "Регистрация по ЧИПам выключена", "Registration from cards is off") \
    /* The transponder decoder reader and its time shift. */ \
    X(kAmbShiftTitle, "Сдвиг АМВ", "AMB shift") \
    X(kAmbShiftPrompt, "Сдвиг времени транспондеров ЧЧ:ММ:СС,сс (можно с минусом)", "Transponder time shift HH:MM:SS,hh (minus allowed)") \
    X(kAmbShiftBadTime, "Сдвиг АМВ: нужно время ЧЧ:ММ:СС,сс (можно с минусом)", "AMB shift: a time HH:MM:SS,hh is needed (minus allowed)") \
    X(kAmbPassing, "Транспондер %s: номер %d, время %s", "Transponder %s: number %d, time %s") \
    X(kAmbReaderStopped, "Чтение транспондеров остановлено; испорченных записей отброшено: %d", "Transponder reading stopped; damaged records dropped: %d") \
    X(kAmbPortLost, "Порт декодера %s пропал: чтение транспондеров остановлено", "The decoder port %s went away: transponder reading stopped") \
    X(kNoSuchClass, "Нет такой группы !", "No such category!") \
    X(kNoSuchCourse, "Нет такой дистанции !", "No such course!") \
    X(kUniquePunchesShort, "Уникальных отметок: %d, нужно: %d", "Unique punches: %d, needed: %d") \
    X(kSplitOwnerNotFound, "Владелец ЧИПа не найден, печатаю все отметки!", "The owner of the VP-card was not found, printing all punches!") \
    X(kSplitsCurrentQuestion, "Печатать сплиты текущим (из базы)?", "Print the splits of the current runners (from the database)?") \
    X(kFinishFileFilter, "текстовый файл финиша(*.txt) |*.txt||", "finish text file(*.txt) |*.txt||") \
    X(kFinishTableFull, "Протокол финиша заполнен, новые строки не записаны!", "The finish list is full, the new lines were not written!") \
    X(kFinishAutosaveNeedsFile, "Для автосохранения финиша\nсначала сохраните рабочий\nфайл под каким-либо именем!", "For the finish autosave\nfirst save the competition\nfile under some name!") \
    X(kNoFileName, "Нет имени файла", "No file name") \
    X(kSaveFileFirst, "Сначала сохраните рабочий файл под каким-либо именем!", "Save the competition under a file name first!") \
    X(kExportFinishQuestion, "Сохранить финиш?", "Save the finish list?") \
    X(kImportFinishQuestion, "Читать финиш?", "Read a finish list?") \
    X(kImportStatusesQuestion, "Считывать информацию о снятых?", "Read the disqualification marks too?") \
    X(kRemoveRepeatedLinesQuestion, "Удалить повторяющиеся строки?", "Remove the repeated lines?") \
    X(kStartersFileQuestion, "Чтение текстового файла с номерами ЧИПов стартовавших участников?", "Read a text file with the VP-card numbers of the runners who started?") \
    X(kTxtFileFilter, "TXT-файл (*.txt) |*.txt||", "TXT file (*.txt) |*.txt||") \
    X(kStartersCount, "Всего стартовало: %d спортсменов\nВсе нестартовавшие теперь отмечены!", "Started in all: %d runners\nAll runners who did not start are marked now!") \
    X(kAddNonStartersQuestion, "Добавить всех не стартовавших в протокол финиша?", "Add every runner who did not start to the finish list?") \
    X(kOsvFilesFilter, "OSV-Файлы(*.osv) |*.osv||", "OSV files(*.osv) |*.osv||") \
    X(kOsvSaved, "OSV-Файл сохранён", "The OSV file is saved") \
    X(kCsvFilesFilter, "CSV-Файлы(*.csv) |*.csv||", "CSV files(*.csv) |*.csv||") \
    X(kCsvSaved, "CSV-Файл сохранён", "The CSV file is saved") \
    X(kPortOpenFailed, "Не могу инициализировать порт COM%d, err=%d", "Cannot open the port COM%d, err=%d") \
    /* end of the punch texts */
// clang-format on
