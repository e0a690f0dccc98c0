#include "start/ui/prerace_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"
#include "start/prerace_lists.h"

namespace skarvel {

namespace {

constexpr int kFreeTextMax = 100;

QString t(const LanguageTable& lang, Txt id) {
    return qs(lang.text(id));
}

QVBoxLayout* group(QWidget* parent, QVBoxLayout* outer, const QString& title) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    outer->addWidget(box);
    return layout;
}

QCheckBox* check(QVBoxLayout* layout, const QString& text, bool on, const char* name) {
    auto* box = new QCheckBox(text);
    box->setChecked(on);
    box->setObjectName(QString::fromLatin1(name));
    layout->addWidget(box);
    return box;
}

std::vector<QRadioButton*> radios(QVBoxLayout* layout, std::initializer_list<QString> texts,
                                  int checked) {
    std::vector<QRadioButton*> out;
    for (const QString& text : texts) {
        out.push_back(new QRadioButton(text));
        out.back()->setObjectName(QStringLiteral("choice%1").arg(out.size() - 1));
        layout->addWidget(out.back());
    }
    out[static_cast<std::size_t>(std::clamp(checked, 0, static_cast<int>(out.size()) - 1))]
        ->setChecked(true);
    return out;
}

int checked_index(const std::vector<QRadioButton*>& buttons) {
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked()) return static_cast<int>(i);
    return 0;
}

}  // namespace

ExtractDialog::ExtractDialog(const ExtractOptions& initial, const LanguageTable& lang,
                             QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ExtractDialog"));
    setWindowTitle(t(lang, Txt::kExtractTitle));
    auto* layout = new QVBoxLayout(this);
    QVBoxLayout* whom = group(this, layout, t(lang, Txt::kWhomToPrint));
    selection = radios(whom,
                       {t(lang, Txt::kExtractCurrentRunners), t(lang, Txt::kForAllClubs),
                        t(lang, Txt::kForMarkedClubs)},
                       initial.selection);
    only_marked = check(whom, t(lang, Txt::kOnlyMarkedRunners), initial.only_marked, "only_marked");
    QVBoxLayout* more = group(this, layout, t(lang, Txt::kAddition));
    card_numbers =
        check(more, t(lang, Txt::kPrintCardNumbers), initial.card_numbers, "card_numbers");
    fee = check(more, t(lang, Txt::kPrintFee), initial.print_fee, "fee");
    signature = check(more, t(lang, Txt::kRepresentativeSignature), initial.signature, "signature");
    more->addWidget(new QLabel(t(lang, Txt::kTextAfterExtract)));
    free_text = new QLineEdit(qs(initial.free_text));
    free_text->setMaxLength(kFreeTextMax);
    free_text->setObjectName(QStringLiteral("free_text"));
    more->addWidget(free_text);
    leg_dot = check(more, t(lang, Txt::kRelayDotNumber), initial.relay_leg_dot_number, "leg_dot");
    add_dialog_buttons(this, layout, lang.english());
}

ExtractOptions ExtractDialog::options() const {
    ExtractOptions o;
    o.selection = checked_index(selection);
    o.only_marked = only_marked->isChecked();
    o.card_numbers = card_numbers->isChecked();
    o.print_fee = fee->isChecked();
    o.signature = signature->isChecked();
    o.free_text = cp(free_text->text().left(kFreeTextMax));
    o.relay_leg_dot_number = leg_dot->isChecked();
    return o;
}

MandateDialog::MandateDialog(bool initial, const LanguageTable& lang, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("MandateDialog"));
    setWindowTitle(t(lang, Txt::kMandateTitle));
    auto* layout = new QVBoxLayout(this);
    only_marked = check(layout, t(lang, Txt::kMandateOnlyMarked), initial, "only_marked");
    add_dialog_buttons(this, layout, lang.english());
}

StartGridDialog::StartGridDialog(const Competition& c, const LanguageTable& lang, QWidget* parent)
    : QDialog(parent), c_(c) {
    setObjectName(QStringLiteral("StartGridDialog"));
    setWindowTitle(t(lang, Txt::kGridTitle));
    auto* layout = new QVBoxLayout(this);
    only_marked =
        check(layout, t(lang, Txt::kOnlyMarkedRunners), c.info.only_marked != 0, "only_marked");
    grid = new QPlainTextEdit(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setReadOnly(true);
    grid->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Read-only, yet selectable and copyable with the keyboard as well as the mouse.
    grid->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    grid->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    grid->setMinimumSize(720, 360);
    layout->addWidget(grid);
    auto* note = new QLabel(t(lang, Txt::kGridNote));
    note->setWordWrap(true);
    layout->addWidget(note);
    add_dialog_buttons(this, layout, lang.english());
    connect(only_marked, &QCheckBox::toggled, this, [this] { rebuild(); });
    rebuild();
}

void StartGridDialog::rebuild() {
    std::string text = build_start_grid(c_, only_marked->isChecked());
    QString shown = qs(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    grid->setPlainText(shown);
}

CardPrintDialog::CardPrintDialog(const CardPrintOptions& initial, const LanguageTable& lang,
                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CardPrintDialog"));
    setWindowTitle(t(lang, Txt::kCmdPrintRunnerCards));
    auto* layout = new QVBoxLayout(this);
    QVBoxLayout* whom = group(this, layout, t(lang, Txt::kWhomToPrint));
    selection = radios(whom,
                       {t(lang, Txt::kCardsCurrentRunners), t(lang, Txt::kForAllClubs),
                        t(lang, Txt::kForMarkedClubs)},
                       initial.selection);
    only_marked = check(whom, t(lang, Txt::kOnlyMarkedRunners), initial.only_marked, "only_marked");
    QVBoxLayout* boxes = group(this, layout, t(lang, Txt::kCardsBoxCount));
    from_course = new QRadioButton(t(lang, Txt::kCardsFromCourse));
    fixed_count = new QRadioButton(t(lang, Txt::kCardsOtherCount));
    (initial.fixed_box_count ? fixed_count : from_course)->setChecked(true);
    box_count = new QSpinBox;
    box_count->setObjectName(QStringLiteral("box_count"));
    box_count->setRange(0, 100);
    box_count->setValue(initial.box_count);
    auto* fixed_row = new QHBoxLayout;
    fixed_row->addWidget(fixed_count);
    fixed_row->addWidget(box_count);
    boxes->addWidget(from_course);
    boxes->addLayout(fixed_row);
    QVBoxLayout* in_box = group(this, layout, t(lang, Txt::kCardsInBox));
    label = radios(
        in_box,
        {t(lang, Txt::kCardsBoxNumber), t(lang, Txt::kCardsBoxCode), t(lang, Txt::kCardsBoxBoth)},
        initial.box_label);
    QVBoxLayout* more = group(this, layout, t(lang, Txt::kAddition));
    club_per_sheet =
        check(more, t(lang, Txt::kCardsClubPerSheet), initial.club_per_sheet, "club_per_sheet");
    add_dialog_buttons(this, layout, lang.english());
}

CardPrintOptions CardPrintDialog::options() const {
    CardPrintOptions o;
    o.selection = checked_index(selection);
    o.only_marked = only_marked->isChecked();
    o.fixed_box_count = fixed_count->isChecked();
    o.box_count = box_count->value();
    o.box_label = checked_index(label);
    o.club_per_sheet = club_per_sheet->isChecked();
    return o;
}

BibDialog::BibDialog(const BibOptions& initial, const LanguageTable& lang, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("BibDialog"));
    setWindowTitle(t(lang, Txt::kBibTitle));
    auto* layout = new QVBoxLayout(this);
    QVBoxLayout* times = group(this, layout, t(lang, Txt::kBibStartTime));
    std::vector<QRadioButton*> choice = radios(
        times, {t(lang, Txt::kBibOneDay), t(lang, Txt::kBibMultiDay), t(lang, Txt::kBibNoTime)},
        static_cast<int>(initial.start_times));
    one_day = choice[0];
    multi_day = choice[1];
    no_time = choice[2];
    const Txt day_text[3] = {Txt::kBibDay1, Txt::kBibDay2, Txt::kBibDay3};
    for (int d = 0; d < 3; ++d) {
        days[d] = check(times, t(lang, day_text[d]), initial.days[d], "day");
        days[d]->setObjectName(QStringLiteral("day%1").arg(d + 1));
        days[d]->setEnabled(multi_day->isChecked());
        connect(multi_day, &QRadioButton::toggled, days[d], &QCheckBox::setEnabled);
    }
    QVBoxLayout* more = group(this, layout, t(lang, Txt::kBibAddition));
    two_per_sheet =
        check(more, t(lang, Txt::kBibTwoPerSheet), initial.two_per_sheet, "two_per_sheet");
    leg = check(more, t(lang, Txt::kBibLegForm), initial.relay_leg, "leg");
    club = check(more, t(lang, Txt::kBibClub), initial.club, "club");
    card = check(more, t(lang, Txt::kBibCard), initial.card, "card");
    class_name = check(more, t(lang, Txt::kBibClass), initial.class_name, "class_name");
    layout->addWidget(make_dialog_buttons(this, lang.english(), QStringLiteral("OK"), "ok",
                                          t(lang, Txt::kFixedCancel)));
}

BibOptions BibDialog::options() const {
    BibOptions o;
    o.start_times = one_day->isChecked()     ? BibStartTimes::kOneDay
                    : multi_day->isChecked() ? BibStartTimes::kMultiDay
                                             : BibStartTimes::kNone;
    for (int d = 0; d < 3; ++d) o.days[d] = days[d]->isChecked();
    o.two_per_sheet = two_per_sheet->isChecked();
    o.relay_leg = leg->isChecked();
    o.club = club->isChecked();
    o.card = card->isChecked();
    o.class_name = class_name->isChecked();
    return o;
}

}  // namespace skarvel
