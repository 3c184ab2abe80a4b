#include "uShell.h"

#include "uDataInfo.h"

#include <QDesktopServices>
#include <QFileIconProvider>
#include <QStandardPaths>
#include <cerrno>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvex {

void OpenHomePage() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(HomePageAddress)));
}

void OpenMakerMail() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(MakerMailAddress)));
}

QUrl FolderUrl(const QByteArray& pathBytes) {
    // Decoding the bytes to text first would turn an invalid byte into U+FFFD and name
    // another folder; percent-encoded bytes survive QUrl unchanged.
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(pathBytes.toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

void OpenFolderInFileManager(const QByteArray& pathBytes) {
    QDesktopServices::openUrl(FolderUrl(pathBytes));
}

bool ForceDeleteFile(const std::string& pathBytes, std::string* error) {
    if (::unlink(pathBytes.c_str()) == 0)
        return true;
    if (error)
        *error = std::generic_category().message(errno);
    return false;
}

void UseDefaultIconTheme() {
    if (QIcon::hasThemeIcon(QStringLiteral("folder")))
        return;
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList dataDirs =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                  QStandardPaths::LocateDirectory);
    for (const QString& dir : dataDirs)
        if (!paths.contains(dir))
            paths << dir;
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(QStringLiteral("Adwaita"));
}

namespace {

bool IsSymbolicLink(const std::string& pathBytes) {
    struct stat st {};
    return ::lstat(pathBytes.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace

TEntryIcons::TEntryIcons() {
    QFileIconProvider provider;
    FFolder = QIcon::fromTheme(QStringLiteral("folder"),
                               provider.icon(QAbstractFileIconProvider::Folder));
    FFile = provider.icon(QAbstractFileIconProvider::File);
    if (QIcon::hasThemeIcon(QStringLiteral("inode-symlink")))
        FLink = QIcon::fromTheme(QStringLiteral("inode-symlink"));
}

QIcon TEntryIcons::Icon(const TDataInfo& entry) {
    if (entry.IsFolder())
        return FFolder;
    // The engine does not keep the file kind; one lstat per painted cell is cheap enough.
    if (!FLink.isNull() && IsSymbolicLink(entry.FullPath()))
        return FLink;
    return FileIcon(entry.Ext());
}

QIcon TEntryIcons::FileIcon(std::string_view ext) {
    const QString key = QString::fromUtf8(ext.data(), qsizetype(ext.size())).toLower();
    if (auto found = FByExtension.constFind(key); found != FByExtension.cend())
        return *found;
    // Look up a made-up name with only the extension: the real name could match a whole-name
    // pattern ("CMakeLists.txt", "Makefile") and give every file of the extension its icon.
    const QString probe = key.isEmpty() ? QStringLiteral("file") : QStringLiteral("file.") + key;
    const QMimeType mime = FMimes.mimeTypeForFile(probe, QMimeDatabase::MatchExtension);
    const QIcon icon =
        QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), FFile));
    FByExtension.insert(key, icon);
    return icon;
}

} // namespace quorvex
