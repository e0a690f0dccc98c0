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
    X(kIofReplacedNames, "Имён с символами, которых нет в Windows-1251 (заменены латиницей или \"?\"): %d.", "Names with characters Windows-1251 cannot hold (written in Latin letters or \"?\"): %d.") \
    X(kIofCutControls, "Дистанций, у которых КП больше 64 (лишние отброшены): %d.", "Courses with more than 64 controls (the rest dropped): %d.") \
    X(kIofExported, "Записано IOF XML: %s (%d).", "IOF XML written: %s (%d).") \
    /* end of the exchange texts */
// clang-format on
