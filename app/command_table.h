// The command table: every menu command, accelerator and toolbar button of the main window,
// with its menu place, its text slot in the language table and its keys. The menu bar, the
// accelerators and the toolbar are all built from this one table; what a command does is
// bound at run time through the CommandRegistry.
//
// How a subsystem adds its commands (without touching the shell):
//   1. Write app/bind_<subsystem>.cpp defining
//          void bind_<subsystem>_commands(AppContext& ctx) {
//              ctx.commands.bind(CommandId::kDraw,
//                  [&ctx] { /* dialog, then the plain function, then ctx.mark_modified() */ },
//                  [&ctx] { return CommandState{ctx.view.shown_table() == kRunners}; });
//          }
//      `run` shows the subsystem's dialog (parent: ctx.parent()), calls its logic with
//      ctx.competition and ctx.prompts, and calls ctx.mark_modified() when it changed records.
//      The view repaints after every command by itself. `state` is optional (unbound state =
//      always enabled, not ticked); it is asked before a menu opens and on every tick of the
//      toolbar refresh, so keep it cheap.
//   2. Declare the function and add one call line in app/bindings.cpp (bind_all_commands).
// A command that is not bound is shown disabled. Keys listed here become accelerators of the
// main window (they do not fire while a modal dialog is open). Key-only commands (no menu)
// such as kEditRecord (Enter, double click) are bound the same way.
#pragma once

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "core/language.h"

namespace skarvel {

enum class CommandId : int {
    // File
    kNew,
    kOpen,
    kSave,
    kSaveAs,
    kShareOnServer,
    kOpenFromServer,
    kSelectPrinter,
    kImportWdb,
    kImportCsv,
    kIofImportEntries,
    kIofImportCourses,
    kIofImportClasses,
    kIofImportStart,
    kIofImportResults,
    kIofExportEntries,
    kIofExportCourses,
    kRecentFile1,
    kRecentFile2,
    kRecentFile3,
    kRecentFile4,
    kRecentFile5,
    kExit,
    // Edit
    kUndo,
    kDelete,
    kFind,
    // View
    kToolbar,
    kStatusBar,
    kCompetitionInfo,
    kShowRunners,
    kShowClasses,
    kShowClubs,
    kShowCourses,
    kShowFinish,
    kShowCardReadouts,
    kFilter,
    kNumberedFirst,
    kNotFinishedFirst,
    kLockMouse,
    // Service
    kWorkWithMarked,
    kSetStartNumbers,
    kSetStartTimes,
    kCheckDoubleNumbers,
    kSortAlphabetically,
    kDraw,
    kShiftStartTimes,
    kClearSeconds,
    kCopyResultToStart,
    kMandateReport,
    kPrintExtracts,
    kPrintRunnerCards,
    kChessList,
    kPrintStartList,
    kPrintResultList,
    kDisqualification,
    kFinishAutosave,
    kPenalty0,
    kPenalty60,
    kPenaltySet,
    kPenaltyClearTable,
    kPenaltyEnterTable,
    kPenaltyFromFile,
    kPenaltyFromReadouts,
    kMultiDaySave,
    kMultiDayRead,
    kMultiDayCalc,
    kMultiDayCalc2,
    kExportStartList,
    kImportStartList,
    kSetRound,
    kExportFinish,
    kImportFinish,
    kPrepareFinish,
    kRecordSounds,
    kSoundOptions,
    // Add-on
    kStartServer,
    kStartClient,
    kPrintClubs,
    kPrintClasses,
    kPrintCourses,
    kChangeNumber,
    kJoin,
    kImportPalm,
    kMultiDaySummary,
    kPrintBibs2007,
    kImportPalm2,
    kImportVpConfig,
    kPrintBibsWoc,
    kServerSettings,
    // Vespunt
    kPunchSettings,
    kClearCardNumbers,
    kCardNumbersFromFile,
    kImportOcad8,
    kCardToStartNumber,
    kPrintSplits,
    kStartReading,
    kCheckDoubleCards,
    kSplitsHtml,
    kRebuildFinish,
    kStartersByCard,
    kRecheckCard,
    kExportNumberCard,
    kImportNumberCard,
    kReadStationMemory,
    // LCD
    kLcdStart,
    kLcdFinish,
    kLcdShow,
    kLcdSettings,  // the display folder and its web server (per machine)
    // The further popup (AMB, on-line and the others)
    kAmbRead,
    kAmbImportNumbers,
    kAmbTimeShift,
    kAmbGenerateFinish,
    kAmbGenerateStart,
    kAmbClearNumbers,
    kOnlineExportCsv,
    kOnlineExportCsvRelay,
    kOnlineSetup,
    kOnlineSend,
    kPrintExtractsMk,
    kPersonalisation,
    kMultipage,
    kMultipage2,
    kRadioControls,
    kIntermediateFinish,
    kPrintExtractsSorted,
    kFinishFromReadouts,
    kCorrectReadoutTimes,
    kRemoveControlFromReadout,
    kStartGates,
    kMulticrossToSplit,
    // Language
    kEnglish,
    kRussian,
    // ?
    kAbout,
    kHelp,
    // Without a menu item: keys and toolbar buttons
    kPrintTable,           // Ctrl+P: the print command of the table on show
    kEditRecord,           // Enter and double click: edit or create the current record
    kEditFinishRunner,     // Ctrl+Enter: edit the runner of the current finish line
    kResultPlate,          // Ctrl+W: finish table, print the result plate
    kFinishFlag,           // Ctrl+V, Shift+Insert: finish table, toggle bit 6 and move down
    kNoCommand,            // the toolbar button without a command (always disabled)
    kDisplayBoard,         // toolbar: serial output to the display board
    kBoardWithoutFinish,   // toolbar: live board includes runners without a finish time
    kBoardNegativeTimes,   // toolbar: live board includes negative running times
    kPersonalisationMode,  // toolbar: card personalisation mode
    kCount
};
constexpr int kCommandCount = static_cast<int>(CommandId::kCount);

struct CommandDef {
    CommandId id;
    // Menu place: "file", "file/import", "edit", "view", "service", "service/marked",
    // "service/multiday", "addon", "addon/server", "vespunt", "lcd", "more", "more/amb",
    // "more/online", "language", "help"; empty for commands without a menu item.
    std::string_view menu;
    Txt text;                // menu text (with its key hint after a tab) or tooltip
    std::string_view keys;   // accelerators separated by ';' (Qt key names), may be empty
    bool checkable = false;  // the state handler may tick it
    bool separator_before = false;
};

std::span<const CommandDef> command_table();
const CommandDef& command_def(CommandId id);

// The top-level menus in their order on the menu bar, and the popups below them.
struct MenuDef {
    std::string_view path;  // as in CommandDef::menu
    // The title: a language-table slot for the first five menus, a fixed text otherwise.
    bool translated;
    Txt text;                // when translated
    std::string_view fixed;  // Windows-1251, when not translated
};
std::span<const MenuDef> menu_table();

// Toolbar buttons in order; CommandId::kCount stands for a separator.
std::span<const CommandId> toolbar_commands();

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

class CommandRegistry {
  public:
    using Run = std::function<void()>;
    using StateFn = std::function<CommandState()>;

    // Binds (or rebinds) a command; a later bind replaces the earlier one.
    void bind(CommandId id, Run run, StateFn state = {});
    bool bound(CommandId id) const;
    // Disabled when not bound; enabled and not ticked when bound without a state handler.
    CommandState state(CommandId id) const;
    // Runs the command when it is bound and enabled; true when it ran.
    bool run(CommandId id);
    // Called after every command that ran (the main window repaints and refreshes).
    std::function<void(CommandId)> after_run;
    // The command running now (the innermost one), or kCount when none runs.
    CommandId running() const { return running_; }

  private:
    CommandId running_ = CommandId::kCount;
    struct Entry {
        Run run;
        StateFn state;
    };
    std::vector<Entry> entries_ = std::vector<Entry>(kCommandCount);
};

}  // namespace skarvel
