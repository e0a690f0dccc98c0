#include "app/toolbar_icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include "core/cp1251.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

using namespace literals;

namespace {

QIcon tile(const QString& sign, QColor color, QColor ink = Qt::white) {
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(140), 2));
    p.setBrush(color);
    p.drawRoundedRect(QRectF(2, 2, 36, 36), 7, 7);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(sign.size() <= 1 ? 24 : sign.size() == 2 ? 18 : 13);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(0, 0, 40, 40), Qt::AlignCenter, sign);
    return QIcon(pm);
}

QIcon funnel() {
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(4, 6);
    path.lineTo(36, 6);
    path.lineTo(23, 21);
    path.lineTo(23, 34);
    path.lineTo(17, 30);
    path.lineTo(17, 21);
    path.closeSubpath();
    p.setPen(QPen(QColor(30, 60, 120), 2));
    p.setBrush(QColor(90, 140, 220));
    p.drawPath(path);
    return QIcon(pm);
}

QIcon lock() {
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(11, 4, 18, 22), 0, 180 * 16);
    p.drawLine(11, 15, 11, 19);
    p.drawLine(29, 15, 29, 19);
    p.setPen(QPen(QColor(120, 90, 20), 2));
    p.setBrush(QColor(230, 180, 40));
    p.drawRoundedRect(QRectF(6, 18, 28, 18), 3, 3);
    return QIcon(pm);
}

}  // namespace

QIcon command_icon(CommandId id) {
    QStyle* s = QApplication::style();
    using C = CommandId;
    switch (id) {
        case C::kNew:
            return s->standardIcon(QStyle::SP_FileIcon);
        case C::kOpen:
            return s->standardIcon(QStyle::SP_DialogOpenButton);
        case C::kSave:
            return s->standardIcon(QStyle::SP_DialogSaveButton);
        case C::kPrintTable:
            return tile(QStringLiteral("P"), QColor(80, 80, 80));
        case C::kDelete:
            return s->standardIcon(QStyle::SP_TrashIcon);
        case C::kUndo:
            return s->standardIcon(QStyle::SP_ArrowBack);
        case C::kCompetitionInfo:
            return tile(QStringLiteral("i"), QColor(40, 110, 200));
        case C::kShowRunners:
            return tile(qs("Уч"_cp1251), QColor(40, 140, 60));
        case C::kShowClasses:
            return tile(qs("Гр"_cp1251), QColor(40, 140, 60));
        case C::kShowClubs:
            return tile(qs("Кл"_cp1251), QColor(40, 140, 60));
        case C::kShowCourses:
            return tile(qs("Д"_cp1251), QColor(40, 140, 60));
        case C::kShowFinish:
            return tile(qs("Ф"_cp1251), QColor(190, 50, 50));
        case C::kShowCardReadouts:
            return tile(QStringLiteral("VP"), QColor(190, 110, 30));
        case C::kSortAlphabetically:
            return tile(qs("АЯ"_cp1251), QColor(110, 70, 170));
        case C::kFilter:
            return funnel();
        case C::kFind:
            return s->standardIcon(QStyle::SP_FileDialogContentsView);
        case C::kStartReading:
            return tile(QStringLiteral("F8"), QColor(190, 110, 30));
        case C::kSetStartNumbers:
            return tile(qs("№"_cp1251), QColor(0, 120, 140));
        case C::kSetStartTimes:
            return tile(QStringLiteral("T"), QColor(0, 120, 140));
        case C::kDraw:
            return tile(QStringLiteral("?"), QColor(0, 120, 140));
        case C::kFinishAutosave:
            return tile(QStringLiteral("AS"), QColor(190, 50, 50));
        case C::kLockMouse:
            return lock();
        case C::kStartClient:
            return tile(qs("К>"_cp1251), QColor(60, 60, 150));
        case C::kStartServer:
            return tile(qs(">С"_cp1251), QColor(60, 60, 150));
        case C::kLcdShow:
            return tile(QStringLiteral("LCD"), QColor(20, 20, 20), QColor(120, 255, 120));
        case C::kNoCommand:
            return tile(QString(), QColor(200, 200, 200));
        case C::kAmbRead:
            return tile(QStringLiteral("AMB"), QColor(150, 60, 120));
        case C::kDisplayBoard:
            return tile(QStringLiteral("COM"), QColor(20, 20, 20), QColor(255, 200, 60));
        case C::kBoardWithoutFinish:
            return tile(qs("—"_cp1251), QColor(220, 180, 0), Qt::black);
        case C::kBoardNegativeTimes:
            return tile(QStringLiteral("-t"), QColor(220, 180, 0), Qt::black);
        case C::kPersonalisationMode:
            return tile(QStringLiteral("P+"), QColor(150, 60, 120));
        default:
            return tile(qs("·"_cp1251), QColor(150, 150, 150));
    }
}

}  // namespace skarvel
