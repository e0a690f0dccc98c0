// The list view's editing commands: Enter and double click (the editor of the cursor row, or
// finish number entry on the finish table), Ctrl+Enter, Del, the keys of finish number entry,
// the heat digit and quick edit, and the menu commands of record editing and maintenance.
// app/bind_edit.cpp binds them to the command table; tests drive them with a bare view.
#pragma once

#include <QWidget>
#include <functional>

#include "core/competition.h"
#include "core/language.h"
#include "core/list_edit.h"
#include "core/prompts.h"

class QKeyEvent;

namespace skarvel {

class CSkarvelView;

class EditCommands {
  public:
    struct Deps {
        Competition& competition;
        Prompts& prompts;
        const LanguageTable& lang;
        CSkarvelView& view;
        std::function<QWidget*()> parent;
        // The competition changed (marks it and the window title).
        std::function<void()> mark_modified;
        // Finish autosave: saves under the file name (see EditHooks).
        std::function<SaveRequest()> save_under_file_name;
        // "AutoLoad" of the user settings.
        std::function<bool()> auto_load;
        std::function<void(bool)> set_auto_load;
        // A finish line was made or changed by the operator (the card journal keeps it).
        std::function<void(int slot)> finish_line_changed;
    };
    explicit EditCommands(Deps deps) : d_(std::move(deps)) {}

    // Enter / double click.
    void edit_record();
    bool can_edit_record() const;
    // Ctrl+Enter on a finish line.
    void edit_finish_runner();
    bool can_edit_finish_runner() const;
    // Del.
    void delete_record();
    bool can_delete_record() const;
    // Digits, Backspace and Esc of finish number entry, the heat digit, and ` Ё ё.
    bool handle_key(QKeyEvent* e);

    void competition_info();
    void status();
    void join();
    bool can_join() const;
    void check_double_cards();
    void start_gates();
    void multicross_to_split();

    const FinishEntry& finish_entry() const { return entry_; }
    int last_status() const { return last_status_; }

  private:
    EditHooks hooks() const;
    bool english() const { return d_.lang.english(); }
    void show_entry();
    void finish_enter();
    void quick_edit();
    int row() const;
    int table() const;

    Deps d_;
    FinishEntry entry_;
    int last_status_ = 0;
};

}  // namespace skarvel
