#include "uEntrySort.h"

#include "uDataInfo.h"
#include "uEntryColumns.h"
#include "uEntryRows.h"
#include "uPathSort.h"

#include <algorithm>
#include <array>
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
    case ecDiskSize:
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
    if (column == ecDiskSize)
        return e.DiskSize();
    if (column == ecCreateTime)
        return TimeKey(e, e.CreateSeconds());
    if (column == ecWriteTime)
        return TimeKey(e, e.WriteSeconds());
    return TimeKey(e, e.AccessSeconds());
}

// The bytes of each row's text beyond the two eight-byte keys, side by side in row order.
// Rows whose keys tie compare only these, and reading them from one dense buffer costs far
// fewer cache misses than following each row to its name.
class TTextTails {
public:
    static constexpr std::size_t KeyBytes = 16;

    explicit TTextTails(std::size_t rows) { FStarts.reserve(rows + 1); }
    void Add(std::string_view text) {
        FStarts.push_back(FBytes.size());
        if (text.size() > KeyBytes)
            FBytes.append(text.substr(KeyBytes));
    }
    void Finish() { FStarts.push_back(FBytes.size()); }
    std::string_view operator[](std::size_t row) const {
        return std::string_view(FBytes).substr(FStarts[row], FStarts[row + 1] - FStarts[row]);
    }

private:
    std::vector<std::size_t> FStarts;
    std::string FBytes;
};

// Paths (only for rows of several trees) are assembled here; the part that every path
// shares orders nothing and is left out.
template <typename TRows> std::vector<std::string> UnsharedPaths(const TRows& rows) {
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        paths.push_back(rows[i]->FullPath());
    std::string_view shared = paths.empty() ? std::string_view() : paths.front();
    for (const std::string& path : paths) {
        const auto diff = std::mismatch(shared.begin(), shared.end(), path.begin(), path.end());
        shared = shared.substr(0, std::size_t(diff.first - shared.begin()));
    }
    for (std::string& path : paths)
        path.erase(0, shared.size());
    return paths;
}

// Fills the keys and tails of a text column.
template <typename TRows>
void TextKeys(const TRows& rows, int column, bool folderTree, std::vector<TSortKey>& keys,
              TTextTails& tails) {
    const bool paths = column == ecFullPath && !folderTree;
    const std::vector<std::string> unshared =
        paths ? UnsharedPaths(rows) : std::vector<std::string>();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TDataInfo& e = *rows[i];
        const std::string_view text = paths ? std::string_view(unshared[i])
                                      : column == ecFileExt && !folderTree ? e.Ext()
                                                                           : e.Name();
        keys[i] = {FoldedPrefix(text), FoldedPrefix(text, 8), std::uint32_t(i), !e.IsFolder()};
        tails.Add(text);
    }
    tails.Finish();
}

// A row of a number column for the radix sort: the value (inverted for a descending sort),
// the folder rule and the row's current position.
struct TRadixKey {
    std::uint64_t Value;
    std::uint32_t Position;
    bool IsFile;
};

// One stable counting pass over the bucket `digit` gives each key; a pass in which every key
// falls into one bucket would move nothing and is skipped.
template <typename TDigit>
void RadixPass(std::vector<TRadixKey>& keys, std::vector<TRadixKey>& spare, TDigit digit) {
    std::array<std::size_t, 257> next{};
    for (const TRadixKey& k : keys)
        ++next[digit(k) + 1];
    if (std::find(next.begin() + 1, next.end(), keys.size()) != next.end())
        return;
    for (std::size_t b = 1; b < next.size(); ++b)
        next[b] += next[b - 1];
    for (const TRadixKey& k : keys)
        spare[next[digit(k)]++] = k;
    keys.swap(spare);
}

// Numbers sort in linear time: least significant byte first, then the folder rule, each pass
// stable, so rows with equal keys keep their order exactly as the comparison sort keeps it.
// A refill of a million sorted rows on every folder click makes this worth its lines.
template <typename TRows, typename TValue>
std::vector<std::uint32_t> RadixPositions(const TRows& rows, Qt::SortOrder order,
                                          const TValue& valueOf) {
    std::vector<TRadixKey> keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TDataInfo& e = *rows[i];
        const std::uint64_t value = valueOf(e);
        keys[i] = {order == Qt::AscendingOrder ? value : ~value, std::uint32_t(i), !e.IsFolder()};
    }
    std::vector<TRadixKey> spare(keys.size());
    for (unsigned shift = 0; shift < 64; shift += 8)
        RadixPass(keys, spare, [shift](const TRadixKey& k) { return k.Value >> shift & 0xff; });
    RadixPass(keys, spare, [](const TRadixKey& k) { return std::uint64_t(k.IsFile); });
    std::vector<std::uint32_t> positions(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        positions[i] = keys[i].Position;
    return positions;
}

template <typename TRows>
std::vector<std::uint32_t> NumberPositions(const TRows& rows, int column, Qt::SortOrder order,
                                           bool folderTree) {
    const bool number = KindOf(column, folderTree) == EKeyKind::Number;
    return RadixPositions(rows, order, [&](const TDataInfo& e) {
        return number ? NumberOf(e, column, folderTree) : std::uint64_t(0);
    });
}

template <typename TRows>
std::vector<std::uint32_t> SortedPositions(const TRows& rows, int column, Qt::SortOrder order,
                                           bool folderTree) {
    if (column == ecFullPath && !folderTree)
        if (auto positions = PathSortedPositions(rows, order))
            return std::move(*positions);
    const EKeyKind kind = KindOf(column, folderTree);
    if (kind != EKeyKind::Text)
        return NumberPositions(rows, column, order, folderTree);
    std::vector<TSortKey> keys(rows.size());
    TTextTails tails(rows.size());
    TextKeys(rows, column, folderTree, keys, tails);
    const bool ascending = order == Qt::AscendingOrder;
    std::sort(keys.begin(), keys.end(), [&](const TSortKey& a, const TSortKey& b) {
        if (a.IsFile != b.IsFile)
            return b.IsFile;
        if (a.Major != b.Major)
            return ascending ? a.Major < b.Major : a.Major > b.Major;
        if (a.Minor != b.Minor)
            return ascending ? a.Minor < b.Minor : a.Minor > b.Minor;
        // Equal keys mean equal first sixteen folded bytes: the tails decide.
        if (const int c = CompareFoldedText(tails[a.Position], tails[b.Position]); c != 0)
            return ascending ? c < 0 : c > 0;
        return a.Position < b.Position; // equal keys keep their order
    });
    std::vector<std::uint32_t> positions(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        positions[i] = keys[i].Position;
    return positions;
}

} // namespace

std::vector<std::uint32_t> SortedRowPositions(const std::vector<TDataInfo*>& rows, int column,
                                              Qt::SortOrder order, bool folderTree) {
    return SortedPositions(rows, column, order, folderTree);
}

std::vector<std::uint32_t> SortedRowPositions(const TEntryRows& rows, int column,
                                              Qt::SortOrder order, bool folderTree) {
    return SortedPositions(rows, column, order, folderTree);
}

std::vector<std::uint32_t>
SortedRowPositions(const TEntryRows& rows, const std::function<std::int64_t(const TDataInfo&)>& key,
                   Qt::SortOrder order) {
    // The sign bit flipped: negative numbers then come before positive ones as unsigned.
    return RadixPositions(rows, order, [&](const TDataInfo& e) {
        return std::uint64_t(key(e)) ^ (std::uint64_t(1) << 63);
    });
}

} // namespace quorvex
