// Where the user guide is: "<Setup/dir>/skarvel.mht". When "dir" is not set, the folder of
// the installed (or built) program if the guide is there, else the source tree's doc folder.
#pragma once

#include <QString>

namespace skarvel {

QString help_dir(const QString& configured_dir);
QString help_file_path(const QString& configured_dir);

}  // namespace skarvel
