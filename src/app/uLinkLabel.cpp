#include "uLinkLabel.h"

#include "uTheme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace quorvex {

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette palette = this->palette();
    // The disabled group keeps the style's grey: a link that cannot be followed must not
    // look like one that can.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, ThemeColours(palette).Link);
    setPalette(palette);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    FPressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is press and release on the label, as with a button.
    const bool click = FPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void TLinkLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
        !event->isAutoRepeat()) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TLinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        setCursor(isEnabled() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

// A label paints no focus of its own; without a frame Tab would seem to go nowhere.
void TLinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace quorvex
