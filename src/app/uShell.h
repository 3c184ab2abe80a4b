#pragma once

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>
#include <QUrl>
#include <functional>
#include <string>
#include <string_view>

class QWidget;

namespace quorvex {

class TDataInfo;

inline constexpr char HomePageAddress[] = "https://quorvex.org";
inline constexpr char MakerMailAddress[] = "mailto:dev@quorvex.org";

/// Hands an address to the desktop; false when no program took it. QDesktopServices by
/// default; tests put their own in with SetUrlOpener (an empty one restores the default).
using TUrlOpener = std::function<bool(const QUrl& url)>;
void SetUrlOpener(TUrlOpener opener);

/// Opens `url` through the opener. When no program takes it, says so in a message box over
/// `owner` (captioned "Quorvex") naming `what`, and returns false.
bool OpenUrlOrSay(const QUrl& url, const QString& what, QWidget* owner);

/// Hand the home page or the maker's mail address to the desktop, saying so when nothing
/// can open it.
void OpenHomePage(QWidget* owner = nullptr);
void OpenMakerMail(QWidget* owner = nullptr);

/// The file URL of a path given as the kernel's bytes. Bytes that are not UTF-8 stay
/// percent-encoded as they are, so the file manager reaches the same folder.
QUrl FolderUrl(const QByteArray& pathBytes);

/// Shows the folder in the desktop's file manager, saying so when there is none.
void OpenFolderInFileManager(const QByteArray& pathBytes, QWidget* owner = nullptr);

/// Unlinks the file named by `pathBytes` (a symbolic link itself, never its target). Linux
/// has no read-only or hidden attribute to clear: only the folder's permissions matter.
/// Returns false with the system's reason in `error` (when given) if the file stays.
bool ForceDeleteFile(const std::string& pathBytes, std::string* error);

/// When the platform names no usable icon theme (offscreen, bare X sessions), use Adwaita
/// from the system's icon folders, so entries still get file-type icons. Call once at
/// start-up, before the first TEntryIcons is made.
void UseDefaultIconTheme();

/// Icons of the entry lists: folder, symbolic link, or the icon of the file's MIME type
/// taken from its extension alone (no file is read). Types are looked up once per distinct
/// lower-case extension, so a million rows cost one MIME lookup per type.
class TEntryIcons {
public:
    /// Reads the current icon theme; make it after the theme is set.
    TEntryIcons();

    QIcon Icon(const TDataInfo& entry);
    const QIcon& FolderIcon() const { return FFolder; }
    /// The icon of a file with extension `ext` (bytes, without the dot; empty for none).
    QIcon FileIcon(std::string_view ext);
    /// Distinct extensions looked up so far.
    qsizetype CachedTypeCount() const { return FByExtension.size(); }

private:
    QMimeDatabase FMimes;
    QHash<QString, QIcon> FByExtension;
    QIcon FFolder;
    QIcon FFile;
    QIcon FLink; // null when the theme has no link icon: links then show their type's icon
};

} // namespace quorvex
