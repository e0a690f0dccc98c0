// A competition that went through a file (a command-line command given `--db`) comes back
// without its row tags. `retag` gives its records the tags of the records they were: the same
// shared bytes first, then the same id (runners, clubs, classes, courses), then what is left
// in table order. What matches nothing is new; what is matched by nothing was deleted.
#pragma once

#include "core/competition.h"

namespace skarvel::shared {

void retag(const Competition& before, Competition& after);

}  // namespace skarvel::shared
