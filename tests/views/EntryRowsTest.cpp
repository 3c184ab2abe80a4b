// A flat list keeps each row as a 32-bit step count from its first row: every entry of a scan
// must come back exactly, whatever the order, and an entry beyond the 32-bit reach must be
// refused rather than wrapped onto a stranger.
#include "FixtureTree.h"
#include "uDataCtrl.h"
#include "uEntryRows.h"

#include <QTest>
#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>

using namespace quorvex;
using namespace quorvex::test;

namespace {

std::vector<TDataInfo*> Entries(const TEntryRows& rows) {
    std::vector<TDataInfo*> entries;
    for (std::size_t row = 0; row < rows.size(); ++row)
        entries.push_back(rows[row]);
    return entries;
}

} // namespace

class EntryRowsTest : public QObject {
    Q_OBJECT
private slots:
    void everyEntryOfAScanComesBackInAnyOrder();
    void stepsAtTheEdgeOfTheReachAreKeptAndBeyondItRefused();
};

void EntryRowsTest::everyEntryOfAScanComesBackInAnyOrder() {
    TempDir dir;
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back("d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ":1");
    WriteTree(dir.Path(), lines);
    TDataCtrl ctrl;
    ctrl.ScanFolder(dir.Str());
    std::vector<TDataInfo*> entries;
    for (TDataInfo* e = ctrl.Root(); e; e = NextInPreOrder(e, ctrl.Root()))
        entries.push_back(e);
    // Shuffled, so that the first row lies amid the others and steps go both ways.
    std::shuffle(entries.begin(), entries.end(), std::mt19937(7));
    const TEntryRows rows(entries);
    QCOMPARE(Entries(rows), entries);

    std::vector<std::uint32_t> backwards(entries.size());
    for (std::uint32_t i = 0; i < backwards.size(); ++i)
        backwards[i] = std::uint32_t(backwards.size() - 1 - i);
    TEntryRows picked = rows.Picked(backwards);
    picked.erase(0);
    std::reverse(entries.begin(), entries.end());
    entries.erase(entries.begin());
    QCOMPARE(Entries(picked), entries);
}

// Addresses only: nothing is read through them.
void EntryRowsTest::stepsAtTheEdgeOfTheReachAreKeptAndBeyondItRefused() {
    const std::uintptr_t anchor = std::uintptr_t(1) << 40;
    const auto at = [&](std::int64_t steps) {
        return reinterpret_cast<TDataInfo*>(anchor + std::uintptr_t(steps * 8));
    };
    const std::int64_t most = INT32_MAX, least = INT32_MIN;
    TEntryRows rows;
    rows.push_back(at(0));
    rows.push_back(at(most));
    rows.push_back(at(least));
    QVERIFY_THROWS_EXCEPTION(std::length_error, rows.push_back(at(most + 1)));
    QVERIFY_THROWS_EXCEPTION(std::length_error, rows.push_back(at(least - 1)));
    QCOMPARE(Entries(rows), (std::vector<TDataInfo*>{at(0), at(most), at(least)}));
}

QTEST_GUILESS_MAIN(EntryRowsTest)
#include "EntryRowsTest.moc"
