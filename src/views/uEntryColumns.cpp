#include "uEntryColumns.h"

#include "KestrixFAConfig.h"
#include "uBaseFunction.h"
#include "uDataInfo.h"
#include "uRegional.h"

namespace quorvex {

namespace {

Qt::Alignment AlignmentOf(const std::string& align) {
    // Exact matches only: "Right" or "CENTER" stay left-aligned.
    if (align == "right")
        return Qt::AlignRight | Qt::AlignVCenter;
    if (align == "center")
        return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString FromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

template <typename T> int Order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// An entry without times (the scan root) has empty time texts, which sort first.
int CompareTimes(const TDataInfo& a, const TDataInfo& b, std::int64_t ta, std::int64_t tb) {
    if (a.HasTimes() != b.HasTimes())
        return a.HasTimes() ? 1 : -1;
    return a.HasTimes() ? Order(ta, tb) : 0;
}

} // namespace

int CompareFoldedText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = FoldedByte(a[i]);
        const auto y = FoldedByte(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return Order(a.size(), b.size());
}

std::vector<TEntryColumn> ReadEntryColumns(const TXMLConfigType& config) {
    const TXMLFilesType files = config.Files();
    std::vector<TEntryColumn> columns;
    for (int i = 0; i < files.Count(); ++i) {
        const TXMLNodeType node = files.Node(i);
        columns.push_back({FromStd(node.Name()), node.Width(), AlignmentOf(node.Align()),
                           node.Index(), node.Visible()});
    }
    return columns;
}

std::vector<TEntryColumn> FolderTreeColumns() {
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    return {{QStringLiteral("Folder Name"), 180, left, 0, true},
            {QStringLiteral("Total Size"), 100, left, 1, true}};
}

QString DisplayText(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString VisibleControls(QString text) {
    constexpr char16_t Delete = 0x7f, ControlPictures = 0x2400, DeletePicture = 0x2421;
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(char16_t(ControlPictures + code));
        else if (code == Delete)
            c = QChar(DeletePicture);
    }
    return text;
}

QString NotScannedText(const TDataInfo& entry) {
    if (!entry.NotScanned())
        return {};
    return QStringLiteral("Not scanned: ") +
           QString::fromLatin1(ScanProblemText(entry.ScanProblem()));
}

QString EntryCellText(const TDataInfo& entry, int column) {
    switch (column) {
    case ecFileName:
    case ecDosName:
        return DisplayText(entry.Name());
    case ecFullPath:
        return DisplayText(entry.FullPath());
    case ecFileSize:
        return FromStd(SizeText(entry.FileSize()));
    case ecFileExt:
        return DisplayText(entry.Ext());
    case ecCreateTime:
        return FromStd(entry.CreateTime());
    case ecWriteTime:
        return FromStd(entry.WriteTime());
    case ecAccessTime:
        return FromStd(entry.AccessTime());
    case ecOwnerName:
        return FromStd(entry.OwnerName());
    case ecFileType:
        return entry.IsFolder() ? QStringLiteral("Folder") : QStringLiteral("File");
    case ecFileCount:
        return FromStd(entry.FileCount());
    case ecDiskSize:
        return FromStd(SizeText(SizeNumberText(double(entry.DiskSize()))));
    default:
        return {};
    }
}

QString FolderCellText(const TDataInfo& entry, int column) {
    if (column == 0)
        return DisplayText(entry.Name());
    if (column == 1)
        return FromStd(SizeText(entry.FileSize()));
    return {};
}

double ShareOfParent(const TDataInfo& entry) {
    const TDataInfo* parent = entry.Parent();
    if (!parent)
        return 1.0;
    return parent->Size() == 0 ? 0.0 : double(entry.Size()) / double(parent->Size());
}

QString ShareText(double share) {
    QString number = QString::number(share * 100.0, 'f', 1); // always with a "."
    number.replace(QLatin1Char('.'), FromStd(TRegionalSettings::Current().DecimalSeparator));
    return number + QStringLiteral(" %");
}

int EntryCompare(const TDataInfo& a, const TDataInfo& b, int column) {
    switch (column) {
    case ecFileName:
    case ecDosName:
        return CompareFoldedText(a.Name(), b.Name());
    case ecFullPath:
        return CompareFoldedText(a.FullPath(), b.FullPath());
    case ecFileSize:
        return Order(a.Size(), b.Size());
    case ecDiskSize:
        return Order(a.DiskSize(), b.DiskSize());
    case ecFileExt:
        return CompareFoldedText(a.Ext(), b.Ext());
    case ecCreateTime:
        return CompareTimes(a, b, a.CreateSeconds(), b.CreateSeconds());
    case ecWriteTime:
        return CompareTimes(a, b, a.WriteSeconds(), b.WriteSeconds());
    case ecAccessTime:
        return CompareTimes(a, b, a.AccessSeconds(), b.AccessSeconds());
    default: // owner and file count are empty for every entry; the type is the folder rule
        return 0;
    }
}

int FolderCompare(const TDataInfo& a, const TDataInfo& b, int column) {
    if (column == 0)
        return CompareFoldedText(a.Name(), b.Name());
    if (column == 1)
        return Order(a.Size(), b.Size());
    return 0;
}

} // namespace quorvex
