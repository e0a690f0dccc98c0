#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "app/skarvel_view.h"
#include "app/toolbar_icons.h"
#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/text_format.h"
#include "core/wdb_file.h"
#include "platform/file_messages.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_translations.h"
#include "platform/stall_scope.h"
#include "shared/state_dir.h"
#include "shared/ui/shared_session.h"

namespace skarvel {

using namespace literals;

// ---- AppContext ----

QWidget* AppContext::parent() const {
    return &frame;
}
QString AppContext::text(Txt id) const {
    return qs(state.lang.text(id));
}
void AppContext::mark_modified() {
    competition.modified = true;
    frame.update_title();
    emit frame.competition_changed();
}
void AppContext::repaint() {
    view.data_changed();
}
std::string AppContext::file_path() const {
    return frame.file_path();
}
void AppContext::set_timer_pane(const QString& text) {
    frame.set_timer_pane(text);
}
std::uint64_t AppContext::competition_generation() const {
    return frame.competition_generation();
}
CardJournal& AppContext::journal() {
    return frame.journal();
}
void AppContext::journal_finish_line(int slot) {
    if (const FinishLine* l = competition.tables.finish_lines[slot])
        frame.journal().append(JournalEntry::finish_line(*l, slot));
}

void AppContext::show_status(const QString& text) {
    frame.show_status(text);
}

// ---- CMainFrame ----

CMainFrame::CMainFrame(Prompts* prompts, QWidget* parent)
    : QMainWindow(parent),
      competition_(std::make_unique<Competition>()),
      qt_prompts_(this),
      prompts_(prompts ? prompts : &qt_prompts_) {
    setObjectName(QStringLiteral("CMainFrame"));
    // Messages of the logic speak the interface language.
    prompts_->set_language(&state_.lang);
    state_.printer.lang = &state_.lang;
    // Every print to a PDF file asks for its file and says where it went.
    state_.printer.choose_pdf_file = [this](const QString& proposed) {
        auto chosen =
            prompts_->choose_save_file(state_.lang.text(Txt::kPdfFilter), path_of(proposed));
        return chosen ? qpath(*chosen) : QString();
    };
    state_.printer.pdf_written = [this](const QString& path) {
        show_status(qs(state_.lang.text(Txt::kPrintedToFile))
                        .replace(QStringLiteral("%s"), QDir::toNativeSeparators(path)));
    };
    // A long document keeps the window painting and can be cancelled.
    state_.printer.progress_parent = this;
    state_.printer.lang = &state_.lang;
    state_.printer.cancelled = [this](std::string_view document_name) {
        show_status(qs(state_.lang.text(Txt::kPrintCancelled))
                        .replace(QStringLiteral("%s"), qs(document_name)));
    };
    // Every file handed to the desktop: where it is, and whether anything could show it.
    state_.shell.told = [this](const QString& path, bool opened) {
        show_status(
            qs(state_.lang.text(opened ? Txt::kFileWrittenOpened : Txt::kFileWrittenNoProgram))
                .replace(QStringLiteral("%s"), QDir::toNativeSeparators(path)));
    };
    view_ = new CSkarvelView(*competition_, *prompts_, this);
    setCentralWidget(view_);
    ctx_ = std::unique_ptr<AppContext>(
        new AppContext{*competition_, *prompts_, state_, commands_, *view_, *this, {}, {}, {}});

    saver_ = std::make_unique<BackgroundSaver>(BackgroundSaver::Environment{
        *competition_, *prompts_, state_.lang, journal_, [this] { return path_; },
        [this] { return cards_not_entered(); }, [this] { update_title(); }});

    view_->on_changed = [this] {
        update_title();
        emit competition_changed();
    };
    view_->on_input = [this] { refresh_commands(); };
    view_->on_edit_row = [this] { commands_.run(CommandId::kEditRecord); };
    view_->on_delete_row = [this] { commands_.run(CommandId::kDelete); };
    view_->on_edit_finish_runner = [this] { commands_.run(CommandId::kEditFinishRunner); };
    view_->on_scroll_lock = [this] { commands_.run(CommandId::kLockMouse); };
    view_->now = [this] { return state_.program_clock(); };
    commands_.after_run = [this](CommandId id) { after_command(id); };

    build_menus();
    build_toolbar();
    build_status_bar();
    bind_all_commands(*ctx_);
    // A journal that cannot write is told at once (from whichever thread wrote).
    journal_.set_state_handler([this](bool writing) {
        QMetaObject::invokeMethod(
            this, [this, writing] { journal_state_changed(writing); }, Qt::QueuedConnection);
    });

    clock_timer_ = new QTimer(this);
    connect(clock_timer_, &QTimer::timeout, this, &CMainFrame::tick_clock);
    clock_timer_->start(100);
    // The clock shows the time from the start: a click before the first tick is not 00:00:00.
    tick_clock();
    second_timer_ = new QTimer(this);
    connect(second_timer_, &QTimer::timeout, this, &CMainFrame::tick_second);
    second_timer_->start(1000);

    setAcceptDrops(true);
    build_language_table();
    update_title();
    view_->setFocus();
}

CMainFrame::~CMainFrame() {
    shared_.reset();
    // Prompts handed in outlive the window: they must not keep its language table.
    if (&prompts_->lang() == &state_.lang) prompts_->set_language(nullptr);
    // The view refers to the competition; let Qt delete it first.
    delete view_;
    view_ = nullptr;
}

QMenu* CMainFrame::menu(std::string_view path) const {
    auto it = menus_.find(path);
    return it == menus_.end() ? nullptr : it->second;
}

void CMainFrame::build_menus() {
    actions_.assign(kCommandCount, nullptr);
    for (const MenuDef& m : menu_table()) {
        std::string path(m.path);
        auto slash = path.rfind('/');
        QMenu* menu = nullptr;
        if (slash == std::string::npos) {
            menu = menuBar()->addMenu(QString());
            top_menus_.push_back(menu);
        } else {
            QMenu* parent_menu = this->menu(path.substr(0, slash));
            menu = new QMenu(parent_menu);
        }
        menu->setObjectName(QString::fromStdString("menu_" + path));
        menus_[path] = menu;
        menu_defs_.emplace_back(menu, &m);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::refresh_commands);
    }

    for (const CommandDef& def : command_table()) {
        auto* a = new QAction(this);
        a->setObjectName(QStringLiteral("cmd_%1").arg(static_cast<int>(def.id)));
        a->setCheckable(def.checkable);
        // Accelerators are shortcuts of the window that stay live whatever the menu state:
        // the command's own state decides when it runs, so a stale menu state never swallows
        // or blocks a key.
        CommandId id = def.id;
        for (const QString& k :
             QString::fromLatin1(def.keys.data(), static_cast<qsizetype>(def.keys.size()))
                 .split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            auto* sc = new QShortcut(QKeySequence(k), this);
            sc->setContext(Qt::WindowShortcut);
            sc->setAutoRepeat(true);
            connect(sc, &QShortcut::activated, this, [this, id] { commands_.run(id); });
        }
        connect(a, &QAction::triggered, this, [this, id, a] {
            // The command's handler owns the tick: restore it until the state says otherwise.
            if (a->isCheckable()) a->setChecked(commands_.state(id).checked);
            commands_.run(id);
        });
        actions_[static_cast<int>(def.id)] = a;

        if (def.menu.empty()) continue;
        QMenu* menu = this->menu(def.menu);
        if (!menu) continue;
        // Sub-menus take their place in the parent before the first item that follows them.
        if (def.separator_before) menu->addSeparator();
        menu->addAction(a);
    }
    // Put each sub-menu into its parent: import at the top of File, the others at the end.
    for (auto& [menu, m] : menu_defs_) {
        std::string path(m->path);
        auto slash = path.rfind('/');
        if (slash == std::string::npos) continue;
        QMenu* parent_menu = this->menu(path.substr(0, slash));
        if (path == "file/import") {
            parent_menu->insertMenu(action(CommandId::kRecentFile1), menu);
        } else if (path == "service/marked" || path == "service/multiday") {
            parent_menu->insertMenu(action(CommandId::kExportStartList), menu);
        } else {
            parent_menu->addMenu(menu);
        }
    }
    update_recent_actions();
}

void CMainFrame::build_toolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(true);  // the gripper of its band
    toolbar_->setIconSize(QSize(20, 20));
    addToolBar(Qt::TopToolBarArea, toolbar_);
    for (CommandId id : toolbar_commands()) {
        if (id == CommandId::kCount) {
            toolbar_->addSeparator();
            continue;
        }
        QAction* a = action(id);
        a->setIcon(command_icon(id));
        toolbar_->addAction(a);
    }
}

void CMainFrame::build_status_bar() {
    message_pane_ = new QLabel(this);
    message_pane_->setObjectName(QStringLiteral("message_pane"));
    timer_pane_ = new QLabel(this);
    timer_pane_->setObjectName(QStringLiteral("timer_pane"));
    timer_pane_->setMinimumWidth(200);
    timer_pane_->setFrameShape(QFrame::StyledPanel);
    statusBar()->addWidget(message_pane_, 1);
    server_pane_ = new QLabel(this);
    server_pane_->setObjectName(QStringLiteral("server_pane"));
    server_pane_->setFrameShape(QFrame::StyledPanel);
    server_pane_->hide();
    statusBar()->addPermanentWidget(server_pane_);
    statusBar()->addPermanentWidget(timer_pane_);
    for (const char* name : {"CAP", "NUM", "SCRL"}) {
        auto* l = new QLabel(QString::fromLatin1(name), this);
        l->setFrameShape(QFrame::StyledPanel);
        l->setObjectName(QString::fromLatin1(name));
        statusBar()->addPermanentWidget(l);
    }
    timer_pane_->setText(QStringLiteral("Timer"));
    journal_pane_ = new QLabel(this);
    journal_pane_->setObjectName(QStringLiteral("journal_pane"));
    journal_pane_->setStyleSheet(
        QStringLiteral("QLabel { background: #C00000; color: white; font-weight: bold; }"));
    // The first of the permanent panes, right after the message pane.
    statusBar()->insertPermanentWidget(1, journal_pane_);
    journal_pane_->hide();
}

void CMainFrame::journal_state_changed(bool) {
    // The state now (another change may be on its way).
    if (!journal_.failing()) {
        if (journal_pane_->isHidden()) return;
        journal_pane_->hide();
        show_status(qs(state_.lang.text(Txt::kJournalWritesAgain)));
        return;
    }
    if (!journal_pane_->isHidden()) return;
    std::string text = file_error_message(state_.lang, state_.lang.text(Txt::kJournalCannotWrite),
                                          journal_.path(), journal_.last_error());
    journal_pane_->setText(qs(state_.lang.text(Txt::kJournalPane)));
    journal_pane_->setToolTip(qs(text));
    journal_pane_->show();
    show_status(qs(state_.lang.text(Txt::kJournalPane)));
    prompts_->message(text);
}

void CMainFrame::build_language_table() {
    apply_language(settings_.lang() != 0 ? UiLanguage::kEnglish : UiLanguage::kRussian);
}

void CMainFrame::apply_language(UiLanguage language) {
    state_.lang.build(language);
    use_qt_translation(language == UiLanguage::kEnglish);
    for (auto& [menu, m] : menu_defs_)
        menu->setTitle(m->translated ? qs(state_.lang.text(m->text)) : qs(m->fixed));
    for (const CommandDef& def : command_table()) {
        QAction* a = actions_[static_cast<int>(def.id)];
        QString text = qs(state_.lang.text(def.text));
        a->setText(text);
        QString tip = text.section(QLatin1Char('\t'), 0, 0);
        a->setToolTip(tip);
        a->setStatusTip(tip);
    }
    message_pane_->setText(qs(state_.lang.text(Txt::kReady)));
    if (view_) view_->set_english(language == UiLanguage::kEnglish);
    update_recent_actions();
    update_title();
    refresh_commands();
    menuBar()->update();
}

void CMainFrame::refresh_commands() {
    for (const CommandDef& def : command_table()) {
        QAction* a = actions_[static_cast<int>(def.id)];
        CommandState s = commands_.state(def.id);
        if (a->isEnabled() != s.enabled) a->setEnabled(s.enabled);
        if (def.checkable && a->isChecked() != s.checked) a->setChecked(s.checked);
    }
    // Accelerators of the view's keys stay live while their command is unbound, so the
    // view gets the key itself (Enter on a table with no editor yet does nothing).
}

void CMainFrame::update_recent_actions() {
    QStringList files = settings_.recent_files();
    for (int i = 0; i < UserSettings::kRecentCount; ++i) {
        QAction* a = action(static_cast<CommandId>(static_cast<int>(CommandId::kRecentFile1) + i));
        if (!a) continue;
        if (i < files.size()) {
            a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
            a->setToolTip(files[i]);
            a->setVisible(true);
        } else {
            a->setVisible(i == 0);  // an empty list shows one disabled entry
            a->setText(qs(state_.lang.text(Txt::kCmdRecentFile)));
        }
    }
}

void CMainFrame::open_recent(int index) {
    QStringList files = settings_.recent_files();
    if (index < 0 || index >= files.size()) return;
    if (!maybe_save()) return;
    open_file(files[index]);
}

void CMainFrame::update_title() {
    QString name = shared_         ? QString::fromStdString(shared_->join().describe)
                   : path_.empty() ? qs(state_.lang.text(Txt::kUntitled))
                                   : QFileInfo(qpath(path_)).fileName();
    QString title = name + QStringLiteral("[*] - Skarvel");
    if (windowTitle() != title) setWindowTitle(title);
    setWindowModified(competition_->modified);
}

void CMainFrame::show_status(const QString& text) {
    message_pane_->setText(text);
}

QString CMainFrame::status_text() const {
    return message_pane_->text();
}

void CMainFrame::set_timer_pane(const QString& text) {
    timer_pane_->setText(text);
}

void CMainFrame::after_command(CommandId) {
    update_title();
    refresh_commands();
    view_->update();
    emit competition_changed();
}

void CMainFrame::tick_clock() {
    StallScope named("clock timer");
    QTime now = QTime::currentTime();
    state_.clock.tick(now.hour(), now.minute(), now.second(), competition_->info.time_precision,
                      state_.rand15);
}

void CMainFrame::tick_second() {
    StallScope named("second timer");
    if (view_->shown_table() == view::kResultsBoard) view_->update();
    refresh_commands();
}

// ---- Document commands ----

void CMainFrame::new_competition() {
    saver_->wait();
    leave_shared();
    ++generation_;
    journal_.close();
    competition_->clear();
    path_.clear();
    view_->reset();
    update_title();
    refresh_commands();
}

bool CMainFrame::open_file(const QString& path) {
    saver_->wait();
    std::string p = path_of(path);
    LoadResult r = load_wdb(*competition_, p, *prompts_);
    if (r.status == LoadStatus::kCannotOpen) {
        // Nothing was read: the open competition stays as it was.
        settings_.remove_recent_file(path);
        update_recent_actions();
        refresh_commands();
        return false;
    }
    leave_shared();
    ++generation_;
    view_->reset();
    // Results and places as the finish lines of this file give them (a file from another
    // program version may carry other ones); derived figures only, so the file stays
    // unchanged.
    finish_data_changed(*competition_);
    if (r.status == LoadStatus::kUnknownVersion) {
        // The load left an empty competition: a new, untitled one.
        competition_->modified = false;
        path_.clear();
        journal_.close();
        update_recent_actions();
        update_title();
        refresh_commands();
        return false;
    }
    if (r.status == LoadStatus::kDamaged) {
        // What could be read is shown, but as an untitled competition: a Save must not
        // overwrite the damaged file with part of its contents.
        path_.clear();
        competition_->modified = true;
        journal_.close();
    } else {
        path_ = p;
        competition_->modified = false;
        settings_.add_recent_file(path);
        replay_journal_of_loaded();
    }
    update_recent_actions();
    update_title();
    refresh_commands();
    view_->update();
    return r.status != LoadStatus::kDamaged;
}

bool CMainFrame::save() {
    // An autosave under way ends first: its older snapshot must not land after this one.
    saver_->wait();
    if (path_.empty()) return save_as();
    int error = 0;
    if (!save_wdb(*competition_, path_, &error)) {
        prompts_->message(
            file_error_message(state_.lang, state_.lang.text(Txt::kCannotSave), path_, error));
        return false;
    }
    if (shared_) {
        // A snapshot of the shared competition: the journal and the changed mark belong to
        // the server's side.
        settings_.add_recent_file(qpath(path_));
        update_recent_actions();
        return true;
    }
    competition_->modified = false;
    restart_journal_after_save();
    settings_.add_recent_file(qpath(path_));
    update_recent_actions();
    update_title();
    return true;
}

void CMainFrame::replay_journal_of_loaded() {
    std::vector<JournalEntry> entries = read_journal(journal_path_for(path_));
    journal_.open(path_);
    if (entries.empty()) return;
    JournalReplay r = replay_journal(*competition_, entries);
    if (r.cards == 0 && r.finish_lines == 0) return;
    std::string text(state_.lang.text(Txt::kJournalRecovered));
    for (int n : {r.cards, r.finish_lines}) {
        auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(n));
    }
    prompts_->message(text);
}

void CMainFrame::restart_journal_after_save() {
    journal_.open(path_);
    journal_.clear();
    for (const JournalEntry& e : cards_not_entered()) journal_.append(e);
}

std::vector<JournalEntry> CMainFrame::cards_not_entered() {
    std::vector<JournalEntry> out;
    if (ctx_->pending_station_events)
        for (const StationEvent& e : ctx_->pending_station_events())
            if (e.competition == generation_) out.push_back(JournalEntry::from(e));
    return out;
}

bool CMainFrame::save_as() {
    saver_->wait();
    // An untitled competition is proposed under the name the title bar shows; a shared one
    // under its database's name.
    std::string suggested = !path_.empty() ? path_
                            : shared_      ? shared_->join().database + ".wdb"
                                      : cp1251_to_utf8(state_.lang.text(Txt::kUntitled)) + ".wdb";
    auto chosen = choose_save_path(*prompts_, state_.lang, state_.lang.text(Txt::kDocFilter),
                                   suggested, "wdb");
    if (!chosen) return false;
    std::string p = *chosen;
    std::string old = path_;
    path_ = p;
    if (!save()) {
        path_ = old;
        update_title();
        return false;
    }
    return true;
}

bool CMainFrame::maybe_save() {
    saver_->wait();
    // Cards already read belong to this competition: enter them before the question, so they
    // are saved with it (or the user knowingly drops them).
    if (ctx_->apply_station_events) ctx_->apply_station_events();
    if (shared_) {
        // The server holds the competition: only what has not reached it is at stake.
        shared_->capture_now();
        if (shared_->waiting() == 0) return true;
        return prompts_->ask_yes_no(
            strf_view(state_.lang.text(Txt::kSharedStillWaiting), shared_->waiting()));
    }
    if (!competition_->modified) return true;
    QString name =
        path_.empty() ? qs(state_.lang.text(Txt::kUntitled)) : QFileInfo(qpath(path_)).fileName();
    QString question = qs(state_.lang.text(Txt::kSaveChanges)).replace(QStringLiteral("%s"), name);
    int answer;
    if (save_question_answer) {
        answer = save_question_answer();
    } else {
        answer = QMessageBox::question(this, QStringLiteral("Skarvel"), question,
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                       QMessageBox::Yes);
    }
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::No) {
        // The changes are given up knowingly: the journal must not bring them back.
        journal_.clear();
        return true;
    }
    return save();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!maybe_save()) {
        event->ignore();
        return;
    }
    view_->set_mouse_locked(false);
    QSettings("Skarvel", "Skarvel").setValue("Setup/WindowGeometry", saveGeometry());
    event->accept();
}

void CMainFrame::restore_window() {
    QByteArray geometry =
        QSettings("Skarvel", "Skarvel").value("Setup/WindowGeometry").toByteArray();
    if (!geometry.isEmpty() && restoreGeometry(geometry)) {
        show();
        return;
    }
    // Without a window manager "maximised" changes nothing: start at most of the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        resize(std::max(900, area.width() * 9 / 10), std::max(600, area.height() * 9 / 10));
        move(area.topLeft());
    } else {
        resize(1280, 800);
    }
    showMaximized();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QStringLiteral(".wdb"), Qt::CaseInsensitive)) {
            event->acceptProposedAction();
            return;
        }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        QString file = url.toLocalFile();
        if (!file.endsWith(QStringLiteral(".wdb"), Qt::CaseInsensitive)) continue;
        event->acceptProposedAction();
        if (maybe_save()) open_file(file);
        after_command(CommandId::kOpen);
        return;  // one competition at a time: the first dropped file
    }
}

}  // namespace skarvel
