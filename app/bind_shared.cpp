// Handlers of the shared competition: "Разместить на сервере..." and "Открыть с сервера...".
// The server's address is a user setting of this machine ("Shared"/"Host", "Port",
// "Database", "User"); the password never is (libpq reads the password file).
#include <QSettings>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "shared/ui/shared_dialogs.h"
#include "shared/ui/shared_session.h"

namespace skarvel {

namespace {

ServerAddress load_address() {
    QSettings s("Skarvel", "Skarvel");
    s.beginGroup("Shared");
    ServerAddress a;
    a.host = s.value("Host", QString::fromStdString(a.host)).toString().toStdString();
    a.port = s.value("Port", a.port).toInt();
    a.database = s.value("Database", QString::fromStdString(a.database)).toString().toStdString();
    a.user = s.value("User", QString()).toString().toStdString();
    return a;
}

void save_address(const ServerAddress& a) {
    QSettings s("Skarvel", "Skarvel");
    s.beginGroup("Shared");
    s.setValue("Host", QString::fromStdString(a.host));
    s.setValue("Port", a.port);
    s.setValue("Database", QString::fromStdString(a.database));
    s.setValue("User", QString::fromStdString(a.user));
}

// The address the user confirms in the dialog; false when cancelled.
bool ask_address(AppContext& ctx, bool share, ServerAddress& out) {
    ServerAddressDialog dialog(load_address(), share, ctx.lang(), ctx.parent());
    if (dialog.exec() != QDialog::Accepted) return false;
    out = dialog.address();
    save_address(out);
    return true;
}

}  // namespace

void bind_shared_commands(AppContext& ctx) {
    using C = CommandId;
    CMainFrame& frame = ctx.frame;
    ctx.commands.bind(
        C::kShareOnServer,
        [&ctx, &frame] {
            ServerAddress a;
            if (ask_address(ctx, true, a)) frame.share_competition(a);
        },
        [&frame] { return CommandState{frame.shared() == nullptr}; });
    ctx.commands.bind(C::kOpenFromServer, [&ctx, &frame] {
        if (!frame.maybe_save()) return;
        ServerAddress a;
        if (ask_address(ctx, false, a)) frame.open_shared(a);
    });
}

}  // namespace skarvel
