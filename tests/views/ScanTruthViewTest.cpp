// The view controller after scans that did not read everything: a failed scan leaves
// nothing behind.
#include "ViewFixture.h"

#include <QTest>

using namespace quorvex;
using namespace quorvex::test;

class ScanTruthViewTest : public QObject {
    Q_OBJECT
private slots:
    void failedScanLeavesNothingScanned();
};

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
