#pragma once

#include <QString>
#include <Qt>
#include <string_view>
#include <vector>

namespace quorvex {

class TDataInfo;
class TXMLConfigType;

/// One column of an entry list as a `node` element of the configuration describes it. A
/// column's identity is its index (the position of its node); the index alone decides the
/// cell text and the comparison, the node only how the column looks.
struct TEntryColumn {
    QString Caption;
    int Width = 100;
    Qt::Alignment Align = Qt::AlignLeft;
    int Position = 0; ///< display position
    bool Visible = true;
};

/// The column indices that have a meaning; any other index shows nothing.
enum EEntryColumn {
    ecFileName,
    ecFullPath,
    ecFileSize,
    ecFileExt,
    ecCreateTime,
    ecWriteTime,
    ecAccessTime,
    ecDosName,
    ecOwnerName,
    ecFileType,
    ecFileCount,
    ecDiskSize ///< the allocated bytes (TDataInfo::DiskSize), whichever size is counted
};

/// The columns of the `files` element, in document order. Align "right" and "center" are
/// matched exactly; anything else is left-aligned.
std::vector<TEntryColumn> ReadEntryColumns(const TXMLConfigType& config);

/// The two columns of the folder tree: "Folder Name" (180) and "Total Size" (100).
std::vector<TEntryColumn> FolderTreeColumns();

/// Names and paths are bytes; the views show them as UTF-8, an invalid byte as U+FFFD.
QString DisplayText(std::string_view bytes);

/// `text` with every C0 control character shown as its symbol (U+2400 + code, so a line
/// break is U+240A and a tab U+2409) and DEL as U+2421. A view shows names through it, so
/// a name is never cut at a line break and a tab looks the same in every view; the data
/// and the exports keep the raw text.
QString VisibleControls(QString text);

/// "Not scanned: " and the reason, for a folder the scan did not read completely; empty
/// for every other entry.
QString NotScannedText(const TDataInfo& entry);

/// The cell text of an entry list at column index `column`.
QString EntryCellText(const TDataInfo& entry, int column);

/// The cell text of the folder tree: name, then the size text of the total.
QString FolderCellText(const TDataInfo& entry, int column);

/// The part of its parent's size an entry takes, 0..1: the scan root takes all of its own
/// and an entry of an empty folder none. Made on demand; nothing is stored per entry.
double ShareOfParent(const TDataInfo& entry);

/// A share as a percentage with one decimal and the regional decimal separator: "42.5 %".
QString ShareText(double share);

/// The order of two entries by one entry-list column, without the folders-first rule:
/// negative, 0 (equal keys, so a stable sort keeps their order) or positive. Texts compare
/// ordinally with only a..z folded; sizes and times as numbers.
int EntryCompare(const TDataInfo& a, const TDataInfo& b, int column);

/// Ordinal comparison with only the letters a..z folded to upper case (no locale rules).
int CompareFoldedText(std::string_view a, std::string_view b);
/// A byte as CompareFoldedText compares it: a-z as A-Z, every byte unsigned.
inline unsigned FoldedByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? u - 'a' + 'A' : u;
}

/// The same for the folder tree's two columns.
int FolderCompare(const TDataInfo& a, const TDataInfo& b, int column);

} // namespace quorvex
