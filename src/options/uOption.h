#pragma once

#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace quorvex {

class TBaseConfig;
class TBaseView;
class TFrame1;

/// The Options dialog. It edits the live configuration document of `Config`: OK checks every
/// control and only then writes them all into the document; "Load Default" rewrites the file
/// with the default document and shows it at once; Cancel writes nothing. The file itself
/// never receives the edits.
class TfmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfmOption(QWidget* parent = nullptr);

    /// The store being edited; set before showing; not owned.
    TBaseConfig* Config = nullptr;

    /// Fills every control from the document. An entry that cannot be shown (an unreadable
    /// number, a repeated caption or one with "=" in a file edited by hand) is reported in
    /// the returned messages; every other entry is loaded.
    QStringList LoadFromConfig();
    /// Checks every control, then writes them into the document. On a failure nothing is
    /// written and the message is returned; empty on success.
    QString SaveToConfig();

    std::vector<QIcon> ImageList1; ///< 32 x 32 tab icons, in page order

    QTabWidget* PageControl1 = nullptr;
    QWidget *General = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QLineEdit *edLargeAmount = nullptr, *edOlderAmount = nullptr, *edGroupName = nullptr;
    TFrame1 *frmSize = nullptr, *frmAge = nullptr, *frmLength = nullptr;
    QPushButton *Button1 = nullptr, *Button4 = nullptr, *Button5 = nullptr;

public slots:
    void FormShow();
    void Button4Click();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* SetupGeneralPage();
    QWidget* SetupRangePage(TFrame1*& frame, const char* pageName, const char* frameName);
    void SetupButtons();
    std::vector<TFrame1*> Frames() const { return {frmSize, frmAge, frmLength}; }
};

/// The Options command of the main window: shows the dialog on the view controller's store
/// and, when it closes with OK, rebuilds the groups from the edited ranges, reclassifies the
/// scan and shows the current folder again, behind the wait window. Returns whether OK closed
/// the dialog.
bool RunOptionsDialog(QWidget* owner, TBaseView& view);

} // namespace quorvex
