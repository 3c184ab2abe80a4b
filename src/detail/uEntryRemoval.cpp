#include "uEntryRemoval.h"

#include "uBaseFunction.h"
#include "uDataInfo.h"
#include "uEntryCheck.h"
#include "uEntryColumns.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quorvex {

namespace {

int Depth(const TDataInfo* entry) {
    int depth = 0;
    for (; entry->Parent(); entry = entry->Parent())
        ++depth;
    return depth;
}

bool InsideOneOf(const TDataInfo* entry, const std::vector<const TDataInfo*>& sortedFolders) {
    for (const TDataInfo* up = entry->Parent(); up; up = up->Parent())
        if (std::binary_search(sortedFolders.begin(), sortedFolders.end(), up))
            return true;
    return false;
}

QString SystemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool MoveToTrash(const std::string& path, QString& reason) {
    // The trash takes text names: a name that does not survive the round trip would send
    // another file (or none) there.
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    if (QFile::encodeName(name).toStdString() != path) {
        reason = QStringLiteral("its name is not valid text, which the trash cannot record");
        return false;
    }
    QFile file(name);
    if (file.moveToTrash())
        return true;
    // Qt looks at a link's target first: a broken link never reaches the trash.
    reason = file.symLinkTarget().isEmpty() || QFile::exists(file.symLinkTarget())
                 ? QStringLiteral("the trash refused it (%1)").arg(file.errorString())
                 : QStringLiteral("a link whose target is gone cannot go to the trash");
    return false;
}

bool DeleteFromDisk(const TDataInfo& entry, QString& reason) {
    const std::string path = entry.FullPath();
    if ((entry.IsFolder() ? ::rmdir(path.c_str()) : ::unlink(path.c_str())) == 0)
        return true;
    reason = SystemReason();
    return false;
}

const char* Outcome(ERemoval how) {
    switch (how) {
    case ERemoval::Trash:
        return "moved to the trash";
    case ERemoval::Delete:
        return "deleted";
    }
    return "removed";
}

} // namespace

std::vector<const TDataInfo*> RemovalOrder(std::vector<const TDataInfo*> checked, ERemoval how) {
    switch (how) {
    case ERemoval::Trash: {
        std::vector<const TDataInfo*> sorted = checked;
        std::sort(sorted.begin(), sorted.end());
        std::erase_if(checked, [&](const TDataInfo* e) { return InsideOneOf(e, sorted); });
        return checked;
    }
    case ERemoval::Delete:
        std::stable_sort(
            checked.begin(), checked.end(),
            [](const TDataInfo* a, const TDataInfo* b) { return Depth(a) > Depth(b); });
        return checked;
    }
    return checked;
}

std::uint64_t CheckedBytes(const std::vector<const TDataInfo*>& checked) {
    std::vector<const TDataInfo*> sorted = checked;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::uint64_t bytes = 0;
    for (const TDataInfo* entry : sorted)
        if (!InsideOneOf(entry, sorted))
            bytes += entry->Size();
    return bytes;
}

QString ConfirmationText(ERemoval how, std::size_t count, std::uint64_t bytes) {
    const QString what = QStringLiteral("%1 %2 (%3)")
                             .arg(QString::number(count),
                                  count == 1 ? QStringLiteral("entry") : QStringLiteral("entries"),
                                  QString::fromStdString(FormatSize(double(bytes))));
    switch (how) {
    case ERemoval::Trash:
        return QStringLiteral("Move %1 to the trash?").arg(what);
    case ERemoval::Delete:
        return QStringLiteral("Delete %1 permanently? This cannot be undone.").arg(what);
    }
    return {};
}

bool RemoveEntry(const TDataInfo& entry, ERemoval how, QString& reason) {
    const EEntryChange change = ChangeSinceScan(entry);
    if (change != EEntryChange::Unchanged) {
        reason = QString::fromUtf8(EntryChangeText(change));
        return false;
    }
    switch (how) {
    case ERemoval::Trash:
        return MoveToTrash(entry.FullPath(), reason);
    case ERemoval::Delete:
        return DeleteFromDisk(entry, reason);
    }
    return false;
}

QString FailureText(ERemoval how, const std::vector<TRemovalFailure>& failures, int shown) {
    QStringList lines;
    lines << QStringLiteral("%1 of the checked entries could not be %2:")
                 .arg(failures.size())
                 .arg(QLatin1String(Outcome(how)));
    for (std::size_t i = 0; i < failures.size() && int(i) < shown; ++i)
        lines << QStringLiteral("\"%1\": %2")
                     .arg(DisplayText(failures[i].Entry->FullPath()), failures[i].Reason);
    if (failures.size() > std::size_t(shown))
        lines << QStringLiteral("and %1 more.").arg(failures.size() - std::size_t(shown));
    return lines.join(QLatin1Char('\n'));
}

bool LeftWith(const TDataInfo* entry, const std::vector<const TDataInfo*>& gone) {
    return std::binary_search(gone.begin(), gone.end(), entry) || InsideOneOf(entry, gone);
}

} // namespace quorvex
