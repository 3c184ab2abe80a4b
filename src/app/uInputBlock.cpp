#include "uInputBlock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace quorvex {

namespace {

bool IsInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

TInputBlock::TInputBlock(QWidget* allowed) : FAllowed(allowed) {
    QCoreApplication::instance()->installEventFilter(this);
}

TInputBlock::~TInputBlock() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool TInputBlock::eventFilter(QObject* watched, QEvent* event) {
    if (!IsInput(event->type()))
        return false;
    if (auto* widget = qobject_cast<QWidget*>(watched))
        return !FAllowed || !(widget == FAllowed || FAllowed->isAncestorOf(widget));
    if (auto* window = qobject_cast<QWindow*>(watched))
        return !FAllowed || window != FAllowed->windowHandle();
    return false;
}

} // namespace quorvex
