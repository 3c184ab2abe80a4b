#pragma once

#include <filesystem>
#include <string>

namespace quorvex {

// The hidden siblings in which files are written before they replace their target, and
// what keeps them from piling up beside it: a writer ended by a signal, or killed outright,
// must not leave hundreds of megabytes in the user's folder.

/// The name of the sibling of `targetName` written by process `pid`, attempt `attempt`:
/// ".NAME.PID-N.part".
std::string PartFileName(const std::string& targetName, long pid, int attempt);

/// Removes the siblings of `target` whose writing process no longer exists. Siblings of live
/// processes (another export to the same file) and names of any other form are kept; a
/// sibling that cannot be removed is left silently.
void RemoveStaleParts(const std::filesystem::path& target);

/// Has `path` removed if SIGTERM, SIGINT or SIGHUP end the process before
/// ReleasePartFile(): the handler unlinks it and re-raises the signal with its default
/// action. Signals that already have a handler or are ignored are left alone. Returns the
/// slot to release, or -1 when the path cannot be guarded (too long, all slots taken).
int GuardPartFile(const std::filesystem::path& path);
/// Ends the guard of `slot` (-1 is ignored).
void ReleasePartFile(int slot);

} // namespace quorvex
