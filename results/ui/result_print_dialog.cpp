#include "results/ui/result_print_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/dialog_parts.h"

namespace skarvel {

namespace {
QButtonGroup* radio_group(QWidget* owner, QGroupBox* box, const QStringList& texts, int checked,
                          const QString& name) {
    auto* group = new QButtonGroup(owner);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < texts.size(); ++i) {
        auto* b = new QRadioButton(texts[i], box);
        b->setObjectName(name + QString::number(i));
        group->addButton(b, i);
        layout->addWidget(b);
    }
    if (auto* b = group->button(checked)) b->setChecked(true);
    return group;
}

QLineEdit* number_edit(QWidget* parent, int value, const QString& name) {
    auto* e = new QLineEdit(QString::number(value), parent);
    e->setObjectName(name);
    e->setMaximumWidth(80);
    return e;
}
}  // namespace

ResultPrintDialog::ResultPrintDialog(const ResultPrintSettings& s, bool english, QWidget* parent)
    : QDialog(parent), english_(english), result_(s) {
    setWindowTitle(qs(text_in(english_, Txt::kResultDlgPrintResult)));
    auto* root = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    root->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto* channel_box = new QGroupBox(qs(text_in(english_, Txt::kResultDlgPrintTo)), this);
    channel_ = radio_group(this, channel_box,
                           {qs(text_in(english_, Txt::kResultDlgCurrentPrinter)),
                            qs(text_in(english_, Txt::kResultDlgHTMLFile))},
                           s.to_html, "channel");
    left->addWidget(channel_box);

    auto* who_box = new QGroupBox(qs(text_in(english_, Txt::kResultDlgPrintFor)), this);
    selection_ = radio_group(this, who_box,
                             {qs(text_in(english_, Txt::kResultDlgAllCategories)),
                              qs(text_in(english_, Txt::kResultDlgMarkedCategoriesOnly)),
                              qs(text_in(english_, Txt::kResultDlgAllCourses)),
                              qs(text_in(english_, Txt::kResultDlgMarkedCoursesOnly))},
                             s.selection, "selection");
    left->addWidget(who_box);

    auto* first_row = new QHBoxLayout;
    first_row->addWidget(new QLabel(qs(text_in(english_, Txt::kMultiScreenFirstN)), this));
    first_n_ = number_edit(this, s.first_n, "first_n");
    first_row->addWidget(first_n_);
    first_row->addWidget(new QLabel(qs(text_in(english_, Txt::kMultiScreenFirstNAfter)), this));
    first_row->addStretch();
    left->addLayout(first_row);

    auto* card_box = new QGroupBox(qs(text_in(english_, Txt::kResultDlgCardContents)), this);
    splits_ = radio_group(this, card_box,
                          {qs(text_in(english_, Txt::kRelaySplitsNone)),
                           qs(text_in(english_, Txt::kResultDlgCorrectPunchesOnly)),
                           qs(text_in(english_, Txt::kRelaySplitsAll))},
                          s.splits_mode, "splits");
    control_codes_ = new QCheckBox(qs(text_in(english_, Txt::kRelayControlCodes)), card_box);
    split_places_ =
        new QCheckBox(qs(text_in(english_, Txt::kResultDlgPrintPlacesInSplits)), card_box);
    card_box->layout()->addWidget(control_codes_);
    card_box->layout()->addWidget(split_places_);
    left->addWidget(card_box);

    auto check = [this](QBoxLayout* into, QWidget* parent_widget, Txt text, bool value,
                        const char* name) {
        auto* c = new QCheckBox(qs(text_in(english_, text)), parent_widget);
        c->setObjectName(name);
        c->setChecked(value);
        into->addWidget(c);
        return c;
    };
    control_codes_->setObjectName("print_control_codes");
    control_codes_->setChecked(s.print_control_codes);
    split_places_->setObjectName("split_places");
    split_places_->setChecked(s.split_places);

    non_starters_ = check(left, this, Txt::kResultDlgPrintNonStarters, s.print_non_starters,
                          "print_non_starters");
    all_passes_ = check(left, this, Txt::kResultDlgPrintAllFinishPasses, s.all_finish_passes,
                        "all_finish_passes");
    laps_ = check(left, this, Txt::kResultDlgCountLaps, s.count_laps, "count_laps");
    time_limit_ =
        check(left, this, Txt::kResultDlgPrintTimeLimit, s.print_time_limit, "print_time_limit");
    comment_ = check(left, this, Txt::kResultDlgPrintComment, s.print_comment, "print_comment");
    course_setter_ = check(left, this, Txt::kResultDlgPrintCourseSetter, s.print_course_setter,
                           "print_course_setter");
    left->addStretch();

    auto* extra_box = new QGroupBox(qs(text_in(english_, Txt::kResultDlgAdditionalHTMLOnly)), this);
    auto* extra = new QVBoxLayout(extra_box);
    ranks_ = check(extra, extra_box, Txt::kRelayRanks, s.print_ranks, "print_ranks");
    time_behind_ =
        check(extra, extra_box, Txt::kResultDlgTimeBehindTheLeader, s.time_behind, "time_behind");
    second_line_ = check(extra, extra_box, Txt::kResultDlgPrintASecondLineOfSplits,
                         s.split_second_line, "split_second_line");
    statistics_ = check(extra, extra_box, Txt::kResultDlgControlStatistics, s.control_statistics,
                        "control_statistics");
    extended_html_ =
        check(extra, extra_box, Txt::kRelayExtendedHtml, s.extended_html, "extended_html");
    // Shown for completeness of the form; these extracts are not produced from here.
    check(extra, extra_box, Txt::kResultDlgExtractsByTeam, false, "team_extracts")
        ->setEnabled(false);
    check(extra, extra_box, Txt::kResultDlgMarkedRoutePenaltyByControl, false, "penalty_by_control")
        ->setEnabled(false);
    right->addWidget(extra_box);

    auto* points_box = new QGroupBox(qs(text_in(english_, Txt::kResultDlgPoints)), this);
    auto* pl = new QGridLayout(points_box);
    points_ = new QButtonGroup(this);
    const QStringList point_texts = {qs(text_in(english_, Txt::kRelaySplitsNone)),
                                     qs(text_in(english_, Txt::kResultDlgFormulaPOINTS10)),
                                     qs(text_in(english_, Txt::kResultDlgFromFile))};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(point_texts[i], points_box);
        b->setObjectName("points" + QString::number(i));
        points_->addButton(b, i);
    }
    if (auto* b = points_->button(s.points_mode)) b->setChecked(true);
    formula_a_ = number_edit(points_box, s.formula_a, "formula_a");
    formula_b_ = number_edit(points_box, s.formula_b, "formula_b");
    formula_c_ = number_edit(points_box, s.formula_c, "formula_c");
    auto* line = new QFrame(points_box);
    line->setFrameShape(QFrame::HLine);
    pl->addWidget(points_->button(0), 0, 0, 1, 3);
    pl->addWidget(points_->button(1), 1, 0, 2, 1);
    pl->addWidget(formula_a_, 1, 1, 2, 1);
    pl->addWidget(new QLabel("-", points_box), 1, 2, 2, 1);
    auto* frac = new QGridLayout;
    frac->addWidget(formula_b_, 0, 0);
    frac->addWidget(new QLabel(qs(text_in(english_, Txt::kResultDlgTrun)), points_box), 0, 1);
    frac->addWidget(line, 1, 0, 1, 2);
    frac->addWidget(formula_c_, 2, 0);
    frac->addWidget(new QLabel(qs(text_in(english_, Txt::kResultDlgTwin)), points_box), 2, 1);
    pl->addLayout(frac, 1, 3, 2, 1);
    pl->addWidget(points_->button(2), 3, 0, 1, 3);
    auto* pv = new QVBoxLayout;
    no_points_individual_ = check(pv, points_box, Txt::kResultDlgNoPointsForIndividuals,
                                  s.no_points_individual, "no_points_individual");
    winner_from_six_ = check(pv, points_box, Txt::kResultDlgTwinMeanOf6Places, s.winner_from_six,
                             "winner_from_six");
    pl->addLayout(pv, 4, 0, 1, 4);
    right->addWidget(points_box);

    auto* exports = new QHBoxLayout;
    osv_ = new QPushButton(qs(text_in(english_, Txt::kResultDlgExportOsv)), this);
    osv_->setObjectName("export_osv");
    route_gadget_ = new QPushButton(qs(text_in(english_, Txt::kResultDlgExportRouteGadget)), this);
    route_gadget_->setObjectName("export_route_gadget");
    osv_->setEnabled(false);
    route_gadget_->setEnabled(false);
    osv_->setAutoDefault(false);
    route_gadget_->setAutoDefault(false);
    connect(osv_, &QPushButton::clicked, this, [this] {
        if (osv_action_) osv_action_();
    });
    connect(route_gadget_, &QPushButton::clicked, this, [this] {
        if (route_action_) route_action_();
    });
    exports->addWidget(osv_);
    exports->addWidget(route_gadget_);
    right->addLayout(exports);
    right->addStretch();

    add_dialog_buttons(this, root, english_);
}

void ResultPrintDialog::set_export_actions(std::function<void()> osv,
                                           std::function<void()> route_gadget) {
    osv_action_ = std::move(osv);
    route_action_ = std::move(route_gadget);
    osv_->setEnabled(static_cast<bool>(osv_action_));
    route_gadget_->setEnabled(static_cast<bool>(route_action_));
}

bool ResultPrintDialog::read_number(QLineEdit* edit, int low, int high, int& out) {
    bool ok = false;
    qlonglong v = edit->text().trimmed().toLongLong(&ok);
    if (!ok || v < low || v > high) {
        QMessageBox::warning(
            this, windowTitle(),
            qs(text_in(english_, Txt::kResultDlgPleaseEnterAnIntegerBetween1)).arg(low).arg(high));
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

void ResultPrintDialog::accept() {
    ResultPrintSettings s = result_;
    if (!read_number(first_n_, 0, ResultPrintSettings::kFirstNMax, s.first_n)) return;
    if (!read_number(formula_a_, 0, ResultPrintSettings::kFormulaAMax, s.formula_a)) return;
    if (!read_number(formula_b_, 0, ResultPrintSettings::kFormulaBMax, s.formula_b)) return;
    if (!read_number(formula_c_, 1, ResultPrintSettings::kFormulaCMax, s.formula_c)) return;
    s.to_html = channel_->checkedId() < 0 ? 0 : channel_->checkedId();
    s.selection = selection_->checkedId() < 0 ? 0 : selection_->checkedId();
    s.splits_mode = splits_->checkedId() < 0 ? 0 : splits_->checkedId();
    s.points_mode = points_->checkedId() < 0 ? 0 : points_->checkedId();
    s.print_control_codes = control_codes_->isChecked();
    s.split_places = split_places_->isChecked();
    s.print_ranks = ranks_->isChecked();
    s.print_non_starters = non_starters_->isChecked();
    s.all_finish_passes = all_passes_->isChecked();
    s.count_laps = laps_->isChecked();
    s.print_time_limit = time_limit_->isChecked();
    s.print_comment = comment_->isChecked();
    s.print_course_setter = course_setter_->isChecked();
    s.time_behind = time_behind_->isChecked();
    s.split_second_line = second_line_->isChecked();
    s.control_statistics = statistics_->isChecked();
    s.extended_html = extended_html_->isChecked();
    s.no_points_individual = no_points_individual_->isChecked();
    s.winner_from_six = winner_from_six_->isChecked();
    result_ = s;
    QDialog::accept();
}

}  // namespace skarvel
