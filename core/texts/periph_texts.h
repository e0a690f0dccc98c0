// Texts of the periph subsystem for the language table: X(kName, "Русский", "English") per line,
// each line ending in a backslash. Read them with `lang.text(Txt::kName)`.
#pragma once

// clang-format off
#define SKARVEL_TEXTS_PERIPH(X) \
    /* Finish client and server. */ \
    X(kNetBadServerName, "Неправильное имя сервера", "Invalid server name") \
    X(kNetCannotResolve, "Client: Cannot resolve server", "Client: Cannot resolve server") \
    X(kNetConnectFailed, "connect() failed", "connect() failed") \
    X(kNetSendFailed, "send() failed", "send() failed") \
    X(kNetBindFailed, "bind() failed: порт %d: %s", "bind() failed: port %d: %s") \
    X(kNetPermissionDenied, "нет прав", "permission denied") \
    X(kNetAddressInUse, "порт занят", "address in use") \
    X(kNetRecvFailed, "recv() failed: %s", "recv() failed: %s") \
    X(kNetClientStatus, "Клиент: отослано строк финиша: %d", "Client: %d finish line(s) sent") \
    X(kNetServerStatus, "Сервер: принято %lld, записано %lld, исправлен статус %lld, повторов %lld, отброшено %lld, нет места %lld", \
      "Server: %lld received, %lld stored, %lld status(es) corrected, %lld repeated, %lld dropped, %lld without room") \
    X(kNetServerOverflow, "Сервер финиша: отброшено датаграмм: %lld. Их пришло больше, чем может ждать, пока открыт диалог; попросите клиента послать строки ещё раз.", "Finish server: %lld datagrams dropped. More came than can wait while a dialog is open; ask the client to send its lines again.") \
    X(kNetServerDialogTitle, "Mode: client", "Mode: client") \
    X(kNetServerNameLabel, "Server name ( <14 letters)", "Server name ( <14 letters)") \
    X(kNetSendModeGroup, "Способ посылки", "Sending") \
    X(kNetModeContinuous, "Фоновый процесс, непрерывно", "Background, continuously") \
    X(kNetModeOnCardRead, "VP - при чтении ЧИПа", "VP - on card reading") \
    X(kNetModeOnce, "однократно", "once") \
    X(kNetPortLabel, "Порт UDP (у обеих станций)", "UDP port (the same on both stations)") \
    /* On-line posting. */ \
    X(kNetOnlineTitle, "On-line property", "On-line property") \
    X(kNetOnlineAsk, "Адрес скрипта on-line результатов, например:", "Address of the on-line result script, for example:") \
    X(kNetOnlineExample, "http://www.example.org/online/result.php?dubl=1&&", "http://www.example.org/online/result.php?dubl=1&&") \
    X(kNetOnlineLimit, "Не более 59 букв", "At most 59 characters") \
    X(kNetOnlineCrossings, "слать количество пересечений финиша", "send the number of finish crossings") \
    X(kNetPostFailed, "On-line: номер %d не отослан: %s", "On-line: number %d not posted: %s") \
    X(kNetPostTimeout, "нет ответа за 10 с", "no answer within 10 s") \
    /* Screens in the finish area: the per-class pages dialog. */ \
    X(kMultiScreenTitle, "Страницы результатов для экранов", "Result pages for screens") \
    X(kMultiScreenWhom, "Кого печатать", "Whom to print") \
    X(kMultiScreenAllClasses, "Для всех групп", "For all classes") \
    X(kMultiScreenMarkedClasses, "Только для отмеченных групп", "Only for the marked classes") \
    X(kMultiScreenFirstN, "Печатать только", "Print only") \
    X(kMultiScreenFirstNAfter, "первых", "first") \
    X(kMultiScreenLaps, "С учетом количества кругов", "Count the laps") \
    X(kMultiScreenAllPasses, "Печатать все прохождения через финиш", "Print every finish pass") \
    X(kMultiScreenNonStarters, "Печатать н/стартовавших", "Print the non-starters") \
    X(kMultiScreenFont, "Размер шрифта", "Font size") \
    X(kMultiScreenRefresh, "рефреш, сек", "refresh, s") \
    X(kMultiScreenShading, "разделять строки", "shade every second line") \
    X(kMultiScreenVertical, "поворот на 90гр", "turn by 90 degrees") \
    X(kMultiScreenWritten, "Страниц записано: ", "Pages written: ") \
    /* The display folder, its web server and the display page. */ \
    X(kCmdLcdSettings, "Папка и веб-сервер экранов...", "Screen folder and web server...") \
    X(kScreenSettingsTitle, "Экраны", "Screens") \
    X(kScreenFolder, "Папка страниц для экранов", "Folder of the screen pages") \
    X(kScreenFolderChoose, "Выбрать...", "Choose...") \
    X(kScreenHttpOn, "Показывать папку по HTTP (веб-сервер)", "Serve the folder over HTTP (web server)") \
    X(kScreenHttpPort, "Порт", "Port") \
    X(kScreenHttpFailed, "Веб-сервер экранов не запущен: порт занят или недоступен: ", "The screen web server did not start: the port is taken or not allowed: ") \
    X(kScreenHttpRunning, "Веб-сервер экранов: ", "Screen web server: ") \
    X(kScreenHttpAddress, "Адрес (только этот интерфейс)", "Address (this interface only)") \
    X(kScreenHttpAllAddresses, "все интерфейсы", "every interface") \
    X(kScreenHttpBadAddress, "Веб-сервер экранов не запущен: это не IP-адрес: ", "The screen web server did not start: not an IP address: ") \
    X(kDisplayWriteFailed, "Страница для экрана не записана: ", "The screen page was not written: ") \
    /* end of the periph texts */
// clang-format on
