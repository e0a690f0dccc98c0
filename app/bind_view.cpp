// Handlers of the list view's commands: table switching, Find, Undo delete, sort, filter,
// the two reorderings, Lock mouse and the finish-line flag.
#include "app/app_context.h"
#include "app/dialogs/card_sort_dialog.h"
#include "app/dialogs/filter_dialog.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/finish_results.h"

namespace skarvel {

namespace {

bool is_table(int t) {
    return t >= 0 && t < kRecordTypeCount;
}

}  // namespace

void bind_view_commands(AppContext& ctx) {
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    Competition& c = ctx.competition;
    using C = CommandId;

    const std::pair<C, int> shows[] = {
        {C::kShowRunners, kRunners},    {C::kShowClubs, kClubs},
        {C::kShowClasses, kClasses},    {C::kShowCourses, kCourses},
        {C::kShowFinish, kFinishLines}, {C::kShowCardReadouts, kCardReadouts}};
    for (auto [id, table] : shows) {
        cmd.bind(
            id,
            [&v, table] {
                if (!v.finish_entry_active()) v.show_table(table);
            },
            [&v, table] {
                return CommandState{!v.finish_entry_active(), v.shown_table() == table};
            });
    }

    cmd.bind(
        C::kUndo,
        [&v, &c] {
            int t = v.shown_table();
            if (!is_table(t)) return;
            v.last_row();
            int slot = c.undo_delete(static_cast<RecordType>(t));
            if (slot != kNoSlot) v.set_cursor_row(slot);
            if (t == kRunners || t == kFinishLines) finish_data_changed(c);
        },
        [&v, &c] {
            int t = v.shown_table();
            return CommandState{is_table(t) && !v.finish_entry_active() &&
                                c.can_undo_delete(static_cast<RecordType>(t))};
        });

    cmd.bind(
        C::kFind,
        [&ctx, &v] {
            auto text = ctx.prompts.ask_find_text(v.search_text);
            if (!text || text->empty()) return;
            v.find(*text);
        },
        [&v] {
            int t = v.shown_table();
            return CommandState{(t == kRunners || t == kFinishLines || t == kCardReadouts) &&
                                !v.finish_entry_active()};
        });

    cmd.bind(
        C::kSortAlphabetically,
        [&ctx, &v, &c] {
            int t = v.shown_table();
            if (!is_table(t)) return;
            if (t == kCardReadouts) {
                CardSortDialog dialog(ctx.lang(), v.card_sort_key, ctx.parent());
                if (dialog.exec() != QDialog::Accepted) return;
                v.card_sort_key = dialog.key();
            }
            // Only the order of the slots changes: the competition is not marked modified.
            sort_table(c, t, v.card_sort_key);
            if (t == kRunners) c.rebuild_number_index();
        },
        [&v, &c] {
            int t = v.shown_table();
            return CommandState{is_table(t) && !v.finish_entry_active() && live_count(c, t) > 0};
        });

    cmd.bind(
        C::kFilter,
        [&ctx, &v, &c] {
            FilterDialog dialog(ctx.lang(), c, stored_filter(c.info), ctx.parent());
            if (dialog.exec() != QDialog::Accepted) return;
            v.reset_swap();
            // Applying the filter draws and discards one random number, so that a draw that
            // follows can be reproduced from the same actions.
            ctx.state.rand15.next();
            apply_filter(c, dialog.settings());
            c.rebuild_number_index();
            v.show_table(kRunners);
            v.set_cursor_row(0);
            ctx.mark_modified();
        },
        [&v] { return CommandState{v.shown_table() == kRunners}; });

    cmd.bind(
        C::kNumberedFirst,
        [&ctx, &v, &c] {
            v.reset_swap();
            numbered_first(c);
            c.rebuild_number_index();
            v.show_table(kRunners);
            v.set_cursor_row(0);
            ctx.mark_modified();
        },
        [&v] { return CommandState{!v.finish_entry_active()}; });

    cmd.bind(
        C::kNotFinishedFirst,
        [&ctx, &v, &c] {
            v.reset_swap();
            not_finished_first(c);
            v.show_table(kRunners);
            v.set_cursor_row(0);
            ctx.mark_modified();
        },
        [&v] { return CommandState{!v.finish_entry_active()}; });

    cmd.bind(
        C::kLockMouse, [&v] { v.set_mouse_locked(!v.mouse_locked()); },
        [&v] {
            return CommandState{true, v.mouse_locked()};
        });

    cmd.bind(
        C::kFinishFlag, [&v] { v.toggle_finish_flag_and_down(); },
        [&v, &c] {
            return CommandState{v.shown_table() == kFinishLines && !v.finish_entry_active() &&
                                slot_occupied(c, kFinishLines, v.cursor_row())};
        });
}

}  // namespace skarvel
