#include "uTreeBuilder.h"

#include "uDataInfo.h"
#include "uEntryArena.h"
#include "uEntryExtras.h"
#include "uFolderReader.h"
#include "uScanFileItem.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <sys/stat.h>

namespace quorvex {

namespace {

// A folder the writer left unread and wrote without items: on another file system, or
// excluded by the writer's own rules.
bool IsUnreadFolder(const TScanItem& info) {
    if (info.HasMode && S_ISDIR(info.Mode))
        return true;
    return info.Excluded == "otherfs" || info.Excluded == "othfs" || info.Excluded == "kernfs";
}

std::uint8_t ProblemBits(const TScanItem& info) {
    if (info.Problem >= 1 && info.Problem <= std::uint64_t(EScanProblem::NotRead) + 1)
        return std::uint8_t(info.Problem); // as Quorvex wrote it
    if (!info.Excluded.empty()) {
        const bool other = info.Excluded != "pattern" && info.Excluded != "frmlnk";
        return std::uint8_t(int(other ? EScanProblem::OtherVolume : EScanProblem::NotRead) + 1);
    }
    return info.ReadError ? std::uint8_t(int(EScanProblem::ReadError) + 1) : 0;
}

} // namespace

TTreeBuilder::TTreeBuilder(TEntryArena& arena, TEntryExtras& extras, TDataInfo& root,
                           bool linksCountedElsewhere)
    : FArena(arena), FExtras(extras), FRoot(root), FElsewhere(linksCountedElsewhere) {}

TTreeBuilder::TPending TTreeBuilder::Describe(const TScanItem& info) {
    TPending item;
    const bool folder = info.Folder || IsUnreadFolder(info);
    // A folder's own length is not counted, as in a scan; its own blocks are.
    item.Bytes = folder ? 0 : info.ASize;
    item.DiskBytes = item.OwnDisk = info.DSize;
    const bool known[3] = {info.HasCrTime, info.HasATime, info.HasMTime};
    const std::int64_t times[3] = {info.CrTime, info.ATime, info.MTime};
    for (int t = 0; t < 3; ++t) {
        item.Times[t] = times[t];
        item.KnownTimes = std::uint8_t(item.KnownTimes | (known[t] ? 1 << t : 0));
        FUnknownTimes = FUnknownTimes || !known[t];
    }
    int flags = TDataInfo::HasTimesFlag;
    if (folder)
        flags |= TDataInfo::FolderFlag | ProblemBits(info) << TDataInfo::ProblemShift;
    else if (info.HasMode && S_ISLNK(info.Mode))
        flags |= TDataInfo::LinkBits;
    item.Flags = std::uint8_t(flags);
    if (info.HasUid || info.HasGid || info.HasMode)
        item.Owner = FExtras.OwnerIndex({info.Uid, info.Gid, info.Mode});
    if (!folder && info.HasIno && (info.NLink > 1 || info.HardLinkFlag)) {
        item.HardLinked = true;
        item.CountedElsewhere = FElsewhere && info.HardLinkFlag;
        item.Dev = info.Dev;
        item.Ino = info.Ino;
        item.NLink = info.NLink;
    }
    return item;
}

void TTreeBuilder::Push(const TScanItem& info) {
    if (FFrames.size() == FDepth)
        FFrames.emplace_back();
    TFrame& frame = FFrames[FDepth++];
    frame.Self = Describe(info);
    frame.SelfName = info.Name;
    frame.Items.clear();
    frame.Names.clear();
    if (frame.Self.Flags & TDataInfo::ProblemMask) {
        const auto reason = EScanProblem(
            ((frame.Self.Flags & TDataInfo::ProblemMask) >> TDataInfo::ProblemShift) - 1);
        FProblems.push_back({FPath, reason, 0});
    }
}

void TTreeBuilder::Root(const TScanItem& info) {
    FPath = FRoot.Name();
    const bool unknown = FUnknownTimes;
    Push(info);
    FUnknownTimes = unknown; // a scan's root keeps no times either
    FFrames[0].Self.Flags &= std::uint8_t(~TDataInfo::HasTimesFlag); // as a scan's root
}

void TTreeBuilder::OpenFolder(const TScanItem& info) {
    const std::size_t parentPath = FPath.size();
    if (FPath.empty() || FPath.back() != '/')
        FPath += '/';
    FPath += info.Name;
    Push(info);
    FFrames[FDepth - 1].PathLength = parentPath; // what the path is again once it closes
}

void TTreeBuilder::File(const TScanItem& info) {
    if (IsUnreadFolder(info)) {
        OpenFolder(info);
        CloseFolder();
        return;
    }
    Append(FFrames[FDepth - 1], Describe(info), info.Name);
}

void TTreeBuilder::Append(TFrame& frame, const TPending& item, std::string_view name) {
    TPending& added = frame.Items.emplace_back(item);
    added.NameOffset = frame.Names.size();
    added.NameLength = name.size();
    frame.Names.append(name);
    frame.Names.push_back('\0');
    const bool folder = item.Flags & TDataInfo::FolderFlag;
    frame.Names.append(TDataInfo::TailBytesFor(folder, item.Bytes, item.DiskBytes), '\0');
    ++FEntries;
}

void TTreeBuilder::CloseFolder() {
    TFrame& frame = FFrames[FDepth - 1];
    TDataInfo* block = StoreBlock(frame);
    frame.Self.Children = block;
    for (const TDataInfo& child : TDataList(block, block ? std::uint32_t(frame.Items.size()) : 0)) {
        frame.Self.Bytes += child.FSize;
        frame.Self.DiskBytes += child.DiskSize();
    }
    FPath.resize(frame.PathLength);
    if (--FDepth == 0) {
        Fill(FRoot, frame.Self, nullptr);
        FRootClosed = true;
        return;
    }
    Append(FFrames[FDepth - 1], frame.Self, frame.SelfName);
}

TDataInfo* TTreeBuilder::StoreBlock(TFrame& frame) {
    if (frame.Items.empty())
        return nullptr;
    const char* names = frame.Names.data();
    std::vector<std::uint32_t> order(frame.Items.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const TPending &x = frame.Items[a], &y = frame.Items[b];
        return NameLess({names + x.NameOffset, x.NameLength}, {names + y.NameOffset, y.NameLength});
    });
    char* stored = nullptr;
    TDataInfo* block = FArena.AllocateBlock(frame.Items.size(), frame.Names.size(), &stored);
    std::memcpy(stored, names, frame.Names.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const TPending& item = frame.Items[order[i]];
        Fill(block[i], item, stored + item.NameOffset);
    }
    return block;
}

void TTreeBuilder::Fill(TDataInfo& entry, const TPending& item, const char* name) {
    if (name)
        entry.SetName(name);
    entry.FSize = item.Bytes;
    entry.FFlags = item.Flags;
    for (int t = 0; t < 3; ++t) {
        if (item.KnownTimes & (1 << t))
            entry.SetTime(t, item.Times[t]);
        else
            entry.ClearTime(t);
    }
    if (entry.IsFolder()) {
        entry.SetOwnDisk(item.OwnDisk);
        entry.SetTail(item.DiskBytes);
    } else {
        entry.SetFileDisk(item.DiskBytes);
    }
    entry.SetOwnerIndex(item.Owner);
    if (item.Children) {
        entry.SetChildren(item.Children);
        for (TDataInfo& child : entry.Children())
            child.SetParent(entry);
    }
    if (item.HardLinked) {
        entry.SetFileBits(entry.FileBits() | TDataInfo::HardLinkBit);
        FExtras.AddLink(&entry,
                        {item.Dev, item.Ino, item.NLink, item.DiskBytes, item.CountedElsewhere});
    }
}

} // namespace quorvex
