#include "uDataInfo.h"

#include "uBaseFunction.h"

#include <algorithm>
#include <stdexcept>

namespace quorvex {

namespace {

void AppendChild(std::string& path, std::string_view name) {
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
}

[[noreturn]] void ThrowIndex(std::size_t index, std::size_t count) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ") of " +
                            std::to_string(count));
}

} // namespace

std::string_view ExtensionOf(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// ---- TDataInfo ----------------------------------------------------------------------------

std::string TDataInfo::FullPath() const {
    std::vector<const TDataInfo*> chain;
    for (const TDataInfo* e = this; e; e = e->Parent())
        chain.push_back(e);
    std::string path(chain.back()->Name());
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it)
        AppendChild(path, (*it)->Name());
    return path;
}

std::string TDataInfo::FileSize() const {
    return SizeNumberText(double(FSize));
}

std::string_view TDataInfo::Ext() const {
    return IsFolder() || IsScanRoot() ? std::string_view() : ExtensionOf(Name());
}

std::string TDataInfo::CreateTime() const {
    return HasTime(0) ? DateTimeText(Time(0)) : std::string();
}
std::string TDataInfo::AccessTime() const {
    return HasTime(1) ? DateTimeText(Time(1)) : std::string();
}
std::string TDataInfo::WriteTime() const {
    return HasTime(2) ? DateTimeText(Time(2)) : std::string();
}

std::string TDataInfo::NameLength() const {
    return IsScanRoot() ? std::string() : std::to_string(NameChars());
}

std::uint32_t TDataInfo::NameChars() const {
    return std::uint32_t(NameCharCount(Name()));
}

void TDataInfo::SetTime(int which, std::int64_t unixSeconds) {
    constexpr std::int64_t bias = std::int64_t(1) << (TimeBits - 1);
    // Beyond +-2,000 years is a corrupt time stamp; keep the nearest representable moment.
    const std::int64_t clamped = std::clamp(unixSeconds, -bias, bias - 1);
    const auto stored = std::uint64_t(clamped + bias);
    FTimeLow[which] = std::uint32_t(stored);
    const int shift = 5 * which;
    FTimeHigh = std::uint16_t((FTimeHigh & ~(TimeHighMask << shift)) |
                              (std::uint16_t(stored >> 32) & TimeHighMask) << shift);
}

void TDataInfo::SetGroup(int slot, std::int32_t group) {
    if (slot != gsSize && IsFolder())
        return; // those bytes are the folder's own
    FGroups[slot] = group < 0 || group >= NoGroupStored ? NoGroupStored : std::uint8_t(group);
}

void TDataInfo::SetOwnerIndex(std::uint16_t index) {
    const std::uint32_t owner = index <= OwnerMask ? index : 0;
    if (IsFolder())
        SetFolderBits((FolderBits() & ~OwnerMask) | owner);
    else
        SetFileBits((FileBits() & ~OwnerMask) | owner);
}

std::uint32_t TDataInfo::DiskCode(std::uint64_t apparent, std::uint64_t disk) {
    if (disk == (apparent + 4095) / 4096 * 4096)
        return 0;
    if (disk % 512 == 0 && disk / 512 + 1 < TailCode)
        return std::uint32_t(disk / 512 + 1);
    return TailCode;
}

bool TDataInfo::SetFileDisk(std::uint64_t bytes) {
    const std::uint32_t code = DiskCode(FSize, bytes);
    SetFileBits((FileBits() & ((1u << CodeShift) - 1)) | code << CodeShift);
    if (code == TailCode)
        SetTail(bytes);
    return code != TailCode;
}

void TDataInfo::SetOwnDisk(std::uint64_t bytes) {
    // A folder of more than 256 MiB of its own blocks keeps that much: none comes close.
    const auto blocks = std::uint32_t(std::min<std::uint64_t>(bytes / 512, MaxOwnBlocks));
    SetFolderBits((FolderBits() & OwnerMask) | blocks << OwnerBits);
}

TDataInfo* TDataInfo::FindByPath(std::string_view path) {
    // Walks down one name at a time, so the search costs the depth of the result and never
    // recurses on the machine stack.
    TDataInfo* entry = this;
    std::string own = FullPath();
    while (true) {
        if (own == path)
            return entry;
        std::string prefix = own;
        if (prefix.empty() || prefix.back() != '/')
            prefix += '/';
        if (path.size() <= prefix.size() || path.substr(0, prefix.size()) != prefix)
            return nullptr;
        const std::string_view rest = path.substr(prefix.size());
        const std::string_view name = rest.substr(0, rest.find('/'));
        TDataInfo* next = nullptr;
        for (TDataInfo& child : entry->Children())
            if (child.Name() == name) {
                next = &child;
                break;
            }
        if (!next)
            return nullptr;
        entry = next;
        own = prefix;
        own += name;
    }
}

TDataInfo* NextInPreOrder(TDataInfo* entry, const TDataInfo* top) {
    if (entry->Children().Count())
        return entry->Children().begin();
    for (; entry != top; entry = entry->Parent()) {
        const TDataInfo* parent = entry->Parent();
        if (entry + 1 != parent->Children().end())
            return entry + 1;
    }
    return nullptr;
}

// ---- TDataList ----------------------------------------------------------------------------

TDataInfo* TDataList::Items(std::size_t index) const {
    if (index >= FCount)
        ThrowIndex(index, FCount);
    return FFirst + index;
}

TDataInfo* TDataList::FindByPath(std::string_view path) const {
    for (TDataInfo& entry : *this)
        if (TDataInfo* found = entry.FindByPath(path))
            return found;
    return nullptr;
}

// ---- TSumList -----------------------------------------------------------------------------

TSumInfo& TSumList::Items(std::size_t index) {
    if (index >= FItems.size())
        ThrowIndex(index, FItems.size());
    return FItems[index];
}

const TSumInfo& TSumList::Items(std::size_t index) const {
    if (index >= FItems.size())
        ThrowIndex(index, FItems.size());
    return FItems[index];
}

TSumInfo& TSumList::Add(std::string caption, std::int32_t groupIndex) {
    return FItems.emplace_back(std::move(caption), groupIndex);
}

void TSumList::DropEmpty() {
    std::erase_if(FItems, [](const TSumInfo& sum) { return sum.EntryCount() == 0; });
    for (std::size_t i = 0; i < FItems.size(); ++i)
        FItems[i].FGroupIndex = std::int32_t(i);
}

TSumInfo* TSumList::FindByCaption(std::string_view caption) {
    for (TSumInfo& sum : FItems)
        if (sum.GroupCaption() == caption)
            return &sum;
    return nullptr;
}

std::uint8_t InodeFingerprintOf(std::uint64_t device, std::uint64_t inode) {
    // A new file usually gets a neighbouring inode: mix every bit into the top three.
    const std::uint64_t mixed = (inode ^ device * 0xC2B2AE3D27D4EB4FULL) * 0x9E3779B97F4A7C15ULL;
    return std::uint8_t(mixed >> 61);
}

} // namespace quorvex
