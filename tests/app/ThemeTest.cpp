// The window under a dark palette: every text the real main window, its charts, the wait
// window and the options dialog paint contrasts with what it is painted on, and nothing is
// left on a hard-coded light background. Icons come from the icon theme when it has them and
// are the drawn ones otherwise (the usual case offscreen).
#include "FixtureTree.h"
#include "uMain.h"
#include "uOption.h"
#include "uReport.h"
#include "uTheme.h"
#include "uWaitForm.h"

#include <QApplication>
#include <QBarSeries>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QPieSeries>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QValueAxis>

using namespace quorvex;
using namespace quorvex::test;

namespace {

constexpr double Readable = 4.5;

// A dark palette of the test's own, with a link colour too dark for its window.
QPalette TestPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 45));
    p.setColor(QPalette::WindowText, QColor(220, 220, 220));
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 45));
    p.setColor(QPalette::Text, QColor(220, 220, 220));
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, QColor(220, 220, 220));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(42, 130, 218)); // too dark on this window as it is
    p.setColor(QPalette::ToolTipBase, QColor(30, 30, 30));
    p.setColor(QPalette::ToolTipText, QColor(220, 220, 220));
    return p;
}

bool IsLight(const QColor& c) {
    return c.lightness() > 128;
}

// The strongest contrast between any pixel of `area` and `background`: where text is drawn,
// its core pixels carry the text colour itself.
double StrongestContrast(const QImage& image, const QRect& area, const QColor& background) {
    double best = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, ContrastRatio(image.pixelColor(x, y), background));
    return best;
}

void ExpectReadableLabels(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            continue;
        const QPalette& p = label->palette();
        const double ratio =
            ContrastRatio(p.color(QPalette::WindowText), p.color(QPalette::Window));
        QVERIFY2(ratio >= Readable, qPrintable(label->objectName() + ": " + label->text() + " " +
                                               QString::number(ratio)));
    }
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readableOnKeepsWhatReadsAndMendsWhatDoesNot_data();
    void readableOnKeepsWhatReadsAndMendsWhatDoesNot();
    void mainWindowTextsReadOnDarkBackgrounds();
    void headerCaptionsAndGridReadOnTheirBackground();
    void chartsPaintDarkWithReadableText();
    void waitWindowAndOptionsDialogRead();
    void iconsFallBackToTheDrawnOnesWithoutATheme();
    void paletteSwitchMakesTheWindowDark();

private:
    void Open();
    TempDir Tree;
    QTemporaryDir Config;
    std::unique_ptr<TMainForm> Form;
};

void ThemeTest::initTestCase() {
    QApplication::setPalette(TestPalette());
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config.filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->resize(1100, 700);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    WriteTree(Tree.Path(), {"docs/a.txt:500", "docs/b.csv:3000", "img/c.png:90000", "d.bin:0",
                            "e.txt:1200", "empty/"});
    Form->OpenFolder(Tree.Str());
}

void ThemeTest::readableOnKeepsWhatReadsAndMendsWhatDoesNot_data() {
    QTest::addColumn<QColor>("wanted");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("kept");
    QTest::newRow("blue on white") << QColor(0, 0, 255) << QColor(Qt::white) << true;
    QTest::newRow("blue on dark grey") << QColor(0, 0, 255) << QColor(45, 45, 45) << false;
    QTest::newRow("yellow on white") << QColor(255, 230, 0) << QColor(Qt::white) << false;
    QTest::newRow("grey on mid grey") << QColor(140, 140, 140) << QColor(118, 118, 118) << false;
    QTest::newRow("white on mid grey") << QColor(Qt::white) << QColor(118, 118, 118) << true;
    QTest::newRow("red on black") << QColor(170, 40, 40) << QColor(Qt::black) << false;
}

void ThemeTest::readableOnKeepsWhatReadsAndMendsWhatDoesNot() {
    QFETCH(QColor, wanted);
    QFETCH(QColor, background);
    QFETCH(bool, kept);
    const QColor made = ReadableOn(wanted, background);
    QVERIFY2(ContrastRatio(made, background) >= Readable, qPrintable(made.name()));
    QCOMPARE(made == wanted, kept);
    QCOMPARE(ContrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(ContrastRatio(background, background), 1.0);
}

void ThemeTest::mainWindowTextsReadOnDarkBackgrounds() {
    for (int page = 0; page < Form->pcTotal->count(); ++page) {
        Form->pcTotal->setCurrentIndex(page);
        ExpectReadableLabels(*Form);
    }
    QVERIFY(!Form->lbPath->text().isEmpty());
    QVERIFY(!IsLight(Form->palette().color(QPalette::Window)));
    for (const QTreeView* view : Form->findChildren<QTreeView*>()) {
        const QPalette& p = view->viewport()->palette();
        QVERIFY2(!IsLight(p.color(QPalette::Base)), qPrintable(view->objectName()));
        QVERIFY(ContrastRatio(p.color(QPalette::Text), p.color(QPalette::Base)) >= Readable);
    }
}

void ThemeTest::headerCaptionsAndGridReadOnTheirBackground() {
    Form->pcTotal->setCurrentIndex(0);
    QTreeView* view = Form->VTLeft;
    QTRY_VERIFY(view->isVisible() && view->header()->height() > 0);
    const QImage header = view->header()->grab().toImage();
    const QColor back = header.pixelColor(2, 1); // above every caption
    QVERIFY2(!IsLight(back), qPrintable(back.name()));
    const QRect caption(0, 0, view->header()->sectionSize(0), header.height());
    QVERIFY(StrongestContrast(header, caption, back) >= Readable);

    // The line under the first row: visible on the dark rows, but no white rule.
    const QImage rows = view->viewport()->grab().toImage();
    const QRect first = view->visualRect(view->model()->index(0, 0));
    const QColor line = rows.pixelColor(first.left() + 2, first.bottom());
    const QColor base = view->viewport()->palette().color(QPalette::Base);
    QVERIFY2(ContrastRatio(line, base) > 1.1 && !IsLight(line), qPrintable(line.name()));
}

void ThemeTest::chartsPaintDarkWithReadableText() {
    int pies = 0, bars = 0;
    for (QChartView* view : Form->findChildren<QChartView*>()) {
        QChart* chart = view->chart();
        const QColor plot = chart->plotAreaBackgroundBrush().color();
        QVERIFY2(!IsLight(plot), qPrintable(view->objectName()));
        const QGradient* gradient = chart->backgroundBrush().gradient();
        QVERIFY(gradient);
        const QColor bottom = gradient->stops().constLast().second;
        QVERIFY(!IsLight(bottom));
        if (chart->legend()->isVisible())
            QVERIFY(ContrastRatio(chart->legend()->labelColor(), bottom) >= Readable);
        for (QAbstractAxis* axis : chart->axes())
            if (axis->labelsVisible())
                QVERIFY2(ContrastRatio(axis->labelsColor(), plot) >= Readable,
                         qPrintable(view->objectName()));
        for (QAbstractSeries* series : chart->series())
            if (auto* pie = qobject_cast<QPieSeries*>(series))
                for (QPieSlice* slice : pie->slices()) {
                    ++pies;
                    QVERIFY(ContrastRatio(slice->labelColor(), bottom) >= Readable);
                }
        for (QGraphicsItem* item : chart->childItems())
            for (QGraphicsItem* mark : item->childItems())
                if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(mark)) {
                    ++bars;
                    QVERIFY(ContrastRatio(text->brush().color(), plot) >= Readable);
                }
    }
    QVERIFY(pies > 0); // the fixture filled the charts: the checks above saw their texts
    QVERIFY(bars > 0);
}

void ThemeTest::waitWindowAndOptionsDialogRead() {
    ShowWait();
    SetWaitMessage(QStringLiteral("Drawing Tree.."));
    WaitForm->SetRowProgress(10, 20);
    ExpectReadableLabels(*WaitForm);
    QVERIFY(!IsLight(WaitForm->palette().color(QPalette::Window)));
    // The magnifier's outline is drawn in a light colour here.
    const QImage picture = WaitForm->Animate1->grab().toImage();
    QVERIFY(StrongestContrast(picture, picture.rect(),
                              WaitForm->palette().color(QPalette::Window)) >= Readable);
    HideWait();

    const TfmOption options(Form.get()); // its texts and colours, before it loads a store
    ExpectReadableLabels(options);
    QVERIFY(!IsLight(options.palette().color(QPalette::Window)));
}

void ThemeTest::iconsFallBackToTheDrawnOnesWithoutATheme() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    const QIcon drawn(pixmap);

    // No theme at all: the drawn icon, also in the real window's Open button.
    QTemporaryDir none;
    QIcon::setThemeSearchPaths({none.path()});
    QIcon::setThemeName(QStringLiteral("none"));
    QCOMPARE(ThemeIcon("folder", drawn).cacheKey(), drawn.cacheKey());
    TMainForm plain;
    QVERIFY(!plain.btnOpen->icon().isNull());
    QVERIFY(!plain.GroupImage[giFolder].isNull());
    QVERIFY(plain.GroupImage[giFolder].name().isEmpty()); // not from a theme
    for (EExportFormat format : {EExportFormat::Html, EExportFormat::Excel, EExportFormat::Text,
                                 EExportFormat::Csv, EExportFormat::Xml}) {
        const QIcon icon = FormatIcon(format); // the report dialog's and the detail window's
        QVERIFY(!icon.isNull() && icon.name().isEmpty());
    }

    // A theme that has "folder" but no "document-open": each icon from where it exists.
    QTemporaryDir themes;
    QDir(themes.path()).mkpath(QStringLiteral("mini/16x16/places"));
    QFile index(themes.filePath(QStringLiteral("mini/index.theme")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=mini\nDirectories=16x16/places\n\n"
                "[16x16/places]\nSize=16\nContext=Places\nType=Fixed\n");
    index.close();
    QVERIFY(pixmap.save(themes.filePath(QStringLiteral("mini/16x16/places/folder.png"))));
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(QStringLiteral("mini"));
    QCOMPARE(ThemeIcon("folder", QIcon()).name(), QString("folder"));
    QCOMPARE(ThemeIcon("document-open", drawn).cacheKey(), drawn.cacheKey());
    TMainForm themed;
    QCOMPARE(themed.GroupImage[giFolder].name(), QString("folder"));
    QVERIFY(themed.GroupImage[giEmptyFolder].name().isEmpty()); // no theme name tells it apart
}

void ThemeTest::paletteSwitchMakesTheWindowDark() {
    qputenv("QUORVEX_PALETTE", "light");
    ApplyPaletteSwitch();
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(45, 45, 45)); // unchanged
    qputenv("QUORVEX_PALETTE", "dark");
    ApplyPaletteSwitch();
    qunsetenv("QUORVEX_PALETTE");
    QCOMPARE(QApplication::style()->name(), QString("fusion"));
    const QPalette p = QApplication::palette();
    QVERIFY(IsDark(p));
    for (auto [text, back] : {std::pair{QPalette::WindowText, QPalette::Window},
                              {QPalette::Text, QPalette::Base},
                              {QPalette::ButtonText, QPalette::Button},
                              {QPalette::HighlightedText, QPalette::Highlight}})
        QVERIFY(ContrastRatio(p.color(text), p.color(back)) >= Readable);
    TMainForm form;
    QVERIFY(ContrastRatio(form.lbPath->palette().color(QPalette::WindowText),
                          p.color(QPalette::Window)) >= Readable);
}

QTEST_MAIN(ThemeTest)
#include "ThemeTest.moc"
