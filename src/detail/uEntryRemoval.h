#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace quorvex {

class TDataInfo;

/// Where a removed entry goes: the desktop's trash (the default), or nowhere.
enum class ERemoval { Trash, Delete };

/// An entry that stayed on disk, and why.
struct TRemovalFailure {
    const TDataInfo* Entry;
    QString Reason;
};

/// The order in which to act on the checked entries. Trashing a folder takes its content
/// along, so entries inside another checked folder are left out; deleting removes only empty
/// folders, so the deepest entries come first.
std::vector<const TDataInfo*> RemovalOrder(std::vector<const TDataInfo*> checked, ERemoval how);

/// Bytes the checked entries take on disk, each counted once: an entry inside a checked
/// folder is in that folder's size already.
std::uint64_t CheckedBytes(const std::vector<const TDataInfo*>& checked);

/// The question asked before acting, with the count and the size of the checked entries.
QString ConfirmationText(ERemoval how, std::size_t count, std::uint64_t bytes);

/// Moves one entry to the trash or deletes it (a link itself, never its target; a folder
/// only when empty), after checking that the item at its path is still the one the scan
/// saw. Returns false with the reason when the entry stays.
bool RemoveEntry(const TDataInfo& entry, ERemoval how, QString& reason);

/// The one message that lists what stayed: the first `shown` entries, then a count of the
/// others.
QString FailureText(ERemoval how, const std::vector<TRemovalFailure>& failures, int shown);

/// True when `entry` or a folder above it is in `gone` (sorted): it left the disk with it.
bool LeftWith(const TDataInfo* entry, const std::vector<const TDataInfo*>& gone);

} // namespace quorvex
