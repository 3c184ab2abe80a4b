#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace quorvex {

/// While it lives, user input reaches only `allowed` (the wait window) and its children:
/// what an application-modal window does, except that the other windows still get their
/// close requests, so closing the main window can stop a scan.
class TInputBlock : public QObject {
    Q_OBJECT
public:
    explicit TInputBlock(QWidget* allowed);
    ~TInputBlock() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FAllowed;
};

} // namespace quorvex
