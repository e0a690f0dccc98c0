// Toolbar icons: the file, print, delete, undo and find buttons use the style's standard
// icons; the others are drawn here with QPainter (a coloured tile with a short sign), so the
// program ships no image files.
#pragma once

#include <QIcon>

#include "app/command_table.h"

namespace skarvel {

QIcon command_icon(CommandId id);

}  // namespace skarvel
