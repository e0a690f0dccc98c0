// CMainFrame: the main window. It owns the competition, the application state, the command
// registry and the list view; builds the menu bar, accelerators and toolbar from the command
// table; keeps the status bar and the two timers; and carries out the document commands
// (new, open, save, save as, recent files, ask-to-save).
#pragma once

#include <QMainWindow>
#include <QString>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/app_state.h"
#include "app/background_saver.h"
#include "app/command_table.h"
#include "app/settings.h"
#include "core/competition.h"
#include "platform/qt/qt_prompts.h"
#include "punch/card_journal.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

namespace skarvel {

class CSkarvelView;
class SharedSession;
struct ServerAddress;
namespace pg {
class Connection;
}
namespace shared {
struct Snapshot;
struct Conflict;
class StateDir;
}  // namespace shared

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // `prompts`: answers questions instead of message boxes (tests); null for the real ones.
    explicit CMainFrame(Prompts* prompts = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    Competition& competition() { return *competition_; }
    CSkarvelView& view() { return *view_; }
    CommandRegistry& commands() { return commands_; }
    AppState& state() { return state_; }
    AppContext& context() { return *ctx_; }
    Prompts& prompts() { return *prompts_; }

    // Fills the language table from "Setup"/"Lang" and renames menus, items and tooltips.
    void build_language_table();
    // The same for a given language, without storing it (screenshots).
    void apply_language(UiLanguage language);
    // Sets the state (text, enabled, ticked) of every action from its handler.
    void refresh_commands();

    // Document commands. Each returns whether it completed.
    void new_competition();
    bool open_file(const QString& path);
    bool save();
    bool save_as();
    // Asks to save a changed competition: false when the user cancelled (or saving failed).
    // A shared competition is on the server: only changes that have not reached it yet are
    // asked about.
    bool maybe_save();
    // The shared competition this window is joined to; null while it works on a file.
    SharedSession* shared() { return shared_.get(); }
    // Joins the shared competition at `address` in place of the open one (app/frame_shared.cpp);
    // false, after telling why, when it cannot.
    bool open_shared(const ServerAddress& address);
    // Puts the open competition on the server at `address` and joins it.
    bool share_competition(const ServerAddress& address);
    // Where this window keeps its folders for shared competitions (tests point it elsewhere).
    QString shared_state_root;
    const std::string& file_path() const { return path_; }
    // Changes whenever another competition replaces the open one (read by the readers'
    // workers too).
    std::uint64_t competition_generation() const { return generation_.load(); }
    // The card journal beside the open competition's file (see punch/card_journal.h).
    CardJournal& journal() { return journal_; }
    // Finish autosave's saver; every document command waits for its write first.
    BackgroundSaver& saver() { return *saver_; }
    void update_title();
    // Shows the window where it was last closed, else maximised (at a useful size where no
    // window manager maximises); closing keeps the geometry in "Setup"/"WindowGeometry".
    void restore_window();
    void set_timer_pane(const QString& text);
    // The status bar's message pane ("Готов" until a card or a print says more).
    void show_status(const QString& text);
    QString status_text() const;

    // For tests and screenshots.
    QAction* action(CommandId id) const { return actions_[static_cast<int>(id)]; }
    QMenu* menu(std::string_view path) const;
    std::vector<QMenu*> top_menus() const { return top_menus_; }
    QToolBar* tool_bar() const { return toolbar_; }
    // Answer of the ask-to-save question in tests (Yes, No or Cancel); unset: a message box.
    std::function<int()> save_question_answer;
    // Answer to a conflict of the shared competition in tests (1 keep mine, 0 take theirs,
    // -1 undecided); unset: the conflict dialog.
    std::function<int(const shared::Conflict&)> conflict_answer;

  signals:
    // The competition changed (a card, a click, a command, a network line...): what follows
    // the tables live (the display page's browsers) brings itself up to date.
    void competition_changed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void build_menus();
    void build_toolbar();
    void build_status_bar();
    void tick_clock();
    void tick_second();
    void after_command(CommandId id);
    // The competition at path_ was loaded: enter what its journal kept since its last save.
    void replay_journal_of_loaded();
    // The competition was saved at path_: its journal starts empty (but for cards still
    // waiting to be entered).
    void restart_journal_after_save();
    // The station reader's cards that are in the journal but not entered yet.
    std::vector<JournalEntry> cards_not_entered();
    // The card journal stopped (or started again) writing to the disk: told loudly.
    void journal_state_changed(bool writing);
    void update_recent_actions();
    // Leaves the shared competition (the window goes on with its copy as an untitled one).
    void leave_shared();
    // Starts the session on the competition just built from `snapshot`.
    void start_shared(const std::string& conninfo, const ServerAddress& address,
                      std::unique_ptr<shared::StateDir> state, const shared::Snapshot& snapshot,
                      pg::Connection& db);
    void update_server_pane();

  public:
    void open_recent(int index);

  private:
    std::unique_ptr<Competition> competition_;
    AppState state_;
    CommandRegistry commands_;
    QtPrompts qt_prompts_;
    Prompts* prompts_;
    CSkarvelView* view_ = nullptr;
    std::unique_ptr<AppContext> ctx_;
    UserSettings settings_;
    std::string path_;  // UTF-8; empty for an untitled competition
    std::atomic<std::uint64_t> generation_{1};
    CardJournal journal_;
    std::unique_ptr<BackgroundSaver> saver_;  // after the journal: its worker ends first
    std::unique_ptr<shared::StateDir> shared_state_;
    std::unique_ptr<SharedSession> shared_;  // after the journal and the state: ends first

    std::vector<QAction*> actions_;
    std::map<std::string, QMenu*, std::less<>> menus_;
    std::vector<QMenu*> top_menus_;
    std::vector<std::pair<QMenu*, const MenuDef*>> menu_defs_;
    QToolBar* toolbar_ = nullptr;
    QLabel* message_pane_ = nullptr;
    QLabel* timer_pane_ = nullptr;
    QLabel* journal_pane_ = nullptr;  // shown while the card journal cannot write
    QLabel* server_pane_ = nullptr;
    QTimer* clock_timer_ = nullptr;
    QTimer* second_timer_ = nullptr;
};

// Registers the handlers of every subsystem (app/bindings.cpp).
void bind_all_commands(AppContext& ctx);
// The handlers of the shell and of the list view (app/bind_shell.cpp, app/bind_view.cpp).
void bind_shell_commands(AppContext& ctx);
void bind_view_commands(AppContext& ctx);

}  // namespace skarvel
