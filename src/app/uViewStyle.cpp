#include "uViewStyle.h"

#include "uEntryColumns.h"
#include "uTheme.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeView>

namespace quorvex {

namespace {

constexpr int HeaderHeight = 17;

/// Paints the grid lines and the hover highlight; only visible cells are painted, so it costs
/// nothing on big lists.
class TGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Control characters in names would cut the text at a line break and lay tabs out
    // differently per view; the models keep them raw for the exports.
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        if (value.typeId() == QMetaType::QString)
            return VisibleControls(value.toString());
        return QStyledItemDelegate::displayText(value, locale);
    }

    // A check box needs its frame's margins above and below, or the grid line cuts it; rows
    // with and without an icon get the same height, as the icon is no taller.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (!index.data(Qt::CheckStateRole).isValid())
            return size;
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        const int indicator =
            style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
        const int icon = style->pixelMetric(QStyle::PM_SmallIconSize, &option, option.widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameVMargin, &option, option.widget);
        size.setHeight(qMax(size.height(), qMax(indicator, icon) + 2 * margin));
        return size;
    }

    // A cell whose text is cut shows the whole text; an entry with a tool tip of its own (the
    // reason a folder was not scanned) keeps it; any other cell shows none.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip || !index.isValid() ||
            index.data(Qt::ToolTipRole).isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = CutText(option, index);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        return true;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool hover =
            (option.state & QStyle::State_MouseOver) && !(option.state & QStyle::State_Selected);
        if (hover) {
            QColor tint = option.palette.color(QPalette::Active, QPalette::Highlight);
            tint.setAlpha(45);
            painter->fillRect(option.rect, tint);
        }
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        // ThemeColours().GridLine, from the cell's own palette (no lookup per cell).
        painter->setPen(Mix(option.palette.color(QPalette::Base),
                            option.palette.color(QPalette::Text), 39.0 / 255));
        const QRect& r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }

private:
    // The cell's text when it does not fit the room the style gives it, else empty.
    QString CutText(const QStyleOptionViewItem& option, const QModelIndex& index) const {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        if (cell.text.isEmpty())
            return {};
        const QWidget* widget = cell.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
        // The style keeps this margin on each side of the text (QCommonStyle's item layout).
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int width = cell.fontMetrics.horizontalAdvance(cell.text) + 2 * margin;
        return width > room.width() ? cell.text : QString();
    }
};

/// A header of fixed height: QTreeView sizes its header from sizeHint(), not from the
/// widget's fixed size.
class TViewHeader : public QHeaderView {
public:
    explicit TViewHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

    QSize sizeHint() const override {
        QSize size = QHeaderView::sizeHint();
        size.setHeight(HeaderHeight);
        return size;
    }
};

} // namespace

void StyleTreeView(QTreeView* view, bool nested) {
    auto* header = new TViewHeader(view);
    // setHeader() re-applies the view's sorting flag to the header (clickable, indicator),
    // so the header is configured after it is installed.
    view->setHeader(header); // the view owns it and sets its model
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder); // no arrow before the first sort
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const TThemeColours colours = ThemeColours(view->palette());
    header->setStyleSheet(
        QStringLiteral("QHeaderView { background-color: %1; }"
                       " QHeaderView::section { background-color: %1; color: %3; border: none;"
                       " border-right: 1px solid %2; border-bottom: 1px solid %2;"
                       " padding: 0px 14px 0px 4px; }")
            .arg(colours.HeaderBack.name(), colours.HeaderLine.name(), colours.HeaderText.name()));

    view->setUniformRowHeights(true);
    view->setRootIsDecorated(nested);
    view->setItemsExpandable(nested);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setMouseTracking(true);
    view->viewport()->setAttribute(Qt::WA_Hover);
    view->setItemDelegate(new TGridDelegate(view));

    // Keep the selection visible when another widget has the focus.
    QPalette palette = view->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    view->setPalette(palette);
}

} // namespace quorvex
