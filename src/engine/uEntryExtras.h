#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace quorvex {

class TDataInfo;

/// Owner, group and permission bits with the file type, as stat gives them.
struct TOwner {
    std::uint32_t Uid = 0, Gid = 0, Mode = 0;
    bool operator==(const TOwner&) const = default;
};

/// The inode of a file with several hard links.
struct THardLink {
    std::uint64_t Dev = 0, Ino = 0, NLink = 0;
    std::uint64_t DiskBytes = 0; ///< its allocated bytes, whichever link counts them
    /// A loaded link whose file says another link, not marked as one, counts the inode.
    bool CountedElsewhere = false;
};

/// What entries keep outside their 40 bytes: the owners of a scan (few distinct ones, so
/// each entry keeps a 13-bit index) and the inodes of hard-linked files. Owners and links
/// may be added from several scanning threads.
class TEntryExtras {
public:
    static constexpr std::uint16_t MaxOwners = 0x1FFF;

    /// The index of `owner`, added when new; 0 (unknown) once MaxOwners - 1 are known.
    std::uint16_t OwnerIndex(const TOwner& owner);
    /// Index 0 is the unknown owner.
    const TOwner* Owner(std::uint16_t index) const;

    void AddLink(const TDataInfo* entry, const THardLink& link);
    const THardLink* Link(const TDataInfo* entry) const;
    const std::unordered_map<const TDataInfo*, THardLink>& Links() const { return FLinks; }

    /// An entry moved in memory (a sibling taken out before it): its records follow it.
    void Moved(const TDataInfo* from, const TDataInfo* to);
    /// The entry leaves the tree.
    void Forget(const TDataInfo* entry);
    void Clear();

private:
    struct TOwnerHash {
        std::size_t operator()(const TOwner& o) const {
            return std::size_t(o.Uid) * 0x9E3779B1u ^ std::size_t(o.Gid) * 0x85EBCA6Bu ^ o.Mode;
        }
    };
    mutable std::mutex FLock;
    std::vector<TOwner> FOwners{TOwner{}};
    std::unordered_map<TOwner, std::uint16_t, TOwnerHash> FOwnerIndex;
    std::unordered_map<const TDataInfo*, THardLink> FLinks;
};

} // namespace quorvex
