// Texts of the shared competition (several computers on one PostgreSQL server) for the
// language table: X(kName, "Русский", "English") per line, each line ending in a backslash.
// Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_SHARED(X) \
    X(kCmdShareOnServer, "Разместить на сервере...", "Share on a server...") \
    X(kCmdOpenFromServer, "Открыть с сервера...", "Open from a server...") \
    X(kSharedConnected, "сервер: связь есть", "server: connected") \
    X(kSharedNotConnected, "сервер: нет связи, ждут %d", "server: not connected, %d waiting") \
    X(kSharedServerDialogShare, "Разместить соревнование на сервере", "Share the competition on a server") \
    X(kSharedServerDialogOpen, "Открыть соревнование с сервера", "Open a competition from a server") \
    X(kSharedHost, "Сервер:", "Host:") \
    X(kSharedPort, "Порт:", "Port:") \
    X(kSharedDatabase, "База данных:", "Database:") \
    X(kSharedUser, "Пользователь:", "User:") \
    X(kSharedPasswordNote, "Пароль берётся из файла паролей PostgreSQL (~/.pgpass) и здесь не хранится.", "The password comes from PostgreSQL's password file (~/.pgpass) and is not kept here.") \
    X(kSharedCannotConnect, "Нет связи с сервером %s:\n%s", "Cannot connect to the server %s:\n%s") \
    X(kSharedNotShared, "В базе данных %s нет общего соревнования.", "The database %s holds no shared competition.") \
    X(kSharedNewerSchema, "Общее соревнование в %s создано более новой версией Skarvel (схема %d, эта программа знает схему %d). Обновите программу.", "The shared competition in %s was made by a newer Skarvel (schema %d; this program knows schema %d). Update this program.") \
    X(kSharedReadFailed, "Не удалось прочитать общее соревнование: %s", "Cannot read the shared competition: %s") \
    X(kSharedAlreadyThere, "В базе данных %s уже есть общее соревнование. Заменить его этим?", "The database %s holds a shared competition already. Replace it with this one?") \
    X(kSharedShareFailed, "Не удалось разместить соревнование на сервере: %s", "Cannot share the competition: %s") \
    X(kSharedStillWaiting, "Изменений, ещё не дошедших до сервера: %d. Они сохранены на этом компьютере и будут отправлены, когда соревнование снова откроют с сервера. Закрыть соревнование?", "%d changes have not reached the server yet. They are kept on this computer and sent when the competition is opened from the server again. Close the competition?") \
    X(kSharedConflictTitle, "Запись изменена на другом компьютере", "The record changed on another computer") \
    X(kSharedConflictText, "Эту запись (%s) одновременно изменили на другом компьютере. Что оставить?", "This record (%s) was changed on another computer at the same time. Which version stays?") \
    X(kSharedConflictDeletedThere, "На другом компьютере эту запись удалили.", "The record was deleted on another computer.") \
    X(kSharedConflictDeletedHere, "Здесь запись удалена, а на другом компьютере изменена.", "The record was deleted here and changed on another computer.") \
    X(kSharedKeepMine, "Оставить мою", "Keep mine") \
    X(kSharedTakeTheirs, "Взять с другого компьютера", "Take theirs") \
    X(kSharedField, "Поле", "Field") \
    X(kSharedMine, "Здесь", "Here") \
    X(kSharedTheirs, "На другом компьютере", "On the other computer") \
    X(kSharedDeleted, "(удалена)", "(deleted)") \
    X(kSharedKindRunner, "участник", "runner") \
    X(kSharedKindClub, "коллектив", "club") \
    X(kSharedKindClass, "группа", "class") \
    X(kSharedKindCourse, "дистанция", "course") \
    X(kSharedKindFinishLine, "строка финиша", "finish line") \
    X(kSharedKindCardReadout, "содержимое ЧИПа", "card readout") \
    X(kSharedKindInfo, "информация о соревнованиях", "competition information") \
    X(kSharedKindNames, "длинные названия", "long names") \
    X(kSharedFinishRefused, "Строки финиша от клиента не записаны: оба компьютера работают с одним общим соревнованием на сервере, строки там уже есть.", "Finish lines from the client were not stored: both computers are joined to the same shared competition, which holds the lines already.") \
    X(kSharedRefused, "Сервер не принял изменения: %s", "The server refused changes: %s") \
    X(kSharedJournalRecovered, "Из журнала восстановлено после сбоя: карт %d, строк финиша %d. Они отправляются на сервер.", "Recovered from the journal after a failure: %d cards, %d finish lines. They are being sent to the server.") \
    X(kSharedNoStateFolder, "Не могу создать папку для общего соревнования: %s", "Cannot make the folder for the shared competition: %s") \
    /* end of the shared texts */
// clang-format on
