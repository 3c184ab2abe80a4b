#include "uTreemapPane.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace quorvex {

TTreemapPane::TTreemapPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Treemap"));
    setMouseTracking(true);
    setMinimumSize(40, 40);
    setAttribute(Qt::WA_OpaquePaintEvent); // the picture covers every pixel
    connect(&FWorker, &TTreemapWorker::Finished, this, &TTreemapPane::Show);
}

void TTreemapPane::SetFolder(const TDataInfo* folder) {
    FFolder = folder;
    FSelected = nullptr;
    Invalidate();
}

void TTreemapPane::SetHighlight(std::function<bool(const TDataInfo&)> highlight) {
    if (!highlight && !FStyle.Highlight)
        return;
    FStyle.Highlight = std::move(highlight);
    Redraw();
}

void TTreemapPane::SetCushion(bool cushion) {
    if (FStyle.Cushion == cushion)
        return;
    FStyle.Cushion = cushion;
    Redraw();
}

void TTreemapPane::SetGrowth(const TScanCompare* compare) {
    if (FGrowth == compare)
        return;
    FWorker.Stop(); // a request cancelled by Request() alone may still read the old one
    FGrowth = compare;
    Redraw();
}

void TTreemapPane::SetSelected(const TDataInfo* entry) {
    FSelected = entry;
    UpdateOutline();
}

void TTreemapPane::SetDescriber(std::function<QString(const TDataInfo&)> describe) {
    FDescribe = std::move(describe);
}

void TTreemapPane::Stop() {
    FWorker.Stop();
    FHeld = true;
    FCurrent = false;
    FOutline = {};
    if (FHovered) {
        FHovered = nullptr;
        emit Hovered(nullptr);
    }
}

void TTreemapPane::Invalidate() {
    FHeld = false;
    Redraw();
}

void TTreemapPane::Redraw() {
    if (FHeld || !isVisible()) { // a hidden pane costs nothing; it draws when shown
        if (!FHeld)
            FWorker.Stop();
        FDirty = true;
        return;
    }
    FDirty = false;
    if (!FFolder) {
        FWorker.Stop();
        FPicture = {};
        FCurrent = false;
        update();
        return;
    }
    FWorker.Request({FFolder, width(), height(), FStyle, TTreemapRender::FileColour, FGrowth});
}

void TTreemapPane::Show(const TTreemapPicture& picture) {
    FPicture = picture;
    FCurrent = true;
    UpdateOutline();
    update();
    emit PictureShown();
}

// The outline is found once per picture or selection, not per paint: a linear pass over the
// tiles costs milliseconds on a big picture.
void TTreemapPane::UpdateOutline() {
    FOutline = {};
    if (FCurrent && FSelected)
        for (const TTreemapTile& tile : FPicture.Layout->Tiles())
            if (!tile.IsBlend() && &FPicture.Layout->EntryOf(tile) == FSelected) {
                FOutline = QRect(tile.X, tile.Y, tile.W, tile.H);
                break;
            }
    update();
}

const TDataInfo* TTreemapPane::EntryAt(const QPoint& at) const {
    if (!FCurrent || FPicture.Image.size() != size())
        return nullptr;
    return FPicture.Layout->HitTest(at.x(), at.y());
}

void TTreemapPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (FPicture.Image.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // Stretched while a picture of the new size is drawn.
    painter.drawImage(rect(), FPicture.Image);
    if (FOutline.isEmpty() || FPicture.Image.size() != size())
        return;
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(FOutline.adjusted(0, 0, -1, -1));
    if (FOutline.width() > 2 && FOutline.height() > 2) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(FOutline.adjusted(1, 1, -2, -2));
    }
}

void TTreemapPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Redraw();
}

void TTreemapPane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FDirty)
        Redraw();
}

void TTreemapPane::Hover(const TDataInfo* entry, const QPoint& globalAt) {
    if (entry && FDescribe)
        QToolTip::showText(globalAt, FDescribe(*entry), this);
    else
        QToolTip::hideText();
    if (entry != FHovered) {
        FHovered = entry;
        emit Hovered(entry);
    }
}

void TTreemapPane::mouseMoveEvent(QMouseEvent* event) {
    Hover(EntryAt(event->position().toPoint()), event->globalPosition().toPoint());
}

void TTreemapPane::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    Hover(nullptr, {});
}

void TTreemapPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        if (const TDataInfo* entry = EntryAt(event->position().toPoint()))
            emit Clicked(entry);
}

void TTreemapPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        if (const TDataInfo* entry = EntryAt(event->position().toPoint()))
            emit DoubleClicked(entry);
}

void TTreemapPane::contextMenuEvent(QContextMenuEvent* event) {
    emit ContextMenuRequested(EntryAt(event->pos()), event->globalPos());
}

} // namespace quorvex
