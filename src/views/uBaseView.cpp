#include "uBaseView.h"

#include "uBaseConfig.h"
#include "uBaseFunction.h"
#include "uEntryFilter.h"
#include "uGroupRanges.h"

#include <QThread>
#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace quorvex {

namespace {

enum EFlat { flFolderAll, flFolderEmpty, flFileAll, flFileEmpty };

int GroupSlot(EView view) {
    const int slot = int(view) - EntryViewCount;
    if (slot < 0 || slot >= GroupViewCount)
        throw std::invalid_argument("not a group view");
    return slot;
}

// A refill comes in the engine's order; the header's sort, when one was chosen, holds.
void KeepSort(TSortableModel& model) {
    const TSortState& state = model.SortState();
    if (state.IsSet() && state.Column < model.columnCount())
        model.SortRows(state.Column, state.Order);
}

TDataFilter FlatFilter(std::uint8_t isFolder, const char* size) {
    TDataFilter filter;
    filter.IsFolder = isFolder;
    filter.FileSize = size;
    return filter;
}

} // namespace

TBaseView::TBaseView(const std::filesystem::path& configFile, QObject* parent)
    : QObject(parent), FEngine(std::make_unique<TDataCtrl>()),
      FConfigStore(configFile.empty() ? std::make_unique<TBaseConfig>()
                                      : std::make_unique<TBaseConfig>(configFile)),
      FLeft(std::make_unique<TEntryTreeModel>()), FDetail(std::make_unique<TEntryTreeModel>()),
      FNotScanned(std::make_unique<TNotScannedModel>()) {
    for (auto& flat : FFlat)
        flat = std::make_unique<TEntryListModel>();
    for (auto& group : FGroups)
        group = std::make_unique<TGroupModel>();
    GroupView(EView::VTType).SetSortable(true);
    BuildViewColumns();
    LoadGroupRanges();
}

// Members go in reverse order: the models (which reference entries and sums) first, then
// the configuration store, then the engine with the tree.
TBaseView::~TBaseView() = default;

TEntryModel& TBaseView::EntryView(EView view) {
    switch (view) {
    case EView::VTLeft:
        return *FLeft;
    case EView::VTDetail:
        return *FDetail;
    case EView::VTFolderAll:
        return *FFlat[flFolderAll];
    case EView::VTFolderEmpty:
        return *FFlat[flFolderEmpty];
    case EView::VTFileAll:
        return *FFlat[flFileAll];
    case EView::VTFileEmpty:
        return *FFlat[flFileEmpty];
    default:
        throw std::invalid_argument("not an entry view");
    }
}

TGroupModel& TBaseView::GroupView(EView view) {
    return *FGroups[std::size_t(GroupSlot(view))];
}

TSortableModel& TBaseView::View(EView view) {
    if (view == EView::VTFolderNotScanned)
        return *FNotScanned;
    if (int(view) < EntryViewCount)
        return EntryView(view);
    return GroupView(view);
}

TSumList& TBaseView::SumsOf(EView groupView) {
    TSumList* lists[GroupViewCount] = {&FEngine->FolderSizeSums(), &FEngine->FileSizeSums(),
                                       &FEngine->CreateTimeSums(), &FEngine->WriteTimeSums(),
                                       &FEngine->AccessTimeSums(), &FEngine->FileTypeSums(),
                                       &FEngine->NameLengthSums()};
    return *lists[GroupSlot(groupView)];
}

void TBaseView::BuildViewColumns() {
    const std::vector<TEntryColumn> columns = ReadEntryColumns(*FConfigStore->GetConfig());
    FDetail->SetColumns(columns);
    for (auto& flat : FFlat)
        flat->SetColumns(columns);
    FLeft->SetColumns(FolderTreeColumns(), true);
    FLeft->SetShareColumn(true);
    FDetail->SetShareColumn(true);
}

void TBaseView::LoadGroupRanges() {
    // Read and checked first: ranges that are refused leave the groups, and the tables
    // showing them, as they were.
    const TGroupRanges ranges = ReadGroupRanges(*FConfigStore);
    TDataCtrl::CheckGroups(ranges);
    // The tables reference the sums that are about to be replaced.
    for (auto& group : FGroups)
        group->Clear();
    FEngine->LoadGroups(ranges);
}

void TBaseView::ClearViews() {
    ReleaseComparison();
    FLeft->Clear();
    FDetail->Clear();
    for (auto& flat : FFlat)
        flat->Clear();
    for (auto& group : FGroups)
        group->Clear();
    FNotScanned->Clear();
    emit ViewsCleared();
}

void TBaseView::Scan(const std::string& path, IScanObserver* observer) {
    // On the models' own thread the views can be emptied here; a worker thread relies on
    // its caller having done so before it started.
    if (QThread::currentThread() == thread())
        ClearViews();
    FEngine->ScanFolder(path, observer);
}

void TBaseView::FillFolderTree() {
    if (FBase) {
        // Every scan, load, refresh and removal comes here: compare the new tree with the
        // kept base, or drop the base when it is another folder's.
        std::unique_ptr<TScanCompare> compare;
        try {
            compare = std::make_unique<TScanCompare>(*FEngine, *FBase);
        } catch (const ECompareError&) {
            FBase.reset();
            FBaseFile.clear();
        }
        ShowComparison(std::move(compare));
    }
    FLeft->Fill(FEngine->Root(), TEntryTreeModel::EKind::FoldersOnly);
    KeepSort(*FLeft);
}

void TBaseView::ShowFolderByPath(const std::string& path) {
    TDataInfo* root = FEngine->Root();
    TDataInfo* folder = root ? root->FindByPath(path) : nullptr;
    if (!folder)
        throw std::runtime_error("The folder \"" + path + "\" is not part of the scan.");
    ShowFolder(folder);
}

void TBaseView::ShowFolder(TDataInfo* folder) {
    if (!folder || !folder->IsFolder())
        throw std::invalid_argument("Only a folder can be shown.");
    FEngine->SetCurrentRoot(folder);
    RefreshViews();
}

void TBaseView::RefreshViews() {
    for (int slot = 0; slot < GroupViewCount; ++slot) {
        const auto view = EView(EntryViewCount + slot);
        GroupView(view).Fill(SumsOf(view));
        KeepSort(GroupView(view));
    }
    TDataInfo* start = FEngine->CurrentRoot();
    FDetail->Fill(start, TEntryTreeModel::EKind::AllEntries);
    KeepSort(*FDetail);
    // The four flat lists in one walk of the subtree: what FlatFilter selects, decided
    // without the general filter, since a click on a big folder walks millions of entries.
    FillFlatLists(start);
    emit ViewsRefreshed();
}

void TBaseView::FillFlatLists(TDataInfo* start) {
    TEntryRows rows[4], notScanned;
    std::vector<const TDataInfo*> ghosts[4];
    for (const TDataInfo* ghost : GhostsBelow(start)) {
        const std::size_t all = ghost->IsFolder() ? flFolderAll : flFileAll;
        ghosts[all].push_back(ghost);
        if (IsEmptyEntry(*ghost))
            ghosts[all + 1].push_back(ghost);
    }
    for (TDataInfo* e = start; e; e = NextInPreOrder(e, start)) {
        const std::size_t all = e->IsFolder() ? flFolderAll : flFileAll;
        rows[all].push_back(e);
        if (IsEmptyEntry(*e))
            rows[all + 1].push_back(e); // flFolderEmpty, flFileEmpty
        if (e->NotScanned())
            notScanned.push_back(e);
    }
    for (std::size_t f = 0; f < 4; ++f) // sorted there by the header's state
        FFlat[f]->SetRows(std::move(rows[f]), std::move(ghosts[f]));
    FNotScanned->SetRows(std::move(notScanned));
    KeepSort(*FNotScanned);
}

// The removed tops whose folder is `start` or below it, in the base's pre-order. Only the
// tops: what was below a removed folder went with it, and its row says so.
std::vector<const TDataInfo*> TBaseView::GhostsBelow(const TDataInfo* start) const {
    std::vector<const TDataInfo*> ghosts;
    if (!FCompare)
        return ghosts;
    for (const TDataInfo* top : FCompare->RemovedTops())
        for (const TDataInfo* up = FCompare->GhostParent(*top); up; up = up->Parent())
            if (up == start) {
                ghosts.push_back(top);
                break;
            }
    return ghosts;
}

void TBaseView::RefreshCurrentFolder() {
    if (FEngine->Root())
        ShowFolder(FEngine->CurrentRoot());
}

void TBaseView::HeaderClick(TSortableModel& view, int column, Qt::MouseButton button) {
    if (button != Qt::LeftButton || !view.Sortable())
        return;
    TSortState state = view.SortState();
    state.Order = (state.IsSet() && state.Order == Qt::AscendingOrder) ? Qt::DescendingOrder
                                                                       : Qt::AscendingOrder;
    state.Column = column;
    view.SetSortState(state);
    view.SortRows(state.Column, state.Order);
}

namespace {

TDataFilter DrillDownFilter(EView view, std::int32_t group, const std::string& caption) {
    TDataFilter filter;
    filter.IsFolder = view == EView::VTFolderSize ? 1 : 0;
    switch (view) {
    case EView::VTFolderSize:
    case EView::VTFileSize:
        filter.SizeGroup = group;
        break;
    case EView::VTAgeCreate:
        filter.CreateGroup = group;
        break;
    case EView::VTAgeWrite:
        filter.WriteGroup = group;
        break;
    case EView::VTAgeAccess:
        filter.AccessGroup = group;
        break;
    case EView::VTType:
        filter.FileExt = caption;
        break;
    default:
        filter.NameLengthGroup = group;
        break;
    }
    return filter;
}

} // namespace

TDataFilter TBaseView::GroupFilter(EView groupView, int row) const {
    const TSumInfo& sum = *FGroups[std::size_t(GroupSlot(groupView))]->Sum(row);
    return DrillDownFilter(groupView, sum.GroupIndex(), sum.GroupCaption());
}

TChartPoints TBaseView::ChartPoints(EView groupView) {
    return SelectChartPoints(SumsOf(groupView), ChartPointLimit, groupView == EView::VTType);
}

void TBaseView::GroupDblClick(EView groupView, int row) {
    if (row < 0 || row >= GroupView(groupView).rowCount())
        return;
    const TSumInfo& sum = *FGroups[std::size_t(GroupSlot(groupView))]->Sum(row);
    ShowReport(GroupFilter(groupView, row), GroupReportTitle(groupView, sum.GroupCaption()));
}

void TBaseView::ChartDblClick(EView groupView, int point) {
    const TChartPoints chart = ChartPoints(groupView);
    if (point < 0 || std::size_t(point) >= chart.Points.size())
        return;
    const TSumList& sums = SumsOf(groupView);
    const std::vector<std::uint32_t>& positions = chart.Points[std::size_t(point)].Sums;
    if (positions.size() == 1) { // the same report as the group's table row
        const TSumInfo& sum = sums.Items(positions.front());
        ShowReport(DrillDownFilter(groupView, sum.GroupIndex(), sum.GroupCaption()),
                   GroupReportTitle(groupView, sum.GroupCaption()));
        return;
    }
    if (!FEngine->Root() || !FReportHandler)
        return;
    const TGroupSelection selection(EGrouping(GroupSlot(groupView)), sums, positions);
    std::vector<TDataInfo*> rows;
    TDataInfo* top = FEngine->CurrentRoot();
    for (TDataInfo* e = top; e; e = NextInPreOrder(e, top))
        if (selection.Contains(*e))
            rows.push_back(e);
    const std::unique_ptr<TEntryListModel> list =
        NewReportList(true, GroupReportTitle(groupView, chart.Points[std::size_t(point)].Caption));
    list->SetRows(rows);
    FReportHandler(*list);
}

// "File Size: 0~10KB", after the group table the drill-down came from.
QString TBaseView::GroupReportTitle(EView groupView, const std::string& caption) const {
    static const char* const tables[GroupViewCount] = {
        "Folder Size",      "File Size", "File Create Time", "File Write Time",
        "File Access Time", "File Type", "File Name Length"};
    return QStringLiteral("%1: %2").arg(QLatin1String(tables[GroupSlot(groupView)]),
                                        QString::fromStdString(caption));
}

std::unique_ptr<TEntryListModel> TBaseView::NewReportList(bool withIcons,
                                                          const QString& title) const {
    auto list = std::make_unique<TEntryListModel>();
    list->SetTitle(title);
    list->SetColumns(ReadEntryColumns(*FConfigStore->GetConfig()));
    if (withIcons)
        list->SetIconProvider(FIconProvider);
    list->SetNotScannedForeground(FNotScannedForeground);
    return list;
}

void TBaseView::ShowReport(const TDataFilter& filter, const QString& title, const QString& note) {
    if (!FEngine->Root() || !FReportHandler)
        return;
    const std::unique_ptr<TEntryListModel> list = NewReportList(true, title);
    list->SetNote(note);
    list->Fill(FEngine->CurrentRoot(), &filter);
    FReportHandler(*list);
}

void TBaseView::ShowTopReport(const TEntryListModel& list, int first, int last,
                              const QString& title) {
    if (!FEngine->Root() || !FReportHandler)
        return;
    std::vector<TDataInfo*> rows;
    // Ghost rows come after the others and are no entries to report.
    const int end = std::min(last, int(list.TotalRowCount()) - 1);
    for (int row = std::max(first, 0); row <= end; ++row)
        rows.push_back(list.EntryAt(row));
    const std::unique_ptr<TEntryListModel> report = NewReportList(false, title);
    report->SetRows(std::move(rows));
    FReportHandler(*report);
}

void TBaseView::ShowEmptyReport(bool folders) {
    ShowReport(FlatFilter(folders ? 1 : 0, "0"), folders ? QStringLiteral("Empty Folders Report")
                                                         : QStringLiteral("Empty Files Report"));
}

void TBaseView::ShowNotScannedReport() {
    if (!FEngine->Root() || !FReportHandler)
        return;
    std::vector<TDataInfo*> rows;
    for (int row = 0; row < FNotScanned->rowCount(); ++row)
        rows.push_back(FNotScanned->EntryAt(row));
    const std::unique_ptr<TEntryListModel> report =
        NewReportList(true, QStringLiteral("Folders Not Scanned Report"));
    report->SetRows(rows);
    FReportHandler(*report);
}

void TBaseView::ShowFirstFilesReport(int column, Qt::SortOrder order, int count) {
    if (!FEngine->Root())
        return;
    TEntryListModel& files = VTFileAll();
    files.SortRows(column, order);
    QString title = QStringLiteral("The First %1 Files").arg(count);
    if (column == ecCreateTime && order == Qt::AscendingOrder)
        title = QStringLiteral("The Oldest Files Report");
    else if (column == ecFileSize && order == Qt::DescendingOrder)
        title = QStringLiteral("The Largest Files Report");
    ShowTopReport(files, 0, count - 1, title);
}

void TBaseView::ShowNeverUsedReport(int yearsAgo) {
    if (!FEngine->Root())
        return;
    TDataFilter filter;
    filter.IsFolder = 0;
    filter.AccessTime = NeverUsedAccessRange(FEngine->NowMilliseconds(), yearsAgo);
    const char* const years[] = {"Year", "Two Years", "Three Years"};
    ShowReport(filter,
               QStringLiteral("Files Never Used Last %1 Report")
                   .arg(QLatin1String(years[std::clamp(yearsAgo, 1, 3) - 1])),
               AccessTimesText());
}

QString TBaseView::AccessTimesText() const {
    return QString::fromStdString(AccessTimesNote(FEngine->AccessTimes()));
}

namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// `now` (local time) with its year moved back by `years`; month, day and time of day kept.
std::int64_t YearsBefore(const std::tm& now, int years) {
    std::tm moved = now;
    moved.tm_year -= years;
    if (moved.tm_mon == 1 && moved.tm_mday == 29 && !IsLeapYear(moved.tm_year + 1900))
        moved.tm_mday = 28;
    moved.tm_isdst = -1; // the zone rules of that day decide
    return std::int64_t(std::mktime(&moved));
}

} // namespace

std::string NeverUsedAccessRange(std::int64_t nowMs, int yearsAgo) {
    const auto now = std::time_t(nowMs / 1000);
    std::tm local{};
    localtime_r(&now, &local);
    std::string range = DateTimeText(YearsBefore(local, yearsAgo + 1));
    range += ';';
    range += DateTimeText(YearsBefore(local, yearsAgo));
    return range;
}

void TBaseView::SetEntryIconProvider(TEntryIconProvider provider) {
    FIconProvider = std::move(provider);
    FLeft->SetIconProvider(FIconProvider);
    FDetail->SetIconProvider(FIconProvider);
    for (auto& flat : FFlat)
        flat->SetIconProvider(FIconProvider);
}

void TBaseView::SetNotScannedForeground(const QVariant& colour) {
    FNotScannedForeground = colour;
    FLeft->SetNotScannedForeground(colour);
    FDetail->SetNotScannedForeground(colour);
    for (auto& flat : FFlat)
        flat->SetNotScannedForeground(colour);
}

void TBaseView::SetGhostForeground(const QVariant& colour) {
    for (int i = 0; i < EntryViewCount; ++i)
        EntryView(EView(i)).SetGhostForeground(colour);
}

void TBaseView::SetGroupIcon(const QVariant& icon) {
    for (int slot = 0; slot < GroupViewCount; ++slot)
        if (EView(EntryViewCount + slot) != EView::VTType)
            FGroups[std::size_t(slot)]->SetIcon(icon);
}

TSummaryTexts TBaseView::SummaryTexts() const {
    const TDataInfo* folder = FEngine->CurrentRoot();
    if (!folder)
        return {};
    const std::string bytes = folder->FileSize();
    std::string size = SizeText(bytes);
    size += "( ";
    size += bytes;
    size += " Byte)";
    return {DisplayText(folder->FullPath()),
            QString::fromStdString(size),
            QString::number(FFlat[flFolderAll]->TotalRowCount()),
            QString::number(FFlat[flFileAll]->TotalRowCount()),
            QString::number(FGroups[std::size_t(GroupSlot(EView::VTType))]->TotalRowCount()),
            QString::number(FNotScanned->TotalRowCount())};
}

// ---- Comparing with a saved scan ----------------------------------------------------------

// The models and the listeners (the treemap reads it on a thread of its own) take the new
// result before the old one goes; the views are refilled by the caller.
void TBaseView::ShowComparison(std::unique_ptr<TScanCompare> compare) {
    for (int i = 0; i < EntryViewCount; ++i)
        EntryView(EView(i)).SetComparison(compare.get());
    std::swap(FCompare, compare);
    emit ComparisonChanged();
}

void TBaseView::CompareWith(std::unique_ptr<TDataCtrl> base, std::string baseFile) {
    if (!base)
        throw ECompareError("There is no saved scan to compare with.");
    // A saved scan keeps both sizes: count it as the tree shown is counted.
    if (base->CountsDiskUsage() != FEngine->CountsDiskUsage())
        base->SetCountDiskUsage(FEngine->CountsDiskUsage());
    auto compare = std::make_unique<TScanCompare>(*FEngine, *base); // nothing changed on a throw
    std::swap(FBase, base); // the old base goes at the end, after the result that points into it
    FBaseFile = std::move(baseFile);
    ShowComparison(std::move(compare));
    if (FEngine->Root())
        RefreshViews();
}

void TBaseView::StopComparing() {
    if (!FBase && !FCompare)
        return;
    const std::unique_ptr<TDataCtrl> base = std::move(FBase); // goes after the result
    FBaseFile.clear();
    ShowComparison(nullptr);
    if (FEngine->Root())
        RefreshViews();
}

void TBaseView::ReleaseComparison() {
    if (FCompare)
        ShowComparison(nullptr);
}

void TBaseView::SetCountDiskUsage(bool diskUsage) {
    ReleaseComparison();
    FEngine->SetCountDiskUsage(diskUsage);
    if (FBase)
        FBase->SetCountDiskUsage(diskUsage);
}

} // namespace quorvex
