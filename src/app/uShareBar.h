#pragma once

#include <QAbstractItemDelegate>

namespace quorvex {

/// Paints the share column: the cell as the view's own delegate paints it (text, grid,
/// hover), with a bar in the room left of the right-aligned text whose filled part is the
/// row's ShareRole. Colours come from the palette, so a dark theme keeps the bar readable.
/// Size hints and tool tips are the inner delegate's.
class TShareBarDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    /// `inner` (the view's delegate) must outlive this one; `parent` owns it.
    TShareBarDelegate(QAbstractItemDelegate* inner, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    /// Where the bar goes in a cell `cell` whose font is `metrics`: left of the widest
    /// share text; empty when the cell is too narrow for any bar.
    static QRect BarRect(const QRect& cell, const QFontMetrics& metrics);

private:
    QAbstractItemDelegate* FInner;
};

} // namespace quorvex
