// Binds record editing and deletion, finish number entry, quick edit, the status loop, Join
// and the maintenance commands to the command table and the list view's key hook.
#include <memory>

#include "app/app_context.h"
#include "app/editors/edit_commands.h"
#include "app/main_frame.h"
#include "app/skarvel_view.h"

namespace skarvel {

void bind_edit_commands(AppContext& ctx) {
    Competition& c = ctx.competition;
    CSkarvelView& v = ctx.view;
    CMainFrame& frame = ctx.frame;
    EditCommands::Deps deps{
        c,
        ctx.prompts,
        ctx.lang(),
        v,
        [&ctx] { return ctx.parent(); },
        [&ctx] { ctx.mark_modified(); },
        // Without a file name the logic asks the user to save first; a failed save is told
        // by the saver, once.
        [&frame] { return frame.saver().request(); },
        [&ctx] { return ctx.settings.auto_load() != 0; },
        [&ctx](bool on) { ctx.settings.set_auto_load(on ? 1 : 0); },
        [&ctx](int slot) { ctx.journal_finish_line(slot); },
    };
    // The commands' state lives as long as the bindings that share it.
    auto e = std::make_shared<EditCommands>(std::move(deps));
    v.set_key_handler([e](QKeyEvent* k) { return e->handle_key(k); });

    CommandRegistry& cmd = ctx.commands;
    using C = CommandId;
    auto no_entry = [&v] { return CommandState{!v.finish_entry_active()}; };
    cmd.bind(
        C::kEditRecord, [e] { e->edit_record(); },
        [e] { return CommandState{e->can_edit_record()}; });
    cmd.bind(
        C::kEditFinishRunner, [e] { e->edit_finish_runner(); },
        [e] { return CommandState{e->can_edit_finish_runner()}; });
    cmd.bind(
        C::kDelete, [e] { e->delete_record(); },
        [e] { return CommandState{e->can_delete_record()}; });
    cmd.bind(
        C::kCompetitionInfo, [e] { e->competition_info(); }, no_entry);
    cmd.bind(
        C::kDisqualification, [e] { e->status(); },
        [&v, &c] {
            return CommandState{!v.finish_entry_active() && c.tables.runners.occupied_count() > 0};
        });
    cmd.bind(
        C::kJoin, [e] { e->join(); }, [e] { return CommandState{e->can_join()}; });
    cmd.bind(
        C::kCheckDoubleCards, [e] { e->check_double_cards(); }, no_entry);
    cmd.bind(
        C::kStartGates, [e] { e->start_gates(); }, no_entry);
    cmd.bind(
        C::kMulticrossToSplit, [e] { e->multicross_to_split(); }, no_entry);
}

}  // namespace skarvel
