#include "platform/qt/dialog_sizing.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

namespace skarvel {

namespace {

// Room beside the title for the window frame's icon and buttons.
constexpr int kTitleFrameRoom = 160;
constexpr int kFileDialogWidth = 860;
constexpr int kFileDialogHeight = 520;

// The window frame around a dialog's contents: its title bar and borders.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

QSize& screen_override() {
    static QSize size;
    return size;
}

class DialogSizing : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched)) {
                fit_dialog_to_texts(dialog);
                fit_dialog_to_screen(dialog);
            }
        return false;
    }
};

// A row of buttons only (OK, Cancel, ...): a button box, or a layout of buttons and spacers.
bool is_button_row(QLayoutItem* item) {
    if (QWidget* w = item->widget()) return qobject_cast<QDialogButtonBox*>(w) != nullptr;
    QLayout* l = item->layout();
    if (!l || l->count() == 0) return false;
    bool any = false;
    for (int i = 0; i < l->count(); ++i) {
        QLayoutItem* part = l->itemAt(i);
        if (part->spacerItem()) continue;
        if (!part->widget() || !qobject_cast<QAbstractButton*>(part->widget())) return false;
        any = true;
    }
    return any;
}

// Moves the dialog's contents into a scroll area; the button row at the bottom of a column
// layout stays below it, always in view.
void scroll_contents(QDialog* dialog) {
    QLayout* old = dialog->layout();
    QLayoutItem* buttons = nullptr;
    if (auto* box = qobject_cast<QBoxLayout*>(old);
        box && box->direction() == QBoxLayout::TopToBottom && box->count() > 1 &&
        is_button_row(box->itemAt(box->count() - 1)))
        buttons = box->takeAt(box->count() - 1);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("dialog_contents"));
    old->setSizeConstraint(QLayout::SetDefaultConstraint);
    content->setLayout(old);  // takes the layout, and the widgets in it, off the dialog
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("dialog_scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll, 1);
    if (buttons) {
        auto* row = new QVBoxLayout;
        row->setContentsMargins(old->contentsMargins());
        if (QWidget* w = buttons->widget()) {
            row->addWidget(w);
            delete buttons;
        } else {
            row->addLayout(buttons->layout());
        }
        outer->addLayout(row);
    }
}

}  // namespace

void fit_dialog_to_texts(QDialog* dialog) {
    // The title bar uses the application's font; the dialog's own is the closest we know.
    int width = QFontMetrics(dialog->font()).horizontalAdvance(dialog->windowTitle());
    int need = width > 0 ? width + kTitleFrameRoom : 0;
    int height = dialog->height();
    if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
        need = std::max(need, kFileDialogWidth);
        height = std::max(height, kFileDialogHeight);
        for (QHeaderView* header : files->findChildren<QHeaderView*>())
            for (int i = 0; i < header->count(); ++i)
                header->resizeSection(i,
                                      std::max(header->sectionSize(i), header->sectionSizeHint(i)));
    }
    if (dialog->width() < need || dialog->height() < height)
        dialog->resize(std::max(dialog->width(), need), height);
}

QSize dialog_room(QSize screen) {
    return {screen.width() - kFrameWidth, screen.height() - kFrameHeight};
}

void set_dialog_screen(QSize screen) {
    screen_override() = screen;
}

void fit_dialog_to_screen(QDialog* dialog, QSize screen) {
    // Qt's own dialogs lay themselves out when they show; they are never this large.
    if (qobject_cast<QMessageBox*>(dialog) || qobject_cast<QFileDialog*>(dialog) ||
        qobject_cast<QProgressDialog*>(dialog) || !dialog->layout())
        return;
    if (screen.isEmpty()) screen = screen_override();
    if (screen.isEmpty() && dialog->screen()) screen = dialog->screen()->availableGeometry().size();
    if (screen.isEmpty()) return;
    const QSize room = dialog_room(screen);
    QSize need = dialog->sizeHint().expandedTo(dialog->minimumSizeHint());
    const bool scrolled = dialog->property("skarvel_scrolled").toBool();
    if (!scrolled && need.width() <= room.width() && need.height() <= room.height()) {
        if (dialog->width() > room.width() || dialog->height() > room.height())
            dialog->resize(dialog->size().boundedTo(room));
        return;
    }
    if (!scrolled) {
        scroll_contents(dialog);
        dialog->setProperty("skarvel_scrolled", true);
        // Room for the scroll bars beside what the contents want.
        const int bar = dialog->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        need += QSize(bar + 4, bar + 4);
    }
    dialog->setMinimumSize(0, 0);
    dialog->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    dialog->resize(need.boundedTo(room).expandedTo(dialog->size().boundedTo(room)));
}

void install_dialog_sizing(QCoreApplication& app) {
    app.installEventFilter(new DialogSizing(&app));
}

}  // namespace skarvel
