#include "app/editors/status_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/cp1251.h"
#include "core/list_edit.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

using namespace literals;

StatusDialog::StatusDialog(const LanguageTable& lang, Competition& c, Prompts& prompts, int status,
                           QWidget* parent)
    : QDialog(parent), lang_(lang), c_(c), prompts_(prompts) {
    setObjectName(QStringLiteral("StatusDialog"));
    setWindowTitle(qs(lang.text(Txt::kCmdDisqualification)));
    c.rebuild_number_index();
    StatusTexts texts = status_texts(c.info);
    auto* layout = new QVBoxLayout(this);

    auto* number_row = new QHBoxLayout;
    number_row->addWidget(new QLabel(qs(lang.text(Txt::kEdNumber)), this));
    number_ = new QLineEdit(QStringLiteral("0"), this);
    number_->setObjectName(QStringLiteral("number"));
    number_row->addWidget(number_);
    layout->addLayout(number_row);
    name_ = new QLabel(this);
    name_->setObjectName(QStringLiteral("runner_name"));
    layout->addWidget(name_);
    connect(number_, &QLineEdit::textChanged, this, &StatusDialog::update_name);

    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    status_ = new QButtonGroup(this);
    const Txt fixed[] = {Txt::kEdStatusRestored,
                         Txt::kEdStatusWrongPunch,
                         Txt::kEdStatusOverTime,
                         Txt::kCount,
                         Txt::kCount,
                         Txt::kCount,
                         Txt::kCount,
                         Txt::kEdStatusDidNotFinish,
                         Txt::kEdStatusDidNotStart};
    grid->addWidget(new QLabel(qs(lang.text(Txt::kEdTextInTheProtocol)), this), 0, 2);
    for (int s = 0; s < kStatusCount; ++s) {
        int row = s + 1;
        auto* b = new QRadioButton(s >= 3 && s <= 6 ? QString() : qs(lang.text(fixed[s])), this);
        b->setObjectName(QStringLiteral("status%1").arg(s));
        status_->addButton(b, s);
        grid->addWidget(b, row, 0);
        if (s >= 3 && s <= 6) {
            names_[s] = make_line_edit(this, ("name" + std::to_string(s)).c_str(), texts.names[s],
                                       edit_limits::kStatusText);
            // An empty text prints as the standard one: the field shows which.
            names_[s]->setPlaceholderText(qs(standard_status_name(s)));
            grid->addWidget(names_[s], row, 1);
        }
        if (s >= 1) {
            short_texts_[s] = make_line_edit(this, ("short" + std::to_string(s)).c_str(),
                                             texts.short_texts[s], edit_limits::kStatusText);
            short_texts_[s]->setPlaceholderText(qs(standard_status_short_text(s)));
            grid->addWidget(short_texts_[s], row, 2);
        }
    }
    if (QAbstractButton* b = status_->button(status >= 0 && status < kStatusCount ? status : 0))
        b->setChecked(true);

    auto* buttons = new QHBoxLayout;
    auto* next = new QPushButton(qs(lang.text(Txt::kEdOKNext)), this);
    next->setObjectName(QStringLiteral("next"));
    next->setDefault(true);
    auto* restore = new QPushButton(qs(lang.text(Txt::kEdRestoreAll)), this);
    restore->setObjectName(QStringLiteral("restore_all"));
    restore->setAutoDefault(false);
    auto* finish = new QPushButton(qs(lang.text(Txt::kEdFinishBreak)), this);
    finish->setObjectName(QStringLiteral("finish"));
    finish->setAutoDefault(false);
    buttons->addWidget(next);
    buttons->addWidget(restore);
    buttons->addWidget(finish);
    layout->addLayout(buttons);
    connect(next, &QPushButton::clicked, this, &StatusDialog::next);
    connect(restore, &QPushButton::clicked, this, &StatusDialog::restore_all);
    connect(finish, &QPushButton::clicked, this, &QDialog::accept);
    update_name();
}

int StatusDialog::chosen_status() const {
    return status_->checkedId() < 0 ? 0 : status_->checkedId();
}

void StatusDialog::update_name() {
    auto v = parse_integer_field(cp(number_->text()));
    int n = v && *v > 0 && *v <= edit_limits::kStartNumberMax ? static_cast<int>(*v) : 0;
    bool found = c_.runner_by_number(n) != nullptr;
    name_->setText(qs(status_runner_name(c_, n, lang_.english())));
    name_->setStyleSheet(found ? QString() : QStringLiteral("color: rgb(255,0,0)"));
}

void StatusDialog::next() {
    std::optional<int> n = status_number(cp(number_->text()), prompts_, lang_.english());
    if (!n) {
        number_->setFocus();
        number_->selectAll();
        return;
    }
    if (apply_status(c_, *n, chosen_status(), prompts_, lang_.english())) ++changes_;
    number_->setText(QStringLiteral("0"));
    number_->setFocus();
    number_->selectAll();
}

void StatusDialog::restore_all() {
    if (restore_all_statuses(c_, prompts_, lang_.english())) ++changes_;
}

void StatusDialog::done(int r) {
    StatusTexts t = status_texts(c_.info);
    for (int s = 0; s < kStatusCount; ++s) {
        if (names_[s]) t.names[s] = cp(names_[s]->text());
        if (short_texts_[s]) t.short_texts[s] = cp(short_texts_[s]->text());
    }
    store_status_texts(c_, t);
    QDialog::done(r);
}

}  // namespace skarvel
