#include "uOptionIcons.h"

#include "uMainIcons.h"

#include <QPainter>
#include <QPixmap>

namespace quorvex {

namespace {

const QColor Outline(60, 60, 60);

// Three sliders: settings.
void PaintSliders(QPainter& p) {
    p.setPen(QPen(Outline, 2));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(4, 8 + 8 * i), QPointF(28, 8 + 8 * i));
    p.setBrush(QColor(0, 128, 255));
    p.setPen(QPen(Outline, 1));
    const qreal knobs[] = {20, 9, 15};
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(knobs[i] - 2.5, 4 + 8 * i, 5, 8));
}

// Bars that grow from left to right: sizes.
void PaintSizeBars(QPainter& p) {
    p.setPen(QPen(Outline, 1));
    const QColor colours[] = {{120, 200, 90}, {250, 200, 60}, {240, 130, 50}, {220, 60, 50}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colours[i]);
        const qreal height = 7.0 + 6.0 * i;
        p.drawRect(QRectF(3 + 7 * i, 29 - height, 5, height));
    }
    p.drawLine(QPointF(2, 29.5), QPointF(30, 29.5));
}

// A clock face: ages.
void PaintClock(QPainter& p) {
    p.setPen(QPen(Outline, 1.5));
    p.setBrush(QColor(255, 250, 230));
    p.drawEllipse(QPointF(16, 16), 13, 13);
    for (int hour = 0; hour < 12; hour += 3)
        p.drawLine(QLineF::fromPolar(11, 90 - 30 * hour).translated(16, 16).p2(),
                   QLineF::fromPolar(13, 90 - 30 * hour).translated(16, 16).p2());
    p.setPen(QPen(QColor(220, 60, 50), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 7));
    p.drawLine(QPointF(16, 16), QPointF(23, 19));
}

// A ruler under a word: name lengths.
void PaintRuler(QPainter& p) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(QColor(250, 220, 120));
    p.drawRect(QRectF(2.5, 19.5, 27, 9));
    for (int i = 0; i < 6; ++i)
        p.drawLine(QPointF(5.5 + 4.5 * i, 19.5), QPointF(5.5 + 4.5 * i, i % 2 ? 23 : 25));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 90, 200));
    p.drawText(QRectF(0, 1, 32, 17), Qt::AlignCenter, QStringLiteral("Abc"));
}

} // namespace

std::vector<QIcon> MakeOptionPageIcons() {
    return {DrawnIcon(PaintSliders), DrawnIcon(PaintSizeBars), DrawnIcon(PaintClock),
            DrawnIcon(PaintRuler)};
}

} // namespace quorvex
