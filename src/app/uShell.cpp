#include "uShell.h"

#include "uDataInfo.h"

#include <QDesktopServices>
#include <QFileIconProvider>
#include <QMessageBox>
#include <QStandardPaths>
#include <cerrno>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvex {

namespace {

TUrlOpener& UrlOpener() {
    static TUrlOpener opener;
    return opener;
}

} // namespace

void SetUrlOpener(TUrlOpener opener) {
    UrlOpener() = std::move(opener);
}

bool OpenUrlOrSay(const QUrl& url, const QString& what, QWidget* owner) {
    const TUrlOpener& opener = UrlOpener();
    // openUrl() answers false when no browser, mail program or file manager is set up.
    if (opener ? opener(url) : QDesktopServices::openUrl(url))
        return true;
    QMessageBox::warning(owner, QStringLiteral("Quorvex"),
                         QStringLiteral("%1 could not be opened: no program on this desktop "
                                        "opens it.")
                             .arg(what));
    return false;
}

void OpenHomePage(QWidget* owner) {
    OpenUrlOrSay(QUrl(QString::fromLatin1(HomePageAddress)),
                 QStringLiteral("The home page %1").arg(QLatin1String(HomePageAddress)), owner);
}

void OpenMakerMail(QWidget* owner) {
    const QUrl url(QString::fromLatin1(MakerMailAddress));
    OpenUrlOrSay(url, QStringLiteral("The mail address %1").arg(url.path()), owner);
}

QUrl FolderUrl(const QByteArray& pathBytes) {
    // Decoding the bytes to text first would turn an invalid byte into U+FFFD and name
    // another folder; percent-encoded bytes survive QUrl unchanged.
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(pathBytes.toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

void OpenFolderInFileManager(const QByteArray& pathBytes, QWidget* owner) {
    OpenUrlOrSay(FolderUrl(pathBytes),
                 QStringLiteral("The folder \"%1\"").arg(QString::fromUtf8(pathBytes)), owner);
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
