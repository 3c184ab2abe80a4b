// The wait window and its free functions: show, message, hide, progress and Cancel.
#include "uBaseFunction.h"
#include "uWaitForm.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <stdexcept>

using namespace quorvex;

class WaitFormTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void withoutWaitFormNothingHappens();
    void hideWhenNotVisibleDoesNothing();
    void showCentresOnTheMainWindow();
    void scopeHidesOnFailure();
    void cancelIsHiddenUntilAskedAndEmitsOnce();
    void progressShowsCountsAndElidedFolder();
    void animationRunsOnlyWhileShown();

private:
    std::unique_ptr<QWidget> Main;
};

void WaitFormTest::init() {
    Main = std::make_unique<QWidget>();
    Main->setGeometry(100, 80, 900, 600);
    Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Main.get()));
    WaitForm = new TWaitForm(Main.get());
}

void WaitFormTest::cleanup() {
    Main.reset(); // deletes the wait window, which clears the global
    QVERIFY(!WaitForm);
}

void WaitFormTest::withoutWaitFormNothingHappens() {
    delete WaitForm;
    QVERIFY(!WaitForm);
    ShowWait();
    SetWaitMessage(QStringLiteral("x"));
    SetWaitProgress(1, 2, QStringLiteral("/"));
    HideWait();
    TWaitScope scope(QStringLiteral("y"));
}

void WaitFormTest::hideWhenNotVisibleDoesNothing() {
    QCOMPARE(WaitForm->Label1->text(),
             QStringLiteral("This will take a few minutes.Please be patient..."));
    QCOMPARE(WaitForm->Label2->text(), QStringLiteral("..."));
    QCOMPARE(WaitForm->size(), QSize(376, 120));
    HideWait();
    QVERIFY(!WaitForm->isVisible());
    QCOMPARE(WaitForm->Label2->text(), QStringLiteral("..."));

    // The message survives a hide and a new show until the next one is set.
    ShowWait();
    SetWaitMessage(QStringLiteral("Drawing Tree.."));
    HideWait();
    QVERIFY(!WaitForm->isVisible());
    HideWait();
    ShowWait();
    QCOMPARE(WaitForm->Label2->text(), QStringLiteral("Drawing Tree.."));
}

void WaitFormTest::showCentresOnTheMainWindow() {
    ShowWait();
    QVERIFY(WaitForm->isVisible());
    QVERIFY(!WaitForm->isModal());
    QVERIFY(WaitForm->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(WaitForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QPoint offset = WaitForm->geometry().center() - Main->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QString::number(offset.manhattanLength())));
}

void WaitFormTest::scopeHidesOnFailure() {
    try {
        TWaitScope scope(QStringLiteral("Get Files Size Info.."));
        QVERIFY(WaitForm->isVisible());
        QCOMPARE(WaitForm->Label2->text(), QStringLiteral("Get Files Size Info.."));
        throw std::runtime_error("scan failed");
    } catch (const std::runtime_error&) {
    }
    QVERIFY(!WaitForm->isVisible());
    {
        TWaitScope scope;
        QCOMPARE(WaitForm->Label2->text(), QStringLiteral("Get Files Size Info.."));
    }
    QVERIFY(!WaitForm->isVisible());
}

void WaitFormTest::cancelIsHiddenUntilAskedAndEmitsOnce() {
    QSignalSpy cancel(WaitForm, &TWaitForm::CancelRequested);
    ShowWait();
    QVERIFY(!WaitForm->btnCancel->isVisible());
    QTest::keyClick(WaitForm, Qt::Key_Escape); // nothing to cancel: the window stays
    QVERIFY(WaitForm->isVisible());
    QCOMPARE(cancel.count(), 0);

    WaitForm->SetCancellable(true);
    QVERIFY(WaitForm->btnCancel->isVisible());
    QTest::mouseClick(WaitForm->btnCancel, Qt::LeftButton);
    QTest::mouseClick(WaitForm->btnCancel, Qt::LeftButton);
    QTest::keyClick(WaitForm, Qt::Key_Escape);
    QCOMPARE(cancel.count(), 1);
    QVERIFY(!WaitForm->btnCancel->isEnabled());
    QVERIFY(WaitForm->isVisible()); // the task hides the window when it has stopped

    // The next task starts without Cancel; asking again gives a fresh button.
    HideWait();
    ShowWait();
    QVERIFY(!WaitForm->btnCancel->isVisible());
    WaitForm->SetCancellable(true);
    QTest::keyClick(WaitForm, Qt::Key_Escape);
    QCOMPARE(cancel.count(), 2);
}

void WaitFormTest::progressShowsCountsAndElidedFolder() {
    ShowWait();
    SetWaitProgress(1234567, 1536, QStringLiteral("/home/user"));
    const QString expectedCounts =
        QStringLiteral("1,234,567 entries, ") + QString::fromStdString(FormatSize(1536));
    QCOMPARE(WaitForm->lblProgress->text(), expectedCounts + QStringLiteral("\n/home/user"));

    const QString deep = QStringLiteral("/start") + QStringLiteral("/middle").repeated(40) +
                         QStringLiteral("/final-folder");
    SetWaitProgress(0, 0, deep);
    const QString folderLine = WaitForm->lblProgress->text().section(QLatin1Char('\n'), 1);
    QVERIFY(folderLine.startsWith(QStringLiteral("/start")));
    QVERIFY(folderLine.endsWith(QStringLiteral("final-folder")));
    QVERIFY(folderLine.contains(QChar(0x2026)));
    QCOMPARE(WaitForm->width(), 376); // a long path never widens the window
    QVERIFY(WaitForm->lblProgress->fontMetrics().horizontalAdvance(folderLine) <=
            WaitForm->lblProgress->width());

    HideWait();
    ShowWait();
    QVERIFY(WaitForm->lblProgress->text().isEmpty());
}

void WaitFormTest::animationRunsOnlyWhileShown() {
    ShowWait();
    const int first = WaitForm->Animate1->Frame();
    QTRY_VERIFY(WaitForm->Animate1->Frame() != first);
    HideWait();
    const int stopped = WaitForm->Animate1->Frame();
    QTest::qWait(250);
    QCOMPARE(WaitForm->Animate1->Frame(), stopped);
}

QTEST_MAIN(WaitFormTest)
#include "WaitFormTest.moc"
