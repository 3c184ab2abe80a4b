#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

class QLabel;
class QPushButton;

namespace quorvex {

/// The looping "searching a folder" picture of the wait window: a magnifier circling over a
/// folder. Runs only while visible.
class TFindAnimation : public QWidget {
    Q_OBJECT
public:
    explicit TFindAnimation(QWidget* parent = nullptr);
    int Frame() const { return FFrame; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer FTimer;
    int FFrame = 0;
};

/// The busy window in front of the main window while a long task runs. Borderless, on top,
/// never modal. Besides the message it shows the live counts of a scan and, for a task that
/// can stop early, a Cancel button.
class TWaitForm : public QDialog {
    Q_OBJECT
public:
    explicit TWaitForm(QWidget* parent = nullptr);
    ~TWaitForm() override;

    /// Shows the Cancel button (enabled) or hides it.
    void SetCancellable(bool cancellable);
    void SetMessage(const QString& text);
    void SetProgress(quint64 entries, quint64 bytes, const QString& folder);
    /// Shows how far an export has got: "1,200 of 50,000 rows written".
    void SetRowProgress(quint64 rows, quint64 total);

    TFindAnimation* Animate1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblProgress = nullptr;
    QPushButton* btnCancel = nullptr;

signals:
    /// The user asked to stop the task; emitted once per task (the button disables itself).
    void CancelRequested();

public slots:
    /// Escape and the window manager's close act as Cancel: the task decides when to hide.
    void reject() override;

protected:
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowProgressText();

    quint64 FEntries = 0;
    quint64 FBytes = 0;
    QString FFolder;
    bool FHasProgress = false;
    QString FRowText; // an export's progress, shown when there are no scan counts
};

/// The one wait window of the program, created hidden at start-up; null before and after.
extern TWaitForm* WaitForm;

/// Shows WaitForm centred on the main window and paints it at once.
void ShowWait();
/// Sets the message line and paints it at once.
void SetWaitMessage(const QString& text);
/// Hides WaitForm; does nothing when it does not exist or is not visible.
void HideWait();
/// A count of entries as the wait window and the status bar write it: digits grouped by the
/// regional thousands separator ("1,096,242").
QString EntryCountText(quint64 entries);

/// Shows how far a scan has got.
void SetWaitProgress(quint64 entries, quint64 bytes, const QString& folder);

/// Shows the wait window for the lifetime of the scope, so a failure between show and hide
/// still hides it.
class TWaitScope {
public:
    explicit TWaitScope(const QString& message = {});
    ~TWaitScope();
    TWaitScope(const TWaitScope&) = delete;
    TWaitScope& operator=(const TWaitScope&) = delete;
};

} // namespace quorvex
