// The live edits of TDataCtrl: entries that left the disk, and one folder read again. The
// entries of a removed or replaced subtree stay in the region, unreachable, until the next
// full scan clears it: giving them back would need a free list the scan itself never needs.
#include "uDataCtrl.h"
#include "uDescriptorLimit.h"
#include "uFolderReader.h"
#include "uSumsEdit.h"
#include "uTreeEdit.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace quorvex {

namespace {

// Without the ones below another one of the list: they leave with it.
std::vector<TDataInfo*> Outermost(std::vector<const TDataInfo*> gone) {
    std::sort(gone.begin(), gone.end());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
    std::vector<TDataInfo*> outer;
    for (const TDataInfo* entry : gone) {
        bool below = false;
        for (const TDataInfo* up = entry ? entry->Parent() : nullptr; up && !below;
             up = up->Parent())
            below = std::binary_search(gone.begin(), gone.end(), up);
        if (entry && !below)
            outer.push_back(const_cast<TDataInfo*>(entry));
    }
    return outer;
}

// True when `path` is `top` or lies below it, as FullPath builds them.
bool PathWithin(const std::string& path, const std::string& top) {
    if (path.compare(0, top.size(), top) != 0)
        return false;
    return path.size() == top.size() || top.back() == '/' || path[top.size()] == '/';
}

// Opens `folder` one name at a time from the scan root, as the scan reaches it: no limit on
// the path length, and no link followed below the root. -1 with errno set on failure.
int OpenByNames(const TDataInfo& folder) {
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    std::vector<const TDataInfo*> chain;
    for (const TDataInfo* e = &folder; e; e = e->Parent())
        chain.push_back(e);
    int fd = open(chain.back()->NameBytes(), flags); // the root's name is its path
    for (auto it = chain.rbegin() + 1; fd >= 0 && it != chain.rend(); ++it) {
        const int next = openat(fd, (*it)->NameBytes(), flags | O_NOFOLLOW);
        const int error = errno;
        close(fd);
        errno = error;
        fd = next;
    }
    return fd;
}

bool IsGoneError(int error) {
    return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

} // namespace

void TDataCtrl::RemoveEntries(std::vector<const TDataInfo*> gone) {
    if (!FRoot)
        return;
    std::vector<TDataInfo*> outer = Outermost(std::move(gone));
    if (std::find(outer.begin(), outer.end(), FRoot) != outer.end()) {
        ClearBelowRoot();
        return;
    }
    std::vector<std::string> paths;
    for (const TDataInfo* entry : outer)
        paths.push_back(entry->FullPath());
    // Highest address first: taking an entry out moves only the later siblings of its own
    // block, all of them above it and none of them still to be taken out.
    std::sort(outer.begin(), outer.end(), std::greater<>());
    const std::int64_t now = FNow();
    TSumsEdit sums(*this);
    bool recount = false;
    for (TDataInfo* entry : outer)
        recount = RemoveOne(*entry, now, sums) || recount;
    DropProblemsUnder(paths);
    // A hard link that counted its inode may have left: another link counts it now.
    if (ApplyHardLinks() && FDiskUsage)
        recount = true;
    if (recount)
        SetCurrentRoot(FCurrentRoot);
    else
        sums.Finish();
}

bool TDataCtrl::RemoveOne(TDataInfo& entry, std::int64_t nowMs, TSumsEdit& sums) {
    TDataInfo& parent = *entry.Parent();
    const std::uint64_t size = entry.Size(), other = OtherSize(entry);
    ForgetExtrasBelow(entry);
    FEntryCount -= 1 + TTreeEdit::Descendants(entry);
    // The folder shown leaves: its parent is shown, with sums counted from scratch.
    const bool shownLeaves = TTreeEdit::IsWithin(FCurrentRoot, &entry);
    if (shownLeaves)
        FCurrentRoot = &parent;
    // Below the folder shown: the sums lose the subtree, and the folders on the way change
    // size (and maybe group).
    const bool below = !shownLeaves && FCurrentRoot && TTreeEdit::IsWithin(&entry, FCurrentRoot);
    if (below) {
        sums.Chain(&parent, FCurrentRoot, -1);
        sums.Count(entry, -1);
        sums.Below(entry, -1);
    }
    TTreeEdit::Unlink(entry, FCurrentRoot, FExtras);
    AddUpwards(parent, -std::int64_t(size), -std::int64_t(other), nowMs);
    if (below)
        sums.Chain(&parent, FCurrentRoot, 1);
    return shownLeaves;
}

void TDataCtrl::AddUpwards(TDataInfo& folder, std::int64_t delta, std::int64_t otherDelta,
                           std::int64_t nowMs) {
    // A size group follows the size: every folder on the way may change its group.
    for (TDataInfo* up = &folder; up; up = up->Parent()) {
        up->FSize = std::uint64_t(std::int64_t(up->FSize) + delta);
        SetOtherSize(*up, std::uint64_t(std::int64_t(OtherSize(*up)) + otherDelta));
        ClassifyEntry(*up, nowMs);
    }
}

void TDataCtrl::ClearBelowRoot() {
    ForgetExtrasBelow(*FRoot);
    FRoot->SetChildren(nullptr);
    // Only the root's own blocks are left.
    const std::uint64_t own = FRoot->OwnDiskSize();
    FRoot->FSize = FRoot->CountsDiskUsage() ? own : 0;
    SetOtherSize(*FRoot, FRoot->CountsDiskUsage() ? 0 : own);
    ClassifyEntry(*FRoot);
    FEntryCount = 1;
    FProblems.clear();
    SetCurrentRoot(FRoot);
}

void TDataCtrl::DropProblemsUnder(const std::vector<std::string>& paths) {
    const std::unordered_set<std::string> removed(paths.begin(), paths.end());
    const auto under = [&removed](const TScanProblem& problem) {
        // The problem's path and every folder above it, as prefixes ending before a "/".
        const std::string& path = problem.Path;
        for (std::size_t end = path.size(); end != std::string::npos && end > 0;
             end = path.rfind('/', end - 1))
            if (removed.count(path.substr(0, end)))
                return true;
        return false;
    };
    FProblems.erase(std::remove_if(FProblems.begin(), FProblems.end(), under), FProblems.end());
}

TDataInfo* TDataCtrl::RefreshFolder(TDataInfo* folder, IScanObserver* observer) {
    if (!FRoot || !folder || !folder->IsFolder())
        throw std::invalid_argument("Only a folder of the scan can be refreshed.");
    if (IsLoaded())
        throw std::invalid_argument("A scan loaded from a file cannot be refreshed.");
    if (folder->NotScanned() && folder->ScanProblem() == EScanProblem::OtherVolume)
        return folder; // never entered, as in a scan
    const std::string path = folder->FullPath();
    RaiseDescriptorLimit();
    const int fd = OpenByNames(*folder);
    if (fd < 0) {
        const int error = errno;
        if (folder->IsScanRoot() || !IsGoneError(error))
            throw std::system_error(error, std::generic_category(),
                                    "Cannot read the folder " + path);
        TDataInfo* parent = folder->Parent();
        RemoveEntries({folder});
        return parent;
    }
    struct statx st {};
    constexpr unsigned mask = STATX_TYPE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME |
                              STATX_INO | STATX_BLOCKS | STATX_UID | STATX_GID | STATX_MODE;
    statx(fd, "", AT_EMPTY_PATH, mask, &st);
    TDataInfo* standIn = NewRoot(path); // its name is the full path, as the problems need
    StoreExtras(*standIn, st, FExtras);
    std::vector<TScanProblem> found;
    const TScanOutcome outcome = ScanInto(*standIn, fd, path, found, observer);
    CountAsSet(*standIn);
    // Nothing has changed before this point: a failing scan leaves the tree as it was.
    bool shownBelow =
        FCurrentRoot && FCurrentRoot != folder && TTreeEdit::IsWithin(FCurrentRoot, folder);
    bool inside = FCurrentRoot && TTreeEdit::IsWithin(folder, FCurrentRoot);
    TSumsEdit sums(*this);
    if (inside) {
        sums.Chain(folder, FCurrentRoot, -1);
        sums.Below(*folder, -1);
    }
    Splice(*folder, *standIn, outcome.Entries);
    if (!folder->IsScanRoot())
        TTreeEdit::SetFolderStat(*folder, st);
    ClassifyEntry(*folder);
    ReplaceProblems(path, std::move(found));
    FCancelled = FCancelled || !outcome.Completed;
    if (ApplyHardLinks() && FDiskUsage) {
        inside = false;
        shownBelow = true; // another link may count now: the sums are counted from scratch
    }
    if (inside) {
        sums.Chain(folder, FCurrentRoot, 1);
        sums.Below(*folder, 1);
        sums.Finish();
    } else if (shownBelow) {
        SetCurrentRoot(FCurrentRoot); // found again in the new subtree
    }
    return folder;
}

void TDataCtrl::Splice(TDataInfo& folder, const TDataInfo& standIn, std::uint64_t entries) {
    // The shown folder, when inside the old subtree, is found again by its path.
    std::string shown;
    if (FCurrentRoot != &folder && TTreeEdit::IsWithin(FCurrentRoot, &folder))
        shown = FCurrentRoot->FullPath();
    FEntryCount = FEntryCount - TTreeEdit::Descendants(folder) + entries;
    const auto delta = std::int64_t(standIn.Size() - folder.Size());
    const auto otherDelta = std::int64_t(OtherSize(standIn) - OtherSize(folder));
    for (TDataInfo& child : folder.Children())
        ForgetExtrasBelow(child);
    TTreeEdit::AdoptChildren(folder, standIn);
    if (TDataInfo* parent = folder.Parent())
        AddUpwards(*parent, delta, otherDelta, FNow());
    if (!shown.empty()) {
        TDataInfo* again = folder.FindByPath(shown);
        FCurrentRoot = again && again->IsFolder() ? again : &folder;
    }
}

void TDataCtrl::ReplaceProblems(const std::string& path, std::vector<TScanProblem> found) {
    const auto first = std::find_if(FProblems.begin(), FProblems.end(), [&](const TScanProblem& p) {
        return PathWithin(p.Path, path);
    });
    const auto at = first - FProblems.begin();
    FProblems.erase(std::remove_if(first, FProblems.end(),
                                   [&](const TScanProblem& p) { return PathWithin(p.Path, path); }),
                    FProblems.end());
    FProblems.insert(FProblems.begin() + at, std::make_move_iterator(found.begin()),
                     std::make_move_iterator(found.end()));
}

} // namespace quorvex
