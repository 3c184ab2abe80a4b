// The view controller after scans that did not read everything: folders the scan could not
// read are marked and never empty; a failed scan leaves nothing behind.
#include "ViewFixture.h"

#include <QSet>
#include <QTest>
#include <filesystem>

using namespace quorvex;
using namespace quorvex::test;

class ScanTruthViewTest : public QObject {
    Q_OBJECT
private slots:
    void notScannedFoldersAreNeverEmpty();
    void notScannedFoldersCarryTheirReason();
    void notScannedListSortsAndReports();
    void failedScanLeavesNothingScanned();
};

namespace {

// "a/gone" vanishes between the listing of "a" and its own reading; "b/gone" likewise.
struct TVanishing : TViewFixture {
    TVanishing() : TViewFixture({"a/gone/x:5", "a/kept:1", "b/gone/", "b/more:2", "empty/"}) {
        View->FDataCtrl().SetReadHook([this](const TDataInfo& folder) {
            const std::string path = folder.FullPath();
            if (path.size() > 5 && path.compare(path.size() - 5, 5, "/gone") == 0)
                std::filesystem::remove_all(path);
        });
        Open();
    }
    QString Path(const char* relative) const {
        return QString::fromStdString(Root() + "/" + relative);
    }
    QModelIndex RowOf(const QAbstractItemModel& model, const char* relative) const {
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.index(row, ecFullPath).data().toString() == Path(relative))
                return model.index(row, 0);
        return {};
    }
};

QSet<QString> AsSet(const QStringList& list) {
    return {list.begin(), list.end()};
}

} // namespace

void ScanTruthViewTest::notScannedFoldersAreNeverEmpty() {
    TVanishing f;
    TBaseView& v = *f.View;
    QCOMPARE(Column(v.EntryView(EView::VTFolderEmpty), ecFullPath), QStringList{f.Path("empty")});
    QStringList reported;
    v.SetReportHandler([&](TEntryListModel& rows) { reported = Column(rows, ecFullPath); });
    v.ShowEmptyReport(true);
    QCOMPARE(reported, QStringList{f.Path("empty")});
    TDataFilter zero; // the drill-down form of the same question
    zero.FileSize = "0";
    v.ShowReport(zero);
    QCOMPARE(reported, QStringList{f.Path("empty")});
    // Still listed with every folder, with what was read of it.
    QVERIFY(f.RowOf(v.EntryView(EView::VTFolderAll), "a/gone").isValid());
}

void ScanTruthViewTest::notScannedFoldersCarryTheirReason() {
    TVanishing f;
    TBaseView& v = *f.View;
    const QVariant tint(QStringLiteral("darkred")); // the window sets a QColor
    v.SetNotScannedForeground(tint);
    const QModelIndex gone = f.RowOf(v.EntryView(EView::VTFolderAll), "a/gone");
    const QModelIndex kept = f.RowOf(v.EntryView(EView::VTFolderAll), "a");
    QCOMPARE(gone.data(Qt::ToolTipRole).toString(), QString("Not scanned: vanished"));
    QCOMPARE(gone.data(Qt::ForegroundRole), tint);
    QVERIFY(!kept.data(Qt::ToolTipRole).isValid());
    QVERIFY(!kept.data(Qt::ForegroundRole).isValid());
    // The folder tree, two levels below the root: the two vanished folders, nothing else.
    QStringList tips;
    TEntryTreeModel& tree = v.VTLeft();
    const QModelIndex root = tree.index(0, 0);
    for (int row = 0; row < tree.rowCount(root); ++row) {
        const QModelIndex folder = tree.index(row, 0, root);
        QVERIFY(!folder.data(Qt::ToolTipRole).isValid());
        for (int sub = 0; sub < tree.rowCount(folder); ++sub)
            tips << tree.index(sub, 0, folder).data(Qt::ToolTipRole).toString();
    }
    QCOMPARE(tips, (QStringList{"Not scanned: vanished", "Not scanned: vanished"}));
    QCOMPARE(v.SummaryTexts().NotScannedQty, QString("2"));
    v.ShowFolderByPath(f.Root() + "/empty");
    QCOMPARE(v.SummaryTexts().NotScannedQty, QString("0"));
}

void ScanTruthViewTest::notScannedListSortsAndReports() {
    TVanishing f;
    TBaseView& v = *f.View;
    TNotScannedModel& list = v.VTFolderNotScanned();
    QAbstractItemModelTester tester(&list);
    QCOMPARE(&v.View(EView::VTFolderNotScanned), static_cast<TSortableModel*>(&list));
    QCOMPARE(list.columnCount(), 2);
    QCOMPARE(list.headerData(0, Qt::Horizontal).toString(), QString("Full Path"));
    QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), QString("Reason"));
    list.SortRows(TNotScannedModel::ncFullPath, Qt::DescendingOrder);
    QCOMPARE(Column(list, 0), (QStringList{f.Path("b/gone"), f.Path("a/gone")}));
    QCOMPARE(Column(list, 1), (QStringList{"vanished", "vanished"}));
    list.SortRows(TNotScannedModel::ncFullPath, Qt::AscendingOrder);
    QCOMPARE(Column(list, 0), (QStringList{f.Path("a/gone"), f.Path("b/gone")}));

    QStringList reported;
    QString tip;
    v.SetReportHandler([&](TEntryListModel& rows) {
        reported = Column(rows, ecFullPath);
        tip = rows.index(0, 0).data(Qt::ToolTipRole).toString();
    });
    v.ShowNotScannedReport();
    QCOMPARE(AsSet(reported), (QSet<QString>{f.Path("a/gone"), f.Path("b/gone")}));
    QCOMPARE(tip, QString("Not scanned: vanished"));
    v.ClearViews();
    QCOMPARE(list.rowCount(), 0);
}

void ScanTruthViewTest::failedScanLeavesNothingScanned() {
    TViewFixture f({"a/x:1", "b/", "c:2"});
    f.Open();
    TBaseView& v = *f.View;
    int reports = 0;
    v.SetReportHandler([&](TEntryListModel&) { ++reports; });
    QVERIFY_THROWS_EXCEPTION(std::system_error, v.Scan(f.Root() + "/missing"));

    QCOMPARE(v.FDataCtrl().Root(), nullptr);
    QCOMPARE(v.FDataCtrl().CurrentRoot(), nullptr);
    for (int view = 0; view < EntryViewCount + GroupViewCount; ++view)
        QCOMPARE(v.View(EView(view)).rowCount(), 0);
    // Every follow-up of the window does nothing instead of reading half a result.
    v.RefreshCurrentFolder();
    v.ShowEmptyReport(true);
    v.ShowNeverUsedReport(0);
    v.ShowFirstFilesReport(0, Qt::AscendingOrder, 5);
    QCOMPARE(reports, 0);
    QCOMPARE(v.SummaryTexts().FolderPath, QString());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, v.ShowFolderByPath(f.Root()));

    f.Open(); // and the next scan works as the first
    QCOMPARE(v.EntryView(EView::VTFolderAll).rowCount(), 3);
}

QTEST_GUILESS_MAIN(ScanTruthViewTest)
#include "ScanTruthViewTest.moc"
