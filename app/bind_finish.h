// The finish-list and split-printout commands of the desktop program, and the save that
// finish autosave uses (other bindings may share it).
#pragma once

#include "app/app_context.h"
#include "punch/finish_list.h"

namespace skarvel {

void bind_finish_commands(AppContext& ctx);
// Saves under the competition's file name without holding up the window (finish autosave,
// through the main window's BackgroundSaver).
CompetitionSaver competition_saver(AppContext& ctx);

}  // namespace skarvel
