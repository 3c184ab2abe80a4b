#include "uWindowMemory.h"

#include "uFunction.h"
#include "uMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeView>

namespace quorvex {

namespace {

const QString Organisation = QStringLiteral("quorvex");
const QString RecentKey = QStringLiteral("folders/recent");
const QString ActionsKey = QStringLiteral("actions/");
const QString CountKey = QStringLiteral("view/countDiskUsage");

QList<QAction*> RememberedActions(const QObject& form) {
    QList<QAction*> actions;
    for (QAction* action : form.findChildren<QAction*>())
        if (action->isCheckable() && action->property(RememberedProperty).toBool())
            actions << action;
    return actions;
}

// Width and display position per column (by model column); hidden columns count as 0 wide,
// as the XML configuration decides them.
QVariantList ColumnState(const QTreeView* view) {
    const QHeaderView* header = view->header();
    QVariantList widths, order;
    for (int column = 0; column < header->count(); ++column) {
        widths << (header->isSectionHidden(column) ? 0 : header->sectionSize(column));
        order << header->visualIndex(column);
    }
    return {widths, order};
}

// A remembered layout applies only over the columns the XML configuration gave when it was
// saved: a change made in the options since then wins, and so does another column set.
void RestoreColumns(const QSettings& settings, QTreeView* view, const QVariantList& configured) {
    const QString name = view->objectName();
    if (settings.value(name + QStringLiteral("/configured")).toList() != configured)
        return;
    const QVariantList state = settings.value(name + QStringLiteral("/columns")).toList();
    QHeaderView* header = view->header();
    const int count = header->count();
    const QVariantList widths = state.value(0).toList(), order = state.value(1).toList();
    if (widths.size() != count || order.size() != count)
        return;
    std::vector<int> columnAt(count, -1);
    for (int column = 0; column < count; ++column) {
        const int position = order[column].toInt();
        if (position < 0 || position >= count || columnAt[position] != -1)
            return; // not an order of these columns
        columnAt[position] = column;
    }
    for (int column = 0; column < count; ++column)
        if (const int width = widths[column].toInt(); width > 0 && !header->isSectionHidden(column))
            header->resizeSection(column, width);
    for (int position = 0; position < count; ++position)
        header->moveSection(header->visualIndex(columnAt[position]), position);
}

// A splitter saves a hidden part as 0 wide, and a part restored at 0 comes back squeezed
// when it is shown again.
bool HasHiddenPart(const QSplitter& splitter) {
    for (int i = 0; i < splitter.count(); ++i)
        if (splitter.widget(i)->isHidden())
            return true;
    return false;
}

} // namespace

QStringList WithRecentFolder(QStringList folders, const QString& path, int limit) {
    folders.removeAll(path);
    folders.prepend(path);
    while (folders.size() > limit)
        folders.removeLast();
    return folders;
}

TWindowMemory::TWindowMemory(TMainForm& form) : FForm(form) {
    auto* file = form.findChild<QMenu*>(QStringLiteral("File1"));
    if (!file)
        return;
    FRecent = new QMenu(QStringLiteral("&Recent Folders"), file);
    FRecent->setObjectName(QStringLiteral("RecentFolders1"));
    const QList<QAction*> items = file->actions();
    file->insertMenu(items.value(1), FRecent); // after "Open To Scan"
    QObject::connect(FRecent, &QMenu::aboutToShow, FRecent, [this] { FillRecentMenu(); });
    FillRecentMenu();
}

void TWindowMemory::Restore() {
    const QSettings settings(Organisation, Organisation);
    FForm.restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    FForm.restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
    for (QSplitter* splitter : FForm.findChildren<QSplitter*>())
        splitter->restoreState(
            settings.value(QStringLiteral("splitters/") + splitter->objectName()).toByteArray());
    for (QTabWidget* tabs : FForm.findChildren<QTabWidget*>()) {
        const int index = settings.value(QStringLiteral("tabs/") + tabs->objectName(), -1).toInt();
        if (index >= 0 && index < tabs->count())
            tabs->setCurrentIndex(index);
    }
    for (QAction* action : RememberedActions(FForm))
        action->setChecked(
            settings.value(ActionsKey + action->objectName(), action->isChecked()).toBool());
    QSettings columns(Organisation, Organisation);
    columns.beginGroup(QStringLiteral("columns"));
    for (QTreeView* view : FForm.findChildren<QTreeView*>()) {
        const QVariantList configured = ColumnState(view);
        FConfigured.insert(view->objectName(), configured);
        RestoreColumns(columns, view, configured);
    }
}

void TWindowMemory::Save() const {
    QSettings settings(Organisation, Organisation);
    settings.setValue(QStringLiteral("window/geometry"), FForm.saveGeometry());
    settings.setValue(QStringLiteral("window/state"), FForm.saveState());
    for (const QSplitter* splitter : FForm.findChildren<QSplitter*>())
        if (!HasHiddenPart(*splitter)) // else the sizes it had with every part shown stay
            settings.setValue(QStringLiteral("splitters/") + splitter->objectName(),
                              splitter->saveState());
    for (const QTabWidget* tabs : FForm.findChildren<QTabWidget*>())
        settings.setValue(QStringLiteral("tabs/") + tabs->objectName(), tabs->currentIndex());
    for (const QAction* action : RememberedActions(FForm))
        settings.setValue(ActionsKey + action->objectName(), action->isChecked());
    settings.beginGroup(QStringLiteral("columns"));
    for (const QTreeView* view : FForm.findChildren<QTreeView*>()) {
        const QString name = view->objectName();
        settings.setValue(name + QStringLiteral("/configured"), FConfigured.value(name));
        settings.setValue(name + QStringLiteral("/columns"), ColumnState(view));
    }
}

void TWindowMemory::RememberFolder(const QString& path) {
    QSettings settings(Organisation, Organisation);
    settings.setValue(RecentKey, WithRecentFolder(RecentFolders(), path, MaxRecentFolders));
    settings.sync();
    if (FRecent)
        FillRecentMenu();
}

QStringList TWindowMemory::RecentFolders() const {
    return QSettings(Organisation, Organisation).value(RecentKey).toStringList();
}

bool TWindowMemory::CountsDiskUsage() const {
    return QSettings(Organisation, Organisation).value(CountKey, false).toBool();
}

// At once, as the recent folders: only a choice made in the menu is kept, never one the
// command line made for a single run.
void TWindowMemory::RememberCountDiskUsage(bool diskUsage) {
    QSettings(Organisation, Organisation).setValue(CountKey, diskUsage);
}

QString TWindowMemory::PickerStart() const {
    const QString last = ExistingFolderOrEmpty(RecentFolders().value(0));
    return last.isEmpty() ? QDir::homePath() : last;
}

bool TWindowMemory::BrowseFromLastFolder(QString& path) {
    path = PickerStart();
    return BrowseForFolder({}, {}, path, &FForm);
}

void TWindowMemory::FillRecentMenu() {
    FRecent->clear();
    const QStringList folders = RecentFolders();
    for (const QString& folder : folders) {
        // "&" would be taken as a mnemonic and vanish from the caption.
        QAction* action = FRecent->addAction(QString(folder).replace(u'&', QStringLiteral("&&")));
        QObject::connect(action, &QAction::triggered, &FForm, [this, folder] {
            FForm.OpenFolder(QFile::encodeName(folder).toStdString());
        });
    }
    FRecent->menuAction()->setEnabled(!folders.isEmpty());
}

} // namespace quorvex
