// Where the user guide is: "<Setup/dir>/skarvel.mht" (Russian) and "<dir>/skarvel-en.mht"
// (English), built from docs/guide.<language>.md. When "dir" is not set, the folder of the
// installed (or built) program if the guide is there, else the folder the build made it in.
#pragma once

#include <QString>

namespace skarvel {

QString help_dir(const QString& configured_dir);
// The guide in the interface's language; the Russian one where no English one is found.
QString help_file_path(const QString& configured_dir, bool english = false);

}  // namespace skarvel
