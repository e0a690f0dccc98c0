#include "app/command_table.h"

#include <array>

#include "core/cp1251.h"
#include "platform/stall_scope.h"

namespace skarvel {

using namespace literals;

namespace {

using C = CommandId;
using T = Txt;

// clang-format off
constexpr CommandDef kCommands[] = {
    {C::kNew, "file", T::kCmdNew, "Ctrl+N"},
    {C::kOpen, "file", T::kCmdOpen, "Ctrl+O"},
    {C::kSave, "file", T::kCmdSave, "Ctrl+S"},
    {C::kSaveAs, "file", T::kCmdSaveAs, ""},
    {C::kShareOnServer, "file", T::kCmdShareOnServer, "", false, true},
    {C::kOpenFromServer, "file", T::kCmdOpenFromServer, ""},
    {C::kSelectPrinter, "file", T::kCmdSelectPrinter, "", false, true},
    {C::kImportWdb, "file/import", T::kCmdImportWdb, ""},
    {C::kImportCsv, "file/import", T::kCmdImportCsv, ""},
    {C::kIofImportEntries, "file/import", T::kCmdIofImportEntries, "", false, true},
    {C::kIofImportCourses, "file/import", T::kCmdIofImportCourses, ""},
    {C::kIofImportClasses, "file/import", T::kCmdIofImportClasses, ""},
    {C::kIofImportStart, "file/import", T::kCmdIofImportStart, ""},
    {C::kIofImportResults, "file/import", T::kCmdIofImportResults, ""},
    {C::kIofExportEntries, "file", T::kIofExportEntries, "", false, true},
    {C::kIofExportCourses, "file", T::kIofExportCourses, ""},
    {C::kRecentFile1, "file", T::kCmdRecentFile, "", false, true},
    {C::kRecentFile2, "file", T::kCmdRecentFile, ""},
    {C::kRecentFile3, "file", T::kCmdRecentFile, ""},
    {C::kRecentFile4, "file", T::kCmdRecentFile, ""},
    {C::kRecentFile5, "file", T::kCmdRecentFile, ""},
    {C::kExit, "file", T::kCmdExit, "", false, true},

    {C::kUndo, "edit", T::kCmdUndo, "Ctrl+Z;Alt+Backspace"},
    {C::kDelete, "edit", T::kCmdDelete, "Del"},
    {C::kFind, "edit", T::kCmdFind, "Ctrl+F"},

    {C::kToolbar, "view", T::kCmdToolbar, "", true},
    {C::kStatusBar, "view", T::kCmdStatusBar, "", true},
    {C::kCompetitionInfo, "view", T::kCmdCompetitionInfo, "", false, true},
    {C::kShowRunners, "view", T::kCmdRunners, "F9", true, true},
    {C::kShowClasses, "view", T::kCmdClasses, "F10", true},
    {C::kShowClubs, "view", T::kCmdClubs, "F11", true},
    {C::kShowCourses, "view", T::kCmdCourses, "F12", true},
    {C::kShowFinish, "view", T::kCmdFinish, "F3", true},
    {C::kShowCardReadouts, "view", T::kCmdCardReadouts, "", true},
    {C::kFilter, "view", T::kCmdFilter, "F2", false, true},
    {C::kNumberedFirst, "view", T::kCmdNumberedFirst, "Shift+F6"},
    {C::kNotFinishedFirst, "view", T::kCmdNotFinishedFirst, "F6"},
    {C::kLockMouse, "view", T::kCmdLockMouse, "ScrollLock", true, true},

    {C::kWorkWithMarked, "service", T::kCmdWorkWithMarked, ""},
    {C::kSetStartNumbers, "service", T::kCmdSetStartNumbers, "F4", false, true},
    {C::kSetStartTimes, "service", T::kCmdSetStartTimes, "F5"},
    {C::kCheckDoubleNumbers, "service", T::kCmdCheckDoubleNumbers, ""},
    {C::kSortAlphabetically, "service", T::kCmdSortAlphabetically, "", false, true},
    {C::kDraw, "service", T::kCmdDraw, ""},
    {C::kShiftStartTimes, "service", T::kCmdShiftStartTimes, "", false, true},
    {C::kClearSeconds, "service", T::kCmdClearSeconds, ""},
    {C::kCopyResultToStart, "service", T::kCmdCopyResultToStart, ""},
    {C::kMandateReport, "service", T::kCmdMandateReport, "", false, true},
    {C::kPrintExtracts, "service", T::kCmdPrintExtracts, ""},
    {C::kPrintRunnerCards, "service", T::kCmdPrintRunnerCards, ""},
    {C::kChessList, "service", T::kCmdChessList, ""},
    {C::kPrintStartList, "service", T::kCmdPrintStartList, ""},
    {C::kPrintResultList, "service", T::kCmdPrintResultList, ""},
    {C::kDisqualification, "service", T::kCmdDisqualification, "", false, true},
    {C::kFinishAutosave, "service", T::kCmdFinishAutosave, "", true},
    {C::kPenalty0, "service/marked", T::kCmdPenalty0, ""},
    {C::kPenalty60, "service/marked", T::kCmdPenalty60, ""},
    {C::kPenaltySet, "service/marked", T::kCmdPenaltySet, ""},
    {C::kPenaltyClearTable, "service/marked", T::kCmdPenaltyClearTable, ""},
    {C::kPenaltyEnterTable, "service/marked", T::kCmdPenaltyEnterTable, ""},
    {C::kPenaltyFromFile, "service/marked", T::kCmdPenaltyFromFile, ""},
    {C::kPenaltyFromReadouts, "service/marked", T::kCmdPenaltyFromReadouts, ""},
    {C::kMultiDaySave, "service/multiday", T::kCmdMultiDaySave, ""},
    {C::kMultiDayRead, "service/multiday", T::kCmdMultiDayRead, ""},
    {C::kMultiDayCalc, "service/multiday", T::kCmdMultiDayCalc, ""},
    {C::kMultiDayCalc2, "service/multiday", T::kCmdMultiDayCalc2, ""},
    {C::kExportStartList, "service", T::kCmdExportStartList, "", false, true},
    {C::kImportStartList, "service", T::kCmdImportStartList, "Shift+1;!"},
    {C::kSetRound, "service", T::kCmdSetRound, ""},
    {C::kExportFinish, "service", T::kCmdExportFinish, "Alt+F2", false, true},
    {C::kImportFinish, "service", T::kCmdImportFinish, ""},
    {C::kPrepareFinish, "service", T::kCmdPrepareFinish, ""},
    {C::kRecordSounds, "service", T::kCmdRecordSounds, "", false, true},
    {C::kSoundOptions, "service", T::kCmdSoundOptions, ""},

    {C::kStartServer, "addon", T::kCmdStartServer, "", true},
    {C::kStartClient, "addon", T::kCmdStartClient, "Ctrl+Q", true},
    {C::kPrintClubs, "addon", T::kCmdPrintClubs, "", false, true},
    {C::kPrintClasses, "addon", T::kCmdPrintClasses, ""},
    {C::kPrintCourses, "addon", T::kCmdPrintCourses, ""},
    {C::kChangeNumber, "addon", T::kCmdChangeNumber, "", false, true},
    {C::kJoin, "addon", T::kCmdJoin, ""},
    {C::kImportPalm, "addon", T::kCmdImportPalm, "", false, true},
    {C::kMultiDaySummary, "addon", T::kCmdMultiDaySummary, ""},
    {C::kPrintBibs2007, "addon", T::kCmdPrintBibs2007, ""},
    {C::kImportPalm2, "addon", T::kCmdImportPalm2, ""},
    {C::kImportVpConfig, "addon", T::kCmdImportVpConfig, ""},
    {C::kPrintBibsWoc, "addon", T::kCmdPrintBibsWoc, ""},
    {C::kServerSettings, "addon/server", T::kCmdServerSettings, ""},

    {C::kPunchSettings, "vespunt", T::kCmdPunchSettings, ""},
    {C::kClearCardNumbers, "vespunt", T::kCmdClearCardNumbers, ""},
    {C::kCardNumbersFromFile, "vespunt", T::kCmdCardNumbersFromFile, ""},
    {C::kImportOcad8, "vespunt", T::kCmdImportOcad8, ""},
    {C::kCardToStartNumber, "vespunt", T::kCmdCardToStartNumber, ""},
    {C::kPrintSplits, "vespunt", T::kCmdPrintSplits, "", false, true},
    {C::kStartReading, "vespunt", T::kCmdStartReading, "F8", true},
    {C::kCheckDoubleCards, "vespunt", T::kCmdCheckDoubleCards, ""},
    {C::kSplitsHtml, "vespunt", T::kCmdSplitsHtml, ""},
    {C::kRebuildFinish, "vespunt", T::kCmdRebuildFinish, "", false, true},
    {C::kStartersByCard, "vespunt", T::kCmdStartersByCard, ""},
    {C::kRecheckCard, "vespunt", T::kCmdRecheckCard, ""},
    {C::kExportNumberCard, "vespunt", T::kCmdExportNumberCard, "", false, true},
    {C::kImportNumberCard, "vespunt", T::kCmdImportNumberCard, ""},
    {C::kReadStationMemory, "vespunt", T::kCmdReadStationMemory, ""},

    {C::kLcdStart, "lcd", T::kCmdLcdStart, "", true},
    {C::kLcdFinish, "lcd", T::kCmdLcdFinish, "", true},
    {C::kLcdShow, "lcd", T::kCmdLcdShow, "", true, true},
    {C::kLcdSettings, "lcd", T::kCmdLcdSettings, "", false, true},

    {C::kAmbRead, "more/amb", T::kCmdAmbRead, "", true},
    {C::kAmbImportNumbers, "more/amb", T::kCmdAmbImportNumbers, ""},
    {C::kAmbTimeShift, "more/amb", T::kCmdAmbTimeShift, ""},
    {C::kAmbGenerateFinish, "more/amb", T::kCmdAmbGenerateFinish, ""},
    {C::kAmbGenerateStart, "more/amb", T::kCmdAmbGenerateStart, ""},
    {C::kAmbClearNumbers, "more/amb", T::kCmdAmbClearNumbers, ""},
    {C::kOnlineExportCsv, "more/online", T::kCmdOnlineExportCsv, ""},
    {C::kOnlineExportCsvRelay, "more/online", T::kCmdOnlineExportCsvRelay, ""},
    {C::kOnlineSetup, "more/online", T::kCmdOnlineSetup, ""},
    {C::kOnlineSend, "more/online", T::kCmdOnlineSend, "Ctrl+Shift+Z"},
    {C::kPrintExtractsMk, "more", T::kCmdPrintExtractsMk, ""},
    {C::kPersonalisation, "more", T::kCmdPersonalisation, ""},
    {C::kMultipage, "more", T::kCmdMultipage, ""},
    {C::kMultipage2, "more", T::kCmdMultipage2, ""},
    {C::kRadioControls, "more", T::kCmdRadioControls, "", true, true},
    {C::kIntermediateFinish, "more", T::kCmdIntermediateFinish, ""},
    {C::kPrintExtractsSorted, "more", T::kCmdPrintExtractsSorted, ""},
    {C::kFinishFromReadouts, "more", T::kCmdFinishFromReadouts, "", false, true},
    {C::kCorrectReadoutTimes, "more", T::kCmdCorrectReadoutTimes, ""},
    {C::kRemoveControlFromReadout, "more", T::kCmdRemoveControlFromReadout, ""},
    {C::kStartGates, "more", T::kCmdStartGates, "", false, true},
    {C::kMulticrossToSplit, "more", T::kCmdMulticrossToSplit, ""},

    {C::kEnglish, "language", T::kCmdEnglish, "", true},
    {C::kRussian, "language", T::kCmdRussian, "", true},

    {C::kAbout, "help", T::kCmdAbout, ""},
    {C::kHelp, "help", T::kCmdHelp, "F1;Shift+F1"},

    {C::kPrintTable, "", T::kTipPrintTable, "Ctrl+P"},
    {C::kEditRecord, "", T::kTipNoCommand, "Return;Enter"},
    {C::kEditFinishRunner, "", T::kTipNoCommand, "Ctrl+Return;Ctrl+Enter"},
    {C::kResultPlate, "", T::kTipNoCommand, "Ctrl+W"},
    {C::kFinishFlag, "", T::kTipNoCommand, "Ctrl+V;Shift+Ins"},
    {C::kNoCommand, "", T::kTipNoCommand, ""},
    {C::kDisplayBoard, "", T::kTipDisplayBoard, "", true},
    {C::kBoardWithoutFinish, "", T::kTipBoardWithoutFinish, "", true},
    {C::kBoardNegativeTimes, "", T::kTipBoardNegativeTimes, "", true},
    {C::kPersonalisationMode, "", T::kTipPersonalisationMode, "", true},
};
// clang-format on

constexpr bool table_in_id_order() {
    for (int i = 0; i < kCommandCount; ++i)
        if (static_cast<int>(kCommands[i].id) != i) return false;
    return true;
}
static_assert(std::size(kCommands) == kCommandCount, "every command has one row");
static_assert(table_in_id_order(), "rows are in CommandId order");

constexpr MenuDef kMenus[] = {
    {"file", true, T::kMenuFile, ""},
    {"file/import", false, T::kCount, "import"},
    {"edit", true, T::kMenuEdit, ""},
    {"view", true, T::kMenuView, ""},
    {"service", true, T::kMenuService, ""},
    {"service/marked", false, T::kCount, "Marked route"},
    {"service/multiday", false, T::kCount, "MultiDay"},
    {"addon", true, T::kMenuAddOn, ""},
    {"addon/server", true, T::kMenuServer, ""},
    {"vespunt", false, T::kCount, "Vespunt"},
    {"lcd", false, T::kCount, "LCD"},
    {"more", true, T::kMenuMore, ""},
    {"more/amb", false, T::kCount, "AMB"},
    {"more/online", false, T::kCount, "on-line"},
    {"language", false, T::kCount, "Language"},
    {"help", false, T::kCount, "?"},
};

constexpr CommandId kToolbar[] = {
    C::kNew,
    C::kOpen,
    C::kSave,
    C::kCount,
    C::kPrintTable,
    C::kCount,
    C::kDelete,
    C::kUndo,
    C::kCount,
    C::kCompetitionInfo,
    C::kCount,
    C::kShowRunners,
    C::kShowClasses,
    C::kShowClubs,
    C::kShowCourses,
    C::kShowFinish,
    C::kShowCardReadouts,
    C::kCount,
    C::kSortAlphabetically,
    C::kFilter,
    C::kFind,
    C::kCount,
    C::kStartReading,
    C::kCount,
    C::kSetStartNumbers,
    C::kSetStartTimes,
    C::kDraw,
    C::kFinishAutosave,
    C::kCount,
    C::kLockMouse,
    C::kStartClient,
    C::kStartServer,
    C::kLcdShow,
    C::kNoCommand,
    C::kAmbRead,
    C::kDisplayBoard,
    C::kCount,
    C::kBoardWithoutFinish,
    C::kBoardNegativeTimes,
    C::kPersonalisationMode,
};

}  // namespace

std::span<const CommandDef> command_table() {
    return kCommands;
}
const CommandDef& command_def(CommandId id) {
    return kCommands[static_cast<int>(id)];
}
std::span<const MenuDef> menu_table() {
    return kMenus;
}
std::span<const CommandId> toolbar_commands() {
    return kToolbar;
}

void CommandRegistry::bind(CommandId id, Run run, StateFn state) {
    Entry& e = entries_[static_cast<int>(id)];
    e.run = std::move(run);
    e.state = std::move(state);
}

bool CommandRegistry::bound(CommandId id) const {
    return static_cast<bool>(entries_[static_cast<int>(id)].run);
}

CommandState CommandRegistry::state(CommandId id) const {
    const Entry& e = entries_[static_cast<int>(id)];
    if (!e.run) return {false, false};
    if (!e.state) return {};
    return e.state();
}

bool CommandRegistry::run(CommandId id) {
    if (!state(id).enabled) return false;
    // Copy: a command may rebind itself while it runs.
    Run r = entries_[static_cast<int>(id)].run;
    CommandId outer = running_;
    running_ = id;
    StallCommandScope named(static_cast<int>(id));
    r();
    if (after_run) after_run(id);
    running_ = outer;
    return true;
}

}  // namespace skarvel
