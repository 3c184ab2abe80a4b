#pragma once

#include "uScanTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

class TDataInfo;
class TEntryArena;
class TEntryExtras;
struct TScanItem;

/// Builds a tree from a description that gives a folder's items before its end, as a scan
/// file does. A folder's children are one block, so the items of every open folder wait
/// aside until it ends; then they are stored in name order, and the blocks of their own
/// children, stored before, get their parent. Each entry is touched a fixed number of times
/// and nothing recurses, however deep the folders nest.
class TTreeBuilder {
public:
    /// Builds below `root`, a folder entry of `arena` named by the scanned path.
    /// `linksCountedElsewhere`: a file marked as a hard link is counted at another link
    /// that is not marked (how one writer marks them).
    TTreeBuilder(TEntryArena& arena, TEntryExtras& extras, TDataInfo& root,
                 bool linksCountedElsewhere);

    /// The root's own description (its name is not taken from it); opens the root.
    void Root(const TScanItem& info);
    void OpenFolder(const TScanItem& info);
    /// A file, or a folder given without items (a folder that was not read).
    void File(const TScanItem& info);
    void CloseFolder();

    bool Finished() const { return FDepth == 0 && FRootClosed; }
    /// Entries built, the root included.
    std::uint64_t Entries() const { return FEntries; }
    /// True when an entry lacks one of its times.
    bool UnknownTimes() const { return FUnknownTimes; }
    /// Folders that were not read completely, in the order met.
    std::vector<TScanProblem>& Problems() { return FProblems; }

private:
    struct TPending {
        std::size_t NameOffset = 0, NameLength = 0;
        std::uint64_t Bytes = 0, DiskBytes = 0; // a folder's: its totals once it ends
        std::uint64_t OwnDisk = 0;              // a folder's own blocks
        std::int64_t Times[3] = {0, 0, 0};
        std::uint8_t KnownTimes = 0; // bit t: time t is known
        std::uint8_t Flags = 0;      // as TDataInfo::FFlags, times flag included
        std::uint16_t Owner = 0;
        TDataInfo* Children = nullptr;
        bool HardLinked = false, CountedElsewhere = false;
        std::uint64_t Dev = 0, Ino = 0, NLink = 0;
    };
    struct TFrame {
        TPending Self;
        std::string SelfName;
        std::vector<TPending> Items;
        std::string Names;
        std::size_t PathLength = 0;
    };

    TPending Describe(const TScanItem& info);
    void Push(const TScanItem& info);
    TDataInfo* StoreBlock(TFrame& frame);
    void Fill(TDataInfo& entry, const TPending& item, const char* name);
    void Append(TFrame& frame, const TPending& item, std::string_view name);

    TEntryArena& FArena;
    TEntryExtras& FExtras;
    TDataInfo& FRoot;
    bool FElsewhere;
    std::vector<TFrame> FFrames; // kept beyond FDepth, so that their buffers are reused
    std::size_t FDepth = 0;
    bool FRootClosed = false;
    std::string FPath;
    std::uint64_t FEntries = 1;
    bool FUnknownTimes = false;
    std::vector<TScanProblem> FProblems;
};

} // namespace quorvex
