// The entry views against a saved scan of the same folder: the change column, removed
// entries as ghost rows below their folders, sorting by growth, and the comparison kept in
// step with refreshes, removals, count switches and rescans.
#include "ViewFixture.h"
#include "uDataInfo.h"

#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

const std::vector<std::string> BaseTree = {
    "keep.txt:10",  "grow.txt:100", "shrink.txt:2560",  "gone.txt:5120",    "old/a:1024",
    "old/b/c:1024", "sub/keep2:10", "sub/lost.txt:512", "sub/gonedir/f:256"};

// A marker the models hand on as they got it: the window layer makes it a colour.
const QVariant Grey(QStringLiteral("ghost grey"));

std::unique_ptr<TDataCtrl> Load(const std::string& file) {
    auto base = std::make_unique<TDataCtrl>();
    base->LoadScanFile(file);
    return base;
}

// The base tree scanned and saved, then edited: one of each kind of change.
struct TCompareFixture : TViewFixture {
    TempDir Work;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> Testers;

    TCompareFixture() : TViewFixture(BaseTree) {
        TDataCtrl scan;
        scan.ScanFolder(Root());
        scan.SaveScanFile(BaseFile());
        fs::resize_file(Tree.Path() / "grow.txt", 1124);
        fs::resize_file(Tree.Path() / "shrink.txt", 2048);
        fs::remove(Tree.Path() / "gone.txt");
        fs::remove_all(Tree.Path() / "old");
        fs::remove(Tree.Path() / "sub/lost.txt");
        fs::remove_all(Tree.Path() / "sub/gonedir");
        WriteTree(Tree.Path(), {"add.txt:1536", "new/x:3072"});
        for (int v = 0; v < EntryViewCount; ++v)
            Testers.push_back(std::make_unique<QAbstractItemModelTester>(&View->View(EView(v))));
        View->SetGhostForeground(Grey);
        Open();
    }
    std::string BaseFile() const { return (Work.Path() / "base.json").string(); }
    void Compare() { View->CompareWith(Load(BaseFile()), BaseFile()); }
    TEntryModel& Detail() { return View->VTDetail(); }
};

// Every row below `parent` (one level) as "name change", ghost rows marked with a "~".
QStringList Rows(const TEntryModel& model, const QModelIndex& parent, int nameColumn = 0) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, nameColumn, parent);
        rows << (model.Ghost(index) ? "~" : "") + index.data().toString() + " " +
                    index.siblingAtColumn(model.ChangeColumn()).data().toString();
    }
    return rows;
}

QModelIndex Child(const TEntryModel& model, const QModelIndex& parent, const QString& name) {
    for (int row = 0; row < model.rowCount(parent); ++row)
        if (model.index(row, 0, parent).data().toString() == name)
            return model.index(row, 0, parent);
    return {};
}

QList<qint64> Growths(const TEntryModel& model, const QModelIndex& parent = {}) {
    QList<qint64> growths;
    for (int row = 0; row < model.rowCount(parent); ++row)
        growths << model.index(row, model.ChangeColumn(), parent).data(ChangeRole).toLongLong();
    return growths;
}

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

} // namespace

class CompareViewTest : public QObject {
    Q_OBJECT
private slots:
    void changeColumnShowsSignedGrowthAndMarks();
    void ghostRowsHangBelowTheirFolderAndOfferNoEntry();
    void flatListsListRemovedTopsAfterTheirRows();
    void sortingByChangeOrdersByGrowthWithGhostsAlong();
    void stopComparingRestoresThePlainViews();
    void treeChangesCompareAgainOrDropTheBase();
    void aBaseOfAnotherFolderIsRefusedAndChangesNothing();
};

void CompareViewTest::changeColumnShowsSignedGrowthAndMarks() {
    TCompareFixture f;
    const int plainColumns = f.Detail().columnCount();
    QSignalSpy changed(f.View.get(), &TBaseView::ComparisonChanged);
    f.Compare();
    QCOMPARE(changed.count(), 1);
    QVERIFY(f.View->Comparison());
    QCOMPARE(f.View->ComparisonBaseFile(), f.BaseFile());

    // The change column follows every other, the share column included.
    const int change = f.Detail().ChangeColumn();
    QCOMPARE(change, plainColumns);
    QCOMPARE(f.Detail().columnCount(), plainColumns + 1);
    QCOMPARE(f.Detail().headerData(change, Qt::Horizontal).toString(), QString("Change"));
    QCOMPARE(f.View->VTLeft().ChangeColumn(), 3); // name, size, share

    const QModelIndex root = f.Detail().index(0, 0);
    // 1024 - 512 - 5120 - 2048 - 512 - 256 + 1536 + 3072
    QCOMPARE(root.siblingAtColumn(change).data().toString(), QString("-2.75 KB"));
    QCOMPARE(Sorted(Rows(f.Detail(), root)),
             Sorted({"add.txt +1.50 KB new", "grow.txt +1.00 KB", "keep.txt 0.00 B",
                     "new +3.00 KB new", "shrink.txt -512.00 B", "sub -768.00 B",
                     "~gone.txt -5.00 KB removed", "~old -2.00 KB removed"}));
    QCOMPARE(Rows(f.Detail(), Child(f.Detail(), root, "new")), QStringList{"x +3.00 KB new"});
    QCOMPARE(Child(f.Detail(), root, "gone.txt").siblingAtColumn(change).data(ChangeRole),
             QVariant::fromValue(qint64(-5120)));
}

void CompareViewTest::ghostRowsHangBelowTheirFolderAndOfferNoEntry() {
    TCompareFixture f;
    const qsizetype rowsBefore = f.Detail().TotalRowCount();
    f.Compare();
    TEntryTreeModel& detail = f.View->VTDetail();
    const QModelIndex root = detail.index(0, 0);
    const QModelIndex sub = Child(detail, root, "sub");
    QCOMPARE(Sorted(Rows(detail, sub)),
             Sorted({"keep2 0.00 B", "~gonedir -256.00 B removed", "~lost.txt -512.00 B removed"}));
    // In the scan's order the ghosts follow the folder's children.
    QVERIFY(detail.Ghost(detail.index(detail.rowCount(sub) - 1, 0, sub)));
    QVERIFY(!detail.Ghost(detail.index(0, 0, sub)));

    const QModelIndex old = Child(detail, root, "old");
    QVERIFY(detail.Ghost(old));
    QVERIFY(!detail.Entry(old));
    QCOMPARE(old.data(EntryRole), QVariant());
    QCOMPARE(old.data(Qt::ForegroundRole), Grey);
    QCOMPARE(old.data(Qt::ToolTipRole).toString(), QString("Removed since the saved scan"));
    QCOMPARE(old.siblingAtColumn(detail.ShareColumn()).data(), QVariant());
    // A removed folder had children, but shows none.
    QVERIFY(!detail.hasChildren(old));
    const QModelIndex keep = Child(detail, root, "keep.txt");
    QVERIFY(detail.Entry(keep));
    QVERIFY(keep.data(Qt::ForegroundRole) != Grey);
    // Ghost rows are shown, not counted.
    QCOMPARE(detail.TotalRowCount(), rowsBefore);

    // The folder tree: removed folders only.
    TEntryTreeModel& left = f.View->VTLeft();
    const QModelIndex top = left.index(0, 0);
    QCOMPARE(Sorted(Rows(left, top)),
             Sorted({"new +3.00 KB new", "sub -768.00 B", "~old -2.00 KB removed"}));
    QCOMPARE(Rows(left, Child(left, top, "sub")), QStringList{"~gonedir -256.00 B removed"});
    QVERIFY(!left.hasChildren(Child(left, top, "old")));
}

void CompareViewTest::flatListsListRemovedTopsAfterTheirRows() {
    TCompareFixture f;
    const QString filesBefore = f.View->SummaryTexts().FileQty;
    f.Compare();
    TEntryListModel& files = f.View->VTFileAll();
    auto& folders = static_cast<TEntryListModel&>(f.View->EntryView(EView::VTFolderAll));
    // Removed files and the highest removed folders; nothing of what was inside them.
    const auto rows = qsizetype(files.Rows().size());
    QCOMPARE(files.rowCount(), rows + 2);
    QStringList ghostFiles;
    for (int row = int(rows); row < files.rowCount(); ++row) {
        QVERIFY(!files.EntryAt(row) && !files.Entry(files.index(row, 0)));
        QCOMPARE(files.index(row, 0).data(Qt::ForegroundRole), Grey);
        ghostFiles << files.index(row, ecFileName).data().toString();
    }
    QCOMPARE(Sorted(ghostFiles), (QStringList{"gone.txt", "lost.txt"}));
    QStringList ghostFolders;
    for (int row = int(folders.Rows().size()); row < folders.rowCount(); ++row)
        ghostFolders << folders.index(row, ecFileName).data().toString();
    QCOMPARE(Sorted(ghostFolders), (QStringList{"gonedir", "old"}));

    // The summary counts what is there, not what was.
    QCOMPARE(f.View->SummaryTexts().FileQty, filesBefore);
    QCOMPARE(f.View->SummaryTexts().FolderQty, QString::number(folders.Rows().size()));

    // Below "sub" only its own removed tops.
    f.View->ShowFolderByPath(f.Root() + "/sub");
    QCOMPARE(files.rowCount() - files.TotalRowCount(), 1);
    QCOMPARE(files.index(files.rowCount() - 1, ecFileName).data().toString(), QString("lost.txt"));
    // A report of the first files never reaches a ghost row.
    std::vector<TDataInfo*> reported;
    f.View->SetReportHandler([&](TEntryListModel& list) {
        for (int row = 0; row < list.rowCount(); ++row)
            reported.push_back(list.EntryAt(row));
    });
    f.View->ShowFirstFilesReport(ecFileSize, Qt::AscendingOrder, 10);
    QCOMPARE(reported.size(), std::size_t(files.TotalRowCount()));
    QVERIFY(std::find(reported.begin(), reported.end(), nullptr) == reported.end());
}

void CompareViewTest::sortingByChangeOrdersByGrowthWithGhostsAlong() {
    TCompareFixture f;
    f.Compare();
    TEntryTreeModel& detail = f.View->VTDetail();
    const int change = detail.ChangeColumn();
    const QModelIndex root = detail.index(0, 0);
    const QPersistentModelIndex gone = Child(detail, root, "gone.txt");
    const QPersistentModelIndex old = Child(detail, root, "old");
    const TDataInfo* goneEntry = detail.Ghost(gone);
    const TDataInfo* oldEntry = detail.Ghost(old);

    f.View->HeaderClick(detail, change, Qt::LeftButton); // ascending
    f.View->HeaderClick(detail, change, Qt::LeftButton); // descending: most grown first
    QCOMPARE(detail.SortState().Order, Qt::DescendingOrder);
    // Folders first, each part by growth; a ghost's growth is minus its size.
    QCOMPARE(Rows(detail, root),
             (QStringList{"new +3.00 KB new", "sub -768.00 B", "~old -2.00 KB removed",
                          "add.txt +1.50 KB new", "grow.txt +1.00 KB", "keep.txt 0.00 B",
                          "shrink.txt -512.00 B", "~gone.txt -5.00 KB removed"}));
    // Selected ghost rows stay on their entries through the sort.
    QCOMPARE(detail.Ghost(gone), goneEntry);
    QCOMPARE(gone.row(), detail.rowCount(root) - 1);
    QCOMPARE(detail.Ghost(old), oldEntry);
    QCOMPARE(old.row(), 2);

    // Sorting by size puts a ghost by its size in the saved scan.
    f.View->HeaderClick(detail, ecFileSize, Qt::LeftButton); // ascending
    QCOMPARE(Rows(detail, root).mid(3),
             (QStringList{"keep.txt 0.00 B", "grow.txt +1.00 KB", "add.txt +1.50 KB new",
                          "shrink.txt -512.00 B", "~gone.txt -5.00 KB removed"}));

    // A flat list: the rows by growth, then the ghost rows by growth.
    TEntryListModel& files = f.View->VTFileAll();
    f.View->HeaderClick(files, files.ChangeColumn(), Qt::LeftButton);
    f.View->HeaderClick(files, files.ChangeColumn(), Qt::LeftButton);
    QCOMPARE(Growths(files), (QList<qint64>{3072, 1536, 1024, 0, 0, -512, -512, -5120}));
    QVERIFY(files.Ghost(files.index(6, 0)) && !files.Ghost(files.index(5, 0)));
    // The sort holds across a folder click, ghost rows included.
    f.View->ShowFolderByPath(f.Root() + "/sub");
    QCOMPARE(Growths(files), (QList<qint64>{0, -512}));
    f.View->ShowFolderByPath(f.Root());
    QCOMPARE(Growths(files).first(), qint64(3072));
}

void CompareViewTest::stopComparingRestoresThePlainViews() {
    TCompareFixture f;
    const int plainColumns = f.Detail().columnCount();
    const int plainRows = f.Detail().rowCount(f.Detail().index(0, 0));
    f.Compare();
    QSignalSpy changed(f.View.get(), &TBaseView::ComparisonChanged);
    f.View->StopComparing();
    QCOMPARE(changed.count(), 1);
    QVERIFY(!f.View->Comparison());
    QVERIFY(!f.View->ComparisonBase());
    QVERIFY(f.View->ComparisonBaseFile().empty());
    for (int v = 0; v < EntryViewCount; ++v) {
        TEntryModel& model = f.View->EntryView(EView(v));
        QCOMPARE(model.ChangeColumn(), -1);
    }
    QCOMPARE(f.Detail().columnCount(), plainColumns);
    QCOMPARE(f.Detail().rowCount(f.Detail().index(0, 0)), plainRows);
    QCOMPARE(f.View->VTFileAll().rowCount(), int(f.View->VTFileAll().TotalRowCount()));
    QCOMPARE(f.View->VTLeft().rowCount(f.View->VTLeft().index(0, 0)), 2); // new, sub
}

void CompareViewTest::treeChangesCompareAgainOrDropTheBase() {
    TCompareFixture f;
    f.Compare();
    TBaseView& v = *f.View;
    const TDataCtrl* base = v.ComparisonBase();
    QSignalSpy changed(&v, &TBaseView::ComparisonChanged);

    // A removal, as the live tree does it: let go, change, refill.
    v.ReleaseComparison();
    QCOMPARE(changed.count(), 1);
    QVERIFY(!v.Comparison());
    QCOMPARE(v.ComparisonBase(), base);
    for (int i = 0; i < EntryViewCount; ++i)
        v.EntryView(EView(i)).Clear();
    TDataInfo* root = v.FDataCtrl().Root();
    v.FDataCtrl().RemoveEntries({root->FindByPath(f.Root() + "/grow.txt")});
    v.FillFolderTree();
    v.ShowFolder(v.FDataCtrl().Root());
    QCOMPARE(changed.count(), 2);
    QVERIFY(v.Comparison());
    const QModelIndex top = f.Detail().index(0, 0);
    QVERIFY(Rows(f.Detail(), top).contains("~grow.txt -100.00 B removed"));

    // A count switch counts the base the same way, so the comparison holds.
    v.ReleaseComparison();
    v.SetCountDiskUsage(true);
    v.FillFolderTree();
    v.ShowFolder(v.FDataCtrl().Root());
    QVERIFY(v.Comparison());
    QVERIFY(v.ComparisonBase()->CountsDiskUsage());
    QCOMPARE(v.Comparison()->TotalChange(), std::int64_t(v.FDataCtrl().Root()->Size()) -
                                                std::int64_t(v.ComparisonBase()->Root()->Size()));
    v.SetCountDiskUsage(false);
    v.FillFolderTree();

    // A loaded scan of the same folder is compared too.
    const std::string saved = (f.Work.Path() / "now.json").string();
    v.FDataCtrl().SaveScanFile(saved);
    v.ClearViews();
    QVERIFY(!v.Comparison());
    v.FDataCtrl().LoadScanFile(saved);
    v.FillFolderTree();
    v.ShowFolder(v.FDataCtrl().Root());
    QVERIFY(v.Comparison());
    // As before, with grow.txt (100 bytes in the base) removed instead of grown by 1024.
    QCOMPARE(v.Comparison()->TotalChange(), std::int64_t(-2816 - 1024 - 100));

    // A scan of another folder: the base is no longer one of it.
    TempDir other;
    WriteTree(other.Path(), {"z:1"});
    v.Scan(other.Str());
    v.FillFolderTree();
    QVERIFY(!v.Comparison());
    QVERIFY(!v.ComparisonBase());
    QCOMPARE(v.VTLeft().ChangeColumn(), -1);
}

void CompareViewTest::aBaseOfAnotherFolderIsRefusedAndChangesNothing() {
    TCompareFixture f;
    TempDir other;
    WriteTree(other.Path(), BaseTree);
    const std::string otherFile = (f.Work.Path() / "other.json").string();
    {
        TDataCtrl scan;
        scan.ScanFolder(other.Str());
        scan.SaveScanFile(otherFile);
    }
    const int plainColumns = f.Detail().columnCount();
    QSignalSpy changed(f.View.get(), &TBaseView::ComparisonChanged);
    QVERIFY_THROWS_EXCEPTION(ECompareError, f.View->CompareWith(Load(otherFile), otherFile));
    QVERIFY(!f.View->Comparison());
    QCOMPARE(f.Detail().columnCount(), plainColumns);

    // Refused while comparing: the comparison shown stays.
    f.Compare();
    const TScanCompare* shown = f.View->Comparison();
    QVERIFY_THROWS_EXCEPTION(ECompareError, f.View->CompareWith(Load(otherFile), otherFile));
    QCOMPARE(f.View->Comparison(), shown);
    QCOMPARE(f.View->ComparisonBaseFile(), f.BaseFile());
    QCOMPARE(changed.count(), 1);
    QVERIFY(Rows(f.Detail(), f.Detail().index(0, 0)).contains("~gone.txt -5.00 KB removed"));
}

QTEST_GUILESS_MAIN(CompareViewTest)
#include "CompareViewTest.moc"
