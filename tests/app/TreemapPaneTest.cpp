// The treemap pane of the real main window (offscreen), on a small known tree drawn flat, so
// pixels can be checked against the entries: clicks and double-clicks, the outline of the
// lists' selection, the group highlight, the type chart's colours, Ctrl+T remembered, and
// the tint by growth while comparing with a saved scan.
#include "FixtureTree.h"
#include "uBaseView.h"
#include "uMain.h"
#include "uNavigation.h"
#include "uScanCompare.h"
#include "uTreemapBinding.h"
#include "uTreemapGrowth.h"
#include "uTreemapPane.h"
#include "uTreemapRender.h"
#include "uWaitForm.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPieSeries>
#include <QPieSlice>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <functional>
#include <map>
#include <optional>
#include <set>

using namespace quorvex;
using namespace quorvex::test;

namespace {

std::uint32_t Rgb(const QImage& image, const QPoint& at) {
    return image.pixel(at) & 0xFFFFFF;
}

// The first pixel of `image` with colour `rgb`; (-1, -1) when there is none.
// Brings the tab pages that hold `widget` to the front.
void ShowPageOf(QWidget* widget) {
    for (QWidget* page = widget; page && page->parentWidget(); page = page->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget()))
            if (const int i = tabs->indexOf(page); i >= 0)
                tabs->setCurrentIndex(i);
}

QPoint FirstPixel(const QImage& image, std::uint32_t rgb) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Rgb(image, {x, y}) == rgb)
                return {x, y};
    return {-1, -1};
}

} // namespace

class TreemapPaneTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hoverShowsPathSizeAndShareInTheStatusBar();
    void aClickSelectsTheEntryInTheFolderTreeAndTheTotalList();
    void aRightClickOpensTheEntryMenuOverThatEntry();
    void aDoubleClickZoomsIntoAFolderAndAltUpZoomsOut();
    void theListsSelectionIsOutlined();
    void aGroupRowLightsExactlyItsEntries_data();
    void aGroupRowLightsExactlyItsEntries();
    void noRowOrAnotherTabClearsTheHighlight();
    void theTypeChartUsesTheTreemapColours();
    void ctrlTTogglesThePaneAndItIsRemembered();
    void aComparisonTintsByGrowthUntilItEnds();
    void aNewScanEndsTheTint();

private:
    void ShowForm();
    void Activate();
    void WaitForPicture();
    const TDataInfo* Entry(const std::string& relative) const;
    // Every pixel of a file's own tile has its type colour, dimmed unless `lit` says so.
    void CheckFilePixels(const std::function<bool(const TDataInfo&)>& lit);
    // Every pixel of a file's own tile has the colour `expected` gives its file.
    void CheckFileColours(const std::function<std::uint32_t(const TDataInfo&)>& expected);
    // Rescans the tree after growing big.bin, shrinking misc/d.pdf and adding new.dat, and
    // compares it with the scan from before (Base).
    TScanCompare& EditAndCompare();
    // Every pixel of a file's tile has its growth colour: the edited files' as named, the rest
    // unchanged.
    void CheckGrowthPixels();
    std::unique_ptr<TDataCtrl> Base;
    std::optional<TScanCompare> Compare;

    TempDir Tree;
    std::unique_ptr<QTemporaryDir> Config, Settings;
    std::unique_ptr<TMainForm> Form;
    TTreemapPane* Pane = nullptr;
};

void TreemapPaneTest::init() {
    Config = std::make_unique<QTemporaryDir>();
    Settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings->path());
    // Every extension has its own colour (checked below), so a pixel names its file's type.
    WriteTree(Tree.Path(),
              {"big.bin:60000", "docs/a.txt:30000", "docs/b.png:20000", "docs/c.jpg:12000",
               "misc/d.pdf:9000", "misc/e.log:6000", "misc/f.txt:4000"});
    ShowForm();
    Form->OpenFolder(Tree.Str());
    Form->findChild<QAction*>("TreemapCushion1")->setChecked(false);
    WaitForPicture();
}

void TreemapPaneTest::cleanup() {
    Form.reset();
    WaitForm = nullptr; // owned by the form
    Compare.reset();    // after the form: the binding may hold it until then
    Base.reset();
}

void TreemapPaneTest::ShowForm() {
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->resize(1100, 750);
    Form->show();
    Activate();
    QVERIFY(Form->Treemap());
    Pane = &Form->Treemap()->Pane();
}

void TreemapPaneTest::Activate() {
    Form->windowHandle()->requestActivate();
    QTRY_COMPARE(QApplication::activeWindow(), Form.get());
}

void TreemapPaneTest::WaitForPicture() {
    QTRY_VERIFY(Pane->isVisible() && !Pane->Drawing() && Pane->Picture().size() == Pane->size());
}

const TDataInfo* TreemapPaneTest::Entry(const std::string& relative) const {
    TDataInfo* root = BaseView->FDataCtrl().Root();
    return relative.empty() ? root : root->FindByPath(Tree.Str() + "/" + relative);
}

void TreemapPaneTest::CheckFilePixels(const std::function<bool(const TDataInfo&)>& lit) {
    CheckFileColours([&lit](const TDataInfo& file) {
        const std::uint32_t colour = TTreemapRender::FileColour(file);
        return lit(file) ? colour : TTreemapRender::Dimmed(colour);
    });
}

void TreemapPaneTest::CheckFileColours(
    const std::function<std::uint32_t(const TDataInfo&)>& expected) {
    const QImage& image = Pane->Picture();
    int files = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const TDataInfo* entry = Pane->EntryAt({x, y});
            QVERIFY(entry);
            if (entry->IsFolder()) // a frame
                continue;
            if (Rgb(image, {x, y}) != expected(*entry))
                QFAIL(qPrintable(QString("pixel %1,%2 of %3")
                                     .arg(x)
                                     .arg(y)
                                     .arg(QString::fromStdString(entry->FullPath()))));
            ++files;
        }
    QVERIFY(files > image.width() * image.height() / 2);
}

void TreemapPaneTest::hoverShowsPathSizeAndShareInTheStatusBar() {
    const QPoint at = FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("pdf"));
    QTest::mouseMove(Pane, at);
    const QString text = Form->statusBar()->currentMessage();
    const QString share = QString::number(9000.0 * 100 / double(Entry("")->Size()), 'f', 2);
    QVERIFY2(text.startsWith(QString::fromStdString(Tree.Str() + "/misc/d.pdf  -  ")) &&
                 text.contains(QStringLiteral("8.79 KB")) && text.contains(share + "%"),
             qPrintable(text));
    // Off the picture's entries the message goes.
    QTest::mouseMove(Form->lbPath);
    QTRY_VERIFY(Form->statusBar()->currentMessage().isEmpty());
}

void TreemapPaneTest::aClickSelectsTheEntryInTheFolderTreeAndTheTotalList() {
    std::set<std::uint32_t> colours;
    for (const char* ext : {"bin", "txt", "png", "jpg", "pdf", "log"})
        colours.insert(TTreemapRender::TypeColour(ext));
    QCOMPARE(colours.size(), std::size_t(6));
    const struct {
        const char* Ext;
        const char* File;
        const char* Folder;
    } cases[] = {
        {"bin", "big.bin", ""}, {"png", "docs/b.png", "docs"}, {"pdf", "misc/d.pdf", "misc"}};
    for (const auto& c : cases) {
        const QPoint at = FirstPixel(Pane->Picture(), TTreemapRender::TypeColour(c.Ext));
        QVERIFY2(at.x() >= 0, c.Ext);
        QTest::mouseClick(Pane, Qt::LeftButton, {}, at);
        QCOMPARE(BaseView->VTDetail().Entry(Form->VTDetail->currentIndex()), Entry(c.File));
        const QModelIndexList tree = Form->VTLeft->selectionModel()->selectedRows();
        QCOMPARE(tree.size(), 1);
        QCOMPARE(BaseView->VTLeft().Entry(tree.front()), Entry(c.Folder));
        QCOMPARE(Pane->Folder(), Entry("")); // a click shows no other folder
    }
    QTest::qWait(2 * TNavigation::TreeMoveDelayMs);
    QCOMPARE(Pane->Folder(), Entry(""));
}

void TreemapPaneTest::aRightClickOpensTheEntryMenuOverThatEntry() {
    const QPoint at = FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("pdf"));
    QString copied;
    QStringList items;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                items << action->objectName();
        if (auto* copy = menu->findChild<QAction*>(QStringLiteral("actCopyPath")))
            copy->trigger();
        copied = QGuiApplication::clipboard()->text();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Pane->mapToGlobal(at));
    QApplication::sendEvent(Pane, &event);
    QVERIFY2(items.contains(QStringLiteral("actOpen")) &&
                 items.contains(QStringLiteral("actMoveToTrash")),
             qPrintable(items.join(',')));
    QCOMPARE(copied, QString::fromStdString(Tree.Str() + "/misc/d.pdf"));
}

void TreemapPaneTest::aDoubleClickZoomsIntoAFolderAndAltUpZoomsOut() {
    const QPoint onFile = FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("bin"));
    QTest::mouseDClick(Pane, Qt::LeftButton, {}, onFile);
    QCOMPARE(Pane->Folder(), Entry("")); // a file is no folder to zoom into
    // The frame of "misc": a pixel just outside one of its files.
    const QPoint onLog = FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("log"));
    QPoint frame = onLog;
    while (Pane->EntryAt(frame) != Entry("misc") && frame.y() > 0)
        frame.ry() -= 1;
    QCOMPARE(Pane->EntryAt(frame), Entry("misc"));
    QTest::mouseDClick(Pane, Qt::LeftButton, {}, frame);
    QCOMPARE(Form->lbPath->text(), QString::fromStdString(Tree.Str() + "/misc"));
    QCOMPARE(Pane->Folder(), Entry("misc"));
    WaitForPicture();
    // Only misc's files are left in the picture.
    QVERIFY(FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("bin")).x() < 0);
    QVERIFY(FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("log")).x() >= 0);
    Activate();
    QTest::keyClick(Form.get(), Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(Pane->Folder(), Entry(""));
    WaitForPicture();
    QVERIFY(FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("bin")).x() >= 0);
}

void TreemapPaneTest::theListsSelectionIsOutlined() {
    QVERIFY(Pane->Outline().isEmpty());
    const QModelIndex index = BaseView->VTDetail().IndexOf(Entry("docs/c.jpg"));
    Form->VTDetail->setCurrentIndex(index);
    const QRect outline = Pane->Outline();
    QVERIFY(!outline.isEmpty());
    QCOMPARE(Pane->EntryAt(outline.center()), Entry("docs/c.jpg"));
    const QImage shown = Pane->grab().toImage();
    QCOMPARE(shown.pixelColor(outline.topLeft()), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(outline.bottomRight()), QColor(Qt::white));
    // Inside the outline the picture is unchanged.
    QCOMPARE(Rgb(shown, outline.center()), Rgb(Pane->Picture(), outline.center()));
    Form->VTLeft->setCurrentIndex(BaseView->VTLeft().IndexOf(Entry("misc")));
    QCOMPARE(Pane->EntryAt(Pane->Outline().topLeft()), Entry("misc")); // its frame
}

void TreemapPaneTest::aGroupRowLightsExactlyItsEntries_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<QString>("member"); // an entry of the selected group
    QTest::newRow("type") << int(EView::VTType) << "docs/a.txt";
    QTest::newRow("file size") << int(EView::VTFileSize) << "big.bin";
    QTest::newRow("folder size") << int(EView::VTFolderSize) << "docs";
    QTest::newRow("name length") << int(EView::VTName) << "misc/e.log";
}

void TreemapPaneTest::aGroupRowLightsExactlyItsEntries() {
    QFETCH(int, table);
    QFETCH(QString, member);
    const auto id = EView(table);
    const TDataInfo& in = *Entry(member.toStdString());
    QTreeView* tree = nullptr;
    std::function<std::int32_t(const TDataInfo&)> group;
    switch (id) {
    case EView::VTType:
        tree = Form->VTType;
        break;
    case EView::VTFileSize:
        tree = Form->VTFileSize;
        group = [](const TDataInfo& e) { return e.SizeGroup(); };
        break;
    case EView::VTFolderSize:
        tree = Form->VTFolderSize;
        group = [](const TDataInfo& e) { return e.SizeGroup(); };
        break;
    default:
        tree = Form->VTName;
        group = [](const TDataInfo& e) { return e.NameLengthGroup(); };
    }
    ShowPageOf(tree);
    QTRY_VERIFY(tree->isVisible());
    const TGroupModel& model = BaseView->GroupView(id);
    int row = 0;
    while (row < model.rowCount() &&
           (id == EView::VTType ? model.Sum(row)->GroupCaption() != std::string(in.Ext())
                                : model.Sum(row)->GroupIndex() != group(in)))
        ++row;
    QVERIFY(row < model.rowCount());
    const std::int32_t index = model.Sum(row)->GroupIndex();
    const std::string caption = model.Sum(row)->GroupCaption();
    tree->setCurrentIndex(model.index(row, 0));
    QVERIFY(Pane->HasHighlight());
    WaitForPicture();
    const TDataInfo* root = Entry("");
    CheckFilePixels([&](const TDataInfo& file) {
        switch (id) {
        case EView::VTType:
            return std::string(file.Ext()) == caption;
        case EView::VTFolderSize: // a folder's whole area
            for (const TDataInfo* f = file.Parent(); f != root; f = f->Parent())
                if (f->SizeGroup() == index)
                    return true;
            return false;
        default:
            return group(file) == index;
        }
    });
}

void TreemapPaneTest::noRowOrAnotherTabClearsTheHighlight() {
    Form->pcTotal->setCurrentIndex(4);
    QTRY_VERIFY(Form->VTType->isVisible());
    Form->VTType->setCurrentIndex(Form->VTType->model()->index(0, 0));
    QVERIFY(Pane->HasHighlight());
    Form->VTType->clearSelection();
    QVERIFY(!Pane->HasHighlight());
    WaitForPicture();
    CheckFilePixels([](const TDataInfo&) { return true; });

    Form->VTType->setCurrentIndex(Form->VTType->model()->index(0, 0));
    QVERIFY(Pane->HasHighlight());
    Form->pcTotal->setCurrentIndex(0);
    QVERIFY(!Pane->HasHighlight());
    Form->pcTotal->setCurrentIndex(4); // back to the table: its row lights again
    QVERIFY(Pane->HasHighlight());
}

void TreemapPaneTest::theTypeChartUsesTheTreemapColours() {
    Form->pcTotal->setCurrentIndex(4);
    auto* types = Form->findChild<QTabWidget*>("pcType");
    types->setCurrentWidget(Form->chTypePie);
    QTRY_VERIFY(Form->chTypePie->isVisible());
    const TChartPoints points = BaseView->ChartPoints(EView::VTType);
    auto* pie = qobject_cast<QPieSeries*>(Form->chTypePie->chart()->series().value(0));
    QVERIFY(pie);
    QCOMPARE(pie->count(), qsizetype(points.Points.size()));
    QCOMPARE(pie->count(), qsizetype(6));
    for (qsizetype i = 0; i < pie->count(); ++i)
        QCOMPARE(pie->slices()[i]->color().rgb() & 0xFFFFFF,
                 TTreemapRender::TypeColour(points.Points[std::size_t(i)].Caption));
}

void TreemapPaneTest::ctrlTTogglesThePaneAndItIsRemembered() {
    auto* splitter = Form->findChild<QSplitter*>("splTreemap");
    QVERIFY(splitter && splitter->indexOf(Pane) == 1 && splitter->indexOf(Form->pcTotal) == 0);
    splitter->setSizes({400, 180});
    const QList<int> sizes = splitter->sizes();
    Form->close();
    ShowForm();
    QCOMPARE(Form->findChild<QSplitter*>("splTreemap")->sizes(), sizes);
    QVERIFY(Pane->isVisible());

    QTest::keyClick(Form.get(), Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!Pane->isVisible());
    QVERIFY(!Form->findChild<QAction*>("Treemap1")->isChecked());
    Form->close();
    ShowForm();
    QVERIFY(!Pane->isVisible());
    QTest::keyClick(Form.get(), Qt::Key_T, Qt::ControlModifier);
    QVERIFY(Pane->isVisible());
    // Hidden at start, the pane's share is taken before the window's last layout pass, so
    // a few pixels of rounding may move.
    const QList<int> again = Form->findChild<QSplitter*>("splTreemap")->sizes();
    QCOMPARE(again.size(), 2);
    QVERIFY2(std::abs(again[1] - sizes[1]) <= 4, qPrintable(QString::number(again[1])));
    Form->close();
    ShowForm();
    QVERIFY(Pane->isVisible());
}

TScanCompare& TreemapPaneTest::EditAndCompare() {
    Base = std::make_unique<TDataCtrl>();
    Base->ScanFolder(Tree.Str());
    std::filesystem::resize_file(Tree.Path() / "big.bin", 90000);
    std::filesystem::resize_file(Tree.Path() / "misc/d.pdf", 3000);
    WriteTree(Tree.Path(), {"new.dat:15000"});
    Form->OpenFolder(Tree.Str());
    WaitForPicture();
    return Compare.emplace(BaseView->FDataCtrl(), *Base);
}

void TreemapPaneTest::CheckGrowthPixels() {
    const std::map<const TDataInfo*, std::uint32_t> edited = {
        {Entry("big.bin"), TGrowthTint::StrongGrowth},
        {Entry("misc/d.pdf"), TGrowthTint::StrongShrink},
        {Entry("new.dat"), TGrowthTint::AddedColour}};
    CheckFileColours([&edited](const TDataInfo& file) {
        const auto it = edited.find(&file);
        return it == edited.end() ? TGrowthTint::SameColour : it->second;
    });
}

void TreemapPaneTest::aComparisonTintsByGrowthUntilItEnds() {
    auto* tint = Form->findChild<QAction*>("TreemapTint1");
    QVERIFY(tint && !tint->isEnabled());
    TTreemapBinding& binding = *Form->Treemap();
    binding.SetGrowthTint(&EditAndCompare());
    QVERIFY(tint->isEnabled() && tint->isChecked());
    WaitForPicture();
    CheckGrowthPixels();
    // The hover text tells the change. QTest (6.4) counts a button as still held after an earlier
    // test's mouseDClick(), so the moves below would be drags to nowhere: let it go first.
    QTest::mouseRelease(Form->lbPath, Qt::LeftButton);
    QTest::mouseMove(Pane, FirstPixel(Pane->Picture(), TGrowthTint::AddedColour));
    QVERIFY2(Form->statusBar()->currentMessage().endsWith(QStringLiteral("  -  new")),
             qPrintable(Form->statusBar()->currentMessage()));
    QTest::mouseMove(Pane, FirstPixel(Pane->Picture(), TGrowthTint::StrongGrowth));
    QVERIFY2(Form->statusBar()->currentMessage().endsWith(" +29.30 KB since the saved scan"),
             qPrintable(Form->statusBar()->currentMessage()));

    // Unchecked, type colours while still comparing; checked again, growth.
    tint->setChecked(false);
    WaitForPicture();
    CheckFilePixels([](const TDataInfo&) { return true; });
    tint->setChecked(true);
    WaitForPicture();
    CheckGrowthPixels();

    binding.SetGrowthTint(nullptr);
    QVERIFY(!tint->isEnabled());
    WaitForPicture();
    CheckFilePixels([](const TDataInfo&) { return true; });
    QTest::mouseMove(Pane, FirstPixel(Pane->Picture(), TTreemapRender::TypeColour("pdf")));
    QVERIFY(!Form->statusBar()->currentMessage().contains("since"));
    // Unchecked by hand, a comparison that begins turns it on again.
    tint->setChecked(false);
    binding.SetGrowthTint(&*Compare);
    QVERIFY(tint->isChecked());
    WaitForPicture();
    CheckGrowthPixels();
}

// The comparison points into the tree: a scan drops it before anything reads the new tree.
void TreemapPaneTest::aNewScanEndsTheTint() {
    Form->Treemap()->SetGrowthTint(&EditAndCompare());
    Form->OpenFolder(Tree.Str());
    QCOMPARE(Pane->Growth(), nullptr);
    Compare.reset();
    WaitForPicture();
    QVERIFY(!Form->findChild<QAction*>("TreemapTint1")->isEnabled());
    CheckFilePixels([](const TDataInfo&) { return true; });
}

QTEST_MAIN(TreemapPaneTest)
#include "TreemapPaneTest.moc"
