#include "results/ui/multiday_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {
constexpr int kDays = 10;
}

MultiDayDialog::MultiDayDialog(unsigned days, bool with_handicap, const LanguageTable& lang,
                               QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("MultiDayDialog"));
    setWindowTitle(qs(lang.text(Txt::kMultiDayTitle)));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int d = 0; d < kDays; ++d) {
        auto* box = new QCheckBox(qs(lang.text(Txt::kDayN)).arg(d + 1), this);
        box->setObjectName(QStringLiteral("day%1").arg(d + 1));
        box->setChecked(days & (1u << d));
        grid->addWidget(box, d % 5, d / 5);
        day_boxes.push_back(box);
    }
    layout->addLayout(grid);
    handicap = new QCheckBox(qs(lang.text(Txt::kMultiDayHandicap)), this);
    handicap->setObjectName(QStringLiteral("handicap"));
    handicap->setChecked(with_handicap);
    layout->addWidget(handicap);
    add_dialog_buttons(this, layout, lang.english());
}

unsigned MultiDayDialog::days() const {
    unsigned out = 0;
    for (int d = 0; d < kDays; ++d)
        if (day_boxes[static_cast<std::size_t>(d)]->isChecked()) out |= 1u << d;
    return out;
}

DayChoiceDialog::DayChoiceDialog(int day, const LanguageTable& lang, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DayChoiceDialog"));
    setWindowTitle(qs(lang.text(Txt::kDayChoiceTitle)));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int d = 0; d < kDays; ++d) {
        auto* button = new QRadioButton(qs(lang.text(Txt::kDayN)).arg(d + 1), this);
        button->setObjectName(QStringLiteral("day%1").arg(d + 1));
        grid->addWidget(button, d % 5, d / 5);
        day_buttons.push_back(button);
    }
    day_buttons[static_cast<std::size_t>(day >= 0 && day < kDays ? day : 0)]->setChecked(true);
    layout->addLayout(grid);
    // The second button reads "Cancel" in both languages.
    layout->addWidget(make_dialog_buttons(this, lang.english(), qs(lang.text(Txt::kDayChoiceRead)),
                                          "ok", qs(lang.text(Txt::kFixedCancel))));
}

int DayChoiceDialog::day() const {
    for (int d = 0; d < kDays; ++d)
        if (day_buttons[static_cast<std::size_t>(d)]->isChecked()) return d;
    return 0;
}

}  // namespace skarvel
