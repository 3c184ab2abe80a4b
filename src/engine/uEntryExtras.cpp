#include "uEntryExtras.h"

namespace quorvex {

std::uint16_t TEntryExtras::OwnerIndex(const TOwner& owner) {
    std::lock_guard lock(FLock);
    const auto found = FOwnerIndex.find(owner);
    if (found != FOwnerIndex.end())
        return found->second;
    if (FOwners.size() >= MaxOwners)
        return 0;
    const auto index = std::uint16_t(FOwners.size());
    FOwners.push_back(owner);
    FOwnerIndex.emplace(owner, index);
    return index;
}

const TOwner* TEntryExtras::Owner(std::uint16_t index) const {
    return index && index < FOwners.size() ? &FOwners[index] : nullptr;
}

void TEntryExtras::AddLink(const TDataInfo* entry, const THardLink& link) {
    std::lock_guard lock(FLock);
    FLinks[entry] = link;
}

const THardLink* TEntryExtras::Link(const TDataInfo* entry) const {
    const auto found = FLinks.find(entry);
    return found == FLinks.end() ? nullptr : &found->second;
}

void TEntryExtras::Moved(const TDataInfo* from, const TDataInfo* to) {
    if (const auto link = FLinks.extract(from))
        FLinks[to] = link.mapped();
}

void TEntryExtras::Forget(const TDataInfo* entry) {
    FLinks.erase(entry);
}

void TEntryExtras::Clear() {
    FOwners.assign(1, TOwner{});
    FOwnerIndex.clear();
    FLinks.clear();
}

} // namespace quorvex
