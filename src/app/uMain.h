#pragma once

#include "uLinkLabel.h"
#include "uViewStyle.h"

#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QModelIndex>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QChartView;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTreeView;

namespace quorvex {

class TBaseView;
class TCompareActions;
class TCountBinding;
class TDataInfo;
class TEntryIcons;
class TEntryMenu;
class TLiveTree;
class TNavigation;
class TScanFileActions;
class TTreemapBinding;
class IScanObserver;
class TViewBinding;
class TWindowMemory;

/// The view controller of the main window, from its first show until it closes.
extern TBaseView* BaseView;

/// Makes the view controller with the configuration file `configFile` (the normal location
/// when empty). When the file cannot be loaded, asks whether to replace it by the default
/// document (the old one kept as "<name>.bak"): nullptr when the user declines; other
/// failures are thrown.
TBaseView* CreateViewController(QWidget* owner, const std::filesystem::path& configFile);

/// Indexes of `TMainForm::GroupImage`.
enum EGroupImage {
    giGroup,
    giSummary,
    giTree,
    giFolder,
    giEmptyFolder,
    giFile,
    giEmptyFile,
    giCreateTime,
    giWriteTime,
    giAccessTime,
    giTypeList,
    giPie,
    giBar,
    giCount
};

/// The main window: the top bar with the scan button, the folder tree and every result view.
/// It holds no scan data; the commands (uMainCommands.cpp) hand everything to the view
/// controller.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    /// The folder picker of the Open command: true with `path` set when a folder was chosen.
    std::function<bool(QString& path)> FBrowseForFolder;
    /// Configuration file of the view controller; empty for the normal location.
    std::filesystem::path FConfigFile;
    /// Scans `path` and shows it, as the Open command does once a folder is chosen.
    void OpenFolder(const std::string& path);
    /// Shows in the status bar and title what the last scan left out; cleared when not
    /// `scanned`.
    void ShowScanState(bool scanned);
    /// Shows `folder` in every view but the folder tree; false when no command may run now.
    bool ShowFolderEntry(TDataInfo* folder);
    /// The keyboard's way between folders; null before the first show.
    TNavigation* Navigation() const { return FNavigation.get(); }
    /// The treemap pane draws on a thread of its own: StopTreemap() before anything changes
    /// the tree (refresh, removal; a scan stops it itself), and InvalidateTreemap() after a
    /// change that does not refill the views. Both do nothing before the first show.
    void StopTreemap();
    void InvalidateTreemap();
    TTreemapBinding* Treemap() const { return FTreemap.get(); }
    /// The context menu of the entry views; null before the first show.
    TEntryMenu* EntryMenu() const { return FEntryMenu.get(); }

    /// The live updates of the results (its TreeChanging signal); null before the first show.
    TLiveTree* LiveTree() const { return FLive.get(); }
    /// The File menu's scan-file items and the View menu's Count; null before the first show.
    TScanFileActions* ScanFiles() const { return FScanFiles.get(); }
    TCountBinding* Count() const { return FCount.get(); }
    TCompareActions* Comparing() const { return FCompare.get(); }
    /// For every window that removes entries from the disk: takes `gone` (entries below
    /// one of them may be listed too) out of the results and refills every view, on the
    /// folder shown when it survives. Pointers to entries are invalid afterwards.
    void EntriesRemoved(const std::vector<const TDataInfo*>& gone);
    /// Reads `folder` again behind the wait window and refills every view (Refresh, F5).
    /// Pointers into the folder's subtree are invalid afterwards.
    void RefreshFolder(TDataInfo* folder);
    /// Runs `work` on a worker thread behind the wait window showing `message`, as a scan
    /// runs: `release` first on this thread (every view lets go of the entries), `refill`
    /// after. False when no command may run now, or when the window closes meanwhile (then
    /// `refill` is not called). Throws what `work` throws.
    bool RunEngineJob(const QString& message, const std::function<void()>& release,
                      const std::function<void(IScanObserver&)>& work,
                      const std::function<void()>& refill);

    std::vector<QIcon> ImageList1; ///< 32 x 32 icons of the pcTotal tabs, in tab order
    std::vector<QIcon> GroupImage; ///< 16 x 16 icons, indexed by EGroupImage

    QPushButton* btnOpen = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbPath = nullptr;
    QLabel* lblScanState = nullptr;
    QTabWidget* pcTotal = nullptr;

    QLabel *lblFolderPath = nullptr, *lblFileSize = nullptr, *lblFolderQty = nullptr,
           *lblFileQty = nullptr, *lblTypeQty = nullptr, *lblNotScannedQty = nullptr;
    /// How far the scanned volume's access times can be trusted, under the report links.
    QLabel* lblAccessTimes = nullptr;
    TLinkLabel *Label9 = nullptr, *Label11 = nullptr, *Label12 = nullptr, *Label2 = nullptr,
               *Label13 = nullptr, *Label3 = nullptr, *Label6 = nullptr, *lnkNotScanned = nullptr;

    QTreeView *VTLeft = nullptr, *VTDetail = nullptr, *VTFolderAll = nullptr,
              *VTFolderEmpty = nullptr, *VTFolderNotScanned = nullptr, *VTFileAll = nullptr,
              *VTFileEmpty = nullptr, *VTFolderSize = nullptr, *VTFileSize = nullptr,
              *VTAgeCreate = nullptr, *VTAgeWrite = nullptr, *VTAgeAccess = nullptr,
              *VTType = nullptr, *VTName = nullptr;

    QChartView *chFolderPie = nullptr, *chFolderBar = nullptr, *chFilePie = nullptr,
               *chFileBar = nullptr, *chAgeCreatePie = nullptr, *chAgeCreateBar = nullptr,
               *chAgeWritePie = nullptr, *chAgeWriteBar = nullptr, *chAgeAccessPie = nullptr,
               *chAgeAccessBar = nullptr, *chTypePie = nullptr, *chTypeBar = nullptr,
               *chNamePie = nullptr, *chNameBar = nullptr;

public slots:
    void btnOpenClick();
    void OpenToScan1Click();
    void Exit1Click();
    void Options1Click();
    void Export1Click();
    void m2Click();
    void m1Click();
    void VTLeftClick(const QModelIndex& index);
    void Label9Click();
    void Label11Click();
    void Label12Click();
    void Label2Click();
    void Label13Click();
    void Label3Click();
    void Label6Click();
    void lnkNotScannedClick();
    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetupMenus();
    QWidget* SetupTopBar();
    QWidget* SetupTabs();
    QWidget* SetupSummaryTab();
    QWidget* SetupSummaryPage();
    QWidget* SetupFoldersTab();
    QWidget* SetupFilesTab();
    QWidget* SetupAgeTab();
    QWidget* SetupTypeTab();
    QWidget* SetupReportLinks();
    QTreeView* NewView(const char* name, bool nested);
    QChartView* NewChart(const char* name, bool legend);
    QWidget* NewGroupPage(QTreeView* table, QChartView* pie, QChartView* bar);
    QTabWidget* NewInnerTabs(const char* name);
    void ConnectHandlers();

    class TBusy; // a command is under way (uMainCommands.cpp)

    bool FShown = false;
    int FBusy = 0;                // commands under way: the window closes after them
    bool FScanning = false;       // a scan runs on the worker thread
    bool FCloseRequested = false; // closed while busy
    std::unique_ptr<TEntryIcons> FIcons;
    std::unique_ptr<TViewBinding> FBinding;
    std::unique_ptr<TNavigation> FNavigation;
    std::unique_ptr<TTreemapBinding> FTreemap;
    std::unique_ptr<TEntryMenu> FEntryMenu;
    std::unique_ptr<TLiveTree> FLive;
    std::unique_ptr<TScanFileActions> FScanFiles;
    std::unique_ptr<TCountBinding> FCount;
    std::unique_ptr<TCompareActions> FCompare;
    std::unique_ptr<TWindowMemory> FMemory;
};

} // namespace quorvex
