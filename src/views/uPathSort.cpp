#include "uPathSort.h"

#include "uDataInfo.h"
#include "uEntryColumns.h"
#include "uEntryRows.h"

#include <algorithm>
#include <numeric>
#include <span>
#include <string_view>
#include <unordered_map>

namespace quorvex {

namespace {

// Below its scan root a path is the names on the way joined by "/", and a name holds no "/".
// Cut into tokens, a folder's name with its "/" and the entry's own name last, two paths
// compare as their token sequences do, token by token: a token can be a prefix of another
// only when it is a last one (no "/"), and then its path is the shorter one too. So a walk
// that visits each folder's tokens in order meets the paths in order, without making one.
// Folders whose paths fold to the same text are visited as one: their contents interleave.

constexpr std::uint32_t NoNode = ~std::uint32_t(0);

struct TPathToken {
    std::string_view Name;
    std::uint32_t Index; // the row, or for a folder's token the folder's node
    bool Folder;         // the token is the name and "/"
};

// Byte `i` of the token, folded; -1 past its end.
int TokenByte(const TPathToken& t, std::size_t i) {
    if (i < t.Name.size())
        return int(FoldedByte(t.Name[i]));
    return i == t.Name.size() && t.Folder ? '/' : -1;
}

int CompareTokens(const TPathToken& a, const TPathToken& b) {
    for (std::size_t i = 0;; ++i) {
        const int x = TokenByte(a, i), y = TokenByte(b, i);
        if (x != y)
            return x < y ? -1 : 1;
        if (x < 0)
            return 0;
    }
}

// The folders above the rows (nodes), each with the tokens of the rows and nodes in it, and
// the walk that ranks the rows' paths: equal ranks for paths that fold to the same text.
class TPathRanks {
public:
    template <typename TRows> explicit TPathRanks(const TRows& rows) : FRowNode(rows.size()) {
        FileRows(rows);
        if (FRoots != 1)
            return; // rows of several trees: no shared root to walk from
        FileTokens(rows);
        FRanks.resize(rows.size());
        FRankCount = 1; // 0 is the scan root's, a prefix of every other path
        Walk();
    }
    bool OneTree() const { return FRoots == 1; }
    std::uint32_t RankCount() const { return FRankCount; }
    std::uint32_t operator[](std::size_t row) const { return FRanks[row]; }

private:
    struct TFrame {
        std::vector<TPathToken> Merged; // the tokens of several folders, when they are merged
        std::span<const TPathToken> Left;
    };

    template <typename TRows> void FileRows(const TRows& rows) {
        const TDataInfo* lastParent = nullptr; // rows of one folder tend to come together
        std::uint32_t lastNode = NoNode;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TDataInfo* parent = rows[i]->Parent();
            if (!parent) {
                NodeOf(rows[i]);
                FRowNode[i] = NoNode;
                continue;
            }
            if (parent != lastParent) {
                lastNode = NodeOf(parent);
                lastParent = parent;
            }
            FRowNode[i] = lastNode;
        }
    }

    // The node of `folder`, filing the folders above it that have none yet.
    std::uint32_t NodeOf(const TDataInfo* folder) {
        const std::size_t first = FNodes.size();
        std::uint32_t above = NoNode;
        for (const TDataInfo* e = folder; e; e = e->Parent()) {
            const auto [it, added] = FNodeIndex.try_emplace(e, std::uint32_t(FNodes.size()));
            if (!added) {
                above = it->second;
                break;
            }
            FNodes.push_back(e);
        }
        for (std::size_t i = first; i < FNodes.size(); ++i)
            FNodeParent.push_back(i + 1 < FNodes.size() ? std::uint32_t(i + 1) : above);
        if (FNodes.size() > first && above == NoNode)
            ++FRoots;
        return FNodes.size() > first ? std::uint32_t(first) : above;
    }

    // Every row's token and every node's token in its parent's run of FTokens, sorted.
    template <typename TRows> void FileTokens(const TRows& rows) {
        FFirstToken.assign(FNodes.size() + 1, 0);
        for (const auto* parents : {&FRowNode, &FNodeParent})
            for (std::uint32_t node : *parents)
                if (node != NoNode)
                    ++FFirstToken[node + 1];
        std::partial_sum(FFirstToken.begin(), FFirstToken.end(), FFirstToken.begin());
        std::vector<std::uint32_t> next(FFirstToken.begin(), FFirstToken.end() - 1);
        FTokens.resize(FFirstToken.back());
        for (std::uint32_t i = 0; i < rows.size(); ++i)
            if (FRowNode[i] != NoNode)
                FTokens[next[FRowNode[i]]++] = {rows[i]->Name(), i, false};
        for (std::uint32_t n = 0; n < FNodes.size(); ++n)
            if (FNodeParent[n] != NoNode)
                FTokens[next[FNodeParent[n]]++] = {FNodes[n]->Name(), n, true};
        for (std::size_t n = 0; n < FNodes.size(); ++n)
            SortTokens(
                std::span(FTokens).subspan(FFirstToken[n], FFirstToken[n + 1] - FFirstToken[n]));
    }

    static void SortTokens(std::span<TPathToken> tokens) {
        std::sort(tokens.begin(), tokens.end(),
                  [](const TPathToken& a, const TPathToken& b) { return CompareTokens(a, b) < 0; });
    }

    std::span<const TPathToken> TokensOf(std::uint32_t node) const {
        return std::span(FTokens).subspan(FFirstToken[node],
                                          FFirstToken[node + 1] - FFirstToken[node]);
    }

    TFrame FrameOf(std::span<const TPathToken> folders) const {
        if (folders.size() == 1)
            return {{}, TokensOf(folders.front().Index)};
        TFrame frame;
        for (const TPathToken& folder : folders) {
            const std::span<const TPathToken> tokens = TokensOf(folder.Index);
            frame.Merged.insert(frame.Merged.end(), tokens.begin(), tokens.end());
        }
        SortTokens(frame.Merged);
        frame.Left = frame.Merged; // a moved vector keeps its buffer
        return frame;
    }

    // Depth first, with a stack of its own: trees can be deeper than the call stack allows.
    void Walk() {
        const auto root = std::uint32_t(std::find(FNodeParent.begin(), FNodeParent.end(), NoNode) -
                                        FNodeParent.begin());
        std::vector<TFrame> stack;
        stack.push_back({{}, TokensOf(root)});
        while (!stack.empty()) {
            std::span<const TPathToken>& left = stack.back().Left;
            if (left.empty()) {
                stack.pop_back();
                continue;
            }
            std::size_t same = 1;
            while (same < left.size() && CompareTokens(left.front(), left[same]) == 0)
                ++same;
            const std::span<const TPathToken> run = left.first(same);
            left = left.subspan(same);
            if (run.front().Folder) {
                stack.push_back(FrameOf(run));
                continue;
            }
            for (const TPathToken& t : run)
                FRanks[t.Index] = FRankCount;
            ++FRankCount;
        }
    }

    std::vector<const TDataInfo*> FNodes;
    std::vector<std::uint32_t> FNodeParent;
    std::unordered_map<const TDataInfo*, std::uint32_t> FNodeIndex;
    std::uint32_t FRoots = 0;
    std::vector<std::uint32_t> FRowNode; // NoNode for a scan root
    std::vector<TPathToken> FTokens;
    std::vector<std::uint32_t> FFirstToken;
    std::vector<std::uint32_t> FRanks; // 0 for a scan root
    std::uint32_t FRankCount = 0;
};

// A counting sort on the ranks: folders first, then the ranks in `order`, ties in row order.
template <typename TRows>
std::vector<std::uint32_t> PositionsByRank(const TRows& rows, const TPathRanks& ranks,
                                           Qt::SortOrder order) {
    const std::uint32_t count = ranks.RankCount();
    std::vector<std::uint32_t> bucket(rows.size());
    std::vector<std::uint32_t> first(2 * std::size_t(count) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::uint32_t r = order == Qt::AscendingOrder ? ranks[i] : count - 1 - ranks[i];
        bucket[i] = rows[i]->IsFolder() ? r : count + r;
        ++first[bucket[i] + 1];
    }
    std::partial_sum(first.begin(), first.end(), first.begin());
    std::vector<std::uint32_t> positions(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        positions[first[bucket[i]]++] = std::uint32_t(i);
    return positions;
}

template <typename TRows>
std::optional<std::vector<std::uint32_t>> PathPositions(const TRows& rows, Qt::SortOrder order) {
    const TPathRanks ranks(rows);
    if (!ranks.OneTree())
        return std::nullopt;
    return PositionsByRank(rows, ranks, order);
}

} // namespace

std::optional<std::vector<std::uint32_t>> PathSortedPositions(const std::vector<TDataInfo*>& rows,
                                                              Qt::SortOrder order) {
    return PathPositions(rows, order);
}

std::optional<std::vector<std::uint32_t>> PathSortedPositions(const TEntryRows& rows,
                                                              Qt::SortOrder order) {
    return PathPositions(rows, order);
}

} // namespace quorvex
