#include "uApplication.h"

#include "uAppIcon.h"
#include "uWaitForm.h"

#include <QMessageBox>
#include <exception>

namespace quorvex {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quorvex"));
    setWindowIcon(ApplicationIcon());
    // Lets the desktop match the window with the menu entry, and show its icon.
    setDesktopFileName(ApplicationId());
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorMessage(QStringLiteral("Unknown error."));
    }
    return false;
}

void ShowErrorMessage(const QString& text) {
    HideWait();
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Quorvex"), text);
}

} // namespace quorvex
