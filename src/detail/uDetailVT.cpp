#include "uDetailVT.h"

#include "uBaseFunction.h"
#include "uBaseView.h"
#include "uEntryMenu.h"
#include "uEntryModels.h"
#include "uExportSave.h"
#include "uMain.h"
#include "uRemovalRun.h"
#include "uReport.h"
#include "uShell.h"
#include "uViewBinding.h"
#include "uWaitForm.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
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
    setWindowTitle(rows.Title().isEmpty() ? QStringLiteral("Detail Files")
                                          : QStringLiteral("Detail Files - ") + rows.Title());
    resize(870, 500);
    VT = new QTreeView(this);
    VT->setObjectName(QStringLiteral("VT"));
    StyleTreeView(VT, false);
    rows.SetCheckable(true);
    BindEntryView(VT, rows, view);
    Menu = new TEntryMenu(this, view, this);
    Menu->Attach(VT, true);
    Menu->RowsRemoved = [this](const std::vector<const TDataInfo*>& gone) { DropRowsOf(gone); };
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
    if (!rows.Note().isEmpty())
        layout->addWidget(lblNote = NewNoteLabel(rows.Note()));
    layout->addWidget(VT, 1);
    layout->addWidget(StatusBar1);
    SetupCounts();
}

namespace {

std::vector<const TDataInfo*> RowsWhere(const TEntryListModel& rows, bool checkedOnly) {
    std::vector<const TDataInfo*> entries;
    for (int row = 0; row < rows.rowCount(); ++row)
        if (!checkedOnly || rows.IsChecked(row))
            entries.push_back(rows.EntryAt(row));
    return entries;
}

QString CountText(std::size_t count, std::uint64_t bytes) {
    return QStringLiteral("%1 (%2)").arg(EntryCountText(count),
                                         QString::fromStdString(FormatSize(double(bytes))));
}

} // namespace

// Bytes are counted once, as the removal question counts them: a row inside a listed
// folder is in that folder's size already.
void TfmDetail::SetupCounts() {
    lblCounts = new QLabel(StatusBar1);
    lblCounts->setObjectName(QStringLiteral("lblCounts"));
    StatusBar1->addWidget(lblCounts, 1);
    FCounting = new QTimer(this);
    FCounting->setSingleShot(true);
    FCounting->setInterval(0);
    connect(FCounting, &QTimer::timeout, this, &TfmDetail::ShowCounts);
    // Rows leave one at a time: they are counted again once, when the removal is over.
    const auto rowsChanged = [this] {
        FRowsChanged = true;
        FCounting->start();
    };
    connect(&FRows, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(&FRows, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(&FRows, &QAbstractItemModel::dataChanged, FCounting, qOverload<>(&QTimer::start));
    ShowCounts();
}

void TfmDetail::ShowCounts() {
    if (FRowsChanged) {
        FRowBytes = CheckedBytes(RowsWhere(FRows, false));
        FRowsChanged = false;
    }
    const std::vector<const TDataInfo*> checked = RowsWhere(FRows, true);
    lblCounts->setText(QStringLiteral("Rows: %1 - Checked: %2")
                           .arg(CountText(std::size_t(FRows.rowCount()), FRowBytes),
                                CountText(checked.size(), CheckedBytes(checked))));
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

// Between the buttons and the rows, where it is read before the rows are trusted.
QLabel* TfmDetail::NewNoteLabel(const QString& note) {
    auto* label = new QLabel(note, this);
    label->setObjectName(QStringLiteral("lblNote"));
    label->setWordWrap(true);
    label->setContentsMargins(8, 4, 8, 4);
    return label;
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
    // The drawn format pictures where the theme has none, as in the report dialog.
    const std::pair<QAction*, EExportFormat> formats[] = {{ToolButton61, EExportFormat::Html},
                                                          {ToolButton62, EExportFormat::Xml},
                                                          {ToolButton63, EExportFormat::Text},
                                                          {ToolButton66, EExportFormat::Csv},
                                                          {ToolButton67, EExportFormat::Excel}};
    for (const auto& [action, format] : formats)
        action->setIcon(FormatIcon(format));
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
    DropRowsOf(RunRemoval(this, how, checked));
}

// Rows inside a trashed folder left the disk with it, checked or not.
void TfmDetail::DropRowsOf(const std::vector<const TDataInfo*>& gone) {
    if (gone.empty())
        return;
    std::vector<int> rows;
    for (int row = 0; row < FRows.rowCount(); ++row)
        if (LeftWith(FRows.EntryAt(row), gone))
            rows.push_back(row);
    FRows.RemoveRowsAt(std::move(rows));
    FRemoved.insert(FRemoved.end(), gone.begin(), gone.end());
}

// Every export asks for its file itself, writes behind the wait window and reports its own
// failures; all rows go out, checked or not, in the list's current order.
void TfmDetail::ToolButton61Click() {
    ExportVTToHtml(*VT->model(), FSaveStep, this);
}

void TfmDetail::ToolButton62Click() {
    ExportVTToXml(*VT->model(), FSaveStep, this);
}

void TfmDetail::ToolButton63Click() {
    ExportVTToText(*VT->model(), "  ,  ", FSaveStep, this);
}

void TfmDetail::ToolButton66Click() {
    ExportVTToCsv(*VT->model(), FSaveStep, this);
}

void TfmDetail::ToolButton67Click() {
    ExportVTToExcel(*VT->model(), FSaveStep, this);
}

void TfmDetail::ToolButton4Click() {
    close();
}

} // namespace quorvex
