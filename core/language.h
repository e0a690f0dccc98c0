// The language table: every text the user sees, as a fixed (Russian, English) pair per slot.
// `LanguageTable::build` fills the slots of the chosen language; menus, dialogs and messages
// then read their texts from the table, so the whole interface follows one setting.
//
// Adding texts: append X(kName, "Русский", "English") lines to the list of your subsystem
// (core/texts/<subsystem>_texts.h; the shell's own texts are in SKARVEL_TEXTS_SHELL below)
// and read them with `lang.text(Txt::kName)`. kIncorrectFileFormat stays the last slot.
// Texts are Windows-1251 bytes; convert at the Qt boundary (see platform/qt/qt_text.h).
// Logic without Qt (core included) tells its messages through `Prompts`, which carries the
// interface language: `prompts.message(prompts.text(Txt::kName))`.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/texts/editor_texts.h"
#include "core/texts/exchange_texts.h"
#include "core/texts/file_texts.h"
#include "core/texts/periph_texts.h"
#include "core/texts/punch_texts.h"
#include "core/texts/results_texts.h"
#include "core/texts/shared_texts.h"
#include "core/texts/start_texts.h"

namespace skarvel {

// clang-format off
#define SKARVEL_TEXTS_SHELL(X) \
    /* Titles of the first five top-level menus, slots 0..4. */ \
    X(kMenuFile, "Файл", "File") \
    X(kMenuEdit, "Редактирование", "Edit") \
    X(kMenuView, "Вид", "View") \
    X(kMenuService, "Сервис", "Service") \
    X(kMenuAddOn, "Дополнительно", "Add-on") \
    /* Menu commands. */ \
    X(kCmdNew, "Создать\tCtrl+N", "New\tCtrl+N") \
    X(kCmdOpen, "Открыть...\tCtrl+O", "Open...\tCtrl+O") \
    X(kCmdSave, "Сохранить\tCtrl+S", "Save\tCtrl+S") \
    X(kCmdSaveAs, "Сохранить как...", "Save as...") \
    X(kCmdSelectPrinter, "Выбор принтера...", "Select printer...") \
    X(kCmdImportWdb, "Из другого WDB файла...", "From WDB-file...") \
    X(kCmdImportCsv, "Из CSV-файла...", "From CSV-file...") \
    X(kCmdRecentFile, "Последний файл", "Recent File") \
    X(kCmdExit, "Выход", "Exit") \
    X(kCmdUndo, "Отменить\tCtrl+Z", "Undo\tCtrl-Z") \
    X(kCmdDelete, "Удалить\tDel", "Delete\tDel") \
    X(kCmdFind, "Поиск...\tCtrl+F", "Find...\tCtrl-F") \
    X(kCmdToolbar, "Панель инструментов", "Tool box") \
    X(kCmdStatusBar, "Строка состояния", "Status line") \
    X(kCmdCompetitionInfo, "Информация о соревнованиях...", "About competitions...") \
    X(kCmdRunners, "Участники\tF9", "Runners\tF9") \
    X(kCmdClasses, "Группы\tF10", "Categories\tF10") \
    X(kCmdClubs, "Коллективы\tF11", "Teams/clubs\tF11") \
    X(kCmdCourses, "Дистанции\tF12", "Courses\tF12") \
    X(kCmdFinish, "Финиш\tF3", "Finish\tF3") \
    X(kCmdCardReadouts, "Содержимое ЧИПов", "VP-card") \
    X(kCmdFilter, "Фильтр...\tF2", "Filter...\tF2") \
    X(kCmdNumberedFirst, "Имеют номера\tShift-F6", "Num !=0\tShift-F6") \
    X(kCmdNotFinishedFirst, "Не финишировали\tF6", "Not Finish\tF6") \
    X(kCmdLockMouse, "Заблокировать мышь\tScrollLock", "Lock mouse") \
    X(kCmdWorkWithMarked, "Работа с отмеченными...", "Work with select...") \
    X(kCmdSetStartNumbers, "Присвоить номера...\tF4", "Set start number...\tF4") \
    X(kCmdSetStartTimes, "Присвоить стартовое...\tF5", "Set start time...\tF5") \
    X(kCmdCheckDoubleNumbers, "Проверка парных номеров...", "Check double number...") \
    X(kCmdSortAlphabetically, "Сортировка по алфавиту", "Sorting alphabetically") \
    X(kCmdDraw, "Жеребьевка...", "Mixing") \
    X(kCmdShiftStartTimes, "Добавить к Тстарта...", "Adding to Tstart") \
    X(kCmdClearSeconds, "Отбросить секунды...", "Clear second") \
    X(kCmdCopyResultToStart, "Копировать рез. в старт", "Copy Tresult -> Tstart") \
    X(kCmdMandateReport, "Справка мандатной комиссии...", "The information of credentials committee...") \
    X(kCmdPrintExtracts, "Печать выписок из стартового...", "Print of extracts from starting list...") \
    X(kCmdPrintRunnerCards, "Печать карточек участника...", "Print runners card...") \
    X(kCmdChessList, "Шахматка...", "'Chess' list") \
    X(kCmdPrintStartList, "Печать протокола старта...\tCtrl-P", "Print start list...\tCtrl-P") \
    X(kCmdPrintResultList, "Протокол результатов...\tCtrl-P", "Print result list...\tCtrl-P") \
    X(kCmdDisqualification, "Снятие/восстановление", "Disqualification/Normal") \
    X(kCmdFinishAutosave, "Автосохранение финиша", "Finish AutoSave") \
    X(kCmdPenalty0, "присвоить штраф 0", "Set penalty to 0") \
    X(kCmdPenalty60, "присвоить штраф 60", "Set penalty to 60") \
    X(kCmdPenaltySet, "присвоить штраф...", "Set penalty...") \
    X(kCmdPenaltyClearTable, "обнулить таблицу", "Clear penalty table") \
    X(kCmdPenaltyEnterTable, "заполнить таблицу", "Enter penalty table") \
    X(kCmdPenaltyFromFile, "читать штраф из файла...", "Set penalty from file...") \
    X(kCmdPenaltyFromReadouts, "Читать штраф из содержимого ЧИПов...", "Penalty from the VP-card contents...") \
    X(kCmdMultiDaySave, "Сохранить результаты для многодневки...", "Save result for MultiDay...") \
    X(kCmdMultiDayRead, "Читать результаты многодневки...", "Read MultiDay result...") \
    X(kCmdMultiDayCalc, "Расчет и печать результатов...", "Calculate and print result...") \
    X(kCmdMultiDayCalc2, "Расчет и печать результатов...2", "Calculate and print result...2") \
    X(kCmdExportStartList, "Экспорт стартового...", "Export start list...") \
    X(kCmdImportStartList, "Импорт стартового...", "Import start list...") \
    X(kCmdSetRound, "Присвоение этапа...", "Seting round...") \
    X(kCmdExportFinish, "Сохранить финиш...\tAlt-F2", "Export finish list...\tAlt-F2") \
    X(kCmdImportFinish, "Читать финиш...", "Import finish list...") \
    X(kCmdPrepareFinish, "Подготовка финиша...", "Clear/Preparation of finish...") \
    X(kCmdRecordSounds, "Запись звуков чисел...", "Record of sounds of numbers...") \
    X(kCmdSoundOptions, "Параметры записи/воспроизведения звука...", "Sound Record/Play a optoins...") \
    X(kCmdStartServer, "Запустить сервер", "Start the server") \
    X(kCmdStartClient, "Запустить клиента", "Start the client") \
    X(kCmdPrintClubs, "Печатать коллективы\tCtrl-P", "Print clubs/teams\tCtrl-P") \
    X(kCmdPrintClasses, "Печатать группы\tCtrl-P", "Print categories\tCtrl-P") \
    X(kCmdPrintCourses, "Печатать дистанции\tCtrl-P", "Print courses\tCtrl-P") \
    X(kCmdChangeNumber, "Изменение номера...", "Change number...") \
    X(kCmdJoin, "Объединить...", "Join...") \
    X(kCmdImportPalm, "Импорт CSV из PALM...", "Import CSV from PALM...") \
    X(kCmdMultiDaySummary, "Сводная таблица-новая мадн.", "Summary table (new multi-day)") \
    X(kCmdPrintBibs2007, "Печать номеров-2007", "Печать номеров-2007") \
    X(kCmdImportPalm2, "Импорт CSV из PALM-2...", "Import CSV from PALM-2...") \
    X(kCmdImportVpConfig, "Импорт CSV из VpConfig", "Import CSV from VpConfig") \
    X(kCmdPrintBibsWoc, "Печать номеров-WOC", "Печать номеров-WOC") \
    X(kCmdServerSettings, "Параметры сервера", "Server settings") \
    X(kCmdAbout, "О программе...", "About Skarvel...") \
    X(kCmdHelp, "Описание программы", "Users guides") \
    X(kCmdPunchSettings, "Параметры Vespunt...", "Vespunt settings...") \
    X(kCmdClearCardNumbers, "Обнулить № карт", "Clear VP-card numbers") \
    X(kCmdCardNumbersFromFile, "присвоить № из файла...", "Set VP-card numbers from file...") \
    X(kCmdImportOcad8, "Import from OCAD8...", "Import from OCAD8...") \
    X(kCmdCardToStartNumber, "копировать №VP в №...", "Copy VP-card number to start number...") \
    X(kCmdPrintSplits, "Печать информашек...\tCtrl-P", "Print splits...\tCtrl-P") \
    X(kCmdStartReading, "Запустить чтение\tF8", "Start reading\tF8") \
    X(kCmdCheckDoubleCards, "Проверка парных VP-номеров...", "Check duble VP-card...") \
    X(kCmdSplitsHtml, "генерить сплиты в HTML", "Splits to HTML") \
    X(kCmdRebuildFinish, "Перестроить протокол финиша...", "Rebuild finish list...") \
    X(kCmdStartersByCard, "Ввод стартовавших по №ЧИПов", "Enter starters by VP-card numbers") \
    X(kCmdRecheckCard, "перепроверить этот чип", "Check this VP-card again") \
    X(kCmdExportNumberCard, "экспорт соответствия N, чипа", "Export start number - VP-card pairs") \
    X(kCmdImportNumberCard, "Импорт N, ЧИП", "Import start number - VP-card pairs") \
    X(kCmdReadStationMemory, "Чтение из памяти станций", "Read the stations' memory") \
    X(kCmdEnglish, "English", "English") \
    X(kCmdRussian, "Russian", "Russian") \
    X(kCmdLcdStart, "Start", "Start") \
    X(kCmdLcdFinish, "Finish", "Finish") \
    X(kCmdLcdShow, "Отображать", "Show") \
    X(kCmdAmbRead, "read", "read") \
    X(kCmdAmbImportNumbers, "Импорт номеров транспондеров", "Import transponder numbers") \
    X(kCmdAmbTimeShift, "Сдвиг времени", "Time shift") \
    X(kCmdAmbGenerateFinish, "Сгенерить финиш", "Make the finish list") \
    X(kCmdAmbGenerateStart, "Сгенерить старт", "Make the start list") \
    X(kCmdAmbClearNumbers, "Очистка номеров", "Clear the numbers") \
    X(kCmdOnlineExportCsv, "Экспорт базы в CSV-лично...", "Export to CSV - individual...") \
    X(kCmdOnlineExportCsvRelay, "Экспорт базы в CSV-эстафета...", "Export to CSV - relay...") \
    X(kCmdOnlineSetup, "Настройка on-line", "On-line settings") \
    X(kCmdOnlineSend, "Send\tCtrl-Shift-Z", "Send\tCtrl-Shift-Z") \
    X(kCmdPrintExtractsMk, "Печать выписок для МК...", "Печать выписок для МК...") \
    X(kCmdPersonalisation, "Персонализация...", "Personalisation...") \
    X(kCmdMultipage, "мультипэйдж", "Multipage") \
    X(kCmdMultipage2, "мультипэйдж-2", "Multipage-2") \
    X(kCmdRadioControls, "Запустить чтение радио-КП", "Start reading radio controls") \
    X(kCmdIntermediateFinish, "Чтение промежуточных финишей", "Read intermediate finishes") \
    X(kCmdPrintExtractsSorted, "Печать выписок по сортировке базы", "Print extracts in the table order") \
    X(kCmdFinishFromReadouts, "Сгенерить финиш по содержимому ЧИПов", "Make the finish list from the VP-card contents") \
    X(kCmdCorrectReadoutTimes, "Скорректировать время в считанных ЧИПАх", "Correct the times in the read VP-cards") \
    X(kCmdRemoveControlFromReadout, "Удалить КП из считанного", "Remove a control from the read VP-cards") \
    X(kCmdStartGates, "Обработать стартовые ворота...", "Process the start gates...") \
    X(kCmdMulticrossToSplit, "multicross->split", "multicross->split") \
    /* Toolbar buttons without a menu item (tooltips). */ \
    X(kTipPrintTable, "Печать", "Print") \
    X(kTipNoCommand, "", "") \
    X(kTipDisplayBoard, "Вывод на табло", "Serial output") \
    X(kTipBoardWithoutFinish, "Показывать не финишировавших", "Show runners without finish") \
    X(kTipBoardNegativeTimes, "Показывать отрицательное время", "Show negative running times") \
    X(kTipPersonalisationMode, "Режим персонализации ЧИПов", "Card personalisation mode") \
    X(kMenuMore, "Разное", "More") \
    X(kMenuServer, "Сервер", "Server") \
    /* Main window. */ \
    X(kUntitled, "Безымянный", "Untitled") \
    X(kTimerPane, "Timer", "Timer") \
    X(kReady, "Готов", "Ready") \
    X(kSaveChanges, "Сохранить изменения в %s?", "Save changes to %s?") \
    X(kCannotSave, "Не могу сохранить файл", "Cannot save the file") \
    X(kAboutText, "Skarvel — секретариат соревнований по спортивному ориентированию", "Skarvel - secretariat of orienteering competitions") \
    X(kNoPrinter, "Принтеры не установлены", "No printers are installed") \
    X(kPrintedToFile, "Напечатано в файл %s", "Printed to the file %s") \
    X(kPrintingSheet, "Печать: %s, лист %d", "Printing: %s, sheet %d") \
    X(kPrintCancelled, "Печать отменена: %s", "Printing cancelled: %s") \
    X(kFileWrittenOpened, "Файл записан: %s", "File written: %s") \
    X(kFileWrittenNoProgram, "Файл записан: %s. Нет программы, чтобы его открыть.", "File written: %s. No program could open it.") \
    X(kHelpOpened, "Описание программы: %s", "User guide: %s") \
    X(kHelpNoProgram, "Описание программы: %s. Нет программы, чтобы его открыть.", "User guide: %s. No program could open it.") \
    X(kHelpMissing, "Нет файла описания программы: %s", "The user guide is missing: %s") \
    X(kPdfFilter, "PDF (*.pdf)|*.pdf||", "PDF (*.pdf)|*.pdf||") \
    /* Sound. */ \
    X(kSoundNoOutput, "Нет устройства воспроизведения звука: звук не проигран", "No audio output device: nothing was played") \
    X(kSoundNoInput, "Нет устройства записи звука: звук не записан", "No audio input device: nothing was recorded") \
    X(kSoundNoFile, "Нет звукового файла %s", "No sound file %s") \
    X(kSoundFailed, "Ошибка звука: %s", "Sound error: %s") \
    X(kSoundRecording, "Запись %s (%d мс)", "Recording %s (%d ms)") \
    X(kSoundRecorded, "Записан звук %s", "Recorded the sound %s") \
    X(kSoundPlaying, "Звучит %s", "Playing %s") \
    X(kSoundNumbersPrompt, "Записать звуки чисел от-до (например 1-20)", "Record the sounds of the numbers from-to (e.g. 1-20)") \
    X(kSoundOptionsTitle, "Параметры записи/воспроизведения звука", "Sound recording and playback") \
    X(kSoundFolder, "Папка звуков", "Sound folder") \
    X(kSoundDurationNumber, "Запись числа, мс", "Recording of a number, ms") \
    X(kSoundDurationTens, "Запись числа ch, мс", "Recording of a ch number, ms") \
    X(kSoundDurationName, "Запись фамилии, группы, коллектива, мс", "Recording of a name, class or club, ms") \
    X(kSoundListen, "Слушать звук", "Listen") \
    X(kSoundRecord, "Записать звук", "Record") \
    /* List view. */ \
    X(kAttention, "ВНИМАНИЕ", "ATTENTION") \
    X(kNotInList, "-- нет в протоколе --", "-- not in the list --") \
    X(kFindTitle, "Поиск", "Find") \
    X(kFindPrompt, "Введите строку поиска. Это может быть фамилия, номер участника или номер VP-карты", "Enter a name, a start number or a VP-card number") \
    X(kFindFailedRunners, "Поиск результатов не дал.\nПопробуйте начать поиск с первой позиции или измените фильтр", "Nothing found.\nTry searching from the first row or change the filter") \
    X(kFindFailed, "Поиск результатов не дал.\nПопробуйте начать поиск с первой позиции", "Nothing found.\nTry searching from the first row") \
    X(kCardSortTitle, "Сортировка ЧИПов", "Sorting of VP-cards") \
    X(kCardSortByCard, "по номеру ЧИПа", "by card number") \
    X(kCardSortByNumber, "по номеру участника", "by start number") \
    X(kCardSortByStart, "по времени старта", "by start time") \
    X(kCardSortByFinish, "по времени финиша", "by finish time") \
    X(kFilterTitle, "Фильтр", "Filter") \
    X(kFilterAny, "--Все равно--", "--Any--") \
    X(kFilterClass, "Группа", "Category") \
    X(kFilterClub, "Коллектив", "Team/club") \
    X(kFilterCourse, "Дистанция", "Course") \
    X(kFilterHeat, "Этап", "Round") \
    X(kFilterMarked, "Отмеченные", "Marked") \
    X(kFilterMarkAny, "Все равно", "Any") \
    X(kFilterMarkYes, "Есть", "Yes") \
    X(kFilterMarkNo, "Нет", "No") \
    X(kFilterSortAfter, "Сортировать после поиска", "Sort after search") \
    X(kFilterSortName, "По алфавиту", "By name") \
    X(kFilterSortNumber, "По номеру", "By number") \
    X(kFilterSortStart, "По стартовому времени", "By start time") \
    X(kFilterSortCard, "По номерам ЧИПов", "By VP-card numbers") \
    X(kFilterSortBirth, "По годам рождения", "By year of birth") \
    X(kFilterSortClub, "По коллективу", "By team/club") \
    X(kFilterSearch, "Искать", "Search") \
    X(kOk, "OK", "OK") \
    X(kCancel, "Отмена", "Cancel") \
    X(kFixedCancel, "Cancel", "Cancel") /* dialogs whose texts are the same in both languages */ \
    /* Import WDB. */ \
    X(kImportTitle, "Import WDB", "Import WDB") \
    X(kImportRunners, "Участники, коллективы, группы", "Runners, teams/clubs, categories") \
    X(kImportCourses, "Дистанции", "Courses") \
    X(kImportReplaceInfo, "Заменить данные о соревнованиях", "Replace competition information") \
    X(kImportFinish, "Импортировать данные о финише", "Import finish data") \
    X(kImportCards, "Импортировать содержимое ЧИПов", "Import VP-card contents") \
    X(kImportOnlyMarked, "Только отмеченных", "Only marked") \
    X(kImportOptimisation, "Оптимизация", "Optimisation") \
    X(kImportJoinClasses, "Объединить одинаковые группы", "Join equal categories") \
    X(kImportJoinCourses, "Объединить одинаковые дистанции", "Join equal courses") \
    X(kImportJoinClubs, "Объединить одинаковые коллективы", "Join equal teams/clubs") \
    X(kImportDropFinish, "Удалить повторяющиеся строки финиша", "Remove repeated finish lines") \
    X(kImportDropCards, "Удалить повторяющиеся содержимое ЧИПов", "Remove repeated VP-card contents") \
    X(kImportButton, "Import", "Import") \
    X(kCannotReadFile, "Не могу читать указанный файл", "Cannot read the file") \
    X(kWrongFileVersion, "Неправильная версия файла!", "Wrong file version!") \
    X(kWdbFilter, "wdb - база данных (*.wdb) |*.wdb||", "wdb - database (*.wdb) |*.wdb||") \
    X(kDocFilter, "Skarvel files (*.wdb)|*.wdb||", "Skarvel files (*.wdb)|*.wdb||") \
    /* Texts of the editors and other dialogs. */ \
    X(kNameSurname, "Фамилия, имя", "Name, surname") \
    X(kMaxLimitTime, "Контрольное время, мин", "Max limit time, minutes") \
    X(kFinishCrossings, "Кол-во пересечений финиша", "Number crossing finish line") \
    X(kTimeAccuracy, "Точность времени (VP-только 1 сек)", "Accuracy of time (VP-only 1 sec)") \
    X(kPadNumbers, "Дополнять до 4-хзначн", "Convert number to xNNN") \
    X(kAutoLoad, "При запуске открывать последний рабочий файл", "Open the last file at start-up") \
    X(kRestoreAllRunners, "Восстановить ВСЕХ спортсменов в базе данных?", "Restore ALL runners?") \
    X(kNoRunnerWithNumber, "Участника с таким номером в базе данных нет!", "There is no runner with this number!") \
    /* end of the shell texts */

#define SKARVEL_TEXTS(X) \
    SKARVEL_TEXTS_SHELL(X) \
    SKARVEL_TEXTS_EDITORS(X) \
    SKARVEL_TEXTS_FILES(X) \
    SKARVEL_TEXTS_START(X) \
    SKARVEL_TEXTS_PUNCH(X) \
    SKARVEL_TEXTS_RESULTS(X) \
    SKARVEL_TEXTS_EXCHANGE(X) \
    SKARVEL_TEXTS_PERIPH(X) \
    SKARVEL_TEXTS_SHARED(X) \
    /* The last slot. */ \
    X(kIncorrectFileFormat, "Неизвестный формат базы данных", "Incorrect file format")
// clang-format on

enum class Txt : int {
#define SKARVEL_TEXT_ID(id, ru, en) id,
    SKARVEL_TEXTS(SKARVEL_TEXT_ID)
#undef SKARVEL_TEXT_ID
        kCount
};

struct TextPair {
    std::string_view ru;  // Windows-1251
    std::string_view en;  // Windows-1251 (plain ASCII for most)
};

// The fixed pair of a slot.
const TextPair& text_pair(Txt id);

enum class UiLanguage { kRussian = 0, kEnglish = 1 };

class LanguageTable {
  public:
    static constexpr int kFilledCount = static_cast<int>(Txt::kCount);
    // 300 slots as the table always had; it grows with the texts beyond that.
    static constexpr int kSlotCount = kFilledCount < 300 ? 300 : kFilledCount + 12;

    LanguageTable() { build(UiLanguage::kRussian); }
    // Fills every slot from its pair in the given language.
    void build(UiLanguage language);
    UiLanguage language() const { return language_; }
    bool english() const { return language_ == UiLanguage::kEnglish; }
    // The text of a slot in the current language (Windows-1251).
    std::string_view text(Txt id) const { return slots_[static_cast<int>(id)]; }
    std::string_view slot(int i) const {
        return i >= 0 && i < kSlotCount ? std::string_view(slots_[i]) : std::string_view();
    }

  private:
    UiLanguage language_ = UiLanguage::kRussian;
    std::array<std::string_view, kSlotCount> slots_{};
};

// The text of a slot in the given language, for code that knows only whether it is English.
inline std::string_view text_in(bool english, Txt id) {
    const TextPair& pair = text_pair(id);
    return english ? pair.en : pair.ru;
}

// The table in Russian, for messages told before (or without) an interface language.
const LanguageTable& russian_language_table();

}  // namespace skarvel
