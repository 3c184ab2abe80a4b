// The context menu of the entry views on the real main window (offscreen): its items on a
// file and on a folder, Copy Path and Ctrl+C, trash acting on the selected rows only, no
// removal in a read-only window, Show in Folder Tree, and double-clicks.
#include "FixtureTree.h"
#include "uApplication.h"
#include "uBaseView.h"
#include "uDataInfo.h"
#include "uDetailVT.h"
#include "uEntryMenu.h"
#include "uEntryModels.h"
#include "uMain.h"
#include "uShell.h"
#include "uWaitForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <functional>

using namespace quorvex;
using namespace quorvex::test;
namespace fs = std::filesystem;

namespace {

// Answers the next message box with `button`, keeping its text.
struct TBoxAnswer {
    QString Text;
    bool Shown = false, Waiting = false;
    void Next(QMessageBox::StandardButton button) {
        Waiting = true;
        QTimer::singleShot(20, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!Waiting)
                return;
            if (!box)
                return Next(button);
            Waiting = false;
            Shown = true;
            Text = box->text();
            box->button(button)->click();
        });
    }
};

QStringList ItemNames(const QMenu& menu) {
    QStringList names;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator())
            names << action->objectName() + (action->isEnabled() ? "" : " (off)");
    return names;
}

QAction* Item(const QMenu& menu, const char* name) {
    return menu.findChild<QAction*>(QLatin1String(name));
}

} // namespace

class EntryMenuTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void itemsFollowTheKindOfEntryAndTheHandlersSet();
    void copyPathPutsTheFullPathsOnTheClipboard();
    void trashActsOnlyOnTheSelectedRows();
    void aReadOnlyWindowOffersNoRemoval();
    void deleteKeysTrashOrDeleteTheSelectedRows();
    void showInFolderTreeSelectsTheFolderAndExpandsItsParents();
    void doubleClickShowsAFolderAndOpensAFile();
    void rightClickOpensTheMenuOverTheClickedRow();
    void rowsOfASavedScanOfferNothingToActOn();

private:
    TDataInfo* Entry(const char* relative) const;
    // Selects the rows of `relative` entries in `tree` (a flat list) and nothing else.
    void Select(QTreeView* tree, const QStringList& relative);
    QString Full(const QString& relative) const {
        return QString::fromStdString(Tree->Str()) + relative;
    }
    fs::path At(const char* relative) const { return Tree->Path() / relative; }

    std::unique_ptr<TempDir> Tree, Home;
    std::unique_ptr<QTemporaryDir> Config;
    std::unique_ptr<TMainForm> Form;
    TBoxAnswer Question;
    QList<QUrl> Opened;
    QByteArray OldHome, OldData;
};

void EntryMenuTest::init() {
    Tree = std::make_unique<TempDir>();
    // The trash of the test's own home, on the volume of the tree, so Qt uses it.
    Home = std::make_unique<TempDir>(Tree->Path().parent_path());
    OldHome = qgetenv("HOME");
    OldData = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QByteArray::fromStdString(Home->Str()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Home->Str() + "/data"));
    fs::create_directory(Home->Path() / "data");
    Opened.clear();
    SetUrlOpener([this](const QUrl& url) {
        Opened << url;
        return true;
    });
    Config = std::make_unique<QTemporaryDir>();
    Form = std::make_unique<TMainForm>();
    Form->FConfigFile = Config->filePath("KestrixFAConfig.xml").toStdString();
    WaitForm = new TWaitForm(Form.get());
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    WriteTree(Tree->Path(), {"a.txt:3", "b.txt:5", "c.txt:7", "docs/deep/d.txt:11", "e/"});
    Form->OpenFolder(Tree->Str());
    Question = {};
}

void EntryMenuTest::cleanup() {
    Question.Waiting = false;
    Form.reset();
    WaitForm = nullptr;
    SetUrlOpener({});
    qputenv("HOME", OldHome);
    qputenv("XDG_DATA_HOME", OldData);
}

TDataInfo* EntryMenuTest::Entry(const char* relative) const {
    const std::string path = *relative ? Tree->Str() + "/" + relative : Tree->Str();
    return BaseView->FDataCtrl().Root()->FindByPath(path);
}

void EntryMenuTest::Select(QTreeView* tree, const QStringList& relative) {
    tree->clearSelection();
    const auto& model = static_cast<const TEntryListModel&>(*tree->model());
    for (int row = 0; row < model.rowCount(); ++row)
        if (const TDataInfo* entry = model.EntryAt(row);
            entry && relative.contains(
                         QString::fromStdString(entry->FullPath()).mid(int(Tree->Str().size()))))
            tree->selectionModel()->select(model.index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void EntryMenuTest::itemsFollowTheKindOfEntryAndTheHandlersSet() {
    TEntryMenu& menu = *Form->EntryMenu();
    Select(Form->VTFileAll, {"/docs/deep/d.txt"});
    // Without the engine's handler, Refresh is offered but cannot run.
    menu.Handlers.RefreshFolder = nullptr;
    std::unique_ptr<QMenu> onFile = menu.MenuFor(Form->VTFileAll);
    QCOMPARE(ItemNames(*onFile),
             (QStringList{"actOpen", "actOpenContainingFolder", "actCopyPath", "actMoveToTrash",
                          "actDeletePermanently", "actRefresh (off)", "actShowInFolderTree"}));
    QCOMPARE(onFile->defaultAction(), Item(*onFile, "actOpen"));

    Select(Form->VTFolderAll, {"/docs"});
    std::unique_ptr<QMenu> onFolder = menu.MenuFor(Form->VTFolderAll);
    QCOMPARE(onFolder->defaultAction(), Item(*onFolder, "actShowInFolderTree"));

    // Refresh works in the folder: a file's parent, a folder itself.
    std::vector<TDataInfo*> refreshed;
    menu.Handlers.RefreshFolder = [&refreshed](TDataInfo* folder) { refreshed.push_back(folder); };
    onFile = menu.MenuFor(Form->VTFileAll);
    onFolder = menu.MenuFor(Form->VTFolderAll);
    QVERIFY(Item(*onFile, "actRefresh")->isEnabled());
    Item(*onFile, "actRefresh")->trigger();
    Item(*onFolder, "actRefresh")->trigger();
    QCOMPARE(refreshed, (std::vector<TDataInfo*>{Entry("docs/deep"), Entry("docs")}));

    // Open starts the file's default program; Open Containing Folder shows the folder above.
    Item(*onFile, "actOpen")->trigger();
    Item(*onFolder, "actOpenContainingFolder")->trigger();
    QCOMPARE(Opened, (QList<QUrl>{QUrl::fromLocalFile(Full("/docs/deep/d.txt")),
                                  QUrl::fromLocalFile(Full(""))}));

    // Several rows: one folder to refresh or show is no longer clear; nothing selected: no item.
    Select(Form->VTFileAll, {"/a.txt", "/b.txt"});
    onFile = menu.MenuFor(Form->VTFileAll);
    QVERIFY(!Item(*onFile, "actRefresh")->isEnabled());
    QVERIFY(!Item(*onFile, "actShowInFolderTree")->isEnabled());
    QVERIFY(Item(*onFile, "actMoveToTrash")->isEnabled());
    Form->VTFileAll->setCurrentIndex({});
    Form->VTFileAll->clearSelection();
    const std::unique_ptr<QMenu> empty = menu.MenuFor(Form->VTFileAll);
    for (const QAction* action : empty->actions())
        QVERIFY2(action->isSeparator() || !action->isEnabled(), qPrintable(action->objectName()));
}

void EntryMenuTest::copyPathPutsTheFullPathsOnTheClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    Select(Form->VTFileAll, {"/c.txt", "/a.txt"});
    clipboard->clear();
    Item(*Form->EntryMenu()->MenuFor(Form->VTFileAll), "actCopyPath")->trigger();
    QStringList lines = clipboard->text().split('\n');
    lines.sort();
    QCOMPARE(lines, (QStringList{Full("/a.txt"), Full("/c.txt")}));

    // Ctrl+C in a view copies its own selection, the whole path rather than the cell.
    Form->VTLeft->setCurrentIndex(BaseView->VTLeft().IndexOf(Entry("docs/deep")));
    Form->VTLeft->setFocus();
    clipboard->clear();
    QApplication::setActiveWindow(Form.get());
    QTest::keySequence(Form->VTLeft, QKeySequence::Copy);
    QCOMPARE(clipboard->text(), Full("/docs/deep"));
}

void EntryMenuTest::trashActsOnlyOnTheSelectedRows() {
    const int files = Form->lblFileQty->text().toInt();
    const int rowsBefore = Form->VTFileAll->model()->rowCount();
    Select(Form->VTFileAll, {"/b.txt"});
    Form->VTFileAll->setCurrentIndex(
        Form->VTFileAll->model()->index(0, 0)); // the current row is not the selection
    Select(Form->VTFileAll, {"/b.txt", "/docs/deep/d.txt"});
    Question.Next(QMessageBox::Yes);
    Item(*Form->EntryMenu()->MenuFor(Form->VTFileAll), "actMoveToTrash")->trigger();
    QVERIFY(Question.Shown);
    QCOMPARE(Question.Text, QString("Move 2 entries (16.00 B) to the trash?"));
    QVERIFY(!fs::exists(At("b.txt")) && !fs::exists(At("docs/deep/d.txt")));
    for (const char* kept : {"a.txt", "c.txt", "docs/deep", "e"})
        QVERIFY2(fs::exists(At(kept)), kept);
    QVERIFY(fs::exists(Home->Path() / "data/Trash/files/b.txt"));
    // The window's own handler takes them out of the results at once.
    QCOMPARE(Form->lblFileQty->text().toInt(), files - 2);
    QCOMPARE(Form->VTFileAll->model()->rowCount(), rowsBefore - 2);
    QVERIFY(!Entry("b.txt") && !Entry("docs/deep/d.txt"));

    // With the engine's handler set, it learns exactly what left the disk.
    std::vector<const TDataInfo*> removed;
    Form->EntryMenu()->Handlers.EntriesRemoved =
        [&removed](const std::vector<const TDataInfo*>& gone) { removed = gone; };
    Select(Form->VTFileAll, {"/c.txt"});
    Question.Next(QMessageBox::Yes);
    Item(*Form->EntryMenu()->MenuFor(Form->VTFileAll), "actMoveToTrash")->trigger();
    QCOMPARE(removed, (std::vector<const TDataInfo*>{Entry("c.txt")}));
    QVERIFY(fs::exists(At("a.txt")));

    // In a detail window the rows trashed from its menu leave the list; checks play no part.
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.SetRows(std::vector<TDataInfo*>{Entry("a.txt"), Entry("e")});
    TfmDetail detail(rows, *BaseView, Form.get());
    detail.Menu->ShareHandlers(*Form->EntryMenu());
    rows.SetChecked(1, true);
    detail.VT->selectionModel()->select(rows.index(0, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    removed.clear();
    Question.Next(QMessageBox::Yes);
    Item(*detail.Menu->MenuFor(detail.VT), "actMoveToTrash")->trigger();
    QVERIFY(!fs::exists(At("a.txt")) && fs::exists(At("e")));
    QCOMPARE(rows.rowCount(), 1);
    QCOMPARE(rows.EntryAt(0), Entry("e"));
    QCOMPARE(removed.size(), std::size_t(1));

    // No: nothing moves and nobody hears of it.
    removed.clear();
    Select(Form->VTFolderAll, {"/e"});
    Question.Next(QMessageBox::No);
    Item(*Form->EntryMenu()->MenuFor(Form->VTFolderAll), "actDeletePermanently")->trigger();
    QVERIFY(Question.Text.startsWith("Delete 1 entry"));
    QVERIFY(fs::exists(At("e")) && removed.empty());
}

void EntryMenuTest::aReadOnlyWindowOffersNoRemoval() {
    BaseView->SetReadOnly(true); // as the command line sets it: after the window is made
    Select(Form->VTFileAll, {"/a.txt"});
    for (QTreeView* tree : {Form->VTLeft, Form->VTFileAll}) {
        if (tree == Form->VTLeft)
            tree->setCurrentIndex(BaseView->VTLeft().IndexOf(Entry("docs")));
        const std::unique_ptr<QMenu> menu = Form->EntryMenu()->MenuFor(tree);
        QVERIFY(!Item(*menu, "actMoveToTrash") && !Item(*menu, "actDeletePermanently"));
        QVERIFY(Item(*menu, "actCopyPath")->isEnabled());
    }
    TEntryListModel rows;
    rows.SetColumns(BaseView->VTFileAll().Columns());
    rows.SetRows(std::vector<TDataInfo*>{Entry("a.txt")});
    TfmDetail detail(rows, *BaseView, Form.get());
    detail.VT->setCurrentIndex(rows.index(0, 0));
    const std::unique_ptr<QMenu> menu = detail.Menu->MenuFor(detail.VT);
    QVERIFY(!Item(*menu, "actMoveToTrash") && !Item(*menu, "actDeletePermanently"));
    // Run directly, the removal commands still do nothing.
    Question.Next(QMessageBox::Yes);
    Form->EntryMenu()->Run(EEntryAction::Trash, {Entry("a.txt")});
    detail.Menu->Run(EEntryAction::Delete, {Entry("a.txt")});
    // Nor do the keys.
    QApplication::setActiveWindow(Form.get());
    Form->VTFileAll->setFocus();
    QTest::keyClick(Form->VTFileAll, Qt::Key_Delete);
    QTest::keyClick(Form->VTFileAll, Qt::Key_Delete, Qt::ShiftModifier);
    QTest::qWait(60);
    QVERIFY(!Question.Shown);
    QVERIFY(fs::exists(At("a.txt")));
}

void EntryMenuTest::deleteKeysTrashOrDeleteTheSelectedRows() {
    // The keys act in the view that has the focus: bring the file list's page to the front.
    for (QWidget* page = Form->VTFileAll; page && page->parentWidget(); page = page->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget()))
            tabs->setCurrentWidget(page);
    for (const auto& [modifiers, question] : {std::pair{Qt::NoModifier, "Move 1 entry"},
                                              std::pair{Qt::ShiftModifier, "Delete 1 entry"}}) {
        Select(Form->VTFileAll, {"/a.txt"});
        QApplication::setActiveWindow(Form.get()); // the last question had it
        Form->VTFileAll->setFocus();
        Question.Shown = false;
        Question.Next(QMessageBox::No);
        QTest::keyClick(Form->VTFileAll, Qt::Key_Delete, modifiers);
        QVERIFY2(Question.Shown && Question.Text.startsWith(question), qPrintable(Question.Text));
        QVERIFY(fs::exists(At("a.txt")));
    }
    QApplication::setActiveWindow(Form.get());
    Form->VTFileAll->setFocus();
    Question.Next(QMessageBox::Yes);
    QTest::keyClick(Form->VTFileAll, Qt::Key_Delete);
    QVERIFY(!fs::exists(At("a.txt")) && !Entry("a.txt"));
}

void EntryMenuTest::showInFolderTreeSelectsTheFolderAndExpandsItsParents() {
    QTreeView* tree = Form->VTLeft;
    tree->collapseAll();
    Select(Form->VTFileAll, {"/docs/deep/d.txt"});
    Item(*Form->EntryMenu()->MenuFor(Form->VTFileAll), "actShowInFolderTree")->trigger();
    QCOMPARE(BaseView->VTLeft().Entry(tree->currentIndex()), Entry("docs/deep"));
    QVERIFY(tree->isExpanded(BaseView->VTLeft().IndexOf(Entry("docs"))));
    QVERIFY(tree->isExpanded(BaseView->VTLeft().IndexOf(Entry(""))));
    QCOMPARE(BaseView->FDataCtrl().CurrentRoot(), Entry("docs/deep"));
    QCOMPARE(Form->lbPath->text(), Full("/docs/deep"));
}

void EntryMenuTest::doubleClickShowsAFolderAndOpensAFile() {
    const auto doubleClick = [](QTreeView* tree, const QModelIndex& index) {
        tree->scrollTo(index);
        const QPoint at = tree->visualRect(index).center();
        // A double-click counts only on the row its first press hit.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    };
    Form->findChild<QTabWidget*>("pcTotal")->setCurrentIndex(1); // Folders
    Form->findChild<QTabWidget*>("pcFolders")->setCurrentIndex(1);
    const auto& folders = static_cast<const TEntryListModel&>(*Form->VTFolderAll->model());
    int row = 0;
    while (folders.EntryAt(row) != Entry("docs/deep"))
        ++row;
    doubleClick(Form->VTFolderAll, folders.index(row, 0));
    QCOMPARE(BaseView->FDataCtrl().CurrentRoot(), Entry("docs/deep"));
    QCOMPARE(BaseView->VTLeft().Entry(Form->VTLeft->currentIndex()), Entry("docs/deep"));
    QVERIFY(Opened.isEmpty());

    // The list now holds the shown folder's subtree: the folder, then its file.
    Form->findChild<QTabWidget*>("pcTotal")->setCurrentIndex(2); // Files
    Form->findChild<QTabWidget*>("pcFiles")->setCurrentIndex(1);
    doubleClick(Form->VTFileAll, Form->VTFileAll->model()->index(0, 0));
    QCOMPARE(Opened, QList<QUrl>{QUrl::fromLocalFile(Full("/docs/deep/d.txt"))});
    QCOMPARE(BaseView->FDataCtrl().CurrentRoot(), Entry("docs/deep"));
}

void EntryMenuTest::rightClickOpensTheMenuOverTheClickedRow() {
    Form->findChild<QTabWidget*>("pcSummary")->setCurrentIndex(1); // Total List
    QTreeView* list = Form->VTDetail;
    list->setCurrentIndex(BaseView->VTDetail().IndexOf(Entry("a.txt"))); // another row
    const QModelIndex docs = BaseView->VTDetail().IndexOf(Entry("docs"));
    QVERIFY(docs.isValid());
    list->scrollTo(docs);
    QStringList shown;
    std::function<void()> readMenu = [&shown, &readMenu] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return QTimer::singleShot(20, readMenu);
        shown = ItemNames(*menu);
        menu->close();
    };
    QTimer::singleShot(20, readMenu);
    QTRY_VERIFY(list->visualRect(docs).isValid());
    const QPoint at = list->visualRect(docs).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    QVERIFY2(shown.contains("actShowInFolderTree"), qPrintable(shown.join(",")));
    QCOMPARE(TEntryMenu::SelectedEntries(list), std::vector<TDataInfo*>{Entry("docs")});
}

// Removed entries are shown from the saved scan; no action may reach one, even when a file
// of that name is back on the disk.
void EntryMenuTest::rowsOfASavedScanOfferNothingToActOn() {
    const std::string saved = Home->Str() + "/base.json";
    BaseView->FDataCtrl().SaveScanFile(saved);
    fs::remove(At("b.txt"));
    fs::remove_all(At("docs"));
    Form->OpenFolder(Tree->Str());
    auto base = std::make_unique<TDataCtrl>();
    base->LoadScanFile(saved);
    BaseView->CompareWith(std::move(base), saved);
    WriteTree(Tree->Path(), {"b.txt:1"});

    const auto& files = static_cast<const TEntryListModel&>(*Form->VTFileAll->model());
    QCOMPARE(files.rowCount(), int(files.TotalRowCount()) + 1);
    const QModelIndex ghost = files.index(files.rowCount() - 1, 0);
    QVERIFY(files.Ghost(ghost));
    Select(Form->VTFileAll, {});
    Form->VTFileAll->selectionModel()->setCurrentIndex(ghost, QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
    TEntryMenu& menu = *Form->EntryMenu();
    QVERIFY(menu.SelectedEntries(Form->VTFileAll).empty());
    const std::unique_ptr<QMenu> onGhost = menu.MenuFor(Form->VTFileAll);
    for (const QAction* action : onGhost->actions())
        QVERIFY2(action->isSeparator() || !action->isEnabled(), qPrintable(action->objectName()));
    emit Form->VTFileAll->doubleClicked(ghost);
    QVERIFY(Opened.isEmpty());
    Question.Next(QMessageBox::Yes);
    for (QAction* key : Form->VTFileAll->actions())
        if (key->objectName() == "actTrashKey" || key->objectName() == "actDeleteKey")
            key->trigger();
    QVERIFY(!Question.Shown);
    QVERIFY(fs::exists(At("b.txt")));

    // With a current row selected too, only that one is acted on.
    Form->VTFileAll->selectionModel()->select(files.index(0, 0), QItemSelectionModel::Select |
                                                                     QItemSelectionModel::Rows);
    QCOMPARE(menu.SelectedEntries(Form->VTFileAll), std::vector<TDataInfo*>{files.EntryAt(0)});

    // A removed folder in the folder tree shows nothing when it becomes current.
    const TDataInfo* shown = BaseView->FDataCtrl().CurrentRoot();
    TEntryTreeModel& left = BaseView->VTLeft();
    const QModelIndex top = left.index(0, 0);
    QModelIndex docs;
    for (int row = 0; row < left.rowCount(top); ++row)
        if (left.Ghost(left.index(row, 0, top)))
            docs = left.index(row, 0, top);
    QVERIFY(docs.isValid());
    Form->VTLeft->setCurrentIndex(docs);
    QTest::qWait(50);
    QCOMPARE(BaseView->FDataCtrl().CurrentRoot(), shown);
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    EntryMenuTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "EntryMenuTest.moc"
