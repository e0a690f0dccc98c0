#include "platform/qt/dialog_sizing.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <algorithm>

namespace skarvel {

namespace {

// Room beside the title for the window frame's icon and buttons.
constexpr int kTitleFrameRoom = 160;
constexpr int kFileDialogWidth = 860;
constexpr int kFileDialogHeight = 520;

class DialogSizing : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched)) fit_dialog_to_texts(dialog);
        return false;
    }
};

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

void install_dialog_sizing(QCoreApplication& app) {
    app.installEventFilter(new DialogSizing(&app));
}

}  // namespace skarvel
