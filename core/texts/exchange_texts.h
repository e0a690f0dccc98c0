// Texts of the exchange subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_EXCHANGE(X) \
    /* IOF XML 3.0 import and export. */ \
    X(kCmdIofImportEntries, "IOF XML: заявки (EntryList)...", "IOF XML: entries (EntryList)...") \
    X(kCmdIofImportCourses, "IOF XML: дистанции (CourseData)...", "IOF XML: courses (CourseData)...") \
    X(kCmdIofImportClasses, "IOF XML: группы (ClassList)...", "IOF XML: classes (ClassList)...") \
    X(kCmdIofImportStart, "IOF XML: стартовый протокол (StartList)...", "IOF XML: start list (StartList)...") \
    X(kCmdIofImportResults, "IOF XML: результаты (ResultList)...", "IOF XML: results (ResultList)...") \
    X(kIofExportResults, "Экспорт IOF XML...", "Export IOF XML...") \
    X(kIofExportStart, "Экспорт IOF XML...", "Export IOF XML...") \
    X(kIofExportEntries, "Заявки IOF XML...", "Entries IOF XML...") \
    X(kIofExportCourses, "Дистанции IOF XML...", "Courses IOF XML...") \
    X(kIofFileFilter, "IOF XML (*.xml)|*.xml||", "IOF XML (*.xml)|*.xml||") \
    X(kIofCannotRead, "Не могу читать указанный файл", "Cannot read the file") \
    X(kIofCannotWrite, "Не могу записать в указанный файл", "Cannot write the file") \
    X(kIofTooLarge, "Файл больше %d МБ, такие файлы не читаются.", "The file is larger than %d MB; such files are not read.") \
    X(kIofTooManyElements, "В файле больше %d элементов XML, такие файлы не читаются.", "The file holds more than %d XML elements; such files are not read.") \
    X(kIofNotXml, "Ошибка в XML: %s (байт %d).", "XML error: %s (byte %d).") \
    X(kIofDoctype, "Файл содержит объявление DOCTYPE; такие файлы не читаются.", "The file contains a DOCTYPE declaration; such files are not read.") \
    X(kIofTooDeep, "Элементы XML вложены глубже %d уровней.", "XML elements are nested deeper than %d levels.") \
    X(kIofWrongRoot, "Ожидался документ IOF XML 3.0 %s, а в файле %s.", "Expected an IOF XML 3.0 %s document, the file holds %s.") \
    X(kIofMissing, "В элементе %s № %d нет элемента %s.", "Element %s no. %d has no %s element.") \
    X(kIofBadControl, "Дистанция %s: код КП %s не помещается в 1..255.", "Course %s: control code %s does not fit 1..255.") \
    X(kIofTablesFull, "Импорт не помещается в таблицы (%s: нужно %d, свободно %d). Соревнования не изменены.", "The import does not fit the tables (%s: %d needed, %d free). The competition is unchanged.") \
    X(kIofTableRunners, "участники", "runners") \
    X(kIofTableClasses, "группы", "classes") \
    X(kIofTableClubs, "коллективы", "clubs") \
    X(kIofTableCourses, "дистанции", "courses") \
    X(kIofTableFinish, "финиш", "finish lines") \
    X(kIofTableCards, "содержимое ЧИПов", "card readouts") \
    X(kIofImported, "Импорт IOF XML: добавлено участников %d, обновлено %d; новых групп %d, коллективов %d, дистанций %d; группам назначено дистанций %d.", "IOF XML import: %d runners added, %d updated; %d new classes, %d clubs, %d courses; %d classes given a course.") \
    X(kIofUnknownRunners, "Не найдено в соревнованиях: %d.", "Not found in the competition: %d.") \
    X(kIofReplacedNames, "Имён с символами, которых нет в Windows-1251 (заменены латиницей или \"?\"): участников %d, коллективов %d, групп %d, дистанций %d.", "Names with characters Windows-1251 cannot hold (written in Latin letters or \"?\"): runners %d, clubs %d, classes %d, courses %d.") \
    X(kIofTimesAndCards, "Времён старта: %d; строк финиша: %d; номеров ЧИПов: %d; содержимых ЧИПов: %d.", "Start times set: %d; finish lines added: %d; card numbers set: %d; card readouts added: %d.") \
    X(kIofFreeNumbers, "Участникам со временем, но без номера, даны свободные номера (чтобы финиш засчитался): %d, номера от %d до %d.", "Runners with a time but no start number were given free numbers (so that their finish counts): %d, numbers %d to %d.") \
    X(kIofNumbersTaken, "Номеров из файла, которые уже у других участников (участник оставил свой или получил свободный): %d.", "Start numbers of the file held by other runners (the runner kept his own or got a free one): %d.") \
    X(kIofTeamsNumbered, "Эстафетных команд без номера, пронумерованных по порядку в своей группе: %d.", "Relay teams without a usable number, numbered on in their class: %d.") \
    X(kIofTeamsUnnumbered, "Эстафетных команд, которые не помещаются в нумерацию этап x 100 + команда (команды до 99, этапы до 9): %d; их участников без номера и без строки финиша: %d.", "Relay teams the numbering leg x 100 + team cannot hold (teams up to 99, legs up to 9): %d; their runners left without a start number and a finish line: %d.") \
    X(kIofParallelUnnumbered, "Параллельных участников одного этапа, оставленных без номера (номер у первого): %d.", "Parallel runners of one relay leg left without a number (the first has it): %d.") \
    X(kIofMembersSkipped, "Участников команд без данных о человеке (состав неизвестен), пропущено: %d.", "Team members without a person (lineup not known), skipped: %d.") \
    X(kIofLongNames, "Названий длиннее поля, сохранённых полностью рядом с файлом соревнований: групп %d, дистанций %d, коллективов %d; из них сделано различимыми номером: %d.", "Names longer than their field, kept whole beside the competition file: classes %d, courses %d, clubs %d; made distinct with a number: %d.") \
    X(kIofZonedTimes, "Времён с часовым поясом, пересчитанных в местное время соревнований: %d (UTC%s).", "Times with a time zone converted to the competition's local time: %d (UTC%s).") \
    X(kIofEncodingRead, "Файл прочитан в кодировке %s.", "The file was read in the encoding %s.") \
    X(kIofUnknownEncoding, "Файл записан в кодировке %s, которую программа не читает.", "The file is written in the encoding %s, which the program cannot read.") \
    X(kIofOtherVersion, "Файл - документ IOF XML версии %s (%s); читается только IOF XML 3.0.", "The file is an IOF XML %s document (%s); only IOF XML 3.0 is read.") \
    X(kIofNothingImported, "Из файла ничего не импортировано.", "Nothing was imported from the file.") \
    X(kIofZonePrompt, "В файле времена с часовым поясом. Часовой пояс соревнований (+ЧЧ:ММ):", "The file gives times with a time zone. The competition's time zone (+HH:MM):") \
    X(kIofBadZone, "Неверный часовой пояс: %s (пишется как +ЧЧ:ММ).", "Not a time zone: %s (write it as +HH:MM).") \
    X(kIofCutControls, "Дистанций, у которых КП больше 64 (лишние отброшены): %d.", "Courses with more than 64 controls (the rest dropped): %d.") \
    X(kIofExported, "Записано IOF XML: %s (%d).", "IOF XML written: %s (%d).") \
    /* Card numbers and card contents through files. */ \
    X(kCardClearAsk, "Обнулить номера ЧИПов у текущих?", "Clear the card numbers of the current runners?") \
    X(kCardClearOwnAsk, "Обнулить собственные ЧИПы?", "Clear own cards too?") \
    X(kCardAssignAsk, "Присвоить номера ЧИПов текущим из файла?", "Give the current runners card numbers from a file?") \
    X(kCardAssignOwnAsk, "'Затирать' собственные ЧИПы?", "Overwrite own cards?") \
    X(kCardListFilter, "текстовый файл (*.txt) |*.txt||", "text file (*.txt) |*.txt||") \
    X(kCardsRanOut, "Не хватило ЧИПов !", "Not enough card numbers!") \
    X(kCardsRead, "Считано %d номеров ЧИПов", "%d card numbers read") \
    X(kPairsFilter, "HTML-Файлы(*.txt) |*.txt||", "Text files (*.txt) |*.txt||") \
    X(kPairsDefaultName, "Текстовый файл", "Text file") \
    X(kPairsImportAsk, "Импорт номеров ЧИПов?", "Import card numbers?") \
    X(kPairsRead, "Присвоено номеров ЧИПов: %d, пропущено строк: %d", "Card numbers given: %d, lines skipped: %d") \
    X(kStationCsvAsk, "Читать данные из станций (CSV-файл)?\nПервый столбец-номер ЧИПа, второй-время, третий - номер КП (или F для финиша)\nСортировка: сначала по № ЧИПа, потом по времени", "Read station data (CSV file)?\nFirst column the card number, second the time, third the control code (or F for the finish)\nSorted by card number, then by time") \
    X(kStationCsvFilter, "CSV-файл(*.csv) |*.*||", "CSV file(*.csv) |*.*||") \
    X(kStationCsvDefaultName, "*.csv", "*.csv") \
    X(kUnknownCard, "Неизвестный ЧИП № %d", "Unknown card No %d") \
    X(kVpConfigAsk, "Импорт CSV-файла из программы VpConfig, вы уверены?\nПравила:Поля разделены точками с запятой\nОчередность полей: №;считано;ЧИП;ст_номер;....;столбец_W=№ст_станции;день_недели;время;Z=№_финиш;день недели;время;количество отметок;(номер;день недели;время;)", "Import a CSV file of the VpConfig program, are you sure?\nRules: fields separated by semicolons\nField order: No;read;card;start_no;....;column_W=start_station_no;weekday;time;Z=finish_no;weekday;time;number of punches;(code;weekday;time;)") \
    X(kVpConfigFilter, "CSV-файл (*.csv) |*.csv||", "CSV file (*.csv) |*.csv||") \
    X(kCardContentRead, "Прочитано ЧИПов: %d, строк финиша: %d, пропущено строк: %d", "Cards read: %d, finish lines: %d, lines skipped: %d") \
    X(kNoRoomForReadouts, "Файл не помещается: в таблице считанных ЧИПов нет места. Ничего не изменено.", "The file does not fit: the card readout table has no room for it. Nothing was changed.") \
    X(kNoRoomForFinishLines, "Файл не помещается: в таблице финиша нет места. Ничего не изменено.", "The file does not fit: the finish table has no room for it. Nothing was changed.") \
    /* The start-list and penalty text files. */ \
    X(kTextFileFilter, "TXT-файл(*.txt) |*.txt||", "TXT file(*.txt) |*.txt||") \
    X(kStartListExportTitle, "Экспорт протокола старта", "Export start list") \
    X(kStartTimesImportAsk, "Импорт стартового времени?", "Import start times?") \
    X(kPenaltiesImportAsk, "Присвоить штраф из файла?", "Set penalty from file?") \
    X(kTextFileCannotRead, "Не могу читать указанный файл", "Cannot read the file") \
    X(kTextFileCannotWrite, "Не могу записать в указанный файл", "Cannot write the file") \
    X(kStartTimesImported, "Стартовое время присвоено: %d. Пропущено строк: номер вне 1..29999 - %d, время вне 00:00:00..46:36:12 - %d.", "Start times set: %d. Lines skipped: number outside 1..29999 - %d, time outside 00:00:00..46:36:12 - %d.") \
    X(kPenaltiesImported, "Штраф присвоен: %d. Пропущено строк: номер вне 1..29999 - %d, штраф вне 0..65535 - %d.", "Penalties set: %d. Lines skipped: number outside 1..29999 - %d, penalty outside 0..65535 - %d.") \
    /* CSV entry lists in, on-line CSV out. */ \
    X(kCsvImportQuestion, "Импорт CSV-файла, вы уверены?\nПравила:Поля разделены точками с запятой\nОчередность полей: группа;ФИ;колл;квал(код);номер;ГР;VP;Comment", "Import a CSV file, are you sure?\nRules: fields separated by semicolons\nField order: class;name;club;qualification(code);number;birth year;card;Comment") \
    X(kCsvFileFilter, "CSV-файл (*.csv) |*.csv||", "CSV file (*.csv) |*.csv||") \
    X(kCsvOnlineFilter, "CSV-Файл(*.csv) |*.csv||", "CSV file(*.csv) |*.csv||") \
    X(kCsvOnlineSuggested, "Экспорт базы", "Экспорт базы") \
    X(kCsvRelayFilter, "CSV-файл(*.csv) |*.csv||", "CSV file(*.csv) |*.csv||") \
    X(kCsvRelayTitle, "on-line для эстафеты", "on-line for relays") \
    X(kCsvImported, "Импорт CSV: добавлено участников %d; новых групп %d, коллективов %d.", "CSV import: %d runners added; %d new classes, %d clubs.") \
    X(kCsvSkippedLines, "Пропущено строк, в которых меньше семи точек с запятой: %d.", "Lines with fewer than seven semicolons skipped: %d.") \
    X(kCsvOutOfRange, "Чисел вне допустимых пределов (не записаны, оставлен 0): %d.", "Numbers outside their field's range (not stored, left 0): %d.") \
    X(kCsvClassIds, "группы (номера групп)", "classes (class ids)") \
    X(kCsvClubIds, "коллективы (номера коллективов)", "clubs (club ids)") \
    X(kPalmQuestion, "Импорт CSV-файла из PALM, вы уверены?\nПравила:Поля разделены точками с запятой\nОчередность полей: ФИ;ЧИП;дист;старт;финиш;результат;номер;время;", "Import a CSV file from the handheld recorder, are you sure?\nRules: fields separated by semicolons\nField order: name;card;course;start;finish;result;code;time;") \
    X(kPalmPenaltyQuestion, "Импорт CSV-файла из PALM, вы уверены?\nПравила:Поля разделены точками с запятой\nОчередность полей: ФИ;ЧИП;штраф;старт;финиш;результат;номер;время;\nСОРЕВНОВАНИЯ ПО ВЫБОРУ СО ШТРАФОМ", "Import a CSV file from the handheld recorder, are you sure?\nRules: fields separated by semicolons\nField order: name;card;penalty;start;finish;result;code;time;\nSCORE EVENT WITH PENALTY") \
    X(kPalmUnknownCard, "Неизвестный ЧИП: %ld", "Unknown card: %ld") \
    X(kPalmImported, "Импорт CSV из PALM: участников %d, считанных ЧИПов %d, строк финиша %d.", "Handheld CSV import: %d runners, %d card readouts, %d finish lines.") \
    X(kPalmSkippedLines, "Пропущено строк, в которых не хватает полей: %d.", "Lines missing a field skipped: %d.") \
    X(kPalmBadCourseLines, "Пропущено строк, в которых дистанция - не одна цифра: %d.", "Lines whose course is not one digit skipped: %d.") \
    X(kStartTimesImportTitle, "Импорт протокола старта", "Import start list") \
    X(kPenaltiesImportTitle, "Штраф маркировки", "Marked-route penalty") \
    X(kOcadDialogTitle, "Импорт отметки из OCAD8", "Import controls from OCAD8") \
    X(kOcadRelayGroup, "Преобразовывать эстафетные номера", "Convert relay numbers") \
    X(kOcadScale100, "2.1 -> 102", "2.1 -> 102") \
    X(kOcadScale1000, "2.1 -> 1002", "2.1 -> 1002") \
    X(kOcadFilter, "Порядок прох. (*.txt) |*.txt||", "Control order (*.txt) |*.txt||") \
    X(kOcadSuggested, "*.txt", "*.txt") \
    X(kOcadImported, "Импорт из OCAD8: добавлено дистанций %d.", "OCAD8 import: %d courses added.") \
    X(kOcadStopped, "Строка %d: меньше двух точек с запятой, импорт на ней закончен.", "Line %d has fewer than two semicolons: the import ended there.") \
    X(kOcadTooManyPairs, "Дистанций, в которых больше %d КП (оставлены первые %d): %d.", "Courses with more than %d controls (the first %d kept): %d.") \
    X(kOcadBadCodes, "КП с номером вне 0..255 (пропущены): %d.", "Controls with a code outside 0..255 (left out): %d.") \
    X(kOcadCourseIds, "дистанции (номера дистанций)", "courses (course ids)") \
    /* The transponder-code and decoder-file imports. */ \
    X(kAmbImportAsk, "Импорт номеров транспондеров?", "Import transponder numbers?") \
    X(kAmbFileFilter, "TXT-файл(*.txt) |*.*||", "TXT file(*.txt) |*.*||") \
    X(kAmbNumberNotAssigned, "Номер %d никому в базе не приписан!", "Number %d is not assigned to anybody in the database!") \
    X(kAmbFinishAsk, "Читать финиш из транспондеров?", "Read the finish from the transponders?") \
    X(kAmbStartAsk, "Читать старт из транспондеров?", "Read the start from the transponders?") \
    X(kAmbChipNotAssigned, "ЧИП %s никому в базе не приписан!", "Chip %s is not assigned to anybody in the database!") \
    X(kAmbClearAsk, "Очистить номера AMB?", "Clear the AMB numbers?") \
    X(kAmbCodesImported, "Номеров транспондеров принято: %d; номеров без участника: %d; пропущено строк с номером вне 1..29999: %d, нечитаемых строк: %d", "Transponder numbers taken: %d; numbers nobody holds: %d; lines skipped with a number outside 1..29999: %d, unreadable lines: %d") \
    X(kAmbTimesImported, "Времён принято: %d; ЧИПов без владельца: %d; нечитаемых строк: %d", "Times taken: %d; chips nobody holds: %d; unreadable lines: %d") \
    X(kAmbMoreNotAssigned, "Ещё %d без владельца (сообщения не показаны)", "%d more nobody holds (messages not shown)") \
    /* end of the exchange texts */
// clang-format on
