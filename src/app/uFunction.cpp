#include "uFunction.h"

#include <QFileDialog>
#include <QFileInfo>

namespace quorvex {

QString ExistingFolderOrEmpty(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QString();
}

QString PickerStartFolder(const QString& preselected, const QString& root) {
    return preselected.isEmpty() ? root : preselected;
}

QString ChosenFolderPath(const QString& chosen) {
    QString path = chosen;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

bool BrowseForFolder(const QString& title, const QString& root, QString& path, QWidget* owner) {
    path = ExistingFolderOrEmpty(path);
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, title, PickerStartFolder(path, root), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return false;
    path = ChosenFolderPath(chosen);
    return true;
}

} // namespace quorvex
