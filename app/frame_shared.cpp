// The main window and a competition shared on a PostgreSQL server: joining one ("Открыть с
// сервера..."), putting the open one there ("Разместить на сервере..."), the status bar's
// server pane, and the session's hooks into the window (see shared/ui/shared_session.h).
#include <QApplication>
#include <QLabel>
#include <memory>

#include "app/main_frame.h"
#include "app/skarvel_view.h"
#include "core/finish_results.h"
#include "core/text_format.h"
#include "core/wdb_file.h"
#include "platform/qt/qt_text.h"
#include "shared/identity.h"
#include "shared/pg.h"
#include "shared/schema.h"
#include "shared/shared_journal.h"
#include "shared/state_dir.h"
#include "shared/store.h"
#include "shared/ui/shared_dialogs.h"
#include "shared/ui/shared_session.h"

namespace skarvel {

namespace {

// The local fields (marks, the list view's own settings) of the records of `from`, given to
// the records of `to` in the same table order: sharing a competition keeps the operator's
// marks although the records come back from the server.
template <class R>
void carry_local(const Table<R>& from, Table<R>& to) {
    int j = 0;
    for (int i = 0; i < from.used_end(); ++i) {
        const R* old = from[i];
        if (!old) continue;
        while (j < to.used_end() && !to[j]) ++j;
        R* now = to[j++];
        if (!now) return;
        constexpr int kind = shared::kind_of_record<R>();
        shared::Bytes local(R::kSize), shared_now(R::kSize);
        codec::put(local.data(), *old);
        codec::put(shared_now.data(), *now);
        shared::Bytes merged = shared::with_local_bits(kind, shared_now, local);
        codec::get(merged.data(), *now);
    }
}

// A connection to the server at `address`; null after telling why there is none.
std::unique_ptr<pg::Connection> connect_told(const std::string& conninfo,
                                             const ServerAddress& address,
                                             const LanguageTable& lang, Prompts& prompts) {
    std::string why;
    auto db = pg::Connection::open(conninfo, why);
    if (!db)
        prompts.message(strf_view(lang.text(Txt::kSharedCannotConnect), address.describe().c_str(),
                                  why.c_str()));
    return db;
}

// This window's own folder for the shared competition under `root` (empty: the user's data
// folder); null after telling why there is none.
std::unique_ptr<shared::StateDir> claim_state_dir(const QString& root,
                                                  const std::string& competition_id,
                                                  const std::string& origin,
                                                  const LanguageTable& lang, Prompts& prompts) {
    std::string folder = root.isEmpty() ? shared::StateDir::default_root() : path_of(root);
    auto state = shared::StateDir::claim(folder, competition_id, "window", origin);
    if (!state) prompts.message(strf_view(lang.text(Txt::kSharedNoStateFolder), folder.c_str()));
    return state;
}

}  // namespace

void CMainFrame::update_server_pane() {
    if (!server_pane_) return;
    server_pane_->setVisible(shared_ != nullptr);
    if (shared_) server_pane_->setText(qs(shared_->status_text(state_.lang)));
}

void CMainFrame::leave_shared() {
    shared_.reset();
    shared_state_.reset();
    update_server_pane();
}

bool CMainFrame::open_shared(const ServerAddress& address) {
    saver_->wait();
    const LanguageTable& lang = state_.lang;
    std::string conninfo = pg::with_network_options(address.conninfo(), "skarvel");
    auto db = connect_told(conninfo, address, lang, *prompts_);
    if (!db) return false;
    auto snapshot = std::make_unique<shared::Snapshot>();
    shared::FetchResult r = shared::fetch_snapshot(*db, *snapshot);
    switch (r.status) {
        case shared::FetchStatus::kOk:
            break;
        case shared::FetchStatus::kNotShared:
            prompts_->message(
                strf_view(lang.text(Txt::kSharedNotShared), address.describe().c_str()));
            return false;
        case shared::FetchStatus::kNewerSchema: {
            prompts_->message(strf_view(lang.text(Txt::kSharedNewerSchema),
                                        address.describe().c_str(), r.schema_version,
                                        shared::kSchemaVersion));
            return false;
        }
        case shared::FetchStatus::kFailed:
            prompts_->message(strf_view(lang.text(Txt::kSharedReadFailed), r.error.c_str()));
            return false;
    }
    auto state = claim_state_dir(shared_state_root, snapshot->competition_id, {}, lang, *prompts_);
    if (!state) return false;
    // Cards already read belong to the competition open until now.
    if (ctx_->apply_station_events) ctx_->apply_station_events();
    leave_shared();
    ++generation_;
    journal_.close();
    shared::build_competition(*competition_, *snapshot, state->origin());
    path_.clear();
    view_->reset();
    start_shared(conninfo, address, std::move(state), *snapshot, *db);
    update_title();
    refresh_commands();
    view_->update();
    return true;
}

bool CMainFrame::share_competition(const ServerAddress& address) {
    saver_->wait();
    const LanguageTable& lang = state_.lang;
    std::string conninfo = pg::with_network_options(address.conninfo(), "skarvel");
    auto db = connect_told(conninfo, address, lang, *prompts_);
    if (!db) return false;
    if (ctx_->apply_station_events) ctx_->apply_station_events();
    std::string origin = shared::new_origin_id();
    shared::ShareResult r =
        shared::share_competition(*db, *competition_, origin, shared::host_name(), false);
    if (r.status == shared::ShareStatus::kAlreadyShared &&
        prompts_->ask_yes_no(
            strf_view(lang.text(Txt::kSharedAlreadyThere), address.describe().c_str())))
        r = shared::share_competition(*db, *competition_, origin, shared::host_name(), true);
    switch (r.status) {
        case shared::ShareStatus::kOk:
            break;
        case shared::ShareStatus::kAlreadyShared:
            return false;
        case shared::ShareStatus::kNewerSchema: {
            prompts_->message(strf_view(lang.text(Txt::kSharedNewerSchema),
                                        address.describe().c_str(), 0, shared::kSchemaVersion));
            return false;
        }
        case shared::ShareStatus::kFailed:
            prompts_->message(strf_view(lang.text(Txt::kSharedShareFailed), r.error.c_str()));
            return false;
    }
    auto snapshot = std::make_unique<shared::Snapshot>();
    shared::FetchResult f = shared::fetch_snapshot(*db, *snapshot);
    if (f.status != shared::FetchStatus::kOk) {
        prompts_->message(strf_view(lang.text(Txt::kSharedReadFailed), f.error.c_str()));
        return false;
    }
    auto state =
        claim_state_dir(shared_state_root, snapshot->competition_id, origin, lang, *prompts_);
    if (!state) return false;
    // The records come back as the server has them, with this computer's marks kept.
    auto before = std::make_unique<Competition>();
    std::vector<std::uint8_t> bytes = encode_wdb(*competition_);
    decode_wdb(*before, bytes.data(), bytes.size());
    leave_shared();
    journal_.close();
    shared::build_competition(*competition_, *snapshot, state->origin());
    carry_local(before->tables.runners, competition_->tables.runners);
    carry_local(before->tables.clubs, competition_->tables.clubs);
    carry_local(before->tables.classes, competition_->tables.classes);
    carry_local(before->tables.courses, competition_->tables.courses);
    carry_local(before->tables.finish_lines, competition_->tables.finish_lines);
    finish_data_changed(*competition_);
    path_.clear();
    start_shared(conninfo, address, std::move(state), *snapshot, *db);
    update_title();
    refresh_commands();
    view_->update();
    return true;
}

void CMainFrame::start_shared(const std::string& conninfo, const ServerAddress& address,
                              std::unique_ptr<shared::StateDir> state,
                              const shared::Snapshot& snapshot, pg::Connection& db) {
    shared_state_ = std::move(state);
    SharedSession::Environment env;
    env.competition = [this]() -> Competition& { return *competition_; };
    env.may_apply = [this] {
        return QApplication::activeModalWidget() == nullptr &&
               QApplication::activePopupWidget() == nullptr &&
               commands_.running() == CommandId::kCount;
    };
    // Rows coming in may move the records of a table (a line of another computer takes its
    // place before this computer's newest): the cursor stays on the record it was on, so a
    // number typed next goes where the operator looks.
    auto anchor = std::make_shared<const void*>(nullptr);
    env.before_changes = [this, anchor] {
        *anchor = nullptr;
        int table = view_->shown_table();
        if (table < 0 || table >= kRecordTypeCount) return;
        with_table(competition_->tables, static_cast<RecordType>(table),
                   [&](auto& t) { *anchor = t[view_->cursor_row()]; });
    };
    env.changed = [this, anchor](const shared::Applied&) {
        finish_data_changed(*competition_);
        int table = view_->shown_table();
        if (*anchor && table >= 0 && table < kRecordTypeCount) {
            int slot = kNoSlot;
            with_table(competition_->tables, static_cast<RecordType>(table), [&](auto& t) {
                for (int i = 0; i < t.used_end() && slot == kNoSlot; ++i)
                    if (t[i] == *anchor) slot = i;
            });
            if (slot != kNoSlot && slot != view_->cursor_row()) view_->set_cursor_row(slot);
        }
        view_->update();
        // The display pages and the screens follow as they do after a change made here.
        emit competition_changed();
    };
    env.decide = [this](const shared::Conflict& k) {
        if (conflict_answer) return conflict_answer(k);
        ConflictDialog dialog(k, state_.lang, this);
        dialog.exec();
        return dialog.decided() ? (dialog.keep_mine() ? 1 : 0) : -1;
    };
    env.all_stored = [this] {
        // Everything is on the server: the journal keeps only what has not been entered.
        journal_.clear();
        for (const JournalEntry& e : cards_not_entered()) journal_.append(e);
        if (competition_->modified) {
            competition_->modified = false;
            update_title();
        }
    };
    env.refused = [this](const std::string& why) {
        show_status(qs(strf_view(state_.lang.text(Txt::kSharedRefused), why.c_str())));
    };
    SharedSession::Join join{conninfo,
                             address.describe(),
                             address.database,
                             shared_state_->origin(),
                             shared::host_name(),
                             snapshot.competition_id,
                             shared_state_->path() + "/outbox"};
    shared_ = std::make_unique<SharedSession>(std::move(env), std::move(join), *competition_,
                                              snapshot, &db);
    connect(shared_.get(), &SharedSession::state_changed, this, [this] { update_server_pane(); });
    // Every change point (a command, an editor, a card, a finish line) is looked at.
    connect(this, &CMainFrame::competition_changed, shared_.get(), &SharedSession::changed);
    // Cards and finish lines this computer journaled and the server may not have: entered
    // again (what the competition holds already is passed over), then sent.
    std::string base = shared_state_->journal_base();
    std::vector<JournalEntry> entries = read_journal(journal_path_for(base));
    journal_.open(base);
    if (!entries.empty()) {
        JournalReplay r = shared::replay_journal_shared(*competition_, std::move(entries));
        if (r.cards > 0 || r.finish_lines > 0) {
            prompts_->message(
                strf_view(state_.lang.text(Txt::kSharedJournalRecovered), r.cards, r.finish_lines));
        }
    }
    competition_->modified = false;
    shared_->changed();
    update_server_pane();
}

}  // namespace skarvel
