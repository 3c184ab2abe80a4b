#include "uOptionInput.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <limits>

namespace quorvex {

std::optional<std::int32_t> ReadInteger(const QString& text) {
    qsizetype i = 0;
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    // One more than the largest value, so that the lowest negative number still reads.
    const std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > limit)
            return std::nullopt;
    }
    if (negative)
        return std::int32_t(-value);
    if (value == limit)
        return std::nullopt;
    return std::int32_t(value);
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

class TDigitFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return TypesText(*key) && !AllAllowed(key->text());
        }
        if (event->type() == QEvent::InputMethod) // composed text reaches the edit this way
            return !AllAllowed(static_cast<QInputMethodEvent*>(event)->commitString());
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void InstallDigitFilter(QLineEdit* edit) {
    edit->installEventFilter(new TDigitFilter(edit));
}

} // namespace quorvex
