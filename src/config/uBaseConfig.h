#pragma once

#include "KestrixFAConfig.h"

#include <filesystem>

namespace quorvex {

/// A file every installation puts under its prefix (PREFIX/bin holds the executable).
inline constexpr const char* InstalledMarker = "share/metainfo/org.quorvex.Quorvex.metainfo.xml";

/// True when `exeFolder` is the bin folder of an installation (InstalledMarker is there):
/// such a copy keeps its configuration per user, even when root runs it.
bool IsInstalledCopy(const std::filesystem::path& exeFolder);

/// Where KestrixFAConfig.xml lives: beside the executable in `exeFolder` when it is not an
/// installed copy and the file already exists there or that folder is writable; otherwise in
/// "quorvex" under `xdgConfigHome` (used when absolute), else under `home`/.config. The per-user
/// folder is created when missing; failing that throws std::system_error naming it.
std::filesystem::path LocateConfigFile(const std::filesystem::path& exeFolder,
                                       const char* xdgConfigHome, const char* home);

/// LocateConfigFile for this process: its executable's folder and its environment.
std::filesystem::path ProcessConfigFile();

/// Owns the one configuration document of a run. Users fetch the root with GetConfig() for
/// every access and keep no element handle across LoadDefault(), which swaps the document.
/// The store never saves edits made through the binding: the file only ever receives the
/// default document.
class TBaseConfig {
public:
    static constexpr const char* ConfigFileName = "KestrixFAConfig.xml";
    static constexpr std::int32_t AcceptedVersion = 3;

    /// Locates the file (LocateConfigFile for this process), writes the default document when
    /// it is missing, loads it, and replaces it by the default document when its versionNo is
    /// a number other than 3. A missing or unreadable versionNo throws EConvertError and
    /// leaves the file as it was.
    TBaseConfig();
    /// The same with the given file (e.g. from the command line) instead of the located one.
    explicit TBaseConfig(const std::filesystem::path& fileName);

    TBaseConfig(const TBaseConfig&) = delete;
    TBaseConfig& operator=(const TBaseConfig&) = delete;

    IXMLConfigType GetConfig() const { return FConfig; }
    /// Fixed for the life of the store, so every write lands in the file that was loaded.
    const std::filesystem::path& GetFileName() const { return FFileName; }

    /// Replaces the file by DefaultConfigText. The bytes go to a temporary file in the same
    /// folder that is then renamed over the target, so a failed write leaves the old file
    /// intact. Throws std::system_error naming the file and the reason.
    void WriteDefault() const;
    /// WriteDefault, then loads the file again. On failure the held document is unchanged.
    void LoadDefault();

private:
    void Open();

    std::filesystem::path FFileName;
    IXMLConfigType FConfig;
};

} // namespace quorvex
