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
    /* end of the file texts */
// clang-format on
