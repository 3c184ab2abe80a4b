#pragma once

#include <filesystem>
#include <string_view>

namespace quorvex {

/// A fresh file beside `target` (same folder, hidden name ".NAME.PID-N.part") that replaces
/// the target only on Commit(). Until then, and whenever anything fails, the target keeps its
/// old content; the sibling is removed when the object goes without a commit, and also when
/// SIGTERM, SIGINT or SIGHUP end the process meanwhile. Siblings that a killed writer left
/// for the same target are removed before a new one is made.
///
/// A target that is a symbolic link stays one: its final target is replaced, with its
/// permissions kept. A target that is a pipe or a device is written into directly, and a
/// folder is refused. A writable file in a folder that refuses new files is truncated and
/// written in place, the rule the configuration file follows too: its old content is then
/// lost as soon as the writing starts. Failures throw std::system_error whose text names
/// the target and the reason.
class TSiblingFile {
public:
    /// How the target is replaced.
    enum class EMode {
        Sibling, // a hidden sibling renamed over the target
        Device,  // a pipe or device, written into
        InPlace, // the existing file itself, truncated
    };

    explicit TSiblingFile(const std::filesystem::path& target);
    ~TSiblingFile();
    TSiblingFile(const TSiblingFile&) = delete;
    TSiblingFile& operator=(const TSiblingFile&) = delete;

    /// The file being written: the sibling, or the target itself.
    const std::filesystem::path& Path() const { return FPath; }
    EMode Mode() const { return FMode; }
    /// The open descriptor of Path(); -1 after Close().
    int Handle() const { return FFd; }
    /// Writes all of `bytes`.
    void Write(std::string_view bytes);
    /// Closes the descriptor, so that another writer can open Path() by its name.
    void Close();
    /// Syncs what was written to disk and, for a sibling, renames it over the target.
    void Commit();

private:
    [[noreturn]] void Fail(int error) const;
    int OpenSibling();
    void OpenTarget(EMode mode);
    void SyncAndClose();
    void ReplaceTarget();

    std::filesystem::path FTarget; // as the caller named it, for messages
    std::filesystem::path FFinal;  // the file actually replaced
    std::filesystem::path FPath;
    EMode FMode = EMode::Sibling;
    int FFd = -1;
    int FGuard = -1; // the signal-cleanup slot of the sibling, -1 for none
    long long FWritten = 0;
    bool FCommitted = false;
};

} // namespace quorvex
