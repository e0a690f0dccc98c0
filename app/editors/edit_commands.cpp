#include "app/editors/edit_commands.h"

#include <QKeyEvent>
#include <memory>

#include "app/editors/competition_info_dialog.h"
#include "app/editors/quick_runner_dialog.h"
#include "app/editors/record_editors.h"
#include "app/editors/status_dialog.h"
#include "app/skarvel_view.h"
#include "core/maintenance.h"

namespace skarvel {

namespace {

// Digit of a key press (main keys or keypad), or -1.
int digit_of(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return -1;
    if (e->key() >= Qt::Key_0 && e->key() <= Qt::Key_9) return e->key() - Qt::Key_0;
    return -1;
}

bool is_quick_edit_key(const QKeyEvent* e) {
    const QString t = e->text();
    return t == QStringLiteral("`") || t == QString(QChar(0x0401)) || t == QString(QChar(0x0451));
}

}  // namespace

int EditCommands::row() const {
    return d_.view.cursor_row();
}
int EditCommands::table() const {
    return d_.view.shown_table();
}

EditHooks EditCommands::hooks() const {
    EditHooks h;
    h.english = english();
    h.save_under_file_name = d_.save_under_file_name;
    return h;
}

void EditCommands::show_entry() {
    if (entry_.active())
        d_.view.set_finish_entry(true, entry_.row(), std::to_string(entry_.typed()));
    else
        d_.view.set_finish_entry(false);
    d_.view.update();
}

bool EditCommands::can_edit_record() const {
    int t = table();
    if (t < 0 || t >= kRecordTypeCount) return false;
    return t == kFinishLines || !d_.view.finish_entry_active();
}

void EditCommands::finish_enter() {
    bool was_modified = d_.competition.modified;
    bool stored =
        entry_.enter(d_.competition, entry_.active() ? entry_.row() : row(), d_.prompts, hooks());
    show_entry();
    if (d_.competition.modified != was_modified || stored) d_.mark_modified();
    if (stored && d_.finish_line_changed) d_.finish_line_changed(entry_.row());
    if (stored) d_.view.move_down();
}

void EditCommands::edit_record() {
    Competition& c = d_.competition;
    int t = table();
    if (t == kFinishLines) {
        finish_enter();
        return;
    }
    if (!can_edit_record()) return;
    QWidget* parent = d_.parent ? d_.parent() : nullptr;
    int slot = row();
    std::unique_ptr<RecordEditor> editor;
    switch (t) {
        case kRunners:
            editor = std::make_unique<RunnerEditor>(d_.lang, c, slot, parent);
            break;
        case kClubs:
            editor = std::make_unique<ClubEditor>(d_.lang, c, slot, parent);
            break;
        case kClasses:
            editor = std::make_unique<ClassEditor>(d_.lang, c, slot, parent);
            break;
        case kCourses:
            editor = std::make_unique<CourseEditor>(d_.lang, c, slot, parent);
            break;
        case kCardReadouts:
            editor = std::make_unique<CardReadoutEditor>(d_.lang, c, slot, parent);
            break;
        default:
            return;
    }
    if (editor->exec() != QDialog::Accepted) return;
    int stored = editor->stored_slot();
    if (stored == kNoSlot) return;
    d_.mark_modified();
    if (stored != slot) d_.view.set_cursor_row(stored);
    d_.view.update();
}

bool EditCommands::can_edit_finish_runner() const {
    return table() == kFinishLines && !d_.view.finish_entry_active() &&
           d_.competition.tables.finish_lines[row()] != nullptr;
}

void EditCommands::edit_finish_runner() {
    if (!can_edit_finish_runner()) return;
    int slot = kNoSlot;
    RunnerForm f = finish_line_runner_form(d_.competition, row(), slot);
    RunnerEditor e(d_.lang, d_.competition, slot, f, d_.parent ? d_.parent() : nullptr);
    e.set_recompute_finish(true);
    if (e.exec() != QDialog::Accepted) return;
    d_.mark_modified();
    d_.view.update();
}

bool EditCommands::can_delete_record() const {
    int t = table();
    if (t < 0 || t >= kRecordTypeCount || d_.view.finish_entry_active()) return false;
    Competition& c = d_.competition;
    int r = row();
    return with_table(c.tables, static_cast<RecordType>(t),
                      [r](auto& tab) { return tab[r] != nullptr; });
}

void EditCommands::delete_record() {
    if (!can_delete_record()) return;
    if (delete_with_rules(d_.competition, static_cast<RecordType>(table()), row(), d_.prompts,
                          english()) == DeleteOutcome::Deleted)
        d_.mark_modified();
    d_.view.update();
}

bool EditCommands::handle_key(QKeyEvent* e) {
    Competition& c = d_.competition;
    int t = table();
    int d = digit_of(e);
    if (t == kFinishLines) {
        if (d >= 0) {
            entry_.digit(c, entry_.active() ? entry_.row() : row(), d, d_.prompts, english());
            show_entry();
            return true;
        }
        if (entry_.active()) {
            if (e->key() == Qt::Key_Backspace) {
                entry_.backspace();
                show_entry();
                return true;
            }
            if (e->key() == Qt::Key_Escape) {
                entry_.escape(c);
                show_entry();
                return true;
            }
            // Enter reaches edit_record through the view; every other key waits for the entry.
            return e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter;
        }
    } else if (entry_.active()) {
        // The table was switched under a running entry (by a menu): drop it.
        entry_.escape(c);
        show_entry();
    }
    if (t == kRunners && d >= 0) {
        if (set_heat_digit(c, row(), d)) {
            d_.mark_modified();
            d_.view.update();
        }
        return true;
    }
    if (is_quick_edit_key(e) && (t == kRunners || t == kFinishLines)) {
        quick_edit();
        return true;
    }
    return false;
}

void EditCommands::quick_edit() {
    Competition& c = d_.competition;
    int r = row();
    bool done = false;
    if (table() == kFinishLines) {
        done = quick_edit_finish_time(c, r, d_.prompts, hooks());
        if (done && d_.finish_line_changed) d_.finish_line_changed(r);
    } else if (c.tables.runners[r]) {
        QuickRunnerDialog dialog(d_.lang, c, r, d_.parent ? d_.parent() : nullptr);
        done = dialog.exec() == QDialog::Accepted;
    }
    if (!done) return;
    d_.mark_modified();
    d_.view.move_down();
    d_.view.update();
}

void EditCommands::competition_info() {
    bool auto_load = d_.auto_load ? d_.auto_load() : false;
    CompetitionInfoDialog dialog(d_.lang, d_.competition, auto_load,
                                 d_.parent ? d_.parent() : nullptr);
    if (dialog.exec() != QDialog::Accepted) return;
    if (d_.set_auto_load) d_.set_auto_load(dialog.auto_load());
    d_.mark_modified();
    d_.view.update();
}

void EditCommands::status() {
    bool was_modified = d_.competition.modified;
    StatusDialog dialog(d_.lang, d_.competition, d_.prompts, last_status_,
                        d_.parent ? d_.parent() : nullptr);
    dialog.exec();
    last_status_ = dialog.chosen_status();
    if (dialog.changes() > 0 || d_.competition.modified != was_modified) d_.mark_modified();
    d_.view.update();
}

bool EditCommands::can_join() const {
    return (table() == kClubs || table() == kClasses) && !d_.view.finish_entry_active();
}

void EditCommands::join() {
    if (!can_join()) return;
    if (!join_marked(d_.competition, static_cast<RecordType>(table()), d_.prompts, english()))
        return;
    d_.mark_modified();
    d_.view.set_cursor_row(0);
    d_.view.update();
}

void EditCommands::check_double_cards() {
    if (!check_duplicate_card_numbers(d_.competition, d_.prompts, english())) return;
    d_.view.show_table(kRunners);
    d_.view.first_row();
    d_.mark_modified();
    d_.view.update();
}

void EditCommands::start_gates() {
    if (fill_unnumbered_finish_lines(d_.competition) > 0) d_.mark_modified();
    d_.view.update();
}

void EditCommands::multicross_to_split() {
    if (!finish_crossings_to_card_readouts(d_.competition, d_.prompts, english())) return;
    d_.mark_modified();
    d_.view.update();
}

}  // namespace skarvel
