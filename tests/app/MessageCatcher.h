#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace quorvex::test {

// Every message box shown while it lives: its text is kept and the box closed.
class TMessageCatcher {
public:
    TMessageCatcher() {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Texts << box->text();
                box->reject();
            }
        });
        FTimer.start(10);
    }
    QStringList Texts;

private:
    QTimer FTimer;
};

} // namespace quorvex::test
