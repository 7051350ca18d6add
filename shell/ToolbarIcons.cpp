#include "shell/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "shell/CommandIds.h"

namespace tallowmark {

namespace {
constexpr int kWidth = 16, kHeight = 15;

QPixmap Canvas() {
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawPage(QPainter& p, int x, int y, const QColor& fill) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(fill);
    p.drawRect(x, y, 8, 10);
    p.setPen(QColor(120, 120, 120));
    for (int line = y + 3; line < y + 9; line += 2) p.drawLine(x + 2, line, x + 6, line);
}

QPixmap Draw(int id) {
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    switch (id) {
        case cmd::FileOpen:  // an opening folder
            p.setPen(QColor(90, 70, 0));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(1, 4, 11, 9);
            p.setBrush(QColor(255, 225, 120));
            p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(12, 13), QPoint(1, 13)}));
            p.setPen(QColor(0, 0, 0));
            p.drawLine(10, 1, 13, 1);
            p.drawLine(13, 1, 13, 4);
            break;
        case cmd::FileSaveAs:  // a diskette
            p.setPen(QColor(20, 20, 60));
            p.setBrush(QColor(60, 80, 170));
            p.drawRect(1, 1, 13, 13);
            p.setBrush(Qt::white);
            p.drawRect(4, 1, 7, 5);
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(4, 9, 7, 5);
            break;
        case cmd::EditCut: {  // scissors
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(30, 30, 30), 1.2));
            p.drawLine(5, 1, 10, 9);
            p.drawLine(10, 1, 5, 9);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(160, 0, 0), 1.4));
            p.drawEllipse(QRectF(2.5, 9, 4, 4.5));
            p.drawEllipse(QRectF(8.5, 9, 4, 4.5));
            break;
        }
        case cmd::EditCopy:  // two pages
            DrawPage(p, 1, 1, Qt::white);
            DrawPage(p, 6, 4, Qt::white);
            break;
        case cmd::EditPaste:  // a clipboard with a page
            p.setPen(QColor(70, 40, 10));
            p.setBrush(QColor(170, 120, 60));
            p.drawRect(1, 2, 10, 12);
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(4, 0, 4, 3);
            DrawPage(p, 7, 4, Qt::white);
            break;
        case cmd::AppAbout:  // a question mark in a bubble
        case cmd::ContextHelp: {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QColor(0, 40, 120));
            p.setBrush(id == cmd::AppAbout ? QColor(255, 255, 210) : QColor(210, 230, 255));
            p.drawEllipse(QRectF(1, 0.5, 13, 12));
            QFont font = p.font();
            font.setPixelSize(11);
            font.setBold(true);
            p.setFont(font);
            p.drawText(QRect(1, 0, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
            if (id == cmd::ContextHelp) {
                p.setBrush(Qt::black);
                p.setPen(Qt::NoPen);
                p.drawPolygon(QPolygon({QPoint(0, 7), QPoint(0, 15), QPoint(5, 12)}));
            }
            break;
        }
        default: break;
    }
    return pixmap;
}
}  // namespace

QIcon ToolbarIcon(int commandId) { return QIcon(Draw(commandId)); }

}  // namespace tallowmark
