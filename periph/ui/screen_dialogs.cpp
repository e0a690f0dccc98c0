#include "periph/ui/screen_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {

QSpinBox* spin(QWidget* parent, int low, int high, int value, const char* name) {
    auto* s = new QSpinBox(parent);
    s->setRange(low, high);
    s->setValue(value);
    s->setObjectName(QString::fromLatin1(name));
    return s;
}

QCheckBox* check(QWidget* parent, const QString& text, bool on, const char* name) {
    auto* c = new QCheckBox(text, parent);
    c->setChecked(on);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

// A label, the field and an optional text after it on one row.
QHBoxLayout* row(QWidget* parent, const QString& before, QWidget* field,
                 const QString& after = {}) {
    auto* r = new QHBoxLayout;
    r->addWidget(new QLabel(before, parent));
    r->addWidget(field);
    if (!after.isEmpty()) r->addWidget(new QLabel(after, parent));
    r->addStretch();
    return r;
}

}  // namespace

MultiScreenShared MultiScreenShared::from(const CompetitionInfo& info) {
    MultiScreenShared s;
    s.selection = info.selection <= 3 ? info.selection : 0;
    s.first_n = info.first_n;
    s.count_laps = info.count_laps != 0;
    s.all_finish_passes = info.all_finish_passes != 0;
    s.print_non_starters = info.print_non_starters != 0;
    return s;
}

void MultiScreenShared::store(CompetitionInfo& info) const {
    info.selection = static_cast<std::uint8_t>(selection);
    info.first_n = static_cast<std::uint8_t>(first_n);
    info.count_laps = count_laps;
    info.all_finish_passes = all_finish_passes;
    info.print_non_starters = print_non_starters;
}

MultiScreenDialog::MultiScreenDialog(const MultiScreenShared& shared,
                                     const MultiScreenSettings& page, const LanguageTable& lang,
                                     QWidget* parent)
    : QDialog(parent) {
    auto t = [&lang](Txt id) { return qs(lang.text(id)); };
    setWindowTitle(t(Txt::kMultiScreenTitle));
    auto* root = new QVBoxLayout(this);
    auto* whom = new QGroupBox(t(Txt::kMultiScreenWhom), this);
    auto* whom_layout = new QVBoxLayout(whom);
    selection_ = new QButtonGroup(this);
    const Txt choices[] = {Txt::kMultiScreenAllClasses, Txt::kMultiScreenMarkedClasses};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(t(choices[i]), whom);
        b->setObjectName(QStringLiteral("selection%1").arg(i));
        selection_->addButton(b, i);
        whom_layout->addWidget(b);
    }
    // The result protocol's course choices (2, 3) have no button here: then none is checked,
    // the pages go through every class, and OK keeps the choice unless one is picked.
    if (QAbstractButton* b = selection_->button(shared.selection)) b->setChecked(true);
    stored_selection_ = shared.selection;
    first_n_ = spin(whom, 0, 255, shared.first_n, "first_n");
    whom_layout->addLayout(
        row(whom, t(Txt::kMultiScreenFirstN), first_n_, t(Txt::kMultiScreenFirstNAfter)));
    laps_ = check(whom, t(Txt::kMultiScreenLaps), shared.count_laps, "count_laps");
    passes_ = check(whom, t(Txt::kMultiScreenAllPasses), shared.all_finish_passes, "all_passes");
    non_starters_ =
        check(whom, t(Txt::kMultiScreenNonStarters), shared.print_non_starters, "non_starters");
    whom_layout->addWidget(laps_);
    whom_layout->addWidget(passes_);
    whom_layout->addWidget(non_starters_);
    root->addWidget(whom);

    font_ = spin(this, 1, 200, page.font_pt, "font");
    refresh_ = spin(this, 0, 3600, page.refresh_s, "refresh");
    root->addLayout(row(this, t(Txt::kMultiScreenFont), font_));
    root->addLayout(row(this, t(Txt::kMultiScreenRefresh), refresh_));
    shading_ = check(this, t(Txt::kMultiScreenShading), page.shading, "shading");
    vertical_ = check(this, t(Txt::kMultiScreenVertical), page.vertical, "vertical");
    root->addWidget(shading_);
    root->addWidget(vertical_);
    add_dialog_buttons(this, root, lang.english());
}

MultiScreenShared MultiScreenDialog::shared() const {
    MultiScreenShared s;
    s.selection = selection_->checkedId() >= 0 ? selection_->checkedId() : stored_selection_;
    s.first_n = first_n_->value();
    s.count_laps = laps_->isChecked();
    s.all_finish_passes = passes_->isChecked();
    s.print_non_starters = non_starters_->isChecked();
    return s;
}

MultiScreenSettings MultiScreenDialog::page() const {
    MultiScreenSettings p;
    p.font_pt = font_->value();
    p.refresh_s = refresh_->value();
    p.shading = shading_->isChecked();
    p.vertical = vertical_->isChecked();
    return p;
}

ScreenSettingsDialog::ScreenSettingsDialog(const ScreenSettings& settings,
                                           const LanguageTable& lang, QWidget* parent)
    : QDialog(parent) {
    auto t = [&lang](Txt id) { return qs(lang.text(id)); };
    setWindowTitle(t(Txt::kScreenSettingsTitle));
    auto* root = new QVBoxLayout(this);
    root->addWidget(new QLabel(t(Txt::kScreenFolder), this));
    auto* folder_row = new QHBoxLayout;
    folder_ = new QLineEdit(settings.folder, this);
    folder_->setObjectName(QStringLiteral("folder"));
    folder_->setMinimumWidth(320);
    auto* choose = new QPushButton(t(Txt::kScreenFolderChoose), this);
    connect(choose, &QPushButton::clicked, this, [this] {
        QString dir = QFileDialog::getExistingDirectory(this, QString(), folder_->text());
        if (!dir.isEmpty()) folder_->setText(dir);
    });
    folder_row->addWidget(folder_);
    folder_row->addWidget(choose);
    root->addLayout(folder_row);
    http_ = check(this, t(Txt::kScreenHttpOn), settings.http_on, "http");
    root->addWidget(http_);
    port_ = spin(this, 1, 65535, settings.http_port, "port");
    root->addLayout(row(this, t(Txt::kScreenHttpPort), port_));
    address_ = new QLineEdit(settings.http_address, this);
    address_->setObjectName(QStringLiteral("address"));
    address_->setPlaceholderText(t(Txt::kScreenHttpAllAddresses));
    root->addLayout(row(this, t(Txt::kScreenHttpAddress), address_));
    add_dialog_buttons(this, root, lang.english());
}

ScreenSettings ScreenSettingsDialog::settings() const {
    ScreenSettings s;
    s.folder = folder_->text().trimmed();
    if (s.folder.isEmpty()) s.folder = ScreenSettings::default_folder();
    s.http_on = http_->isChecked();
    s.http_port = port_->value();
    s.http_address = address_->text().trimmed();
    return s;
}

}  // namespace skarvel
