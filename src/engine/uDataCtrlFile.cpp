// Scans saved to and loaded from scan files: the JSON format terminal disk-usage tools write.
#include "uDataCtrl.h"
#include "uScanFileReader.h"
#include "uScanFileWriter.h"
#include "uTreeBuilder.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>

namespace quorvex {

namespace {

constexpr std::uint64_t PollEvery = 16384;

// What a progress window is told while a file is read or written.
class TFileProgress {
public:
    TFileProgress(IScanObserver* observer, std::string name)
        : FObserver(observer), FName(std::move(name)) {}
    /// False when the user asked to stop.
    bool Step(std::uint64_t entries) {
        if (!FObserver || entries % PollEvery)
            return true;
        if (FObserver->ScanCancelRequested())
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - FLast >= std::chrono::milliseconds(50)) {
            FLast = now;
            FObserver->ScanProgress({entries, 0, FName});
        }
        return true;
    }

private:
    IScanObserver* FObserver;
    std::string FName;
    std::chrono::steady_clock::time_point FLast{};
};

} // namespace

bool TDataCtrl::LoadScanFile(const std::string& path, IScanObserver* observer) {
    Forget();
    try {
        return Load(path, observer);
    } catch (...) {
        Forget(); // nothing half-read stays
        throw;
    }
}

bool TDataCtrl::Load(const std::string& path, IScanObserver* observer) {
    TScanFileReader reader(path);
    if (reader.Next() != TScanFileReader::EEvent::Folder)
        throw TScanFileError("The scan file holds no folder", reader.Offset());
    FRoot = NewRoot(reader.Item().Name);
    FRootDev = reader.Item().Dev;
    TTreeBuilder builder(FArena, FExtras, *FRoot, reader.Header().ProgName == "gdu");
    builder.Root(reader.Item());
    TFileProgress progress(observer, path);
    while (!builder.Finished()) {
        switch (reader.Next()) {
        case TScanFileReader::EEvent::Folder:
            builder.OpenFolder(reader.Item());
            break;
        case TScanFileReader::EEvent::File:
            builder.File(reader.Item());
            break;
        case TScanFileReader::EEvent::EndFolder:
            builder.CloseFolder();
            break;
        case TScanFileReader::EEvent::End:
            throw TScanFileError("The scan file ends inside a folder", reader.Offset());
        }
        if (!progress.Step(builder.Entries())) {
            Forget();
            return false;
        }
    }
    if (reader.Next() != TScanFileReader::EEvent::End)
        throw TScanFileError("The scan file goes on after its root folder", reader.Offset());
    FEntryCount = builder.Entries();
    FProblems = std::move(builder.Problems());
    FUnknownTimes = builder.UnknownTimes();
    if (FUnknownTimes)
        AddUnknownAgeGroups();
    ApplyHardLinks();
    if (FDiskUsage)
        CountAsSet(*FRoot);
    else
        ReclassifyAll();
    FLoadedFrom = path;
    return true;
}

} // namespace quorvex

namespace quorvex {

void TDataCtrl::Describe(const TDataInfo& entry, TScanItem& item) const {
    item = TScanItem{};
    item.Name = entry.Name();
    item.Folder = entry.IsFolder() &&
                  !(entry.NotScanned() && entry.ScanProblem() == EScanProblem::OtherVolume);
    item.Dev = FRootDev; // a scan never leaves the scanned folder's file system
    if (entry.IsFolder()) {
        item.DSize = entry.OwnDiskSize();
    } else {
        item.ASize = entry.ApparentSize();
        item.DSize = entry.DiskSize();
    }
    if (const THardLink* link = HardLink(entry)) {
        item.DSize = link->DiskBytes; // a reader counts the inode once by itself
        item.Ino = link->Ino;
        item.HasIno = true;
        item.NLink = std::max<std::uint64_t>(link->NLink, 2);
        item.HardLinkFlag = true;
    }
    if (const TOwner* owner = Owner(entry)) {
        item.Uid = owner->Uid;
        item.Gid = owner->Gid;
        item.Mode = owner->Mode;
        item.HasUid = item.HasGid = item.HasMode = true;
        item.NotReg = !entry.IsFolder() && !S_ISREG(owner->Mode);
    }
    item.NotReg = item.NotReg || entry.IsLink();
    item.HasCrTime = entry.HasCreateTime();
    item.HasATime = entry.HasAccessTime();
    item.HasMTime = entry.HasWriteTime();
    item.CrTime = entry.CreateSeconds();
    item.ATime = entry.AccessSeconds();
    item.MTime = entry.WriteSeconds();
    if (entry.NotScanned()) {
        if (entry.ScanProblem() == EScanProblem::OtherVolume)
            item.Excluded = "otherfs";
        else
            item.ReadError = true;
        item.Problem = std::uint64_t(entry.ScanProblem()) + 1; // the reason, for Quorvex
    }
}

bool TDataCtrl::SaveScanFile(const std::string& path, IScanObserver* observer) const {
    if (!FRoot)
        throw std::logic_error("There is no scan to save.");
    TScanFileHeader header;
    header.ProgName = "quorvex";
    header.ProgVer = QUORVEX_VERSION;
    header.Timestamp = FNow() / 1000;
    TScanFileWriter writer(path, header);
    TScanItem item;
    TFileProgress progress(observer, path);
    std::uint64_t written = 0;
    std::vector<const TDataInfo*> open; // folders whose items are being written
    for (TDataInfo* e = FRoot; e; e = NextInPreOrder(e, FRoot)) {
        while (!open.empty() && e->Parent() != open.back()) {
            writer.CloseFolder();
            open.pop_back();
        }
        Describe(*e, item);
        if (item.Folder) {
            writer.OpenFolder(item);
            open.push_back(e);
        } else {
            writer.File(item);
        }
        if (!progress.Step(++written))
            return false; // the writer goes without Finish: the target stays as it was
    }
    for (; !open.empty(); open.pop_back())
        writer.CloseFolder();
    writer.Finish();
    return true;
}

} // namespace quorvex
