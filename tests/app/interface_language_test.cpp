// Every menu command and every dialog of the main window, opened on the demo competition in
// each interface language: the English interface shows no Cyrillic (the competition's own
// names aside), the Russian one no English beyond the program's own names; and every dialog
// fits a 1024x600 screen with its buttons in view.
#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSet>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <span>

#include "app/view_logic.h"
#include "core/demo_competition.h"
#include "core/language.h"
#include "core/qualification.h"
#include "platform/qt/dialog_sizing.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/sound_service.h"
#include "tests/main_window_fixture.h"

using namespace skarvel;
using namespace skarvel::testing;

namespace {

using C = CommandId;

// Not run: they empty the competition, leave the window, switch the language, open a serial port
// or the network, hand a file to the desktop, or show the system's printer dialog (its texts are
// the toolkit's own).
const C kNotRun[] = {C::kNew,
                     C::kExit,
                     C::kEnglish,
                     C::kRussian,
                     C::kStartReading,
                     C::kStartServer,
                     C::kStartClient,
                     C::kHelp,
                     C::kRadioControls,
                     C::kSelectPrinter,
                     C::kLockMouse,
                     C::kRecentFile1,
                     C::kRecentFile2,
                     C::kRecentFile3,
                     C::kRecentFile4,
                     C::kRecentFile5,
                     C::kIntermediateFinish,
                     C::kAmbRead,
                     C::kNoCommand};

// The English words a Russian interface keeps: the program's and formats' names, key names,
// units, and the menu titles and buttons that have one text in both languages.
const QSet<QString> kRussianAllows = {
    "Skarvel",   "VP",       "EntryList",   "CourseData", "ClassList", "StartList",  "ResultList",
    "WOC",       "OK",       "HTML",        "CSV",        "WDB",       "wdb",        "PDF",
    "pdf",       "IOF",      "XML",         "OSV",        "LCD",       "AMB",        "PALM",
    "VpConfig",  "OCAD",     "RouteGadget", "Vespunt",    "Ctrl",      "Shift",      "Alt",
    "Del",       "Enter",    "Insert",      "ScrollLock", "PgDn",      "PgUp",       "Esc",
    "Backspace", "Tab",      "English",     "Russian",    "Language",  "COM",        "on",
    "line",      "MultiDay", "Marked",      "route",      "import",    "Export",     "Import",
    "from",      "Timer",    "Start",       "Finish",     "read",      "Send",       "multicross",
    "split",     "dev",      "tty",         "Wave",       "wav",       "ms",         "txt",
    "htm",       "files",    "Files",       "St",         "xNNN",      "UDP",        "HTTP",
    "ch",        "BSM",      "BS",          "Word",       "Comment",   "PostgreSQL", "pgpass"};

const C kTables[] = {C::kShowRunners, C::kShowClubs,  C::kShowClasses,
                     C::kShowCourses, C::kShowFinish, C::kShowCardReadouts};

// Commands showing texts of the other language. In English the bib commands and the two-day
// extracts, whose menu texts and the bib dialog are the same in both languages, and the three
// overview lists, whose save dialogs are titled with their Russian file names; in Russian the
// two network dialogs, whose title and label the program has always shown in English in both
// languages, and the bib and day-file dialogs with their "Cancel". A listed command that
// becomes clean fails the test.
const std::vector<C> kEnglishLeft = {C::kPrintBibs2007, C::kPrintBibsWoc, C::kPrintExtractsMk,
                                     C::kPrintClubs,    C::kPrintClasses, C::kPrintCourses};
const std::vector<C> kRussianLeft = {C::kServerSettings, C::kOnlineSetup, C::kPrintBibs2007,
                                     C::kPrintBibsWoc, C::kMultiDayRead};

// The smallest screen the dialogs must fit.
constexpr QSize kNetbook(1024, 600);

bool has_cyrillic(const QString& s) {
    return std::any_of(s.begin(), s.end(),
                       [](QChar ch) { return ch.unicode() >= 0x0400 && ch.unicode() <= 0x04FF; });
}

QStringList latin_words(const QString& s) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QRegularExpression url(QStringLiteral("https?://\\S*"));
    QStringList out;
    // An example address is not a word; the punch check's answer has one form.
    const QString text = QString(s).remove(url).remove(QStringLiteral("Check_cp="));
    for (auto it = word.globalMatch(text); it.hasNext();) out << it.next().captured();
    return out;
}

}  // namespace

class InterfaceLanguageTest : public QObject, MainWindowFixture {
    Q_OBJECT

    QStringList texts_;  // "where: text"
    QString where_;
    std::vector<C> sources_;  // the command each text came from (kCount: menus, headers, editors)
    C command_ = C::kCount;
    QStringList data_;   // the competition's own texts, longest first
    QStringList unfit_;  // dialogs larger than kNetbook, or with a button out of view

    void add(const QString& text) {
        QString t = text;
        // A cell or list entry made of the competition's own names (a course's classes, a
        // rank "8:МС" in the rank list) is data, however short the names are.
        const QStringList words = t.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!words.isEmpty() && std::all_of(words.begin(), words.end(), [this](QString w) {
                if (w.size() > 2 && w[1] == QLatin1Char(':')) w = w.mid(2);
                return data_.contains(w);
            }))
            return;
        for (const QString& d : data_)
            if (d.size() >= 4) t.remove(d);
        t.remove(QLatin1Char('&'));
        if (t.trimmed().isEmpty()) return;
        texts_ << where_ + QStringLiteral(": ") + t;
        sources_.push_back(command_);
    }
    void add_cp(std::string_view cp1251) { add(qs(cp1251)); }

    // A command's menu text counts as that command's.
    void collect_menu(QMenu* m) {
        add(m->title());
        for (QAction* a : m->actions()) {
            for (int i = 0; i < static_cast<int>(C::kCount); ++i)
                if (frame->action(static_cast<C>(i)) == a) command_ = static_cast<C>(i);
            add(a->text());
            add(a->toolTip());
            command_ = C::kCount;
            if (a->menu()) collect_menu(a->menu());
        }
    }

    void collect_widget(QWidget* w) {
        add(w->windowTitle());
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (!c->toolTip().isEmpty()) add(c->toolTip());
            if (auto* l = qobject_cast<QLabel*>(c)) add(l->text());
            if (auto* b = qobject_cast<QAbstractButton*>(c)) add(b->text());
            if (auto* g = qobject_cast<QGroupBox*>(c)) add(g->title());
            if (auto* e = qobject_cast<QLineEdit*>(c)) add(e->placeholderText());
            if (auto* box = qobject_cast<QComboBox*>(c); box && !box->isEditable())
                for (int i = 0; i < box->count(); ++i) add(box->itemText(i));
            if (auto* t = qobject_cast<QTabBar*>(c))
                for (int i = 0; i < t->count(); ++i) add(t->tabText(i));
            if (auto* h = qobject_cast<QHeaderView*>(c); h && h->model())
                for (int i = 0; i < h->count(); ++i)
                    add(h->model()->headerData(i, h->orientation()).toString());
        }
    }

    // A dialog larger than the netbook's screen, or a button of it (outside the part that
    // scrolls) that is not in view.
    void check_fits(QWidget* w) {
        auto* d = qobject_cast<QDialog*>(w);
        if (!d) return;
        const QSize room = dialog_room(kNetbook);
        if (d->width() > room.width() || d->height() > room.height())
            unfit_ << QStringLiteral("%1: %2 is %3x%4")
                          .arg(where_, d->windowTitle())
                          .arg(d->width())
                          .arg(d->height());
        for (QAbstractButton* b : d->findChildren<QAbstractButton*>()) {
            if (!b->isVisibleTo(d)) continue;
            bool scrolls = false;
            for (QWidget* p = b->parentWidget(); p && p != d; p = p->parentWidget())
                scrolls = scrolls || qobject_cast<QScrollArea*>(p);
            if (!scrolls && !d->rect().contains(QRect(b->mapTo(d, QPoint(0, 0)), b->size())))
                unfit_ << QStringLiteral("%1: button '%2' out of view").arg(where_, b->text());
        }
    }

    // Collects and closes every dialog that opens while `run` runs (and any window it leaves).
    void walk(const QString& where, const std::function<void()>& run) {
        where_ = where;
        QTimer closer;
        closer.setInterval(5);
        connect(&closer, &QTimer::timeout, this, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                check_fits(w);
                collect_widget(w);
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->reject();
                else
                    w->close();
            }
        });
        closer.start();
        run();
        closer.stop();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != frame.get() && w->isVisible() && !qobject_cast<QMenu*>(w)) {
                check_fits(w);
                collect_widget(w);
                w->close();
            }
        for (const auto& q : prompts->questions) add_cp(q);
        for (const auto& m : prompts->messages) add_cp(m);
        for (const auto& c : prompts->captions) add_cp(c);
        for (const auto& f : prompts->file_dialogs) add_cp(f.title);
        prompts->questions.clear();
        prompts->messages.clear();
        prompts->captions.clear();
        prompts->file_dialogs.clear();
    }

    void open_demo() {
        texts_.clear();
        sources_.clear();
        data_.clear();
        DemoOptions o;
        o.runners = 60;
        make_demo_competition(c(), o);
        const Competition& k = c();
        auto keep = [this](std::string_view s) {
            if (!s.empty()) data_ << qs(s).trimmed();
        };
        auto names = [&keep](const auto& table) {
            for (int i = 0; i < table.capacity(); ++i)
                if (const auto* r = table[i]) keep(field_text(r->name));
        };
        names(k.tables.runners);
        names(k.tables.clubs);
        names(k.tables.classes);
        names(k.tables.courses);
        for (int i = 0; i < k.tables.runners.capacity(); ++i)
            if (const Runner* r = k.tables.runners[i]) keep(field_text(r->comment));
        // Rank designations are entered with the runners and printed as they are.
        for (int i = 0; i < kQualificationCount; ++i) keep(qualification_text(i));
        for (int i = 0; i < k.tables.clubs.capacity(); ++i)
            if (const Club* r = k.tables.clubs[i]) keep(field_text(r->representative));
        for (const auto& line : k.info.title_lines) keep(field_text(line));
        for (const auto& s : k.info.course_setters) keep(field_text(s));
        keep(field_text(k.info.place));
        keep(field_text(k.info.chief_judge));
        keep(field_text(k.info.chief_secretary));
        keep(field_text(k.info.date));
        // Status texts print in the protocols as they are (the status dialog shows the standard
        // ones in its empty fields).
        for (int s = 0; s < kStatusCount; ++s) {
            keep(field_text(k.info.status_short_texts[s]));
            keep(field_text(k.info.status_names[s]));
        }
        data_.removeAll(QString());
        std::sort(data_.begin(), data_.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        frame->refresh_commands();
    }

    // The menus, the toolbar, the list view's headers, then every command and every editor.
    void walk_everything(bool english) {
        open_demo();
        // Switched there and back: the language is applied however the window started.
        trigger(english ? C::kRussian : C::kEnglish);
        trigger(english ? C::kEnglish : C::kRussian);
        auto* sound = frame->findChild<SoundService*>(QStringLiteral("sound_service"));
        if (sound) {
            sound->has_input = [] { return false; };
            sound->has_output = [] { return false; };
        }
        where_ = QStringLiteral("menus");
        for (QMenu* m : frame->top_menus()) collect_menu(m);
        for (QAction* a : frame->tool_bar()->actions()) add(a->toolTip());
        for (int table : {kRunners, kClubs, kClasses, kCourses, kFinishLines, kCardReadouts}) {
            where_ = QStringLiteral("table %1").arg(table);
            for (const view::Column& col : view::columns(table))
                if (col.header != Txt::kCount) add_cp(text_in(english, col.header));
            view::RowContext ctx;
            ctx.english = english;
            view::prepare_paint(c(), table, ctx);
            for (int slot = 0; slot < 100; ++slot)
                for (const view::Cell& cell : view::row_cells(c(), table, slot, ctx))
                    add_cp(cell.text);
        }
        for (const CommandDef& d : command_table()) {
            if (std::find(std::begin(kNotRun), std::end(kNotRun), d.id) != std::end(kNotRun))
                continue;
            // Run where the command is enabled: on the runners table or the first other one.
            for (C table : kTables) {
                trigger(table);
                if (enabled(d.id)) break;
            }
            command_ = d.id;
            walk(QStringLiteral("command %1 (%2)")
                     .arg(static_cast<int>(d.id))
                     .arg(qs(text_pair(d.text).ru)),
                 [this, &d] { trigger(d.id); });
        }
        command_ = C::kCount;
        for (C table : kTables) {
            trigger(table);
            walk(QStringLiteral("editor of table %1").arg(static_cast<int>(table)), [this] {
                if (view().on_edit_row) view().on_edit_row();
            });
        }
        where_ = QStringLiteral("status bar");
        add(frame->statusBar()->currentMessage());
    }

    // Fails for a text that breaks `bad` unless it comes from a command listed in `left` (the
    // commands whose messages are not in the language table yet); a listed command that
    // shows no such text any more fails too, so the list only shrinks.
    void check(const std::function<bool(const QString&)>& bad, std::span<const C> left) {
        QStringList failures, listed;
        QSet<int> still;
        for (int i = 0; i < texts_.size(); ++i) {
            if (!bad(texts_[i].section(QStringLiteral(": "), 1))) continue;
            if (std::find(left.begin(), left.end(), sources_[i]) == left.end())
                failures << texts_[i];
            else
                still.insert(static_cast<int>(sources_[i]));
        }
        for (C id : left)
            if (!still.contains(static_cast<int>(id)))
                failures << QStringLiteral("command %1 is clean now: take it off the list")
                                .arg(static_cast<int>(id));
        for (const QString& f : failures) qInfo().noquote() << f;
        QVERIFY2(failures.isEmpty(),
                 qPrintable(QStringLiteral("%1 texts (listed above)").arg(failures.size())));
        QVERIFY(texts_.size() > 500);
        QVERIFY2(unfit_.isEmpty(), qPrintable(unfit_.join('\n')));
    }

  private slots:
    void initTestCase() {
        QVERIFY(set_up_program());
        // As the program does, on the smallest screen it must fit.
        install_dialog_sizing(*qApp);
        set_dialog_screen(kNetbook);
    }
    void init() {
        unfit_.clear();
        QVERIFY(open(1000, 600, false));
    }
    void cleanup() { close(); }

    void englishInterfaceHasNoCyrillic() {
        walk_everything(true);
        check(has_cyrillic, kEnglishLeft);
        // The walk did open the dialogs and the editors.
        for (const char* seen : {": Filter", ": Print start list", ": Electronic punching settings",
                                 ": Year of birth", ": Representative", ": Print result"})
            QVERIFY2(
                texts_.indexOf(QRegularExpression(".*" + QRegularExpression::escape(seen))) >= 0,
                seen);
    }

    void russianInterfaceHasNoEnglishLeftovers() {
        walk_everything(false);
        check(
            [](const QString& t) {
                const QStringList words = latin_words(t);
                return std::any_of(words.begin(), words.end(),
                                   [](const QString& w) { return !kRussianAllows.contains(w); });
            },
            kRussianLeft);
    }
};

QTEST_MAIN(InterfaceLanguageTest)
#include "interface_language_test.moc"
