#include "uDetailVT.h"

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
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quorvex {

namespace {

// Removes one entry from disk by the bytes of its path: an empty folder, or a file (a
// symbolic link itself, never its target). Returns the reason when it stays.
bool DeleteEntry(const TDataInfo& entry, std::string& reason) {
    const std::string path = entry.FullPath();
    if (!entry.IsFolder())
        return ForceDeleteFile(path, &reason);
    if (::rmdir(path.c_str()) == 0)
        return true;
    reason = std::strerror(errno);
    return false;
}

} // namespace

TfmDetail::TfmDetail(TEntryListModel& rows, TBaseView& view, QWidget* parent)
    : QDialog(parent),
      FOpenFolder([this](const QByteArray& folder) { OpenFolderInFileManager(folder, this); }),
      FSaveStep(SaveDialogStep(this)), FRows(rows) {
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
    QToolBar* actions = NewToolBar("ToolBar2");
    ToolButton1 =
        AddButton(actions, "ToolButton1", QStringLiteral("Open In Windows"), {}, "folder-open");
    ToolButton2 =
        AddButton(actions, "ToolButton2", QStringLiteral("Delete From Disk"), {}, "edit-delete");
    actions->addSeparator();
    ToolButton4 = AddButton(actions, "ToolButton4", QStringLiteral("Exit"), {}, "application-exit");
    connect(ToolButton61, &QAction::triggered, this, &TfmDetail::ToolButton61Click);
    connect(ToolButton62, &QAction::triggered, this, &TfmDetail::ToolButton62Click);
    connect(ToolButton63, &QAction::triggered, this, &TfmDetail::ToolButton63Click);
    connect(ToolButton66, &QAction::triggered, this, &TfmDetail::ToolButton66Click);
    connect(ToolButton67, &QAction::triggered, this, &TfmDetail::ToolButton67Click);
    connect(ToolButton1, &QAction::triggered, this, &TfmDetail::ToolButton1Click);
    connect(ToolButton2, &QAction::triggered, this, &TfmDetail::ToolButton2Click);
    connect(ToolButton4, &QAction::triggered, this, &TfmDetail::ToolButton4Click);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(exports);
    layout->addStretch(1);
    layout->addWidget(actions);
    return panel;
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
    if (QMessageBox::question(this, QStringLiteral("Warning"),
                              QStringLiteral("Are you sure to delete the folders(files)?"),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    std::vector<int> deleted;
    int failed = 0;
    QString firstFailure;
    for (int row = FRows.rowCount() - 1; row >= 0; --row) {
        if (!FRows.IsChecked(row))
            continue;
        std::string reason;
        const TDataInfo& entry = *FRows.EntryAt(row);
        if (DeleteEntry(entry, reason)) {
            deleted.push_back(row);
        } else {
            ++failed; // walking upwards, the reason kept last is that of the list's first
            firstFailure = QStringLiteral("\"%1\": %2")
                               .arg(DisplayText(entry.FullPath()), QString::fromStdString(reason));
        }
    }
    FRows.RemoveRowsAt(std::move(deleted));
    if (failed > 0)
        QMessageBox::warning(this, QStringLiteral("Warning"),
                             QStringLiteral("%1 of the checked entries could not be deleted. "
                                            "The first, %2.")
                                 .arg(failed)
                                 .arg(firstFailure));
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
