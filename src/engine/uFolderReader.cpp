#include "uFolderReader.h"

#include "uDataInfo.h"
#include "uEntryArena.h"
#include "uEntryExtras.h"
#include "uVolumeGuard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x1000U
#endif

namespace quorvex {

namespace {

constexpr std::size_t BufferBytes = 32 * 1024;
constexpr std::size_t KeptItems = 1024;

// The kernel's record; the NUL-terminated name follows the fixed part.
struct TDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
};
constexpr std::size_t DirentNameOffset = 19;

} // namespace

std::int64_t CreateSeconds(const struct statx& st) {
    // Birth time where the file system keeps one, else the earlier of change and write.
    if (HasBirthTime(st))
        return st.stx_btime.tv_sec;
    return std::min(st.stx_ctime.tv_sec, st.stx_mtime.tv_sec);
}

bool HasBirthTime(const struct statx& st) {
    return (st.stx_mask & STATX_BTIME) && st.stx_btime.tv_sec != 0;
}

EScanProblem ProblemOfError(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return EScanProblem::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return EScanProblem::Vanished;
    default:
        return EScanProblem::ReadError;
    }
}

TFolderReader::TFolderReader() : FBuffer(new char[BufferBytes]) {}
TFolderReader::~TFolderReader() = default;

void TFolderReader::Start(int fd, const TVolumeGuard& volume) {
    FFd = fd;
    FVolume = &volume;
    FGot = FPos = 0;
    FListError = 0;
    FDenied = false;
    FItems.clear();
    FNames.clear();
    // After a folder of thousands of items, give its buffers back instead of keeping them
    // for the rest of the scan: each scanning thread has its own.
    if (FItems.capacity() > KeptItems) {
        FItems.shrink_to_fit();
        FNames.shrink_to_fit();
    }
}

bool TFolderReader::Fill() {
    FGot = syscall(SYS_getdents64, FFd, FBuffer.get(), BufferBytes);
    FPos = 0;
    if (FGot < 0)
        FListError = errno;
    if (FGot > 0)
        return true;
    FFd = -1; // ended: later calls return false at once
    FGot = 0;
    return false;
}

bool TFolderReader::Next() {
    for (;;) {
        if (FPos >= FGot && (FFd < 0 || !Fill()))
            return false;
        const char* record = FBuffer.get() + FPos;
        FPos += reinterpret_cast<const TDirent64*>(record)->d_reclen;
        const char* name = record + DirentNameOffset;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        Examine(name);
        return true;
    }
}

void TFolderReader::Examine(const char* name) {
    struct statx st; // filled by the kernel
    constexpr unsigned mask = STATX_TYPE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME |
                              STATX_BTIME | STATX_INO | STATX_MNT_ID | STATX_BLOCKS | STATX_NLINK |
                              STATX_UID | STATX_GID | STATX_MODE;
    if (statx(FFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &st) != 0) {
        // Gone since the listing, or not examinable: the item is left out.
        FDenied = FDenied || errno == EACCES;
        return;
    }
    TListedItem item{};
    item.NameOffset = FNames.size();
    item.NameLength = std::strlen(name);
    item.Folder = S_ISDIR(st.stx_mode);
    item.Link = S_ISLNK(st.stx_mode);
    // Links, sockets, pipes and devices are files; only regular files and links have a size.
    item.Size = S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode) ? st.stx_size : 0;
    item.Times[0] = CreateSeconds(st);
    item.Times[1] = st.stx_atime.tv_sec;
    item.Times[2] = st.stx_mtime.tv_sec;
    item.Dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    item.Ino = st.stx_ino;
    item.DiskBytes = std::uint64_t(st.stx_blocks) * 512;
    item.Uid = st.stx_uid;
    item.Gid = st.stx_gid;
    item.Mode = st.stx_mode;
    item.NLink = st.stx_nlink;
    item.OtherVolume = item.Folder && FVolume->IsOtherMount(st, FFd, name);
    // The name, its NUL and room for the entry's second size where it needs one.
    FNames.append(name, item.NameLength + 1);
    FNames.append(TDataInfo::TailBytesFor(item.Folder, item.Size, item.DiskBytes), '\0');
    FItems.push_back(item);
}

bool NameLess(std::string_view a, std::string_view b) {
    const auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : int(c); };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = fold((unsigned char)a[i]), y = fold((unsigned char)b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b; // equal when folded: upper case first, as the raw bytes order them
}

void TFolderReader::SortByName() {
    // The names stay where they are; only the items move, before any entry exists, so no
    // distance ever needs fixing.
    const char* names = FNames.data();
    std::sort(FItems.begin(), FItems.end(), [names](const TListedItem& a, const TListedItem& b) {
        return NameLess({names + a.NameOffset, a.NameLength}, {names + b.NameOffset, b.NameLength});
    });
}

TDataInfo* TFolderReader::Store(TEntryArena& arena, TDataInfo& folder, TEntryExtras& extras) {
    if (FItems.empty())
        return nullptr; // an empty folder keeps no block (memcpy must not see a null pointer)
    SortByName();
    char* names = nullptr;
    TDataInfo* block = arena.AllocateBlock(FItems.size(), FNames.size(), &names);
    std::memcpy(names, FNames.data(), FNames.size());
    folder.SetChildren(block);
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        const TListedItem& item = FItems[i];
        TDataInfo& entry = block[i];
        entry.SetParent(folder);
        entry.SetName(names + item.NameOffset);
        entry.FSize = item.Size;
        entry.FFlags =
            std::uint8_t((item.Folder ? TDataInfo::FolderFlag : 0) | TDataInfo::HasTimesFlag |
                         (item.Link ? TDataInfo::LinkBits : 0) |
                         InodeFingerprintOf(item.Dev, item.Ino) << TDataInfo::FingerprintShift);
        for (int t = 0; t < 3; ++t)
            entry.SetTime(t, item.Times[t]);
        const std::uint32_t owner[3] = {item.Uid, item.Gid, item.Mode};
        if (!std::equal(owner, owner + 3, FLastOwner)) {
            std::copy(owner, owner + 3, FLastOwner);
            FLastOwnerIndex = extras.OwnerIndex({item.Uid, item.Gid, item.Mode});
        }
        StoreDisk(entry, item.DiskBytes, item.Folder);
        entry.SetOwnerIndex(FLastOwnerIndex);
        if (!item.Folder && item.NLink > 1) {
            entry.SetFileBits(entry.FileBits() | TDataInfo::HardLinkBit);
            extras.AddLink(&entry, {item.Dev, item.Ino, item.NLink, item.DiskBytes});
        }
    }
    return block;
}

void StoreDisk(TDataInfo& entry, std::uint64_t diskBytes, bool folder) {
    if (folder) {
        entry.SetOwnDisk(diskBytes);
        entry.SetTail(diskBytes); // the total until the children are added
    } else {
        entry.SetFileDisk(diskBytes);
    }
}

void StoreExtras(TDataInfo& folder, const struct statx& st, TEntryExtras& extras) {
    StoreDisk(folder, std::uint64_t(st.stx_blocks) * 512, true);
    folder.SetOwnerIndex(extras.OwnerIndex({st.stx_uid, st.stx_gid, st.stx_mode}));
}

} // namespace quorvex
