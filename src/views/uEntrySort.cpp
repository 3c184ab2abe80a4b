#include "uEntrySort.h"

#include "uDataInfo.h"
#include "uEntryColumns.h"
#include "uPathSort.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace quorvex {

namespace {

enum class EKeyKind { None, Number, Text };

// One row's key: the folder rule, a number that orders most rows by itself (the value, or
// the first eight folded bytes of a text), and the row's current position.
struct TSortKey {
    std::uint64_t Major;
    std::uint64_t Minor; // the next eight folded bytes of a text
    std::uint32_t Position;
    bool IsFile;
};

std::uint64_t FoldedPrefix(std::string_view text, std::size_t from = 0) {
    std::uint64_t prefix = 0;
    for (std::size_t i = from; i < from + 8; ++i) {
        // A missing byte (0) sorts first, as the shorter text does.
        prefix = prefix << 8 | (i < text.size() ? FoldedByte(text[i]) : 0u);
    }
    return prefix;
}

std::uint64_t TimeKey(const TDataInfo& e, std::int64_t seconds) {
    // Entries without times have empty texts, which sort first.
    return e.HasTimes() ? std::uint64_t(seconds) ^ (std::uint64_t(1) << 63) : 0;
}

EKeyKind KindOf(int column, bool folderTree) {
    if (folderTree)
        return column == 0 ? EKeyKind::Text : column == 1 ? EKeyKind::Number : EKeyKind::None;
    switch (column) {
    case ecFileName:
    case ecDosName:
    case ecFullPath:
    case ecFileExt:
        return EKeyKind::Text;
    case ecFileSize:
    case ecCreateTime:
    case ecWriteTime:
    case ecAccessTime:
        return EKeyKind::Number;
    default:
        return EKeyKind::None;
    }
}

std::uint64_t NumberOf(const TDataInfo& e, int column, bool folderTree) {
    if (folderTree || column == ecFileSize)
        return e.Size();
    if (column == ecCreateTime)
        return TimeKey(e, e.CreateSeconds());
    if (column == ecWriteTime)
        return TimeKey(e, e.WriteSeconds());
    return TimeKey(e, e.AccessSeconds());
}

// The texts a text column compares, made once per row. Paths (only for rows of several
// trees) are assembled on demand, and the part that every path shares is left out: it
// orders nothing.
class TRowTexts {
public:
    TRowTexts(const std::vector<TDataInfo*>& rows, int column, bool folderTree) {
        FViews.reserve(rows.size());
        if (column == ecFullPath && !folderTree) {
            FPaths.reserve(rows.size());
            for (const TDataInfo* e : rows)
                FPaths.push_back(e->FullPath());
            const std::size_t shared = SharedPrefixLength(FPaths);
            for (const std::string& path : FPaths)
                FViews.emplace_back(std::string_view(path).substr(shared));
        } else {
            for (const TDataInfo* e : rows)
                FViews.push_back(column == ecFileExt && !folderTree ? e->Ext() : e->Name());
        }
    }
    std::string_view operator[](std::size_t i) const { return FViews[i]; }

private:
    static std::size_t SharedPrefixLength(const std::vector<std::string>& texts) {
        if (texts.empty())
            return 0;
        std::string_view shared = texts.front();
        for (const std::string& text : texts) {
            const auto diff = std::mismatch(shared.begin(), shared.end(), text.begin(), text.end());
            shared = shared.substr(0, std::size_t(diff.first - shared.begin()));
        }
        return shared.size();
    }

    std::vector<std::string> FPaths;
    std::vector<std::string_view> FViews;
};

} // namespace

std::vector<std::uint32_t> SortedRowPositions(const std::vector<TDataInfo*>& rows, int column,
                                              Qt::SortOrder order, bool folderTree) {
    if (column == ecFullPath && !folderTree)
        if (auto positions = PathSortedPositions(rows, order))
            return std::move(*positions);
    const EKeyKind kind = KindOf(column, folderTree);
    std::vector<TRowTexts> texts;
    if (kind == EKeyKind::Text)
        texts.emplace_back(rows, column, folderTree);
    std::vector<TSortKey> keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TDataInfo& e = *rows[i];
        const bool text = kind == EKeyKind::Text;
        const std::uint64_t major = kind == EKeyKind::Number ? NumberOf(e, column, folderTree)
                                    : text                   ? FoldedPrefix(texts[0][i])
                                                             : 0;
        keys[i] = {major, text ? FoldedPrefix(texts[0][i], 8) : 0, std::uint32_t(i), !e.IsFolder()};
    }
    const bool ascending = order == Qt::AscendingOrder;
    std::sort(keys.begin(), keys.end(), [&](const TSortKey& a, const TSortKey& b) {
        if (a.IsFile != b.IsFile)
            return b.IsFile;
        if (a.Major != b.Major)
            return ascending ? a.Major < b.Major : a.Major > b.Major;
        if (a.Minor != b.Minor)
            return ascending ? a.Minor < b.Minor : a.Minor > b.Minor;
        if (kind == EKeyKind::Text) {
            const int c = CompareFoldedText(texts[0][a.Position], texts[0][b.Position]);
            if (c != 0)
                return ascending ? c < 0 : c > 0;
        }
        return a.Position < b.Position; // equal keys keep their order
    });
    std::vector<std::uint32_t> positions(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        positions[i] = keys[i].Position;
    return positions;
}

} // namespace quorvex
