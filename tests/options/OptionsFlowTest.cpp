// The Options command over the main window's view controller: confirmed options regroup the
// scan (tables and charts) and show the current folder again behind the wait window; cancelled
// ones leave every view alone, even after "Load Default"; before any scan only the groups are
// reloaded.
#include "OptionTestUtil.h"
#include "ViewFixture.h"
#include "frmGroupOption.h"
#include "uApplication.h"
#include "uBaseConfig.h"
#include "uMain.h"
#include "uOption.h"
#include "uWaitForm.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QPieSeries>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <functional>

using namespace quorvex;
using namespace quorvex::test;

namespace {

const std::vector<std::string> Tree = {"docs/a.txt:1000", "docs/b.txt:536", "docs/big.bin:50000",
                                       "small:5", "e/"};

using TDialogAction = std::function<void(TfmOption&)>;

// Acts on the options dialog as soon as it runs modally.
void WhenDialogOpens(const TDialogAction& act) {
    QTimer::singleShot(10, [act] {
        if (auto* dialog = qobject_cast<TfmOption*>(QApplication::activeModalWidget()))
            act(*dialog);
        else
            WhenDialogOpens(act);
    });
}

// Two size groups, "tiny" up to 600 bytes and "mid" up to 2000, and "rest" above them, typed
// as a user would.
void TwoSizeGroups(TfmOption& dialog) {
    TFrame1& f = *dialog.frmSize;
    dialog.PageControl1->setCurrentIndex(1);
    for (const auto& [row, caption, value] :
         {std::tuple(0, "tiny", "600"), std::tuple(1, "mid", "2000")}) {
        f.vleList->setCurrentIndex(f.Grid().index(row, 0));
        f.vleListSelectCell(row + 1); // as a click does, also on the cell that is current
        Retype(f.edCaption, caption);
        Retype(f.edValue, value);
    }
    f.vleList->setCurrentIndex(f.Grid().index(2, 0));
    for (int i = 0; i < 4; ++i)
        f.btnDelete->click();
    dialog.edGroupName->setText("rest");
    dialog.Button4->click();
}

} // namespace

class OptionsFlowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { WaitForm = new TWaitForm; }
    void cleanup() {
        delete WaitForm;
        WaitForm = nullptr;
    }
    void confirmedOptionsRegroupTheCurrentFolder();
    void confirmedBeforeAnyScanLeavesTheViewsEmpty();
};

void OptionsFlowTest::confirmedOptionsRegroupTheCurrentFolder() {
    TempDir config, tree;
    WriteTree(tree.Path(), Tree);
    TMainForm form;
    form.FConfigFile = config.Path() / "KestrixFAConfig.xml";
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(BaseView);
    form.OpenFolder(tree.Str());
    const std::string docs = tree.Str() + "/docs";
    BaseView->ShowFolderByPath(docs);
    QCOMPARE(Column(*form.VTFileSize->model(), 2),
             QStringList({"2", "1", "0", "0", "0", "0", "0"}));

    WhenDialogOpens(TwoSizeGroups);
    QVERIFY(RunOptionsDialog(&form, *BaseView));
    const QStringList groups = {"tiny", "mid", "rest"};
    QCOMPARE(Column(*form.VTFileSize->model(), 0), groups);
    QCOMPARE(Column(*form.VTFileSize->model(), 2), QStringList({"1", "1", "1"}));
    QCOMPARE(Column(*form.VTAgeWrite->model(), 0).last(), QString("rest"));
    QStringList slices;
    form.pcTotal->setCurrentIndex(2); // "Files": its charts follow when shown
    for (QPieSlice* slice :
         qobject_cast<QPieSeries*>(form.chFilePie->chart()->series()[0])->slices())
        slices << slice->label().section(u' ', 0, 0); // "tiny 1.05%"
    QCOMPARE(slices, groups);
    QCOMPARE(BaseView->FDataCtrl().CurrentRoot()->FullPath(), docs);
    QCOMPARE(form.VTFileAll->model()->rowCount(), 3);
    QVERIFY(!WaitForm->isVisible());
    QCOMPARE(WaitForm->Label2->text(), QString("Drawing Tree.."));

    // The dialog shows the confirmed ranges again; "Load Default" and Cancel then leave the
    // groups as they are, though the document is the default one now.
    QStringList shown;
    WhenDialogOpens([&shown](TfmOption& dialog) {
        shown = GridRows(dialog.frmSize->Grid());
        dialog.Button1->click();
        dialog.Button5->click();
    });
    QVERIFY(!RunOptionsDialog(&form, *BaseView));
    QCOMPARE(shown, QStringList({"tiny=600", "mid=2000"}));
    QCOMPARE(Column(*form.VTFileSize->model(), 0), groups);
    QCOMPARE(BaseView->FConfig().GetConfig()->Sizerange().Count(), 6);
}

void OptionsFlowTest::confirmedBeforeAnyScanLeavesTheViewsEmpty() {
    TViewFixture f(Tree);
    WhenDialogOpens(TwoSizeGroups);
    QVERIFY(RunOptionsDialog(nullptr, *f.View));
    QCOMPARE(f.View->FDataCtrl().SizeThresholds(), std::vector<double>({600, 2000}));
    for (int v = 0; v < EntryViewCount + GroupViewCount; ++v)
        QCOMPARE(f.View->View(EView(v)).rowCount(), 0);
    QVERIFY(!WaitForm->isVisible());

    // The groups are ready for the first scan.
    f.Open();
    QCOMPARE(Column(f.View->GroupView(EView::VTFileSize), 2), QStringList({"2", "1", "1"}));
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    OptionsFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OptionsFlowTest.moc"
