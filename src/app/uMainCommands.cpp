// The commands of the main window: opening a folder (the scan on a worker thread behind the
// wait window), showing a folder of the tree, and the life of the view controller.
#include "uBaseConfig.h"
#include "uCompareActions.h"
#include "uCountBinding.h"
#include "uDetailVT.h"
#include "uEntryMenu.h"
#include "uFunction.h"
#include "uInputBlock.h"
#include "uLiveTree.h"
#include "uMain.h"
#include "uNavigation.h"
#include "uOption.h"
#include "uReport.h"
#include "uScanFileActions.h"
#include "uScanRunner.h"
#include "uShell.h"
#include "uTreemapBinding.h"
#include "uViewBinding.h"
#include "uWaitForm.h"
#include "uWindowMemory.h"

#include <QCloseEvent>
#include <QFile>
#include <QMessageBox>
#include <QTreeView>
#include <filesystem>

namespace quorvex {

TBaseView* BaseView = nullptr;

namespace {

// The wait window of a scan takes the input of every other window, so nothing reaches the
// engine while the worker thread fills it; a close request still reaches the main window.
class TModalWait {
public:
    explicit TModalWait(const QString& message) : FBlock(WaitForm), FScope(message) {}

private:
    TInputBlock FBlock;
    TWaitScope FScope;
};

std::filesystem::path ConfigPathFor(const std::filesystem::path& chosen) {
    return chosen.empty() ? ProcessConfigFile() : std::filesystem::absolute(chosen);
}

// Asks whether a configuration file that cannot be loaded may be replaced by the default
// document; on yes the old file is kept beside it as "<name>.bak".
bool OfferDefaultConfig(QWidget* owner, const std::filesystem::path& file, const QString& why) {
    const QString text =
        QStringLiteral("The configuration file \"%1\" cannot be loaded:\n%2\n\nReplace it with "
                       "the default settings? The old file is kept as \"%3\".")
            .arg(QFile::decodeName(file.c_str()), why,
                 QFile::decodeName((file.string() + ".bak").c_str()));
    if (QMessageBox::question(owner, QStringLiteral("Quorvex"), text) != QMessageBox::Yes)
        return false;
    std::filesystem::rename(file, file.string() + ".bak");
    return true;
}

// Removal and refresh from the context menus change the tree: the treemap lets go of it first.
void JoinLiveTree(TMainForm& form, TLiveTree& live, TEntryMenu& menu, TTreemapBinding& treemap) {
    menu.Handlers.EntriesRemoved = [&form](const std::vector<const TDataInfo*>& gone) {
        form.EntriesRemoved(gone);
    };
    menu.Handlers.RefreshFolder = [&form](TDataInfo* folder) { form.RefreshFolder(folder); };
    QObject::connect(&live, &TLiveTree::TreeChanging, &treemap, &TTreemapBinding::Stop);
}

} // namespace

TBaseView* CreateViewController(QWidget* owner, const std::filesystem::path& configFile) {
    try {
        return new TBaseView(configFile);
    } catch (const std::exception& e) {
        const std::filesystem::path file = ConfigPathFor(configFile);
        if (!std::filesystem::exists(file))
            throw;
        if (!OfferDefaultConfig(owner, file, QString::fromUtf8(e.what())))
            return nullptr;
    }
    return new TBaseView(configFile); // a second failure reaches the caller as it is
}

void TMainForm::FormShow() {
    FMemory = std::make_unique<TWindowMemory>(*this);
    if (!FBrowseForFolder)
        FBrowseForFolder = [this](QString& path) { return FMemory->BrowseFromLastFolder(path); };
    try {
        BaseView = CreateViewController(this, FConfigFile);
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QStringLiteral("Quorvex"), QString::fromUtf8(e.what()));
    }
    if (!BaseView) { // without settings no command can work: leave
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    FIcons = std::make_unique<TEntryIcons>();
    FBinding = std::make_unique<TViewBinding>(*this, *BaseView, *FIcons);
    FNavigation = std::make_unique<TNavigation>(*this, *BaseView);
    FTreemap = std::make_unique<TTreemapBinding>(*this, *BaseView);
    FEntryMenu = BindEntryMenu(*this, *BaseView);
    FTreemap->UseEntryMenu(*FEntryMenu);
    FLive = std::make_unique<TLiveTree>(*this, *BaseView);
    JoinLiveTree(*this, *FLive, *FEntryMenu, *FTreemap);
    FScanFiles = std::make_unique<TScanFileActions>(*this, *BaseView);
    FCount = std::make_unique<TCountBinding>(*this, *BaseView, *FMemory);
    FCompare = std::make_unique<TCompareActions>(*this, *BaseView);
    FMemory->Restore();
    BaseView->SetReportHandler([this](TEntryListModel& rows) {
        std::vector<const TDataInfo*> gone;
        {
            TfmDetail detail(rows, *BaseView, this);
            // Its rows point into the tree: what it removed leaves the results once it closes,
            // and it refreshes nothing meanwhile.
            detail.Menu->ShowInTree = FEntryMenu->ShowInTree;
            detail.exec();
            gone = detail.Removed();
        }
        EntriesRemoved(gone); // the report's rows are not read again
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FBusy) { // a scan stops at once (Cancel); the window closes when the command is over
        FCloseRequested = true;
        if (FScanning && WaitForm)
            WaitForm->reject();
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainForm::FormClose() {
    if (FMemory && FBinding)
        FMemory->Save(); // before the views let go of their models and columns
    FCompare.reset();
    FCount.reset();
    FScanFiles.reset();
    FLive.reset();
    FTreemap.reset();
    FEntryMenu.reset();
    FNavigation.reset();
    FBinding.reset();
    delete BaseView;
    BaseView = nullptr;
}

void TMainForm::btnOpenClick() {
    QString path;
    if (!FBrowseForFolder || !FBrowseForFolder(path) || !BaseView)
        return;
    repaint(); // the area the folder dialog covered, before the scan starts
    OpenFolder(QFile::encodeName(path).toStdString());
}

// Showing the wait window lets queued events through, a close request among them: the
// window closes when the command is over, never under it.
class TMainForm::TBusy {
public:
    explicit TBusy(TMainForm& form) : FForm(form) { ++FForm.FBusy; }
    ~TBusy() {
        if (--FForm.FBusy == 0 && FForm.FCloseRequested)
            QMetaObject::invokeMethod(&FForm, &QWidget::close, Qt::QueuedConnection);
    }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    TMainForm& FForm;
};

void TMainForm::OpenFolder(const std::string& path) {
    const auto release = [this] {
        BaseView->ClearViews();
        ShowScanState(false);
    };
    const auto scan = [&](IScanObserver& observer) { BaseView->Scan(path, &observer); };
    const auto draw = [&] {
        BaseView->FillFolderTree();
        BaseView->ShowFolderByPath(path);
        ShowScanState(true);
        if (FMemory)
            FMemory->RememberFolder(QFile::decodeName(path.c_str()));
    };
    RunEngineJob(QStringLiteral("Get Files Size Info.."), release, scan, draw);
}

bool TMainForm::RunEngineJob(const QString& message, const std::function<void()>& release,
                             const std::function<void(IScanObserver&)>& work,
                             const std::function<void()>& refill) {
    if (!BaseView || FBusy)
        return false;
    const TBusy busy(*this);
    TModalWait wait(message);
    if (FCloseRequested)
        return false;
    release();
    FScanning = true;
    try {
        RunScanInBackground(work, WaitForm);
    } catch (...) {
        FScanning = false;
        throw;
    }
    FScanning = false;
    if (FCloseRequested) // nothing more to show
        return false;
    SetWaitMessage(QStringLiteral("Drawing Tree.."));
    refill();
    return true;
}

void TMainForm::EntriesRemoved(const std::vector<const TDataInfo*>& gone) {
    if (FLive)
        FLive->EntriesRemoved(gone);
}

void TMainForm::RefreshFolder(TDataInfo* folder) {
    if (FLive)
        FLive->RefreshFolder(folder);
}

void TMainForm::ShowScanState(bool scanned) {
    QString state;
    const TDataCtrl& engine = BaseView->FDataCtrl();
    if (scanned) {
        // The scanned folder is shown: its "Not Scanned" list holds every such folder.
        const qsizetype unread = BaseView->VTFolderNotScanned().TotalRowCount();
        // Below the scanned folder, as the wait window counted them while scanning.
        const std::uint64_t below = engine.EntryCount() > 0 ? engine.EntryCount() - 1 : 0;
        state = QStringLiteral("%1 entries").arg(EntryCountText(below));
        if (engine.WasCancelled())
            state += QStringLiteral(" - scan cancelled, the results are incomplete");
        if (unread)
            state +=
                QStringLiteral(" - %1 folder(s) not scanned").arg(EntryCountText(quint64(unread)));
    }
    lblScanState->setText(state);
    setWindowTitle(scanned ? ScanWindowTitle(engine) : QStringLiteral("Quorvex"));
}

void TMainForm::VTLeftClick(const QModelIndex&) {
    if (FNavigation)
        FNavigation->ShowTreeCurrent(true);
}

bool TMainForm::ShowFolderEntry(TDataInfo* folder) {
    if (!BaseView || !folder || FBusy)
        return false;
    const TBusy busy(*this);
    TWaitScope wait(QStringLiteral("Drawing Tree.."));
    if (FCloseRequested)
        return false;
    BaseView->ShowFolder(folder);
    return true;
}

void TMainForm::m2Click() {
    OpenHomePage(this);
}

namespace {

TXMLDefaultType ReportDefaults() {
    return BaseView->FConfig().GetConfig()->Default();
}

} // namespace

void TMainForm::Label9Click() {
    if (BaseView)
        BaseView->ShowEmptyReport(true);
}

void TMainForm::Label11Click() {
    if (BaseView)
        BaseView->ShowEmptyReport(false);
}

void TMainForm::Label12Click() {
    if (BaseView && BaseView->FDataCtrl().Root())
        BaseView->ShowFirstFilesReport(ecCreateTime, Qt::AscendingOrder,
                                       ReportDefaults().Olderfilenum());
}

void TMainForm::Label2Click() {
    if (BaseView && BaseView->FDataCtrl().Root())
        BaseView->ShowFirstFilesReport(ecFileSize, Qt::DescendingOrder,
                                       ReportDefaults().Largefilenum());
}

void TMainForm::Label13Click() {
    if (BaseView)
        BaseView->ShowNeverUsedReport(1);
}

void TMainForm::Label3Click() {
    if (BaseView)
        BaseView->ShowNeverUsedReport(2);
}

void TMainForm::Label6Click() {
    if (BaseView)
        BaseView->ShowNeverUsedReport(3);
}

void TMainForm::lnkNotScannedClick() {
    if (BaseView)
        BaseView->ShowNotScannedReport();
}

void TMainForm::Options1Click() {
    if (!BaseView)
        return;
    StopTreemap(); // new group ranges rewrite every entry's groups
    RunOptionsDialog(this, *BaseView);
    InvalidateTreemap();
}

void TMainForm::StopTreemap() {
    if (FTreemap)
        FTreemap->Stop();
}

void TMainForm::InvalidateTreemap() {
    if (FTreemap)
        FTreemap->Invalidate();
}

void TMainForm::Export1Click() {
    if (BaseView)
        ShowReportDialog(this, BaseView->Comparison() && FCompare ? &FCompare->Changes() : nullptr);
}

} // namespace quorvex
