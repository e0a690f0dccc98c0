// The one place that binds the handlers of every subsystem to the command table. A subsystem
// adds its bind_<subsystem>_commands function here (declared below); see command_table.h.
#include "app/app_context.h"
#include "app/bind_finish.h"
#include "app/main_frame.h"

namespace skarvel {

void bind_edit_commands(AppContext& ctx);
void bind_start_commands(AppContext& ctx);
void bind_punch_commands(AppContext& ctx);
void bind_results_commands(AppContext& ctx);
void bind_exchange_commands(AppContext& ctx);
void bind_network_commands(AppContext& ctx);
void bind_prerace_commands(AppContext& ctx);
void bind_sound_commands(AppContext& ctx);
void bind_screens_commands(AppContext& ctx);
void bind_multiday_commands(AppContext& ctx);
void bind_correction_commands(AppContext& ctx);
void bind_card_file_commands(AppContext& ctx);
void bind_csv_commands(AppContext& ctx);
void bind_transponder_commands(AppContext& ctx);
void bind_shared_commands(AppContext& ctx);

void bind_all_commands(AppContext& ctx) {
    bind_shell_commands(ctx);
    bind_view_commands(ctx);
    bind_finish_commands(ctx);
    bind_edit_commands(ctx);
    bind_start_commands(ctx);
    bind_punch_commands(ctx);
    bind_results_commands(ctx);
    bind_exchange_commands(ctx);
    bind_network_commands(ctx);
    bind_prerace_commands(ctx);
    bind_sound_commands(ctx);
    bind_screens_commands(ctx);
    bind_multiday_commands(ctx);
    bind_correction_commands(ctx);
    bind_card_file_commands(ctx);
    bind_csv_commands(ctx);
    bind_transponder_commands(ctx);
    bind_shared_commands(ctx);
}

}  // namespace skarvel
