#pragma once

#include "uExportFile.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quorvex {

/// What the command line asks for.
struct TCommandLine {
    /// Window: open the main window (and scan Folder at once when one is given).
    enum class EAction { Window, Summary, Help, Version, Report, Treemap, ExportScan, Compare };
    EAction Action = EAction::Window;
    std::string Folder; ///< absolute, without a trailing "/" (except "/" itself)
    /// Window: further folders, as a file manager passes every selected one; each opens a
    /// window of its own. Made absolute like Folder.
    std::vector<std::string> MoreFolders;
    std::optional<std::string> ConfigFile;
    std::string ReportFile; ///< --report: the file to write, as given
    EExportFormat Format = EExportFormat::Html;
    /// --report: indexes into AllReportViews, ascending (the report dialog's order).
    std::vector<std::size_t> Views;
    /// --threads: threads that read folders during the scan; 0 leaves the engine's default.
    int Threads = 0;
    /// --read-only: the window offers no way to trash or delete anything.
    bool ReadOnly = false;
    /// --load, or a window's FILE.json[.zst]: a scan file read in place of scanning Folder.
    std::string LoadFile;
    std::string ExportScanFile; ///< --export-scan: the scan file to write, as given
    bool DiskUsage = false;     ///< --disk-usage: count allocated bytes, each inode once
    std::string TreemapFile;    ///< --treemap: the PNG to write, as given
    std::string CompareFile;    ///< --compare: the saved scan to compare with, as given
    int TreemapWidth = 1600, TreemapHeight = 1000; ///< --size
};

/// Thrown for a command line that cannot be understood (exit status 2).
struct EUsageError {
    std::string Message;
};

/// The arguments that open a window of its own on `folder` (or a scan file) with the options
/// of `cmd` (read-only, configuration file, threads, disk usage).
std::vector<std::string> WindowArguments(const TCommandLine& cmd, const std::string& folder);

/// Parses the arguments after the program name; throws EUsageError, or std::runtime_error
/// when a relative folder cannot be made absolute (the working folder was removed).
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

/// `arg` made absolute and normal, without a trailing "/" except for "/" itself, as the
/// folder picker gives a folder. Throws std::runtime_error naming `arg` when it is relative
/// and the working folder is gone.
std::string FolderArgument(const std::string& arg);

/// True for a name the window opens as a scan file rather than a folder: an existing file
/// (not a folder) whose name ends in ".json" or ".json.zst".
bool IsScanFileArgument(const std::string& arg);

/// Why the main window cannot open, given the values of DISPLAY, WAYLAND_DISPLAY and
/// QT_QPA_PLATFORM (null or empty when unset): with none of them Qt has no display to
/// connect to and aborts. The message points to the ways that need no window; nullopt when
/// there is a display or a chosen platform to try.
std::optional<std::string> MissingDisplayMessage(const char* display, const char* waylandDisplay,
                                                 const char* platform);

/// Runs the command-line program (every action but Window): prints to `out`, reports failures on
/// `err` as one line. Returns the exit status: 0 success, 1 failure, 2 bad usage.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// Usage text for --help.
std::string UsageText();

} // namespace quorvex
