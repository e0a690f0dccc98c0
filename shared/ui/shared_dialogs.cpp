#include "shared/ui/shared_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "core/time_text.h"
#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"
#include "shared/pg.h"

namespace skarvel {

using shared::Bytes;
using shared::Conflict;

std::string ServerAddress::conninfo() const {
    return pg::make_conninfo(host, port, database, user);
}

std::string ServerAddress::describe() const {
    return (user.empty() ? std::string() : user + "@") + host + ":" + std::to_string(port) + "/" +
           database;
}

ServerAddressDialog::ServerAddressDialog(const ServerAddress& initial, bool share,
                                         const LanguageTable& lang, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(
        qs(lang.text(share ? Txt::kSharedServerDialogShare : Txt::kSharedServerDialogOpen)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    host = new QLineEdit(QString::fromStdString(initial.host), this);
    host->setObjectName("host");
    form->addRow(qs(lang.text(Txt::kSharedHost)), host);
    port = new QSpinBox(this);
    port->setObjectName("port");
    port->setRange(1, 65535);
    port->setValue(initial.port);
    form->addRow(qs(lang.text(Txt::kSharedPort)), port);
    database = new QLineEdit(QString::fromStdString(initial.database), this);
    database->setObjectName("database");
    form->addRow(qs(lang.text(Txt::kSharedDatabase)), database);
    user = new QLineEdit(QString::fromStdString(initial.user), this);
    user->setObjectName("user");
    form->addRow(qs(lang.text(Txt::kSharedUser)), user);
    layout->addLayout(form);
    auto* note = new QLabel(qs(lang.text(Txt::kSharedPasswordNote)), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    add_dialog_buttons(this, layout, lang.english());
    host->setMinimumWidth(260);
}

ServerAddress ServerAddressDialog::address() const {
    ServerAddress a;
    a.host = host->text().trimmed().toStdString();
    a.port = port->value();
    a.database = database->text().trimmed().toStdString();
    a.user = user->text().trimmed().toStdString();
    return a;
}

namespace {

// The fields the user knows by name, per row kind: offset, size, label, how to show it.
enum class Show { kText, kNumber, kTime };
struct NamedField {
    int offset, size;
    Txt label;
    Show show;
};

const std::vector<NamedField>& named_fields(int kind) {
    static const std::vector<NamedField> fields[shared::kRowKindCount] = {
        {{0, 26, Txt::kNameSurname, Show::kText},
         {26, 22, Txt::kEdComment, Show::kText},
         {48, 2, Txt::kEdYearOfBirth, Show::kNumber},
         {50, 1, Txt::kEdRank, Show::kNumber},
         {52, 2, Txt::kFilterClass, Show::kNumber},
         {54, 2, Txt::kFilterClub, Show::kNumber},
         {58, 2, Txt::kEdNumber, Show::kNumber},
         {60, 4, Txt::kEdStartTime, Show::kTime},
         {88, 4, Txt::kEdVPCard, Show::kNumber},
         {97, 1, Txt::kEdOC, Show::kNumber},
         {98, 1, Txt::kEdIndividual, Show::kNumber},
         {156, 4, Txt::kEdHeatLeg, Show::kNumber}},
        {{4, 21, Txt::kEdName, Show::kText}, {25, 21, Txt::kEdRepresentative, Show::kText}},
        {{4, 9, Txt::kEdName, Show::kText}, {16, 2, Txt::kFilterCourse, Show::kNumber}},
        {{4, 12, Txt::kEdShortName, Show::kText},
         {316, 4, Txt::kEdLengthMetres, Show::kNumber},
         {324, 4, Txt::kEdControls, Show::kNumber},
         {328, 4, Txt::kEdClimb, Show::kNumber}},
        {{0, 2, Txt::kEdNumber, Show::kNumber}, {4, 4, Txt::kEdFinishTime, Show::kTime}},
        {{0, 4, Txt::kEdCardNumber, Show::kNumber}, {8, 4, Txt::kEdPunches, Show::kNumber}},
        {{0, 80, Txt::kEdTitle, Show::kText},
         {800, 25, Txt::kEdPlace, Show::kText},
         {875, 21, Txt::kEdDate, Show::kText}},
        {},
    };
    return fields[kind];
}

std::string show_value(const Bytes& row, int offset, int size, Show show) {
    if (row.size() < static_cast<std::size_t>(offset + size)) return {};
    const std::uint8_t* p = row.data() + offset;
    if (show == Show::kText) {
        std::string s(reinterpret_cast<const char*>(p), static_cast<std::size_t>(size));
        return s.substr(0, s.find('\0'));
    }
    long long v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | p[i];
    if (size < 8 && (p[size - 1] & 0x80) && size != 1) v -= 1ll << (8 * size);
    if (show == Show::kTime) return format_time_text(static_cast<std::int32_t>(v), 0);
    return std::to_string(v);
}

std::string raw_bytes(const Bytes& row, int offset, int size) {
    std::string s;
    char buf[4];
    for (int i = 0; i < size && offset + i < static_cast<int>(row.size()); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", row[offset + i]);
        s += buf;
    }
    return s;
}

bool span_differs(const Bytes& a, const Bytes& b, int offset, int size) {
    for (int i = offset; i < offset + size; ++i) {
        std::uint8_t x = i < static_cast<int>(a.size()) ? a[i] : 0;
        std::uint8_t y = i < static_cast<int>(b.size()) ? b[i] : 0;
        if (x != y) return true;
    }
    return false;
}

Txt kind_text(int kind) {
    static const Txt texts[shared::kRowKindCount] = {
        Txt::kSharedKindRunner, Txt::kSharedKindClub,       Txt::kSharedKindClass,
        Txt::kSharedKindCourse, Txt::kSharedKindFinishLine, Txt::kSharedKindCardReadout,
        Txt::kSharedKindInfo,   Txt::kSharedKindNames};
    return texts[kind];
}

}  // namespace

std::string conflict_subject(const Conflict& k, const LanguageTable& lang) {
    std::string s(lang.text(kind_text(k.kind)));
    const Bytes& row = k.mine_deleted ? k.theirs : (k.mine.empty() ? k.base : k.mine);
    switch (k.kind) {
        case shared::kRowRunners:
            s += " " + show_value(row, 58, 2, Show::kNumber) + " " +
                 show_value(row, 0, 26, Show::kText);
            break;
        case shared::kRowClubs:
        case shared::kRowClasses:
            s += " " + show_value(row, 4, k.kind == shared::kRowClubs ? 21 : 9, Show::kText);
            break;
        case shared::kRowCourses:
            s += " " + show_value(row, 4, 12, Show::kText);
            break;
        case shared::kRowFinishLines:
            s += " " + show_value(row, 0, 2, Show::kNumber) + " " +
                 show_value(row, 4, 4, Show::kTime);
            break;
        case shared::kRowCardReadouts:
            s += " " + show_value(row, 0, 4, Show::kNumber);
            break;
        default:
            break;
    }
    return s;
}

std::vector<ConflictField> conflict_fields(const Conflict& k, const LanguageTable& lang) {
    std::vector<ConflictField> out;
    const std::string deleted(lang.text(Txt::kSharedDeleted));
    auto both = [&k](int offset, int size) {
        for (const shared::Span& s : k.fields)
            if (s.offset < offset + size && offset < s.offset + s.size) return true;
        return false;
    };
    if (k.kind == shared::kRowNames) {
        // A long name: its parts as text.
        LongName mine, theirs;
        int type = 0;
        std::int32_t id = 0;
        shared::decode_name_row(k.mine, type, id, mine);
        shared::decode_name_row(k.theirs, type, id, theirs);
        const std::string* m[] = {&mine.shown, &mine.full, &mine.given};
        const std::string* t[] = {&theirs.shown, &theirs.full, &theirs.given};
        const Txt labels[] = {Txt::kEdShortName, Txt::kEdName, Txt::kPersSurname};
        for (int i = 0; i < 3; ++i)
            out.push_back({std::string(lang.text(labels[i])), k.mine_deleted ? deleted : *m[i],
                           k.theirs_deleted ? deleted : *t[i], true});
        return out;
    }
    std::vector<bool> named(k.mine.size() + k.theirs.size() + k.base.size() + 1, false);
    for (const NamedField& f : named_fields(k.kind)) {
        if (!k.mine_deleted && !k.theirs_deleted &&
            !span_differs(k.mine, k.theirs, f.offset, f.size))
            continue;
        ConflictField cf;
        cf.name = std::string(lang.text(f.label));
        cf.mine = k.mine_deleted ? deleted : show_value(k.mine, f.offset, f.size, f.show);
        cf.theirs = k.theirs_deleted ? deleted : show_value(k.theirs, f.offset, f.size, f.show);
        cf.both_changed = both(f.offset, f.size);
        for (int i = f.offset; i < f.offset + f.size && i < static_cast<int>(named.size()); ++i)
            named[i] = true;
        out.push_back(std::move(cf));
    }
    if (k.mine_deleted || k.theirs_deleted) return out;
    // Fields without a name of their own: shown by position.
    for (const shared::Span& s : shared::field_spans(k.kind)) {
        if (s.offset < static_cast<int>(named.size()) && named[s.offset]) continue;
        if (!span_differs(k.mine, k.theirs, s.offset, s.size)) continue;
        ConflictField cf;
        cf.name = "@" + std::to_string(s.offset);
        cf.mine = raw_bytes(k.mine, s.offset, s.size);
        cf.theirs = raw_bytes(k.theirs, s.offset, s.size);
        cf.both_changed = both(s.offset, s.size);
        out.push_back(std::move(cf));
    }
    return out;
}

ConflictDialog::ConflictDialog(const Conflict& k, const LanguageTable& lang, QWidget* parent)
    : QDialog(parent) {
    setObjectName("conflict_dialog");
    setWindowTitle(qs(lang.text(Txt::kSharedConflictTitle)));
    auto* layout = new QVBoxLayout(this);
    QString text = qs(lang.text(Txt::kSharedConflictText))
                       .replace(QStringLiteral("%s"), qs(conflict_subject(k, lang)));
    if (k.theirs_deleted) text += "\n" + qs(lang.text(Txt::kSharedConflictDeletedThere));
    if (k.mine_deleted) text += "\n" + qs(lang.text(Txt::kSharedConflictDeletedHere));
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    layout->addWidget(label);

    std::vector<ConflictField> fields = conflict_fields(k, lang);
    table = new QTableWidget(static_cast<int>(fields.size()), 3, this);
    table->setObjectName("conflict_fields");
    table->setHorizontalHeaderLabels({qs(lang.text(Txt::kSharedField)),
                                      qs(lang.text(Txt::kSharedMine)),
                                      qs(lang.text(Txt::kSharedTheirs))});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        const ConflictField& f = fields[i];
        const std::string* cells[] = {&f.name, &f.mine, &f.theirs};
        for (int col = 0; col < 3; ++col) {
            auto* item = new QTableWidgetItem(qs(*cells[col]));
            if (f.both_changed) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            table->setItem(i, col, item);
        }
    }
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();
    layout->addWidget(table);

    auto* buttons = new QDialogButtonBox(this);
    mine = buttons->addButton(qs(lang.text(Txt::kSharedKeepMine)), QDialogButtonBox::AcceptRole);
    mine->setObjectName("keep_mine");
    theirs =
        buttons->addButton(qs(lang.text(Txt::kSharedTakeTheirs)), QDialogButtonBox::ActionRole);
    theirs->setObjectName("take_theirs");
    connect(mine, &QPushButton::clicked, this, [this] {
        decided_ = keep_mine_ = true;
        accept();
    });
    connect(theirs, &QPushButton::clicked, this, [this] {
        decided_ = true;
        keep_mine_ = false;
        accept();
    });
    layout->addWidget(buttons);
    resize(560, 320);
}

}  // namespace skarvel
