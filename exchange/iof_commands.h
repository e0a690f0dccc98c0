// The IOF XML menu commands over Prompts: choose the file, read or write the message, and tell
// the user how it went. Plain C++, so the commands can be driven by tests without a window.
#pragma once

#include "core/competition.h"
#include "core/language.h"
#include "core/prompts.h"
#include "exchange/iof_xml.h"

namespace skarvel {

// Asks for the message file and imports it; the closing message counts what was added and
// what was substituted, or says why nothing was. True when the competition changed.
bool run_iof_import(Competition& c, Prompts& prompts, const LanguageTable& lang,
                    IofImportKind kind);

// Asks where to write the message and writes it. True when written.
bool run_iof_export(Competition& c, Prompts& prompts, const LanguageTable& lang,
                    IofExportKind kind);

}  // namespace skarvel
