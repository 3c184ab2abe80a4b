// quorvex_bench_window [--repeat N] DIR
// Times the real main window, offscreen, with its charts, tables, tree, lists and summary:
// the open flow against the headless scan of the same tree, folder clicks, the first show of
// every tab page, a rescan's wait window, Cancel and closing. Prints the figures, then a table
// against the targets. Run with QT_QPA_PLATFORM=offscreen (set here when unset).

#include "BenchCommon.h"
#include "uApplication.h"
#include "uBaseView.h"
#include "uChangesModel.h"
#include "uCompareActions.h"
#include "uHeapLimit.h"
#include "uMain.h"
#include "uScanFileActions.h"
#include "uWaitForm.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

using namespace quorvex;
using namespace quorvex::bench;

struct TOptions : TBenchOptions {
    std::string Grab; // folder for pictures of the window's pages; none when empty
};

TOptions ParseOptions(int argc, char** argv) {
    TOptions options;
    static_cast<TBenchOptions&>(options) =
        ParseBenchOptions(argc, argv, "quorvex_bench_window [--repeat N] [--grab FOLDER] DIR",
                          {3, {}}, [&options](const std::string& name, const char* value) {
                              if (name != "--grab")
                                  return false;
                              options.Grab = value;
                              return true;
                          });
    return options;
}

// Until the window takes input again: every queued event handled and the window painted.
void Settle(QWidget& window) {
    QApplication::processEvents();
    window.repaint();
    QApplication::processEvents();
}

// The peak resident size starts again from the current one (Linux 4.0 and later).
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct TRow {
    std::string Name;
    double Value;
    double Limit; // 0: no target
    const char* Unit;
};

std::vector<TRow> Rows;

void Report(std::string name, double value, double limit = 0, const char* unit = "s") {
    std::printf("%-52s %9.3f %s\n", name.c_str(), value, unit);
    Rows.push_back({std::move(name), value, limit, unit});
}

// The headless scan as `--summary` runs it: scan, then the sums of the top folder.
double HeadlessScan(const std::filesystem::path& config, const std::string& dir) {
    TBaseView view(config);
    return SecondsOf([&] {
        view.Scan(dir);
        view.FDataCtrl().SetCurrentRoot(view.FDataCtrl().Root());
    });
}

// A user's click on `folder` in the folder tree.
double Click(TMainForm& form, TDataInfo* folder) {
    const QModelIndex index = BaseView->VTLeft().IndexOf(folder);
    return SecondsOf([&] {
        form.VTLeft->setCurrentIndex(index);
        form.VTLeftClick(index);
        Settle(form);
    });
}

// Every page and inner page of the tabs, each shown for the first time since the last click.
void MeasureTabs(TMainForm& form) {
    double worst = 0;
    for (int page = 1; page < form.pcTotal->count(); ++page) {
        const QString caption = form.pcTotal->tabText(page).trimmed();
        double seconds = SecondsOf([&] {
            form.pcTotal->setCurrentIndex(page);
            Settle(form);
        });
        Report("  tab " + caption.toStdString(), seconds);
        worst = std::max(worst, seconds);
        auto* inner = qobject_cast<QTabWidget*>(form.pcTotal->widget(page));
        for (int i = 1; inner && i < inner->count(); ++i) {
            seconds = SecondsOf([&] {
                inner->setCurrentIndex(i);
                Settle(form);
            });
            Report("  tab " + caption.toStdString() + " > " + inner->tabText(i).toStdString(),
                   seconds);
            worst = std::max(worst, seconds);
        }
        if (inner)
            inner->setCurrentIndex(0);
    }
    form.pcTotal->setCurrentIndex(0);
    Settle(form);
    Report("first show of a tab page, the slowest", worst, 0.1);
}

// Clicks on the top folder and on the folder nearest 100,000 entries, from the other one,
// `repeat` times each; with the page `pageName` on screen.
void MeasureClicks(TMainForm& form, TDataInfo* big, int repeat, const std::string& pageName) {
    TDataInfo* root = BaseView->FDataCtrl().Root();
    std::vector<double> toRoot, toBig;
    for (int r = 0; r < repeat; ++r) {
        toBig.push_back(Click(form, big));
        toRoot.push_back(Click(form, root));
    }
    Report("click the top folder (" + pageName + ")", Median(toRoot), 0.25);
    Report("click the big folder (" + pageName + ")", Median(toBig), 0.25);
}

// A rescan: the wait window's first paint after the command, then Cancel half-way through
// the scan until the window takes input again.
// A saved scan of `dir` without every 20th file: those show as added against the scan, or,
// the other way round, as removed (ghost rows in every list).
void SaveThinnedScan(const std::string& dir, const std::string& file) {
    TDataCtrl scan;
    scan.ScanFolder(dir);
    std::vector<const TDataInfo*> gone;
    std::uint64_t files = 0;
    for (TDataInfo* e = scan.Root(); e; e = NextInPreOrder(e, scan.Root()))
        if (!e->IsFolder() && ++files % 20 == 0)
            gone.push_back(e);
    scan.RemoveEntries(gone);
    scan.SaveScanFile(file);
}

// File > Compare With Saved Scan as the user meets it: the saved scan read and compared and
// every view refilled, the Changes page, its sort, folder clicks with the Change column and
// ghost rows in every list, and the end of it.
void MeasureComparison(TMainForm& form, TDataInfo* big, int repeat, const std::string& what) {
    Report("compare " + what + ": Changes rows", double(form.Comparing()->Changes().rowCount()), 0,
           "rows");
    Report("compare " + what + ": Changes page shown", SecondsOf([&] {
               form.pcTotal->setCurrentWidget(form.Comparing()->Page());
               Settle(form);
           }),
           0.1);
    Report("compare " + what + ": Changes sorted by size change", SecondsOf([&] {
               BaseView->HeaderClick(form.Comparing()->Changes(), 2, Qt::LeftButton);
               Settle(form);
           }),
           0.25);
    form.pcTotal->setCurrentIndex(1); // the folder lists
    Settle(form);
    MeasureClicks(form, big, repeat, "comparing " + what + ", Folders page");
    form.pcTotal->setCurrentIndex(0);
    Settle(form);
}

void MeasureComparisons(TMainForm& form, TDataInfo* big, int repeat, const std::string& dir) {
    const std::string full = "/var/tmp/quorvex-bench/window-full.json";
    const std::string thinned = "/var/tmp/quorvex-bench/window-thinned.json";
    const std::string bigPath = big->FullPath(); // the tree is replaced below
    SaveThinnedScan(dir, thinned);
    Report("compare: saved scan read, compared, views refilled", SecondsOf([&] {
               form.Comparing()->Compare(thinned);
               Settle(form);
           }));
    MeasureComparison(form, big, repeat, "added");
    Report("compare: stopped, views refilled", SecondsOf([&] {
               form.Comparing()->StopComparing();
               Settle(form);
           }),
           0.5);
    // The thinned scan shown, the whole one as base: every 20th file is a ghost row.
    BaseView->FDataCtrl().SaveScanFile(full);
    form.ScanFiles()->Load(thinned);
    Settle(form);
    form.Comparing()->Compare(full);
    Settle(form);
    TDataInfo* root = BaseView->FDataCtrl().Root();
    TDataInfo* same = root->FindByPath(bigPath);
    if (same)
        MeasureComparison(form, same, repeat, "removed");
    form.Comparing()->StopComparing();
    std::filesystem::remove(full);
    std::filesystem::remove(thinned);
}

class TRescan : public QObject {
public:
    void Run(TMainForm& form, const std::string& dir, double cancelAfter) {
        WaitForm->installEventFilter(this);
        FStart = Clock::now();
        FPainted = FRepainted = -1;
        QTimer::singleShot(int(cancelAfter * 1000), WaitForm, [this] {
            FCancel = Clock::now();
            WaitForm->btnCancel->click();
        });
        form.OpenFolder(dir);
        Settle(form);
        WaitForm->removeEventFilter(this);
        Report("rescan: wait window painted after the command", FPainted, 0.1);
        // The old results are torn down between the two: the window must not freeze there.
        Report("rescan: wait window painted again (animation)", FRepainted, 0.2);
        Report("rescan: Cancel until the window takes input", SecondsSince(FCancel), 0.5);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint)
            return false;
        if (FPainted < 0)
            FPainted = SecondsSince(FStart);
        else if (FRepainted < 0 && SecondsSince(FStart) > FPainted + 0.001)
            FRepainted = SecondsSince(FStart);
        return false;
    }

private:
    Clock::time_point FStart, FCancel;
    double FPainted = -1, FRepainted = -1;
};

// Pictures of the pages with charts, to look at: "<page>-<inner page>.png".
void GrabPages(TMainForm& form, const std::string& folder) {
    for (int page = 0; page < form.pcTotal->count(); ++page) {
        form.pcTotal->setCurrentIndex(page);
        auto* inner = qobject_cast<QTabWidget*>(form.pcTotal->widget(page));
        for (int i = 0; i < (inner ? inner->count() : 1); ++i) {
            if (inner)
                inner->setCurrentIndex(i);
            Settle(form);
            const QString name =
                QStringLiteral("%1/%2-%3.png")
                    .arg(QString::fromStdString(folder), QString::number(page), QString::number(i));
            form.grab().save(name);
        }
        if (inner)
            inner->setCurrentIndex(0);
    }
    form.pcTotal->setCurrentIndex(0);
}

void PrintTable(std::uint64_t entries) {
    std::printf("\nentries: %llu\n%-52s %9s   %-8s %s\n", static_cast<unsigned long long>(entries),
                "figure", "value", "target", "verdict");
    for (const TRow& row : Rows)
        if (row.Limit > 0)
            std::printf("%-52s %9.3f %s <= %5.2f %s\n", row.Name.c_str(), row.Value, row.Unit,
                        row.Limit, row.Value <= row.Limit ? "PASS" : "MISS");
}

void Run(const TOptions& options, const std::filesystem::path& config) {
    const double headless = Median([&] {
        std::vector<double> runs;
        for (int r = 0; r < options.Repeat; ++r)
            runs.push_back(HeadlessScan(config, options.Dir));
        return runs;
    }());
    Report("headless scan + sums (median)", headless);

    auto form = std::make_unique<TMainForm>();
    form->FConfigFile = config;
    WaitForm = new TWaitForm(form.get());
    form->resize(1600, 1000);
    form->show();
    Settle(*form);
    ResetPeak();
    const std::uint64_t before = StatusBytes("VmRSS");
    const double open = SecondsOf([&] {
        form->OpenFolder(options.Dir);
        Settle(*form);
    });
    const std::uint64_t entries = BaseView->FDataCtrl().EntryCount();
    const double perEntry = double(StatusBytes("VmHWM") - before) / double(entries);
    Report("open flow: scan and first show", open);
    Report("open flow / headless scan", open / headless, 1.3, "x");
    Report("peak memory growth per entry after the open flow", perEntry, 128, "B");

    TPick big;
    TDataInfo* root = BaseView->FDataCtrl().Root();
    CountSubtree(root, root, 100000, big);
    if (!big.Folder)
        throw std::runtime_error("the folder has no sub-folder");
    std::printf("big folder: %s (%llu entries)\n", big.Folder->FullPath().c_str(),
                static_cast<unsigned long long>(big.Entries));
    if (!options.Grab.empty())
        GrabPages(*form, options.Grab);
    MeasureClicks(*form, big.Folder, options.Repeat, "Summary");
    Click(*form, big.Folder);
    MeasureTabs(*form);
    form->pcTotal->setCurrentIndex(4); // Files Type
    auto* types = qobject_cast<QTabWidget*>(form->pcTotal->widget(4));
    for (int page : {0, 1}) { // the type list, then its pie
        types->setCurrentIndex(page);
        Settle(*form);
        MeasureClicks(*form, big.Folder, options.Repeat,
                      page ? "type pie on screen" : "type list on screen");
    }
    // Header sorts stay in force across clicks: every refill of a sorted list is sorted.
    types->setCurrentIndex(0);
    form->pcTotal->setCurrentIndex(0);
    BaseView->HeaderClick(BaseView->VTFileAll(), ecFileSize, Qt::LeftButton);
    BaseView->HeaderClick(BaseView->EntryView(EView::VTFolderAll), ecFileName, Qt::LeftButton);
    BaseView->HeaderClick(BaseView->VTDetail(), BaseView->VTDetail().ShareColumn(), Qt::LeftButton);
    Settle(*form);
    MeasureClicks(*form, big.Folder, options.Repeat, "Summary, three lists sorted");
    MeasureComparisons(*form, big.Folder, options.Repeat, options.Dir);
    TRescan().Run(*form, options.Dir, headless / 2);
    Report("close: the window closed and destroyed", SecondsOf([&] {
               form->close();
               QApplication::processEvents();
               form.reset();
           }),
           0.5);
    WaitForm = nullptr;
    PrintTable(entries);
}

} // namespace

// The offscreen platform says for every wait window that it cannot raise it.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && !text.contains(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

int main(int argc, char** argv) {
    ShareHeapsBetweenThreads(); // as the program does
    qInstallMessageHandler(QuietOffscreenNotes);
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    const TOptions options = ParseOptions(argc, argv);
    const QTemporaryDir configDir; // the controller writes its default configuration here
    try {
        if (!configDir.isValid())
            throw std::runtime_error("no temporary folder for the configuration");
        std::printf("folder: %s\n", options.Dir.c_str());
        Run(options, configDir.filePath("KestrixFAConfig.xml").toStdString());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_bench_window: %s\n", e.what());
        return 1;
    }
    return 0;
}
