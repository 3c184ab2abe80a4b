#include "uMainIcons.h"

#include "uMain.h"
#include "uTheme.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quorvex {

QPixmap RenderIcon(TDrawFn draw, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    return pixmap;
}

QIcon DrawnIcon(TDrawFn draw) {
    QIcon icon;
    for (int size : {16, 24, 32})
        icon.addPixmap(RenderIcon(draw, size));
    return icon;
}

namespace {

const QColor ChartBlue(0, 128, 255);

// ---- Drawn icons -----------------------------------------------------------------------------
// Every icon is drawn on a 32-unit canvas and rendered at 16 and 32 pixels, so the program
// needs no image files and the pictures are our own.

void PaintFolder(QPainter& p, bool empty) {
    const QColor edge(176, 124, 20);
    QPainterPath back;
    back.moveTo(3, 7);
    back.lineTo(12, 7);
    back.lineTo(15, 10);
    back.lineTo(29, 10);
    back.lineTo(29, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    QPen pen(edge, 1.6);
    if (empty)
        pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(empty ? QColor(255, 246, 222) : QColor(232, 178, 48));
    p.drawPath(back);
    if (!empty) {
        p.setBrush(QColor(252, 212, 96));
        p.drawRect(QRectF(3, 14, 26, 13));
    }
}

void PaintPage(QPainter& p, bool empty) {
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    QPen pen(QColor(100, 110, 125), 1.6);
    if (empty)
        pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(20, 3), QPointF(20, 9), QPointF(26, 9)}));
    if (empty)
        return;
    p.setPen(QPen(ChartBlue, 1.6));
    for (int y = 14; y <= 25; y += 4)
        p.drawLine(QPointF(10, y), QPointF(23, y));
}

void PaintPie(QPainter& p, const QRectF& r) {
    const struct {
        int Start, Span;
        QColor Colour;
    } slices[] = {
        {90, 200, ChartBlue}, {290, 100, QColor(255, 150, 30)}, {30, 60, QColor(60, 180, 75)}};
    p.setPen(QPen(Qt::white, 1));
    for (const auto& s : slices) {
        p.setBrush(s.Colour);
        p.drawPie(r, s.Start * 16, s.Span * 16);
    }
}

void PaintClock(QPainter& p, const QColor& hands) {
    p.setPen(QPen(QColor(40, 90, 170), 2.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
    for (int i = 0; i < 12; i += 3) {
        p.save();
        p.translate(16, 16);
        p.rotate(i * 30);
        p.drawLine(QPointF(0, -10.5), QPointF(0, -8.5));
        p.restore();
    }
    p.setPen(QPen(hands, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(22, 18));
}

void PaintBars(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 60, 50));
    p.drawRect(QRectF(5, 16, 6, 12));
    p.setBrush(ChartBlue);
    p.drawRect(QRectF(13, 6, 6, 22));
    p.setBrush(QColor(60, 180, 75));
    p.drawRect(QRectF(21, 12, 6, 16));
    p.setPen(QPen(QColor(70, 70, 70), 1.6));
    p.drawLine(QPointF(3, 28.5), QPointF(29, 28.5));
}

void PaintGroup(QPainter& p) {
    const QColor colours[] = {ChartBlue, QColor(255, 150, 30), QColor(60, 180, 75)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colours[i]);
        p.drawRoundedRect(QRectF(4, 4 + i * 9, 24, 7), 2, 2);
    }
}

void PaintTree(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1.6));
    p.drawPolyline(QPolygonF({QPointF(8, 10), QPointF(8, 25), QPointF(15, 25)}));
    p.drawLine(QPointF(8, 16), QPointF(15, 16));
    p.setPen(QPen(QColor(176, 124, 20), 1.4));
    p.setBrush(QColor(252, 212, 96));
    p.drawRect(QRectF(3, 3, 11, 8));
    p.drawRect(QRectF(15, 12, 13, 8));
    p.drawRect(QRectF(15, 21, 13, 8));
}

void PaintTypeList(QPainter& p) {
    const QColor colours[] = {ChartBlue, QColor(255, 150, 30), QColor(60, 180, 75),
                              QColor(230, 60, 50)};
    for (int i = 0; i < 4; ++i) {
        const qreal y = 4 + i * 7;
        p.setPen(Qt::NoPen);
        p.setBrush(colours[i]);
        p.drawRect(QRectF(3, y, 6, 5));
        p.setPen(QPen(QColor(90, 90, 90), 1.8));
        p.drawLine(QPointF(12, y + 2.5), QPointF(29, y + 2.5));
    }
}

void PaintTag(QPainter& p) {
    QPainterPath tag;
    tag.moveTo(3, 16);
    tag.lineTo(13, 5);
    tag.lineTo(29, 5);
    tag.lineTo(29, 27);
    tag.lineTo(13, 27);
    tag.closeSubpath();
    p.setPen(QPen(QColor(170, 90, 10), 1.6));
    p.setBrush(QColor(255, 170, 60));
    p.drawPath(tag);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(11, 16), 2.5, 2.5);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(17, 12), QPointF(26, 12));
    p.drawLine(QPointF(17, 20), QPointF(24, 20));
}

void PaintNameLength(QPainter& p) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(40, 90, 170));
    p.drawText(QRectF(0, 1, 32, 17), Qt::AlignCenter, QStringLiteral("Ab"));
    p.setPen(QPen(QColor(90, 90, 90), 1.6));
    p.setBrush(QColor(255, 236, 160));
    p.drawRect(QRectF(2, 20, 28, 9));
    for (int x = 6; x < 30; x += 4)
        p.drawLine(QPointF(x, 20), QPointF(x, x % 8 == 6 ? 26 : 24));
}

void PaintMagnifier(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 24), QPointF(30, 30));
    p.setPen(QPen(QColor(60, 60, 60), 2.2));
    p.setBrush(QColor(210, 235, 255, 200));
    p.drawEllipse(QPointF(19, 19), 7, 7);
}

} // namespace

std::vector<QIcon> MakeTabIcons() {
    return {DrawnIcon([](QPainter& p) {
                PaintPage(p, false);
                PaintPie(p, QRectF(15, 17, 14, 14));
            }),
            ThemeIcon("folder", DrawnIcon([](QPainter& p) { PaintFolder(p, false); })),
            ThemeIcon("text-x-generic", DrawnIcon([](QPainter& p) { PaintPage(p, false); })),
            ThemeIcon("x-office-calendar",
                      DrawnIcon([](QPainter& p) { PaintClock(p, QColor(230, 60, 50)); })),
            DrawnIcon(PaintTag),
            DrawnIcon(PaintNameLength)};
}

std::vector<QIcon> MakeGroupIcons() {
    std::vector<QIcon> icons(giCount);
    icons[giGroup] = DrawnIcon(PaintGroup);
    // Only where a standard name means the same picture; the empty and the three age
    // variants stay drawn, as a theme has nothing that tells them apart.
    icons[giSummary] =
        ThemeIcon("x-office-document", DrawnIcon([](QPainter& p) { PaintPage(p, false); }));
    icons[giTree] = DrawnIcon(PaintTree);
    icons[giFolder] = ThemeIcon("folder", DrawnIcon([](QPainter& p) { PaintFolder(p, false); }));
    icons[giEmptyFolder] = DrawnIcon([](QPainter& p) { PaintFolder(p, true); });
    icons[giFile] =
        ThemeIcon("text-x-generic", DrawnIcon([](QPainter& p) { PaintPage(p, false); }));
    icons[giEmptyFile] = DrawnIcon([](QPainter& p) { PaintPage(p, true); });
    icons[giCreateTime] = DrawnIcon([](QPainter& p) { PaintClock(p, QColor(60, 160, 60)); });
    icons[giWriteTime] = DrawnIcon([](QPainter& p) { PaintClock(p, QColor(230, 60, 50)); });
    icons[giAccessTime] = DrawnIcon([](QPainter& p) { PaintClock(p, ChartBlue); });
    icons[giTypeList] = DrawnIcon(PaintTypeList);
    icons[giPie] = DrawnIcon([](QPainter& p) { PaintPie(p, QRectF(3, 3, 26, 26)); });
    icons[giBar] = DrawnIcon(PaintBars);
    return icons;
}

QIcon OpenButtonIcon() {
    return ThemeIcon("document-open", DrawnIcon([](QPainter& p) {
                         p.save();
                         p.translate(-1, -2);
                         PaintFolder(p, false);
                         p.restore();
                         PaintMagnifier(p);
                     }));
}

} // namespace quorvex
