// The IOF XML export button that the start and result dialogs carry (bound in
// app/bind_exchange.cpp).
#pragma once

#include "exchange/iof_xml.h"

class QDialog;

namespace skarvel {

struct AppContext;

// Puts the IOF XML export of `kind` into the dialog's button row.
void add_iof_export(QDialog& dialog, AppContext& ctx, IofExportKind kind);

}  // namespace skarvel
