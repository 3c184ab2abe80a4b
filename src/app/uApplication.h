#pragma once

#include <QApplication>

namespace quorvex {

/// The application object. Every failure that escapes a command reaches one place: a message
/// box titled "Quorvex" with the failure's text; the wait window is hidden and the program
/// goes on taking input.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

/// The default error display: a modal message box titled "Quorvex" showing `text`.
void ShowErrorMessage(const QString& text);

} // namespace quorvex
