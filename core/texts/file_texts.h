// Texts about files for the language table: why a file could not be read or written, and the
// question before a file is replaced. X(kName, "Русский", "English") per line, each line ending
// in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_FILES(X) \
    X(kReplaceFile, "Файл %s уже существует.\nЗаменить его?", "%s already exists.\nDo you want to replace it?") \
    X(kFileErrNotFound, "нет такой папки или файла", "no such folder or file") \
    X(kFileErrAccess, "нет доступа", "access denied") \
    X(kFileErrDiskFull, "нет места на диске", "the disk is full") \
    X(kFileErrReadOnly, "диск защищён от записи", "the disk is write-protected") \
    X(kFileErrIsFolder, "это папка", "this is a folder") \
    X(kFileErrNameTooLong, "слишком длинное имя", "the name is too long") \
    X(kFileErrBusy, "файл занят другой программой", "the file is in use by another program") \
    X(kFileErrIo, "ошибка ввода-вывода (диск извлечён или неисправен?)", "input/output error (disk removed or faulty?)") \
    X(kFileErrOther, "ошибка %d", "error %d") \
    X(kCannotWriteFile, "Не могу записать в указанный файл", "Cannot write the file") \
    X(kWdbPartRunners, "Участники", "Runners") \
    X(kWdbPartClubs, "Коллективы", "Teams/clubs") \
    X(kWdbPartClasses, "Группы", "Categories") \
    X(kWdbPartCourses, "Дистанции", "Courses") \
    X(kWdbPartInfo, "Данные о соревнованиях", "Competition information") \
    X(kWdbPartFinish, "Финиш", "Finish") \
    X(kWdbPartCards, "ЧИПы", "VP-cards") \
    X(kWdbPartStatus, "Тексты статусов", "Status texts") \
    X(kWdbPartEnd, "Конец файла", "End of the file") \
    X(kWdbWrongEnd, "Файл повреждён: после последней таблицы %d байт вместо %d (числа записей в таблицах не сходятся с длиной файла).\nЗагружено прочитанное, но оно может быть неверно.", "The file is damaged: %d bytes follow its last table where %d belong (the record counts do not match the length of the file).\nWhat was read is loaded, but it may be wrong.") \
    X(kWdbEndedEarly, "файл кончается раньше времени", "the file ends too early") \
    X(kWdbNegativeCount, "отрицательное число записей", "a negative number of records") \
    X(kWdbOverCapacity, "число записей больше вместимости таблицы (%d)", "more records than the table holds (%d)") \
    X(kWdbDamaged, "Файл повреждён: %s.\nТаблица \"%s\": прочитано записей %d из %d.\nЗагружена только прочитанная часть.", "The file is damaged: %s.\nTable \"%s\": %d of %d records read.\nOnly the part read is loaded.") \
    X(kWdbUnknownVersion, "Неизвестный формат или версия!", "Unknown format or version!") \
    X(kWdbConverted, "Произведено преобразование в формат Skarvel2 !\nВНИМАНИЕ: после преобразования Вы не сможете открывать этот файл старой программой!\nПроследите, что бы на всех компьютерах была установлена новая версия!", "The file was converted to the Skarvel2 format!\nATTENTION: the old program cannot open this file after the conversion!\nMake sure the new version is installed on every computer!") \
    X(kWdbImportNoRoom, "Не хватает места в таблице \"%s\": нужно %d, свободно %d. Импорт отменён.", "Not enough room in the table \"%s\": %d needed, %d free. Import cancelled.") \
    /* end of the file texts */
// clang-format on
