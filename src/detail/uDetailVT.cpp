#include "uDetailVT.h"

#include "uBaseView.h"
#include "uEntryModels.h"
#include "uExportSave.h"
#include "uMain.h"
#include "uShell.h"
#include "uViewBinding.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace quorvex {

TfmDetail::TfmDetail(TEntryListModel& rows, TBaseView& view, QWidget* parent)
    : QDialog(parent),
      FOpenFolder([this](const QByteArray& folder) { OpenFolderInFileManager(folder, this); }),
      FSaveStep(SaveDialogStep(this)), FRows(rows), FReadOnly(view.ReadOnly()) {
    setObjectName(QStringLiteral("fmDetail"));
    setWindowTitle(QStringLiteral("Detail Files"));
    resize(870, 500);
    VT = new QTreeView(this);
    VT->setObjectName(QStringLiteral("VT"));
    StyleTreeView(VT, false);
    rows.SetCheckable(true);
    BindEntryView(VT, rows, view);
    // The check-all box lies over the header's first column, in the room its caption's
    // leading blanks leave free.
    cbCheck = new QCheckBox(VT->header());
    cbCheck->setObjectName(QStringLiteral("cbCheck"));
    cbCheck->setFixedSize(15, 16);
    cbCheck->move(3, qMax(0, (VT->header()->sizeHint().height() - 16) / 2));
    connect(cbCheck, &QCheckBox::clicked, this, &TfmDetail::cbCheckClick);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(SetupTopPanel());
    layout->addWidget(VT, 1);
    layout->addWidget(StatusBar1);
}

QToolBar* TfmDetail::NewToolBar(const char* name) {
    auto* bar = new QToolBar(this);
    bar->setObjectName(QLatin1String(name));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(32, 32));
    bar->setMovable(false);
    bar->setFloatable(false);
    return bar;
}

QAction* TfmDetail::AddButton(QToolBar* bar, const char* name, const QString& caption,
                              const QString& hint, const char* icon) {
    // Themes lack some of these types: a plain document stands in.
    const QIcon picture =
        QIcon::fromTheme(QLatin1String(icon), QIcon::fromTheme(QStringLiteral("text-x-generic")));
    QAction* action = bar->addAction(picture, caption);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? caption.trimmed() : hint);
    return action;
}

QWidget* TfmDetail::SetupTopPanel() {
    auto* panel = new QWidget(this);
    panel->setMinimumHeight(54); // taller when the captions under the pictures need it
    QToolBar* exports = NewToolBar("ToolBar1");
    exports->addWidget(new QLabel(QStringLiteral("  Export to:     "), exports));
    ToolButton61 = AddButton(exports, "ToolButton61", QStringLiteral("   HTML    "),
                             QStringLiteral("Export to HTML"), "text-html");
    ToolButton62 = AddButton(exports, "ToolButton62", QStringLiteral("XML"),
                             QStringLiteral("Export to XML"), "text-xml");
    ToolButton63 = AddButton(exports, "ToolButton63", QStringLiteral("TXT"),
                             QStringLiteral("Export to Text"), "text-x-generic");
    ToolButton66 = AddButton(exports, "ToolButton66", QStringLiteral("CSV"),
                             QStringLiteral("Export to CSV"), "text-csv");
    ToolButton67 = AddButton(exports, "ToolButton67", QStringLiteral("Excel"),
                             QStringLiteral("Export to Excel"), "x-office-spreadsheet");
    connect(ToolButton61, &QAction::triggered, this, &TfmDetail::ToolButton61Click);
    connect(ToolButton62, &QAction::triggered, this, &TfmDetail::ToolButton62Click);
    connect(ToolButton63, &QAction::triggered, this, &TfmDetail::ToolButton63Click);
    connect(ToolButton66, &QAction::triggered, this, &TfmDetail::ToolButton66Click);
    connect(ToolButton67, &QAction::triggered, this, &TfmDetail::ToolButton67Click);
    QToolBar* actions = SetupActionBar();
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(exports);
    layout->addStretch(1);
    layout->addWidget(actions);
    return panel;
}

QToolBar* TfmDetail::SetupActionBar() {
    QToolBar* actions = NewToolBar("ToolBar2");
    ToolButton1 =
        AddButton(actions, "ToolButton1", QStringLiteral("Open In Windows"), {}, "folder-open");
    connect(ToolButton1, &QAction::triggered, this, &TfmDetail::ToolButton1Click);
    if (!FReadOnly) {
        ToolButton2 =
            AddButton(actions, "ToolButton2", QStringLiteral("Move to Trash"), {}, "user-trash");
        ToolButton2->setShortcut(QKeySequence::Delete);
        ToolButton3 = AddButton(actions, "ToolButton3", QStringLiteral("Delete Permanently"), {},
                                "edit-delete");
        ToolButton3->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
        connect(ToolButton2, &QAction::triggered, this, &TfmDetail::ToolButton2Click);
        connect(ToolButton3, &QAction::triggered, this, &TfmDetail::ToolButton3Click);
    }
    actions->addSeparator();
    ToolButton4 = AddButton(actions, "ToolButton4", QStringLiteral("Exit"), {}, "application-exit");
    connect(ToolButton4, &QAction::triggered, this, &TfmDetail::ToolButton4Click);
    return actions;
}

void TfmDetail::cbCheckClick() {
    FRows.SetAllChecked(cbCheck->isChecked());
}

void TfmDetail::ToolButton1Click() {
    const TDataInfo* entry = FRows.Entry(VT->currentIndex());
    if (!entry)
        return;
    // A file opens the folder that holds it.
    const TDataInfo* folder = entry->IsFolder() || !entry->Parent() ? entry : entry->Parent();
    const std::string path = folder->FullPath();
    if (!path.empty() && FOpenFolder)
        FOpenFolder(QByteArray::fromStdString(path));
}

void TfmDetail::ToolButton2Click() {
    Remove(ERemoval::Trash);
}

void TfmDetail::ToolButton3Click() {
    Remove(ERemoval::Delete);
}

void TfmDetail::Remove(ERemoval how) {
    if (FReadOnly)
        return;
    std::vector<const TDataInfo*> checked;
    for (int row = 0; row < FRows.rowCount(); ++row)
        if (FRows.IsChecked(row))
            checked.push_back(FRows.EntryAt(row));
    if (checked.empty() || !Confirm(how, checked))
        return;
    std::vector<const TDataInfo*> gone;
    std::vector<TRemovalFailure> failures;
    for (const TDataInfo* entry : RemovalOrder(checked, how)) {
        QString reason;
        if (RemoveEntry(*entry, how, reason))
            gone.push_back(entry);
        else
            failures.push_back({entry, reason});
    }
    // Rows inside a trashed folder left the disk with it, checked or not.
    std::sort(gone.begin(), gone.end());
    std::vector<int> rows;
    for (int row = 0; row < FRows.rowCount(); ++row)
        if (LeftWith(FRows.EntryAt(row), gone))
            rows.push_back(row);
    FRows.RemoveRowsAt(std::move(rows));
    FRemoved.insert(FRemoved.end(), gone.begin(), gone.end());
    if (!failures.empty())
        ReportFailures(how, failures);
}

bool TfmDetail::Confirm(ERemoval how, const std::vector<const TDataInfo*>& checked) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Warning"),
                    ConfirmationText(how, checked.size(), CheckedBytes(checked)),
                    QMessageBox::Yes | QMessageBox::No, this);
    // Enter must not destroy anything: only a deliberate Yes does.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TfmDetail::ReportFailures(ERemoval how, const std::vector<TRemovalFailure>& failures) {
    constexpr int Shown = 10; // the rest in the details, so the box fits the screen
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                    FailureText(how, failures, Shown), QMessageBox::Ok, this);
    if (failures.size() > Shown)
        box.setDetailedText(FailureText(how, failures, int(failures.size())));
    box.exec();
}

// Every export asks for its file itself and reports its own failures; all rows go out,
// checked or not, in the list's current order.
void TfmDetail::ToolButton61Click() {
    ExportVTToHtml(*VT->model(), FSaveStep);
}

void TfmDetail::ToolButton62Click() {
    ExportVTToXml(*VT->model(), FSaveStep);
}

void TfmDetail::ToolButton63Click() {
    ExportVTToText(*VT->model(), "  ,  ", FSaveStep);
}

void TfmDetail::ToolButton66Click() {
    ExportVTToCsv(*VT->model(), FSaveStep);
}

void TfmDetail::ToolButton67Click() {
    ExportVTToExcel(*VT->model(), FSaveStep, this);
}

void TfmDetail::ToolButton4Click() {
    close();
}

} // namespace quorvex
