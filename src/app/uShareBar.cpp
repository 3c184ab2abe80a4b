#include "uShareBar.h"

#include "uEntryModels.h"

#include <QPainter>
#include <algorithm>

namespace quorvex {

namespace {

constexpr int Margin = 3;
constexpr int SmallestBar = 12; // narrower, a bar tells nothing

} // namespace

TShareBarDelegate::TShareBarDelegate(QAbstractItemDelegate* inner, QObject* parent)
    : QAbstractItemDelegate(parent), FInner(inner) {}

QRect TShareBarDelegate::BarRect(const QRect& cell, const QFontMetrics& metrics) {
    const int text = metrics.horizontalAdvance(QStringLiteral("100.0 %")) + 2 * Margin;
    QRect bar = cell.adjusted(Margin, Margin + 1, -text - Margin, -Margin - 1);
    return bar.width() < SmallestBar || bar.height() < 3 ? QRect() : bar;
}

void TShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    FInner->paint(painter, option, index);
    const QVariant share = index.data(ShareRole);
    const QRect bar = BarRect(option.rect, option.fontMetrics);
    if (!share.isValid() || bar.isEmpty())
        return;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    const QColor fill = palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight);
    const double part = std::clamp(share.toDouble(), 0.0, 1.0);
    painter->save();
    painter->setPen(palette.color(QPalette::Mid));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(bar.adjusted(0, 0, -1, -1));
    const int filled = int(double(bar.width() - 2) * part + 0.5);
    painter->fillRect(QRect(bar.left() + 1, bar.top() + 1, filled, bar.height() - 2), fill);
    painter->restore();
}

QSize TShareBarDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    return FInner->sizeHint(option, index);
}

bool TShareBarDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    return FInner->helpEvent(event, view, option, index);
}

} // namespace quorvex
