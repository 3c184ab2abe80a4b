#include "uScanFileActions.h"

#include "uBaseView.h"
#include "uMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <exception>

namespace quorvex {

QString ScanFileFilter() {
    return QStringLiteral("Scan files (*.json *.json.zst *.zst);;All files (*)");
}

QString ShownPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

namespace {

std::string ToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

QString ScanWindowTitle(const TDataCtrl& engine) {
    if (engine.IsLoaded()) {
        const QString name = QFileInfo(ShownPath(engine.LoadedFrom())).fileName();
        return QStringLiteral("Quorvex - %1 (saved scan, read-only)").arg(name);
    }
    return engine.WasCancelled() ? QStringLiteral("Quorvex - incomplete")
                                 : QStringLiteral("Quorvex");
}

QString DefaultScanFileName(const std::string& rootPath) {
    const std::size_t slash = rootPath.find_last_of('/');
    const std::string name = slash == std::string::npos ? rootPath : rootPath.substr(slash + 1);
    return (name.empty() ? QStringLiteral("root") : ShownPath(name)) + QStringLiteral(".json");
}

TScanFileActions::TScanFileActions(TMainForm& form, TBaseView& view) : FForm(form), FView(view) {
    FChooseOpen = [this](QString& path) {
        path = QFileDialog::getOpenFileName(&FForm, QStringLiteral("Open Scan File"), path,
                                            ScanFileFilter());
        return !path.isEmpty();
    };
    FChooseSave = [this](QString& path) {
        path = QFileDialog::getSaveFileName(&FForm, QStringLiteral("Save Scan As"), path,
                                            ScanFileFilter());
        return !path.isEmpty();
    };
    AddMenuItems();
    connect(&FView, &TBaseView::ViewsRefreshed, this, &TScanFileActions::OfferSave);
    connect(&FView, &TBaseView::ViewsCleared, this, &TScanFileActions::OfferSave);
    OfferSave();
}

TScanFileActions::~TScanFileActions() {
    delete FOpen;
    delete FSave;
    delete FSeparator;
}

// Between the folder items and Exit.
void TScanFileActions::AddMenuItems() {
    auto* file = FForm.findChild<QMenu*>(QStringLiteral("File1"));
    if (!file)
        return;
    QAction* exit = FForm.findChild<QAction*>(QStringLiteral("Exit1"));
    const QList<QAction*> items = file->actions();
    const qsizetype at = items.indexOf(exit);
    QAction* before = at > 0 && items[at - 1]->isSeparator() ? items[at - 1] : exit;
    FSeparator = file->insertSeparator(before);
    FOpen = new QAction(QStringLiteral("Open Scan &File..."), file);
    FOpen->setObjectName(QStringLiteral("OpenScanFile1"));
    FOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    FSave = new QAction(QStringLiteral("&Save Scan As..."), file);
    FSave->setObjectName(QStringLiteral("SaveScanAs1"));
    FSave->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->insertActions(before, {FOpen, FSave});
    FForm.addActions({FOpen, FSave}); // the keys work with the menu closed
    connect(FOpen, &QAction::triggered, this, &TScanFileActions::OpenClick);
    connect(FSave, &QAction::triggered, this, &TScanFileActions::SaveClick);
}

void TScanFileActions::OfferSave() {
    if (FSave)
        FSave->setEnabled(FView.FDataCtrl().Root() != nullptr);
}

void TScanFileActions::OpenClick() {
    QString path = QDir::homePath();
    if (!FChooseOpen || !FChooseOpen(path))
        return;
    FForm.repaint(); // the area the dialog covered, before the wait window shows
    Load(ToPath(path));
}

void TScanFileActions::SaveClick() {
    const TDataInfo* root = FView.FDataCtrl().Root();
    if (!root)
        return;
    QString path = QDir::home().filePath(DefaultScanFileName(std::string(root->Name())));
    if (!FChooseSave || !FChooseSave(path))
        return;
    FForm.repaint();
    Save(ToPath(path));
}

bool TScanFileActions::Load(const std::string& path) {
    TDataCtrl& engine = FView.FDataCtrl();
    bool loaded = false;
    const auto release = [this] {
        FView.ClearViews();
        FForm.ShowScanState(false);
    };
    const auto read = [&](IScanObserver& observer) {
        loaded = engine.LoadScanFile(path, &observer);
    };
    const auto draw = [&] {
        if (!loaded)
            return; // cancelled: nothing was kept, the window stays empty
        FView.FillFolderTree();
        FView.ShowFolder(engine.Root());
        FForm.ShowScanState(true);
    };
    try {
        FForm.RunEngineJob(QStringLiteral("Reading Scan File.."), release, read, draw);
    } catch (const std::exception& e) {
        // The engine kept nothing of the file and the views were emptied before it began.
        OfferSave();
        ShowFailure(QStringLiteral("The scan file \"%1\" cannot be opened:"), path, e.what());
        return false;
    }
    OfferSave(); // the views were emptied while the old tree was still there
    return loaded && engine.Root();
}

// Writing only reads the tree, as painting does: the views keep their entries meanwhile,
// and the wait window keeps every command that could change the tree away.
bool TScanFileActions::Save(const std::string& path) {
    const TDataCtrl& engine = FView.FDataCtrl();
    if (!engine.Root())
        return false;
    bool saved = false;
    const auto write = [&](IScanObserver& observer) {
        saved = engine.SaveScanFile(path, &observer);
    };
    try {
        FForm.RunEngineJob(
            QStringLiteral("Saving Scan File.."), [] {}, write, [] {});
    } catch (const std::exception& e) {
        ShowFailure(QStringLiteral("The scan cannot be saved to \"%1\":"), path, e.what());
        return false;
    }
    return saved;
}

void TScanFileActions::ShowFailure(const QString& what, const std::string& path, const char* why) {
    QMessageBox::critical(&FForm, QStringLiteral("Quorvex"),
                          what.arg(ShownPath(path)) + QLatin1Char('\n') + QString::fromUtf8(why));
}

} // namespace quorvex
