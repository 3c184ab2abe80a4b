#include "uOptionInput.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <limits>

namespace quorvex {

std::optional<std::int64_t> ReadInteger64(const QString& text) {
    qsizetype i = 0;
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    // Accumulated as a negative number: its range reaches one further than the positive one.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (lowest + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == lowest)
        return std::nullopt;
    return -value;
}

std::optional<std::int32_t> ReadInteger(const QString& text) {
    const auto value = ReadInteger64(text);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(*value);
}

QString NotAnIntegerMessage(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

namespace {

bool IsAllowedCharacter(QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'\b' || c == u'\n' || c == u'\r';
}

bool AllAllowed(const QString& text) {
    for (const QChar c : text)
        if (!IsAllowedCharacter(c))
            return false;
    return true;
}

// Tab and Delete come with a character in Qt, but they move focus or delete: they are keys,
// not typed text.
bool TypesText(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        return !key.text().isEmpty();
    }
}

// The shortcuts every edit has besides paste; they come with a control character as their
// text, which the digit rule alone would discard.
bool IsEditingShortcut(const QKeyEvent& key) {
    for (const QKeySequence::StandardKey shortcut :
         {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Undo,
          QKeySequence::Redo})
        if (key.matches(shortcut))
            return true;
    return false;
}

bool IsMiddleClick(const QEvent& event) {
    return event.type() == QEvent::MouseButtonRelease &&
           static_cast<const QMouseEvent&>(event).button() == Qt::MiddleButton;
}

// What a paste would insert must pass as if typed; otherwise it is discarded whole.
bool RefusesPaste(QClipboard::Mode mode) {
    return !AllAllowed(QGuiApplication::clipboard()->text(mode));
}

class TDigitFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            return RefusesKey(*static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::InputMethod) // composed text reaches the edit this way
            return !AllAllowed(static_cast<QInputMethodEvent*>(event)->commitString());
        if (IsMiddleClick(*event)) // X11 pastes the selection on a middle click
            return RefusesPaste(QClipboard::Selection);
        if (event->type() == QEvent::Drop) {
            const QMimeData* data = static_cast<QDropEvent*>(event)->mimeData();
            return !data || !AllAllowed(data->text());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool RefusesKey(const QKeyEvent& key) {
        if (key.matches(QKeySequence::Paste))
            return RefusesPaste(QClipboard::Clipboard);
        if (IsEditingShortcut(key))
            return false;
        return TypesText(key) && !AllAllowed(key.text());
    }
};

} // namespace

void InstallDigitFilter(QLineEdit* edit) {
    edit->installEventFilter(new TDigitFilter(edit));
}

} // namespace quorvex
