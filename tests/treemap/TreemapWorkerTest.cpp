// Drawing on the worker thread: cancelled layout and painting, a newer request replacing an
// older one, and Stop() cutting a long render short.
#include "TreemapTestUtil.h"
#include "uTreemapWorker.h"

#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <thread>

using namespace quorvex;
using namespace quorvex::test;

namespace {

std::vector<std::string> ManyFiles(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back("d" + std::to_string(i % 7) + "/f" + std::to_string(i) +
                        ".dat:" + std::to_string(100 + i % 50));
    return lines;
}

TTreemapRequest Plain(const TDataInfo& folder, int width, int height) {
    TTreemapRequest request;
    request.Folder = &folder;
    request.Width = width;
    request.Height = height;
    return request;
}

} // namespace

class TreemapWorkerTest : public QObject {
    Q_OBJECT
private slots:
    void aRaisedCancelFlagStopsLayoutAndPainting();
    void aNewerRequestCancelsTheOlderAndOnlyTheNewestArrives();
    void stopCutsALongRenderShortAndDeliversNothing();
    void aPictureFinishedBeforeStopIsDropped();
};

void TreemapWorkerTest::aRaisedCancelFlagStopsLayoutAndPainting() {
    const TScannedTree tree(ManyFiles(50));
    const std::atomic<bool> cancelled{true}, running{false};
    TTreemapLayout layout;
    QVERIFY(!layout.Build(tree.Root(), 300, 200, TTreemapRender::FileColour, &cancelled));
    QVERIFY(layout.Tiles().empty());
    QVERIFY(layout.Build(tree.Root(), 300, 200, TTreemapRender::FileColour, &running));
    QCOMPARE(layout.Tiles().size(), std::size_t(1 + 7 + 50)); // every entry is big enough
    QVERIFY(TTreemapRender::Render(layout, {}, &cancelled).isNull());
    const QImage image = TTreemapRender::Render(layout, {}, &running);
    QCOMPARE(image.size(), QSize(300, 200));
    QCOMPARE(image, TTreemapRender::Render(layout, {}));
}

// The older request is held inside its first colour look-up until the newer one is made, so
// it is certainly running when it is cancelled.
void TreemapWorkerTest::aNewerRequestCancelsTheOlderAndOnlyTheNewestArrives() {
    const TScannedTree tree(ManyFiles(50));
    TTreemapWorker worker;
    QSignalSpy finished(&worker, &TTreemapWorker::Finished);
    std::atomic<bool> entered{false}, release{false};
    std::atomic<int> olderLookUps{0};
    TTreemapRequest older{&tree.Root(), 400, 300, {}, [&](const TDataInfo& file) {
                              entered = true;
                              while (!release)
                                  std::this_thread::yield();
                              ++olderLookUps;
                              return TTreemapRender::FileColour(file);
                          }};
    const std::uint64_t first = worker.Request(older);
    QTRY_VERIFY(entered);
    const std::uint64_t second = worker.Request(Plain(tree.Root(), 120, 80));
    QVERIFY(second > first);
    release = true;
    QTRY_COMPARE(finished.count(), 1);
    QTest::qWait(20); // nothing else is on its way
    QCOMPARE(finished.count(), 1);
    const auto picture = finished.front().front().value<TTreemapPicture>();
    QCOMPARE(picture.Generation, second);
    QCOMPARE(picture.Image.size(), QSize(120, 80));
    QCOMPARE(picture.Layout->Width(), 120);
    // Cancelled after the held look-up: the older layout went no further.
    QCOMPARE(olderLookUps.load(), 1);
    QVERIFY(!worker.Pending());
}

// A cushion of many tiles at a large size takes a long while; the highlight predicate, asked
// once per tile, shows how far painting got.
void TreemapWorkerTest::stopCutsALongRenderShortAndDeliversNothing() {
    const TScannedTree tree(ManyFiles(3000));
    TTreemapWorker worker;
    QSignalSpy finished(&worker, &TTreemapWorker::Finished);
    std::atomic<int> asked{0};
    TTreemapStyle style;
    style.Highlight = [&asked](const TDataInfo&) {
        ++asked;
        return true;
    };
    worker.Request({&tree.Root(), 3000, 3000, style});
    while (asked <= 10) // spinning, so Stop() follows at once
        std::this_thread::yield();
    worker.Stop();
    const int atStop = asked;
    QVERIFY(atStop < 3000 + 8); // well before the last tile
    QTest::qWait(50);
    QCOMPARE(asked.load(), atStop); // nothing reads the tree after Stop()
    QCOMPARE(finished.count(), 0);
    QVERIFY(!worker.Pending());
    // The worker draws again afterwards.
    worker.Request(Plain(tree.Root(), 64, 48));
    QTRY_COMPARE(finished.count(), 1);
}

// Without handling events a finished picture can only wait in the queue; Stop() must keep
// it from arriving, since the tree may change right after.
void TreemapWorkerTest::aPictureFinishedBeforeStopIsDropped() {
    const TScannedTree tree(ManyFiles(5));
    TTreemapWorker worker;
    QSignalSpy finished(&worker, &TTreemapWorker::Finished);
    std::atomic<int> asked{0};
    TTreemapStyle style;
    style.Highlight = [&asked](const TDataInfo&) {
        ++asked;
        return true;
    };
    worker.Request({&tree.Root(), 30, 20, style});
    while (asked < 1 + 5 + 5) // the root, five folders, five files
        std::this_thread::yield();
    // Time to paint the last tiny tile and post the picture (no assertion depends on it).
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    worker.Stop();
    QTest::qWait(20);
    QCOMPARE(finished.count(), 0);
}

QTEST_GUILESS_MAIN(TreemapWorkerTest)
#include "TreemapWorkerTest.moc"
