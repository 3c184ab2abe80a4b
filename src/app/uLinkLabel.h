#pragma once

#include <QLabel>

namespace quorvex {

/// A label that acts like a hyperlink: blue, underlined, hand cursor; a left click on it
/// emits `clicked`. It takes the focus with Tab, shows it with a focus frame, and Enter,
/// Return or Space act as a click, so the report links work without a mouse. Disabled, it
/// greys out like any other text and keeps its tool tip, which should say why.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool FPressed = false;
};

} // namespace quorvex
