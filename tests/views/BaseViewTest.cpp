// The view controller on scanned fixture trees: what every view lists, the summary texts,
// header-click sorting, group tables and drill-down filters.
#include "ViewFixture.h"
#include "uBaseConfig.h"
#include "uBaseFunction.h"
#include "uConfigDefault.h"
#include "uEntryFilter.h"

#include <QSet>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace quorvex;
using namespace quorvex::test;

namespace {

const std::vector<std::string> Sample = {
    "a/x.txt:10", "a/y.TXT:2048", "a/empty.txt:0", "a/sub/z.txt:0", "b/", "c.txt:5", "noext:1"};

QSet<QString> AsSet(const QStringList& list) {
    return {list.begin(), list.end()};
}

QString Path(const TViewFixture& f, const char* relative) {
    return QString::fromStdString(f.Root() + (*relative ? "/" : "") + relative);
}

TDataInfo* Find(TViewFixture& f, const char* relative) {
    return f.View->FDataCtrl().Root()->FindByPath(Path(f, relative).toStdString());
}

// Attaches a model tester to every model of the controller for the fixture's lifetime.
struct TTesters {
    std::vector<std::unique_ptr<QAbstractItemModelTester>> All;
    explicit TTesters(TBaseView& view) {
        for (int v = 0; v < EntryViewCount + GroupViewCount; ++v)
            All.push_back(std::make_unique<QAbstractItemModelTester>(&view.View(EView(v))));
    }
};

} // namespace

class BaseViewTest : public QObject {
    Q_OBJECT
private slots:
    void openFlowFillsEveryView();
    void showFolderRefillsAllButTheFolderTree();
    void folderWithoutSubfoldersCountsItself();
    void headerClicksFlipAndKeepFoldersFirst();
    void aHeaderSortHoldsAcrossFolderClicksAndRescans();
    void shareColumnsGiveEachEntrysPartOfItsParent();
    void sortingIsStableForEqualKeys();
    void groupTablesShowSumsOfTheCurrentFolder();
    void drillDownsListTheGroupsEntries();
    void extensionThatIsNotUtf8IsListedFromItsPointAndRow();
    void topReportCopiesRowsWithoutIcons();
    void nothingHappensBeforeTheFirstScan();
    void reloadingRangesEmptiesGroupTables();
    void refusedRangeListsKeepThePreviousGroups();
    void sizeBoundsBeyond32BitsGroupBigFiles();
    void rangesIncludeBothBoundsAndRefuseEmptyTimes();
    void columnContentsFollowTheNodeIndex();
    void diskSizeColumnShowsAndSortsTheAllocatedBytes();
    void configurationWithoutTheDiskSizeNodeIsUnchanged();
};

void BaseViewTest::openFlowFillsEveryView() {
    TViewFixture f(Sample);
    TTesters testers(*f.View);
    f.Open();
    TBaseView& v = *f.View;

    QCOMPARE(v.VTLeft().rowCount(), 1);
    QCOMPARE(AsSet(Outline(v.VTLeft(), 0)).size(), 4); // the root and three folders, no files
    QCOMPARE(v.VTLeft().TotalRowCount(), 4);
    QCOMPARE(v.VTDetail().rowCount(), 1);
    QCOMPARE(v.VTDetail().TotalRowCount(), 10);
    QCOMPARE(Outline(v.VTDetail(), 1).size(), 10);

    const QStringList folders = Column(v.EntryView(EView::VTFolderAll), ecFullPath);
    QCOMPARE(folders.first(), Path(f, "")); // the current folder itself comes first
    QCOMPARE(AsSet(folders),
             (QSet<QString>{Path(f, ""), Path(f, "a"), Path(f, "a/sub"), Path(f, "b")}));
    QCOMPARE(AsSet(Column(v.EntryView(EView::VTFolderEmpty), ecFullPath)),
             (QSet<QString>{Path(f, "a/sub"), Path(f, "b")}));
    QCOMPARE(v.EntryView(EView::VTFileAll).rowCount(), 6);
    QCOMPARE(AsSet(Column(v.EntryView(EView::VTFileEmpty), ecFileName)),
             (QSet<QString>{"empty.txt", "z.txt"}));

    const TSummaryTexts s = v.SummaryTexts();
    QCOMPARE(s.FolderPath, Path(f, ""));
    QCOMPARE(s.FileSize, QString::fromStdString(SizeText("2064")) + "( 2064 Byte)");
    QCOMPARE(s.FolderQty, QString("4"));
    QCOMPARE(s.FileQty, QString("6"));
    QCOMPARE(s.TypeQty, QString("3")); // txt, TXT and the empty extension
}

void BaseViewTest::showFolderRefillsAllButTheFolderTree() {
    TViewFixture f(Sample);
    TTesters testers(*f.View);
    f.Open();
    TBaseView& v = *f.View;
    const QModelIndex treeTop = v.VTLeft().index(0, 0);

    v.ShowFolder(Find(f, "a"));
    QCOMPARE(Column(v.EntryView(EView::VTFolderAll), ecFullPath).first(), Path(f, "a"));
    QCOMPARE(v.EntryView(EView::VTFileAll).rowCount(), 4);
    QCOMPARE(v.SummaryTexts().FolderPath, Path(f, "a"));
    QCOMPARE(v.VTDetail().index(0, 0).data().toString(), QString("a"));
    QCOMPARE(v.VTLeft().TotalRowCount(), 4);
    QCOMPARE(v.VTLeft().index(0, 0), treeTop);

    v.ShowFolderByPath(f.Root()); // the same folder again, back to the top
    QCOMPARE(v.EntryView(EView::VTFileAll).rowCount(), 6);
    QVERIFY_THROWS_EXCEPTION(std::exception, v.ShowFolder(Find(f, "c.txt")));
    QVERIFY_THROWS_EXCEPTION(std::exception, v.ShowFolderByPath("/nowhere"));
}

void BaseViewTest::folderWithoutSubfoldersCountsItself() {
    TViewFixture f(Sample);
    f.Open();
    f.View->ShowFolder(Find(f, "a/sub"));
    QCOMPARE(f.View->SummaryTexts().FolderQty, QString("1"));
    QCOMPARE(Column(f.View->EntryView(EView::VTFolderEmpty), ecFullPath),
             QStringList{Path(f, "a/sub")});
}

void BaseViewTest::headerClicksFlipAndKeepFoldersFirst() {
    TViewFixture f(Sample);
    TTesters testers(*f.View);
    f.Open();
    TBaseView& v = *f.View;
    TEntryModel& files = v.EntryView(EView::VTFileAll);

    v.HeaderClick(files, ecFileSize, Qt::LeftButton);
    QCOMPARE(files.SortState().Column, int(ecFileSize));
    QCOMPARE(files.SortState().Order, Qt::AscendingOrder);
    QCOMPARE(Column(files, ecFileName).last(), QString("y.TXT"));

    v.HeaderClick(files, ecFileName, Qt::RightButton); // ignored
    QCOMPARE(files.SortState().Column, int(ecFileSize));

    v.HeaderClick(files, ecFileName, Qt::LeftButton); // another column: the direction flips
    QCOMPARE(files.SortState().Order, Qt::DescendingOrder);
    QCOMPARE(Column(files, ecFileName),
             (QStringList{"z.txt", "y.TXT", "x.txt", "noext", "empty.txt", "c.txt"}));

    // Nested: under every folder its sub-folders come before its files, both ways.
    TEntryTreeModel& detail = v.VTDetail();
    for (Qt::SortOrder expected : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        v.HeaderClick(detail, ecFileType, Qt::LeftButton);
        QCOMPARE(detail.SortState().Order, expected);
        const QModelIndex root = detail.index(0, 0);
        QStringList kinds;
        for (int row = 0; row < detail.rowCount(root); ++row)
            kinds << detail.index(row, ecFileType, root).data().toString();
        QCOMPARE(kinds, (QStringList{"Folder", "Folder", "File", "File"}));
    }
    v.HeaderClick(detail, ecFileName, Qt::LeftButton);
    const QModelIndex root = detail.index(0, 0);
    QCOMPARE(detail.index(0, 0, root).data().toString(), QString("a"));
    QCOMPARE(detail.index(2, 0, root).data().toString(), QString("c.txt"));
    QCOMPARE(detail.parent(detail.index(1, 0, detail.index(0, 0, root))), detail.index(0, 0, root));
}

void BaseViewTest::aHeaderSortHoldsAcrossFolderClicksAndRescans() {
    TViewFixture f(Sample);
    TTesters testers(*f.View);
    f.Open();
    TBaseView& v = *f.View;
    TEntryModel& files = v.EntryView(EView::VTFileAll);
    v.HeaderClick(files, ecFileName, Qt::LeftButton);
    v.HeaderClick(files, ecFileName, Qt::LeftButton);
    const QStringList byName = {"z.txt", "y.TXT", "x.txt", "noext", "empty.txt", "c.txt"};
    QCOMPARE(Column(files, ecFileName), byName);
    TEntryTreeModel& tree = v.VTLeft();
    v.HeaderClick(tree, 1, Qt::LeftButton);
    v.HeaderClick(tree, 1, Qt::LeftButton); // largest folder first
    TEntryTreeModel& detail = v.VTDetail();
    v.HeaderClick(detail, detail.ShareColumn(), Qt::LeftButton); // smallest part first

    // A folder click refills in the engine's order; the header's sort is applied again.
    v.ShowFolder(Find(f, "a"));
    QCOMPARE(Column(files, ecFileName), (QStringList{"z.txt", "y.TXT", "x.txt", "empty.txt"}));
    QCOMPARE(Outline(detail, 0),
             (QStringList{"a", "  sub", "    z.txt", "  empty.txt", "  x.txt", "  y.TXT"}));
    // A rescan of the same tree, with a file grown meanwhile, keeps every sort too.
    WriteTree(f.Tree.Path(), {"b/big:4096"});
    v.Scan(f.Root());
    v.FillFolderTree();
    v.ShowFolderByPath(f.Root());
    QCOMPARE(Column(files, ecFileName),
             (QStringList{"z.txt", "y.TXT", "x.txt", "noext", "empty.txt", "c.txt", "big"}));
    QCOMPARE(Outline(tree, 0).mid(1, 2), (QStringList{"  b", "  a"}));
    QCOMPARE(files.SortState().Column, int(ecFileName));
    QCOMPARE(files.SortState().Order, Qt::DescendingOrder);

    // Until the user sorts again: then the new column and direction hold.
    v.HeaderClick(files, ecFileSize, Qt::LeftButton);
    v.ShowFolder(Find(f, "a"));
    const QStringList bySize = Column(files, ecFileName);
    QCOMPARE(AsSet(bySize.mid(0, 2)), (QSet<QString>{"z.txt", "empty.txt"})); // both empty
    QCOMPARE(bySize.mid(2), (QStringList{"x.txt", "y.TXT"}));
}

void BaseViewTest::shareColumnsGiveEachEntrysPartOfItsParent() {
    TViewFixture f(Sample);
    TTesters testers(*f.View);
    f.Open();
    TBaseView& v = *f.View;
    TEntryTreeModel& tree = v.VTLeft();
    // After the configured columns: the tree's two, the nested list's twelve.
    QCOMPARE(tree.ShareColumn(), 2);
    QCOMPARE(tree.columnCount(), 3);
    QCOMPARE(v.VTDetail().ShareColumn(), 12);
    QCOMPARE(v.VTDetail().headerData(12, Qt::Horizontal).toString(), QString("% of Parent"));
    QCOMPARE(v.EntryView(EView::VTFileAll).ShareColumn(), -1);

    // The tree root holds 2,064 bytes; "a" 2,058 of them; "b" none.
    tree.SortRows(0, Qt::AscendingOrder);
    QCOMPARE(Outline(tree, 2), (QStringList{"100.0 %", "  99.7 %", "    0.0 %", "  0.0 %"}));
    const QModelIndex a = tree.IndexOf(Find(f, "a"));
    QCOMPARE(a.siblingAtColumn(2).data(ShareRole).toDouble(), 2058.0 / 2064.0);
    TEntryTreeModel& detail = v.VTDetail();
    const QModelIndex y = detail.IndexOf(Find(f, "a/y.TXT"));
    QCOMPARE(y.siblingAtColumn(12).data().toString(), QString("99.5 %")); // 2,048 of 2,058
    QCOMPARE(y.siblingAtColumn(12).data(EntryRole), y.data(EntryRole));
    // An empty folder's entries take none of it rather than dividing by zero.
    QCOMPARE(ShareOfParent(*Find(f, "a/sub/z.txt")), 0.0);
    QCOMPARE(ShareText(1.0 / 3.0), QString("33.3 %"));
}

void BaseViewTest::sortingIsStableForEqualKeys() {
    TViewFixture f(Sample);
    f.Open();
    TEntryModel& empty = f.View->EntryView(EView::VTFileEmpty);
    const QStringList before = Column(empty, ecFullPath);
    empty.SortRows(ecFileSize, Qt::AscendingOrder);
    QCOMPARE(Column(empty, ecFullPath), before);
    empty.SortRows(ecFileSize, Qt::DescendingOrder);
    QCOMPARE(Column(empty, ecFullPath), before);
    empty.SortRows(ecOwnerName, Qt::DescendingOrder);
    QCOMPARE(Column(empty, ecFullPath), before);
}

void BaseViewTest::groupTablesShowSumsOfTheCurrentFolder() {
    TViewFixture f(Sample);
    f.Open();
    TBaseView& v = *f.View;
    TGroupModel& fileSize = v.GroupView(EView::VTFileSize);
    QCOMPARE(fileSize.rowCount(), 7); // six ranges and the overflow row
    QCOMPARE(fileSize.index(0, 0).data().toString(), QString("0~10KB"));
    QCOMPARE(fileSize.index(0, 1).data().toString(), QString::fromStdString(FormatSize(2064)));
    QCOMPARE(fileSize.index(0, 2).data().toString(), QString("6"));
    QCOMPARE(fileSize.index(6, 0).data().toString(), QString("above last"));
    QCOMPARE(fileSize.index(6, 1).data().toString(), QString::fromStdString(FormatSize(0)));
    QCOMPARE(fileSize.index(6, 2).data().toString(), QString("0"));
    QCOMPARE(fileSize.headerData(2, Qt::Horizontal).toString(), QString("Files Count"));

    TGroupModel& types = v.GroupView(EView::VTType);
    QCOMPARE(AsSet(Column(types, 0)), (QSet<QString>{"txt", "TXT", ""}));
    v.HeaderClick(types, 2, Qt::LeftButton);
    QCOMPARE(Column(types, 2), (QStringList{"1", "1", "4"}));
    TGroupModel& names = v.GroupView(EView::VTName);
    v.HeaderClick(names, 0, Qt::LeftButton); // only the type table sorts
    QVERIFY(!names.SortState().IsSet());
}

void BaseViewTest::drillDownsListTheGroupsEntries() {
    TViewFixture f(Sample);
    f.Open();
    TBaseView& v = *f.View;
    QStringList listed;
    v.SetReportHandler([&](TEntryListModel& rows) { listed = Column(rows, ecFullPath); });

    // The folder size group holds the current folder itself too.
    v.GroupDblClick(EView::VTFolderSize, 0);
    QCOMPARE(listed.size(), 4);
    QCOMPARE(listed.first(), Path(f, ""));

    TGroupModel& types = v.GroupView(EView::VTType);
    const QStringList captions = Column(types, 0);
    v.GroupDblClick(EView::VTType, int(captions.indexOf("")));
    QCOMPARE(listed.size(), 6); // the empty extension accepts every file
    v.GroupDblClick(EView::VTType, int(captions.indexOf("TXT")));
    QCOMPARE(listed, QStringList{Path(f, "a/y.TXT")});

    v.ChartDblClick(EView::VTFileSize, 0); // "0~10KB"
    QCOMPARE(listed.size(), 6);
    const TChartPoints typePoints = v.ChartPoints(EView::VTType);
    for (std::size_t point = 0; point < typePoints.Points.size(); ++point)
        if (typePoints.Points[point].Caption == "txt")
            v.ChartDblClick(EView::VTType, int(point));
    QCOMPARE(listed.size(), 4);
    listed.clear();
    v.GroupDblClick(EView::VTFileSize, 99); // no such row
    QVERIFY(listed.isEmpty());
}

void BaseViewTest::topReportCopiesRowsWithoutIcons() {
    TViewFixture f(Sample);
    f.Open();
    TBaseView& v = *f.View;
    v.SetEntryIconProvider([](const TDataInfo&) { return QVariant(QString("icon")); });
    QStringList listed;
    bool iconShown = false;
    v.SetReportHandler([&](TEntryListModel& rows) {
        listed = Column(rows, ecFileName);
        iconShown = rows.rowCount() > 0 && rows.index(0, 0).data(Qt::DecorationRole).isValid();
    });
    TEntryListModel& files = v.VTFileAll();
    files.SortRows(ecFileSize, Qt::DescendingOrder);
    QVERIFY(!files.SortState().IsSet()); // a program sort leaves the header alone
    v.ShowTopReport(files, 0, 1);
    QCOMPARE(listed, (QStringList{"y.TXT", "x.txt"}));
    QVERIFY(!iconShown);
    v.ShowTopReport(files, 0, 100);
    QCOMPARE(listed.size(), 6);
    v.ShowTopReport(files, 0, -1);
    QVERIFY(listed.isEmpty());

    TDataFilter empty;
    empty.FileSize = "0";
    empty.IsFolder = 0;
    v.ShowReport(empty);
    QCOMPARE(AsSet(listed), (QSet<QString>{"empty.txt", "z.txt"}));
    QVERIFY(iconShown);
}

void BaseViewTest::nothingHappensBeforeTheFirstScan() {
    TViewFixture f(Sample);
    TBaseView& v = *f.View;
    int reports = 0;
    v.SetReportHandler([&](TEntryListModel&) { ++reports; });
    v.ShowReport(TDataFilter());
    v.ShowTopReport(v.VTFileAll(), 0, 10);
    v.RefreshCurrentFolder();
    v.LoadGroupRanges();
    QCOMPARE(reports, 0);
    for (int g = 0; g < GroupViewCount; ++g)
        QCOMPARE(v.View(EView(EntryViewCount + g)).rowCount(), 0);
    QCOMPARE(v.SummaryTexts().FolderPath, QString());
}

void BaseViewTest::reloadingRangesEmptiesGroupTables() {
    TViewFixture f(Sample);
    TTesters testers(*f.View);
    f.Open();
    TBaseView& v = *f.View;
    v.ShowFolder(Find(f, "a"));
    v.LoadGroupRanges(); // the old sums are gone: nothing may reference them
    QCOMPARE(v.GroupView(EView::VTFileSize).rowCount(), 0);
    v.FDataCtrl().ReclassifyAll();
    v.RefreshCurrentFolder();
    QCOMPARE(v.SummaryTexts().FolderPath, Path(f, "a")); // the current folder stays
    QCOMPARE(v.GroupView(EView::VTFileSize).index(0, 2).data().toString(), QString("4"));

    v.ClearViews();
    for (int view = 0; view < EntryViewCount + GroupViewCount; ++view)
        QCOMPARE(v.View(EView(view)).rowCount(), 0);
}

// A hand-edited list far beyond what the groups can hold is refused at once (its items are
// counted, never read), and the groups of the last load stay in force.
void BaseViewTest::refusedRangeListsKeepThePreviousGroups() {
    TViewFixture f(Sample);
    f.Open();
    TBaseView& v = *f.View;
    const QStringList captions = Column(v.GroupView(EView::VTFileSize), 0);
    for (const char* list : {"agerange", "sizerange", "lengthrange"}) {
        pugi::xml_node range = v.FConfig().GetConfig()->DOMNode().child(list);
        for (int i = 0; i < 100000; ++i)
            range.append_child("item").append_attribute("value") = "ten";
        try {
            v.LoadGroupRanges();
            QFAIL("an oversized list must be refused");
        } catch (const std::length_error& error) {
            QVERIFY2(QString(error.what()).contains(list), error.what());
            QVERIFY2(QString(error.what()).contains("254"), error.what());
        }
        QCOMPARE(v.FDataCtrl().SizeThresholds().size(), 6u);
        QCOMPARE(v.FDataCtrl().AgeThresholds().size(), 5u);
        v.RefreshCurrentFolder();
        QCOMPARE(Column(v.GroupView(EView::VTFileSize), 0), captions);
        v.FConfig().LoadDefault();
    }
}

void BaseViewTest::sizeBoundsBeyond32BitsGroupBigFiles() {
    TViewFixture f(Sample);
    TXMLSizerangeType sizes = f.View->FConfig().GetConfig()->Sizerange();
    sizes.Clear();
    TXMLItemType item = sizes.Add();
    item.SetCaption("1~10G");
    item.SetValue(10000000000);
    f.View->LoadGroupRanges();
    QCOMPARE(f.View->FDataCtrl().SizeThresholds(), std::vector<double>{1e10});
}

void BaseViewTest::rangesIncludeBothBoundsAndRefuseEmptyTimes() {
    const std::string lower = DateTimeText(1700000000);
    const std::string upper = DateTimeText(1700086400);
    const std::string range = lower + ";" + upper;
    QVERIFY(MatchesRange(lower, range));
    QVERIFY(MatchesRange(upper, range));
    QVERIFY(MatchesRange(DateTimeText(1700040000), range));
    QVERIFY(!MatchesRange(DateTimeText(1699999999), range));
    QVERIFY(!MatchesRange(DateTimeText(1700086401), range));
    QVERIFY(!MatchesRange("", range));
    QVERIFY(!MatchesRange("not a date", range));
    QVERIFY(MatchesRange(lower, lower));
    QVERIFY(!MatchesRange(upper, lower));
}

void BaseViewTest::columnContentsFollowTheNodeIndex() {
    TempDir dir;
    const auto file = dir.Path() / "KestrixFAConfig.xml";
    std::ofstream(file) << R"(<?xml version="1.0" encoding="utf-8"?>
<config versionNo="3"><files>
<node Name="FullPath" Visible="True" Index="1" Width="90" Align="Center"/>
<node Name="    FileName" Visible="True" Index="0" Width="80" Align="RIGHT"/>
<node Name="FileSize" Visible="False" Index="2" Width="70" Align="right"/>
</files><agerange/><sizerange/><lengthrange/>
<default largefilenum="5" olderfilenum="5" abovelast="more"/></config>)";
    TempDir tree;
    WriteTree(tree.Path(), {"only.bin:3"});
    TBaseView v(file);
    v.Scan(tree.Str());
    v.FillFolderTree();
    v.ShowFolderByPath(tree.Str());
    TEntryModel& files = v.EntryView(EView::VTFileAll);
    QCOMPARE(files.headerData(0, Qt::Horizontal).toString(), QString("FullPath"));
    QCOMPARE(files.index(0, 0).data().toString(), QString("only.bin")); // index 0: the name
    QCOMPARE(files.Columns()[0].Align, Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(files.Columns()[1].Align, Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(files.Columns()[2].Align, Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(files.Columns()[0].Position, 1);
    QVERIFY(!files.Columns()[2].Visible);
    // Empty range lists leave one overflow row each.
    QCOMPARE(Column(v.GroupView(EView::VTName), 0), QStringList{"more"});
}

// A sparse file takes less than it holds, so the two size columns order the files apart.
void BaseViewTest::diskSizeColumnShowsAndSortsTheAllocatedBytes() {
    TViewFixture f({"small.txt:10", "big.bin:50000", "d/mid.txt:9000"});
    std::ofstream(f.Tree.Path() / "sparse.img").close();
    std::filesystem::resize_file(f.Tree.Path() / "sparse.img", 1 << 20);
    f.Open();
    TBaseView& v = *f.View;
    TEntryListModel& files = v.VTFileAll();
    QAbstractItemModelTester tester(&files);
    QCOMPARE(files.headerData(ecDiskSize, Qt::Horizontal).toString(), QString("Size on Disk"));
    QCOMPARE(files.Columns()[ecDiskSize].Align, Qt::AlignRight | Qt::AlignVCenter);
    QVERIFY(!files.Columns()[ecDiskSize].Visible);
    const TDataCtrl& engine = v.FDataCtrl();
    for (int row = 0; row < files.rowCount(); ++row) {
        const TDataInfo& entry = *files.Entry(files.index(row, 0));
        QCOMPARE(files.index(row, ecDiskSize).data().toString(),
                 QString::fromStdString(SizeText(SizeNumberText(double(engine.DiskSize(entry))))));
    }
    QCOMPARE(Find(f, "sparse.img")->DiskSize(), 0u); // the fixture holds no block of it

    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        files.SortRows(ecDiskSize, order);
        std::vector<std::uint64_t> sizes;
        for (int row = 0; row < files.rowCount(); ++row)
            sizes.push_back(files.Entry(files.index(row, 0))->DiskSize());
        QVERIFY(order == Qt::AscendingOrder ? std::is_sorted(sizes.begin(), sizes.end())
                                            : std::is_sorted(sizes.rbegin(), sizes.rend()));
    }
    files.SortRows(ecDiskSize, Qt::AscendingOrder);
    QCOMPARE(Column(files, ecFileName).first(), QString("sparse.img"));
    files.SortRows(ecFileSize, Qt::AscendingOrder);
    QCOMPARE(Column(files, ecFileName).last(), QString("sparse.img"));
}

// A configuration written before the column existed lists what it did, the share column of
// the nested lists right after its eleven columns.
void BaseViewTest::configurationWithoutTheDiskSizeNodeIsUnchanged() {
    std::string text(DefaultConfigText);
    const std::size_t node = text.find("\t\t<node Name=\"Size on Disk\"");
    QVERIFY(node != std::string::npos);
    text.erase(node, text.find("/>", node) + 2 - node);
    TempDir dir;
    const auto file = dir.Path() / "KestrixFAConfig.xml";
    std::ofstream(file) << text;
    TempDir tree;
    WriteTree(tree.Path(), {"a/x.txt:10", "a/y.txt:30"});
    TBaseView v(file);
    v.Scan(tree.Str());
    v.FillFolderTree();
    v.ShowFolderByPath(tree.Str());
    QCOMPARE(v.VTFileAll().columnCount(), 11);
    QCOMPARE(v.VTDetail().ShareColumn(), 11);
    const QModelIndex y =
        v.VTDetail().IndexOf(v.FDataCtrl().Root()->FindByPath(tree.Str() + "/a/y.txt"));
    QCOMPARE(y.siblingAtColumn(11).data().toString(), QString("75.0 %"));
    v.VTDetail().SortRows(11, Qt::DescendingOrder); // by share, as before
    const QModelIndex a = v.VTDetail().index(0, 0, v.VTDetail().index(0, 0));
    QCOMPARE(v.VTDetail().index(0, 0, a).data().toString(), QString("y.txt"));
}

// The group's caption is bytes: both drill-downs must match the file by those bytes, not by
// a text that turned the invalid bytes into U+FFFD.
void BaseViewTest::extensionThatIsNotUtf8IsListedFromItsPointAndRow() {
    TViewFixture f({"a.\xff\xfe:3", "b.\xfe:4", "c.txt:5"});
    f.Open();
    TBaseView& v = *f.View;
    QStringList listed;
    v.SetReportHandler([&](TEntryListModel& rows) { listed = Column(rows, ecFullPath); });
    const QString odd = Path(f, "a.\xff\xfe");

    const TChartPoints points = v.ChartPoints(EView::VTType);
    const auto point = std::find_if(points.Points.begin(), points.Points.end(),
                                    [](const TChartPoint& p) { return p.Caption == "\xff\xfe"; });
    QVERIFY(point != points.Points.end());
    v.ChartDblClick(EView::VTType, int(point - points.Points.begin()));
    QCOMPARE(listed, QStringList{odd});

    const TGroupModel& types = v.GroupView(EView::VTType);
    int row = 0;
    while (row < types.rowCount() && types.Sum(row)->GroupCaption() != "\xff\xfe")
        ++row;
    QVERIFY(row < types.rowCount());
    listed.clear();
    v.GroupDblClick(EView::VTType, row);
    QCOMPARE(listed, QStringList{odd});
}

QTEST_GUILESS_MAIN(BaseViewTest)
#include "BaseViewTest.moc"
