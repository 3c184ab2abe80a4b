#pragma once

#include "uChartPoints.h"
#include "uDataCtrl.h"
#include "uEntryModels.h"
#include "uGroupModel.h"
#include "uNotScannedModel.h"
#include "uScanCompare.h"

#include <QObject>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace quorvex {

class TBaseConfig;

/// The views of the main window, by their component names.
enum class EView {
    VTLeft,
    VTDetail,
    VTFolderAll,
    VTFolderEmpty,
    VTFileAll,
    VTFileEmpty,
    VTFolderSize,
    VTFileSize,
    VTAgeCreate,
    VTAgeWrite,
    VTAgeAccess,
    VTType,
    VTName,
    VTFolderNotScanned ///< folders the scan could not read completely, with the reason
};
inline constexpr int EntryViewCount = 6; ///< VTLeft .. VTFileEmpty
inline constexpr int GroupViewCount = 7; ///< VTFolderSize .. VTName, in the order of the charts

/// The texts of the summary labels for the folder shown.
struct TSummaryTexts {
    QString FolderPath;    ///< lblFolderPath and lbPath
    QString FileSize;      ///< lblFileSize: "1.50 KB( 1536 Byte)"
    QString FolderQty;     ///< lblFolderQty: rows of "All Folders"
    QString FileQty;       ///< lblFileQty: rows of "All Files"
    QString TypeQty;       ///< lblTypeQty: rows of "Type List"
    QString NotScannedQty; ///< rows of "Not Scanned": folders not read completely
};

/// The view controller: owns the scan engine, the configuration store and every model of the
/// main window, and fills them. Qt Core only, so the command line can use it too.
class TBaseView : public QObject {
    Q_OBJECT
public:
    /// Loads the configuration (from `configFile`, or the normal location when empty),
    /// builds the columns of every view and loads the group ranges. Throws what the store
    /// throws for a file it cannot load.
    explicit TBaseView(const std::filesystem::path& configFile = {}, QObject* parent = nullptr);
    ~TBaseView() override;

    TBaseConfig& FConfig() { return *FConfigStore; }
    TDataCtrl& FDataCtrl() { return *FEngine; }

    TEntryModel& EntryView(EView view);
    TGroupModel& GroupView(EView view);
    TSortableModel& View(EView view);
    TEntryTreeModel& VTLeft() { return *FLeft; }
    TEntryTreeModel& VTDetail() { return *FDetail; }
    TEntryListModel& VTFileAll() { return *FFlat[2]; }
    /// The current folder's sub-folders (itself included) that the scan could not read
    /// completely, with the reason; refilled with the other lists.
    TNotScannedModel& VTFolderNotScanned() { return *FNotScanned; }
    /// The sum list behind a group view.
    TSumList& SumsOf(EView groupView);

    // ---- The sequences of the main window ------------------------------------------------
    void LoadGroupRanges();
    /// Empties every view that references entries or sums, so that none reads the tree while
    /// a scan replaces it (the scan may then run on another thread).
    void ClearViews();
    void Scan(const std::string& path, IScanObserver* observer = nullptr);
    void FillFolderTree();
    void ShowFolderByPath(const std::string& path);
    void ShowFolder(TDataInfo* folder);
    void RefreshViews();
    void RefreshCurrentFolder();

    /// Sorts `view` on a header click (left button only; the direction flips on every
    /// click) and stores the new state in the view's header state.
    void HeaderClick(TSortableModel& view, int column, Qt::MouseButton button);

    /// The filter of a group's drill-down: the group row `row` of a group view.
    TDataFilter GroupFilter(EView groupView, int row) const;
    void GroupDblClick(EView groupView, int row);
    /// The points of the charts of a group view: the largest groups and "Others" (the type
    /// charts largest first).
    TChartPoints ChartPoints(EView groupView);
    /// The drill-down of point `point` of `ChartPoints(groupView)`: the entries of its group,
    /// or of every group that "Others" folds.
    void ChartDblClick(EView groupView, int point);

    /// The entries of the current folder's subtree that `filter` accepts, handed to the
    /// report handler with `title` and `note` (TEntryListModel::Note); nothing before the
    /// first scan.
    void ShowReport(const TDataFilter& filter, const QString& title = {}, const QString& note = {});
    /// Rows `first`..`last` (both included) of `list` in their current order, without icons.
    void ShowTopReport(const TEntryListModel& list, int first, int last, const QString& title = {});

    // ---- The report links of the summary page (nothing before the first scan) ---------------
    /// Folders (`folders`) or files whose size is 0, the current folder included; a folder
    /// the scan did not read completely is never empty.
    void ShowEmptyReport(bool folders);
    /// The folders of the "Not Scanned" list, as entry rows (each with the reason as tool tip).
    void ShowNotScannedReport();
    /// Sorts "All Files" by `column` in `order` (the header keeps its state) and reports its
    /// first `count` rows: exactly `count`, or every file when there are fewer.
    void ShowFirstFilesReport(int column, Qt::SortOrder order, int count);
    /// Files last accessed within the year that ended `yearsAgo` years before now, with the
    /// note on how the scanned volume keeps access times.
    void ShowNeverUsedReport(int yearsAgo);
    /// That note (AccessTimesNote of the engine's rule) as the window shows it.
    QString AccessTimesText() const;

    /// Shows a report list (modally) and returns when it is closed. Until a detail window
    /// exists the window layer sets a plain list window here.
    using TReportHandler = std::function<void(TEntryListModel& rows)>;
    void SetReportHandler(TReportHandler handler) { FReportHandler = std::move(handler); }
    void SetEntryIconProvider(TEntryIconProvider provider);
    void SetGroupIcon(const QVariant& icon);
    /// The text colour (QColor or QBrush) of not-scanned folders in every entry view and report.
    void SetNotScannedForeground(const QVariant& colour);

    TSummaryTexts SummaryTexts() const;

    // ---- Comparing with a saved scan ----------------------------------------------------------
    /// Compares the tree shown with `base` (a saved scan of the same folder, loaded from
    /// `baseFile`) and shows the result in every entry view: a "Change" column and the
    /// removed entries as ghost rows. The base is switched to the size the engine counts
    /// first. Throws ECompareError when the two cannot be compared; nothing changes then.
    void CompareWith(std::unique_ptr<TDataCtrl> base, std::string baseFile);
    /// Drops the base and the result; the views show the tree alone again.
    void StopComparing();
    /// Drops the result (it points into the tree) but keeps the base, before the tree
    /// changes without a new scan (refresh, removal, count switch). FillFolderTree compares
    /// again afterwards.
    void ReleaseComparison();
    /// The result; nullptr while not comparing.
    const TScanCompare* Comparison() const { return FCompare.get(); }
    const std::string& ComparisonBaseFile() const { return FBaseFile; }
    /// The saved scan compared with; kept while the tree changes, nullptr when none.
    const TDataCtrl* ComparisonBase() const { return FBase.get(); }
    /// Switches what the engine counts, and the base with it so the two stay comparable.
    /// The result is released first: refill with FillFolderTree afterwards.
    void SetCountDiskUsage(bool diskUsage);
    /// The text colour of ghost rows in every entry view.
    void SetGhostForeground(const QVariant& colour);

    /// A read-only window (--read-only) offers no way to trash or delete anything; set at
    /// start and read by every window that could. A saved scan is read-only too, whatever
    /// was set: its entries are not the disk as it is now.
    bool ReadOnly() const { return FReadOnly || ShowsSavedScan(); }
    void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }
    /// The tree was loaded from a scan file: nothing may be read again from the disk either.
    bool ShowsSavedScan() const { return FEngine->IsLoaded(); }

signals:
    /// Every view has been refilled for a new current folder (charts and labels follow).
    void ViewsRefreshed();
    /// Every view was emptied (charts follow).
    void ViewsCleared();
    /// Comparison() changed: made, made again for a changed tree, or dropped (nullptr),
    /// always before the tree it pointed into changes. Also sent when the base is dropped.
    void ComparisonChanged();

private:
    void BuildViewColumns();
    std::unique_ptr<TEntryListModel> NewReportList(bool withIcons, const QString& title) const;
    QString GroupReportTitle(EView groupView, const std::string& caption) const;
    void ShowComparison(std::unique_ptr<TScanCompare> compare);
    void FillFlatLists(TDataInfo* start);
    std::vector<const TDataInfo*> GhostsBelow(const TDataInfo* start) const;

    std::unique_ptr<TDataCtrl> FEngine;
    // The result points into both trees and goes before either; the models go before it.
    std::unique_ptr<TDataCtrl> FBase;
    std::string FBaseFile;
    std::unique_ptr<TScanCompare> FCompare;
    std::unique_ptr<TBaseConfig> FConfigStore;
    std::unique_ptr<TEntryTreeModel> FLeft, FDetail;
    std::array<std::unique_ptr<TEntryListModel>, 4>
        FFlat; // FolderAll, FolderEmpty, FileAll, FileEmpty
    std::array<std::unique_ptr<TGroupModel>, GroupViewCount> FGroups;
    std::unique_ptr<TNotScannedModel> FNotScanned;
    TReportHandler FReportHandler;
    TEntryIconProvider FIconProvider;
    QVariant FNotScannedForeground;
    bool FReadOnly = false;
};

/// The access-time range of the never-used reports: "lower;upper" as date-time texts, the
/// moment `nowMs` with its year replaced by year - yearsAgo - 1 and year - yearsAgo. A
/// 29 February falls back to the 28th in a year that has none.
std::string NeverUsedAccessRange(std::int64_t nowMs, int yearsAgo);

} // namespace quorvex
