#include "results/ui/relay_print_dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

namespace {
constexpr int kMaxFirstN = 255;  // the stored byte
}

RelayPrintDialog::RelayPrintDialog(const RelayPrintSettings& initial, const LanguageTable& lang,
                                   QWidget* parent)
    : QDialog(parent), lang_(lang), settings_(initial) {
    setObjectName(QStringLiteral("RelayPrintDialog"));
    auto t = [&lang](Txt id) { return qs(lang.text(id)); };
    setWindowTitle(t(Txt::kRelayPrintTitle));
    auto* layout = new QVBoxLayout(this);
    // The controls of the individual protocol's dialog that mean nothing for a relay: shown,
    // greyed, not stored (the protocol is an HTML file).
    auto shown_off = [](QAbstractButton* b, const char* name, bool checked = false) {
        b->setObjectName(QString::fromLatin1(name));
        b->setChecked(checked);
        b->setEnabled(false);
        return b;
    };
    auto* channel_box = new QGroupBox(t(Txt::kResultDlgPrintTo), this);
    auto* channel_layout = new QVBoxLayout(channel_box);
    channel_layout->addWidget(
        shown_off(new QRadioButton(t(Txt::kResultDlgCurrentPrinter), channel_box), "channel0"));
    channel_layout->addWidget(
        shown_off(new QRadioButton(t(Txt::kResultDlgHTMLFile), channel_box), "channel1", true));
    layout->addWidget(channel_box);
    auto* split_box = new QGroupBox(t(Txt::kRelaySplits), this);
    auto* split_layout = new QVBoxLayout(split_box);
    for (Txt id : {Txt::kRelaySplitsNone, Txt::kRelaySplitsCorrect, Txt::kRelaySplitsAll}) {
        splits.push_back(new QRadioButton(t(id), split_box));
        splits.back()->setObjectName(QStringLiteral("splits%1").arg(splits.size() - 1));
        split_layout->addWidget(splits.back());
    }
    splits[static_cast<std::size_t>(std::clamp(initial.splits_mode, 0, 2))]->setChecked(true);
    control_codes = new QCheckBox(t(Txt::kRelayControlCodes), split_box);
    control_codes->setChecked(initial.print_control_codes);
    split_layout->addWidget(control_codes);
    layout->addWidget(split_box);

    auto* whom = new QGroupBox(this);
    auto* whom_layout = new QVBoxLayout(whom);
    for (Txt id : {Txt::kRelayAllClasses, Txt::kRelayMarkedClasses}) {
        selection.push_back(new QRadioButton(t(id), whom));
        whom_layout->addWidget(selection.back());
    }
    selection[initial.selection == 1 ? 1 : 0]->setChecked(true);
    whom_layout->addWidget(
        shown_off(new QRadioButton(t(Txt::kResultDlgAllCourses), whom), "selection2"));
    whom_layout->addWidget(
        shown_off(new QRadioButton(t(Txt::kResultDlgMarkedCoursesOnly), whom), "selection3"));
    auto* first_row = new QHBoxLayout;
    first_row->addWidget(new QLabel(t(Txt::kMultiScreenFirstN), whom));
    first_n = new QLineEdit(QString::number(initial.first_n), whom);
    first_n->setObjectName(QStringLiteral("first_n"));
    first_n->setMaximumWidth(80);
    first_row->addWidget(first_n);
    first_row->addWidget(new QLabel(t(Txt::kMultiScreenFirstNAfter), whom));
    first_row->addStretch();
    whom_layout->addLayout(first_row);
    layout->addWidget(whom);

    auto check = [&](Txt id, bool on, const char* name) {
        auto* box = new QCheckBox(t(id), this);
        box->setChecked(on);
        box->setObjectName(QString::fromLatin1(name));
        layout->addWidget(box);
        return box;
    };
    variant = check(Txt::kRelayVariant, initial.print_variant, "variant");
    ranks = check(Txt::kRelayRanks, initial.print_ranks, "ranks");
    course_setter = check(Txt::kRelayCourseSetter, initial.print_course_setter, "course_setter");
    extended_html = check(Txt::kRelayExtendedHtml, initial.extended_html, "extended_html");
    static const struct {
        Txt text;
        const char* name;
    } kUnused[] = {{Txt::kResultDlgPrintNonStarters, "print_non_starters"},
                   {Txt::kResultDlgPrintAllFinishPasses, "all_finish_passes"},
                   {Txt::kResultDlgPrintTimeLimit, "print_time_limit"},
                   {Txt::kRelayPrintHeader, "print_header"},
                   {Txt::kResultDlgTimeBehindTheLeader, "time_behind"},
                   {Txt::kResultDlgExtractsByTeam, "team_extracts"},
                   {Txt::kResultDlgPrintASecondLineOfSplits, "split_second_line"},
                   {Txt::kResultDlgMarkedRoutePenaltyByControl, "penalty_by_control"},
                   {Txt::kRelayPrintPoints, "print_points"}};
    for (const auto& unused : kUnused)
        layout->addWidget(shown_off(new QCheckBox(t(unused.text), this), unused.name));
    add_dialog_buttons(this, layout, lang.english());
}

void RelayPrintDialog::accept() {
    bool ok = false;
    const int n = first_n->text().trimmed().toInt(&ok);
    if (!ok || n < 0 || n > kMaxFirstN) {
        QMessageBox::warning(this, windowTitle(), qs(lang_.text(Txt::kRelayFirstNRange)));
        first_n->setFocus();
        first_n->selectAll();
        return;
    }
    for (std::size_t i = 0; i < splits.size(); ++i)
        if (splits[i]->isChecked()) settings_.splits_mode = static_cast<int>(i);
    settings_.print_control_codes = control_codes->isChecked();
    settings_.print_variant = variant->isChecked();
    settings_.selection = selection[1]->isChecked() ? 1 : 0;
    settings_.first_n = n;
    settings_.print_ranks = ranks->isChecked();
    settings_.print_course_setter = course_setter->isChecked();
    settings_.extended_html = extended_html->isChecked();
    QDialog::accept();
}

}  // namespace skarvel
