// What a command handler gets: the competition, the prompts, the main window as the parent of
// its dialogs, the list view, the application state, the command registry, the file path
// and "mark modified". See app/command_table.h for how a subsystem binds its commands.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/command_table.h"
#include "app/settings.h"
#include "core/competition.h"
#include "core/prompts.h"
#include "punch/card_journal.h"
#include "punch/station_event.h"

class QWidget;

namespace skarvel {

class CMainFrame;
class CSkarvelView;

struct AppContext {
    Competition& competition;
    Prompts& prompts;
    AppState& state;
    CommandRegistry& commands;
    CSkarvelView& view;
    CMainFrame& frame;
    UserSettings settings;

    // The parent of every dialog.
    QWidget* parent() const;
    const LanguageTable& lang() const { return state.lang; }
    // A text of the language table as a QString.
    QString text(Txt id) const;
    // The competition changed: marks it and the window title.
    void mark_modified();
    // Repaints what changed in the list view (commands repaint all of it when they end).
    void repaint();
    // The competition's file (UTF-8), empty for an untitled one.
    std::string file_path() const;
    // The running time of day in centiseconds.
    std::int32_t program_clock() const { return state.program_clock(); }
    // Text of the status bar's second pane (initially "Timer").
    void set_timer_pane(const QString& text);
    // Applies the cards and memory records the station reader has queued (bound by the
    // punch commands); the window calls it before the competition is replaced.
    std::function<void()> apply_station_events;
    // Changes whenever another competition replaces the open one (new, open).
    std::uint64_t competition_generation() const;
    // The station reader's events not applied yet (bound by the punch commands): a save
    // empties the card journal and writes these back into it.
    std::function<std::vector<StationEvent>()> pending_station_events;
    // The card journal of the open competition, and a finish line made or changed by the
    // operator, kept in it.
    CardJournal& journal();
    void journal_finish_line(int slot);
    // Text of the status bar's message pane (what the last card or print did).
    void show_status(const QString& text);
};

}  // namespace skarvel
