#include "uCommandLine.h"

#include "uBaseConfig.h"
#include "uBaseView.h"
#include "uChangesModel.h"
#include "uCompareText.h"
#include "uDataCtrl.h"
#include "uExportEscape.h"
#include "uGroupRanges.h"
#include "uRegional.h"
#include "uReportDocs.h"
#include "uScanCompare.h"
#include "uScanFileItem.h"
#include "uSummary.h"
#include "uTreemapGrowth.h"
#include "uTreemapRender.h"
#include "uVersion.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <system_error>

namespace quorvex {

std::string FolderArgument(const std::string& arg) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(arg, error);
    // A relative name needs the working folder, which may have been removed under the shell.
    if (error)
        throw std::runtime_error("cannot find the folder '" + arg +
                                 "': the current folder is not available (" + error.message() +
                                 ")");
    std::string path = absolute.lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsScanFileArgument(const std::string& arg) {
    const auto endsWith = [&arg](std::string_view tail) {
        return arg.size() > tail.size() &&
               arg.compare(arg.size() - tail.size(), tail.size(), tail) == 0;
    };
    std::error_code error;
    return (endsWith(".json") || endsWith(".json.zst")) && std::filesystem::exists(arg, error) &&
           !std::filesystem::is_directory(arg, error);
}

namespace {

// Every folder that was not scanned, whatever the reason: their bytes are missing from the
// figures on standard output.
void ReportProblems(const TDataCtrl& ctrl, std::ostream& err) {
    const auto& problems = ctrl.Problems();
    if (problems.empty())
        return;
    const TScanProblem& first = problems.front();
    err << "quorvex: " << problems.size() << " folder(s) not scanned, first: " << first.Path << " ("
        << ScanProblemText(first.Reason) << ")\n";
}

// A bad file's message names the file as well as the place.
void LoadNamed(TDataCtrl& ctrl, const std::string& file) {
    try {
        ctrl.LoadScanFile(file);
    } catch (const TScanFileError& e) {
        throw std::runtime_error("'" + file + "' is not a scan file that can be read: " + e.what());
    }
}

// The scan of the headless commands: the configuration's groups, the folder scanned, what
// was not read named on standard error.
void ScanHeadless(const TCommandLine& cmd, TDataCtrl& ctrl, std::ostream& err) {
    auto config = cmd.ConfigFile ? std::make_unique<TBaseConfig>(*cmd.ConfigFile)
                                 : std::make_unique<TBaseConfig>();
    ctrl.SetScanThreads(cmd.Threads);
    ctrl.LoadGroups(ReadGroupRanges(*config));
    ctrl.SetCountDiskUsage(cmd.DiskUsage);
    if (cmd.LoadFile.empty())
        ctrl.ScanFolder(cmd.Folder);
    else
        LoadNamed(ctrl, cmd.LoadFile);
    ReportProblems(ctrl, err);
}

// Scans (or loads) and saves the tree as a scan file.
int RunExportScan(const TCommandLine& cmd, std::ostream& err) {
    TDataCtrl ctrl;
    ScanHeadless(cmd, ctrl, err);
    ctrl.SaveScanFile(cmd.ExportScanFile);
    return 0;
}

// The base of --compare. It is read before the scan, so that a base of another folder, or
// one that cannot be read, is refused before a long scan.
void LoadCompareBase(const TCommandLine& cmd, TDataCtrl& base) {
    base.SetCountDiskUsage(cmd.DiskUsage);
    try {
        base.LoadScanFile(cmd.CompareFile);
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot read the saved scan '" + cmd.CompareFile +
                                 "': " + e.what());
    }
    if (!cmd.Folder.empty())
        TScanCompare::CheckSameFolder(base.Root()->FullPath(), cmd.Folder);
}

int RunCompare(const TCommandLine& cmd, std::ostream& out, std::ostream& err) {
    TDataCtrl base;
    LoadCompareBase(cmd, base);
    TDataCtrl ctrl;
    ScanHeadless(cmd, ctrl, err);
    out << CompareText(TScanCompare(ctrl, base), cmd.CompareFile);
    return out.good() ? 0 : 1;
}

int RunSummary(const TCommandLine& cmd, std::ostream& out, std::ostream& err) {
    TDataCtrl ctrl;
    ScanHeadless(cmd, ctrl, err);
    ctrl.SetCurrentRoot(ctrl.Root());
    out << SummaryText(SummarizeCurrentFolder(ctrl, TRegionalSettings::Current())) << std::flush;
    // The never-used figures are only as true as the volume's access times.
    err << "quorvex: " << AccessTimesNote(ctrl.AccessTimes()) << '\n';
    return out.good() ? 0 : 1;
}

// Scans as --summary does and writes the picture, its files coloured by growth when a base
// is given; QImage needs no application object and no display for painting pixels and
// writing PNG.
int RunTreemap(const TCommandLine& cmd, std::ostream& err) {
    TDataCtrl base, ctrl;
    if (!cmd.CompareFile.empty())
        LoadCompareBase(cmd, base);
    ScanHeadless(cmd, ctrl, err);
    std::optional<TScanCompare> compare;
    std::optional<TGrowthTint> tint;
    if (base.Root()) {
        tint.emplace(compare.emplace(ctrl, base));
        tint->Measure(*ctrl.Root());
    }
    TTreemapLayout layout;
    layout.Build(*ctrl.Root(), cmd.TreemapWidth, cmd.TreemapHeight,
                 tint ? tint->ColourOf() : TTreemapRender::FileColour);
    const QImage image = TTreemapRender::Render(layout, TTreemapStyle{});
    if (!image.save(QString::fromStdString(cmd.TreemapFile), "PNG"))
        throw std::runtime_error("cannot write '" + cmd.TreemapFile + "'");
    return 0;
}

// "WIDTHxHEIGHT", each side 1 to TTreemapLayout::MaxSide.
void SizeArgument(TCommandLine& cmd, const std::string& value) {
    const auto side = [&value](const char* from, const char* to, int& out) {
        const auto [end, error] = std::from_chars(from, to, out);
        return error == std::errc() && end == to && out >= 1 && out <= TTreemapLayout::MaxSide;
    };
    const std::size_t x = value.find('x');
    const char* text = value.data();
    if (x == std::string::npos || !side(text, text + x, cmd.TreemapWidth) ||
        !side(text + x + 1, text + value.size(), cmd.TreemapHeight))
        throw EUsageError{"--size needs WIDTHxHEIGHT, each 1 to " +
                          std::to_string(TTreemapLayout::MaxSide) + ", not '" + value + "'"};
}

// Scans the folder, makes it current as the main window would, and writes the report of the
// chosen views (with --compare, the changes list first); the file is replaced without a
// question.
int RunReport(const TCommandLine& cmd, std::ostream& err) {
    const bool comparing = !cmd.CompareFile.empty();
    TDataCtrl base;
    if (comparing)
        LoadCompareBase(cmd, base);
    TBaseView view(cmd.ConfigFile ? std::filesystem::path(*cmd.ConfigFile)
                                  : std::filesystem::path());
    view.FDataCtrl().SetScanThreads(cmd.Threads);
    view.FDataCtrl().SetCountDiskUsage(cmd.DiskUsage);
    if (cmd.LoadFile.empty())
        view.Scan(cmd.Folder);
    else
        LoadNamed(view.FDataCtrl(), cmd.LoadFile);
    std::optional<TScanCompare> compare;
    if (comparing)
        compare.emplace(view.FDataCtrl(), base);
    view.FillFolderTree();
    view.ShowFolder(view.FDataCtrl().Root());
    ReportProblems(view.FDataCtrl(), err);
    TChangesModel changes;
    changes.Fill(compare ? &*compare : nullptr);
    TReportList list;
    if (comparing)
        list.push_back(ChangesReportItem(changes));
    for (const std::size_t index : cmd.Views)
        list.push_back(ReportItem(view, index));
    WriteReport(cmd.Format, list, cmd.ReportFile);
    return 0;
}

std::string ViewNames() {
    std::string names;
    for (std::size_t i = 0; i < AllReportViewCount(); ++i) {
        const char* title = AllReportViews(i).Title;
        names += std::string("                     ") + title + " (" +
                 ReportXmlName(QString::fromLatin1(title)).toStdString() + ")\n";
    }
    return names;
}

TCommandLine ActionOnly(TCommandLine::EAction action) {
    TCommandLine cmd;
    cmd.Action = action;
    return cmd;
}

void SetAction(TCommandLine& cmd, TCommandLine::EAction action) {
    using EAction = TCommandLine::EAction;
    // --compare with --treemap colours the treemap by growth, with --report it writes the
    // changes: the treemap or the report is what is made.
    for (const EAction made : {EAction::Treemap, EAction::Report})
        if ((cmd.Action == made && action == EAction::Compare) ||
            (cmd.Action == EAction::Compare && action == made)) {
            cmd.Action = made;
            return;
        }
    if (cmd.Action != TCommandLine::EAction::Window && cmd.Action != action)
        throw EUsageError{"only one of --summary, --report, --treemap, --export-scan and "
                          "--compare can be given"};
    cmd.Action = action;
}

const std::string& OptionValue(const std::vector<std::string>& args, std::size_t& i) {
    if (++i == args.size())
        throw EUsageError{args[i - 1] + " needs a value"};
    return args[i];
}

// The changes list is no view of the scan alone: --compare brings it, so naming it adds
// nothing to Views.
void AddView(TCommandLine& cmd, const std::string& name, bool& changesNamed) {
    const QString text = QString::fromUtf8(name.data(), qsizetype(name.size()));
    if (text.compare(QLatin1StringView(ChangesViewTitle), Qt::CaseInsensitive) == 0) {
        changesNamed = true;
        return;
    }
    const auto index = FindReportView(text);
    if (!index)
        throw EUsageError{"unknown view '" + name + "' (see --help for the views)"};
    cmd.Views.push_back(*index);
}

int ThreadsArgument(const std::string& value) {
    int threads = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), threads);
    if (error != std::errc() || end != value.data() + value.size() || threads < 1 ||
        threads > TDataCtrl::MaxScanThreads)
        throw EUsageError{"--threads needs a number from 1 to " +
                          std::to_string(TDataCtrl::MaxScanThreads) + ", not '" + value + "'"};
    return threads;
}

// What --report needs once every argument is read: a folder, a format, the views in order
// (by default all of them, or with --compare none but the changes list).
void FinishReport(TCommandLine& cmd, const std::optional<EExportFormat>& format,
                  bool changesNamed) {
    if (cmd.Action != TCommandLine::EAction::Report) {
        if (format || !cmd.Views.empty() || changesNamed)
            throw EUsageError{"--format and --view need --report"};
        return;
    }
    if (changesNamed && cmd.CompareFile.empty())
        throw EUsageError{std::string("the view ") + ChangesViewTitle + " needs --compare BASE"};
    const auto chosen = format ? format : FormatOfPath(cmd.ReportFile);
    if (!chosen)
        throw EUsageError{"cannot tell the format of '" + cmd.ReportFile +
                          "' from its extension; use --format"};
    cmd.Format = *chosen;
    if (cmd.Views.empty() && cmd.CompareFile.empty())
        for (std::size_t i = 0; i < AllReportViewCount(); ++i)
            cmd.Views.push_back(i);
    std::sort(cmd.Views.begin(), cmd.Views.end());
    cmd.Views.erase(std::unique(cmd.Views.begin(), cmd.Views.end()), cmd.Views.end());
}

// A window's scan file given as FOLDER is loaded; --load and a folder exclude each other.
void FinishLoad(TCommandLine& cmd) {
    if (cmd.LoadFile.empty() && cmd.Action == TCommandLine::EAction::Window &&
        IsScanFileArgument(cmd.Folder)) {
        cmd.LoadFile = cmd.Folder;
        cmd.Folder.clear();
    }
    if (!cmd.LoadFile.empty() && !cmd.Folder.empty())
        throw EUsageError{"give either a folder or --load FILE, not both"};
}

} // namespace

std::string UsageText() {
    return "Usage: quorvex [--read-only] [--config FILE] [FOLDER]...\n"
           "       quorvex --summary [--config FILE] FOLDER\n"
           "       quorvex --report FILE [--format FORMAT] [--view VIEW]... [--config FILE] "
           "FOLDER\n"
           "       quorvex --treemap FILE.png [--size WIDTHxHEIGHT] [--compare BASE]\n"
           "               [--config FILE] FOLDER\n"
           "       quorvex --export-scan FILE [--config FILE] [--threads N] FOLDER\n"
           "       quorvex --compare BASE [--config FILE] FOLDER\n"
           "       quorvex --report FILE --compare BASE [--format FORMAT] [--view VIEW]...\n"
           "               [--config FILE] FOLDER\n"
           "       quorvex [...] --load SCANFILE   (in place of FOLDER)\n"
           "       quorvex --help | --version\n"
           "\n"
           "Opens the main window and scans FOLDER (staying on its file-system volume);\n"
           "each further FOLDER opens a window of its own.\n"
           "Without a window: --summary prints the summary of FOLDER (path, total size,\n"
           "folder, file and file-type counts); --report writes the report of FOLDER's\n"
           "views into FILE, as the Generate Report dialog does; --treemap draws the\n"
           "treemap of FOLDER into a PNG file; --export-scan saves the scan of FOLDER\n"
           "as a JSON scan file that terminal disk-usage tools read too; --compare\n"
           "prints what changed in FOLDER since the saved scan BASE of it, and with\n"
           "--report writes the list of those changes into FILE.\n"
           "A FILE.json or FILE.json.zst given in place of FOLDER opens that scan file.\n"
           "\n"
           "  --summary          print the summary of FOLDER, and on standard error how far\n"
           "                     its access times can be trusted, and exit\n"
           "  --report FILE      write the report into FILE (replaced when it exists) and exit\n"
           "  --treemap FILE     write the treemap of FOLDER as PNG into FILE and exit; with\n"
           "                     --compare BASE its files are coloured by their change\n"
           "                     since BASE (new green, grown warm, shrunk cool, else grey)\n"
           "  --size WxH         the treemap's size in pixels (default 1600x1000)\n"
           "  --export-scan FILE write the scan as a JSON scan file into FILE (\"-\" for\n"
           "                     standard output; a name ending in .zst is compressed)\n"
           "                     and exit\n"
           "  --compare BASE     compare FOLDER with BASE, a saved scan of the same folder,\n"
           "                     print the total change, the entries added, removed and\n"
           "                     changed (size or write time) and the 20 largest growths\n"
           "                     (new or grown files, new folders), and exit; with\n"
           "                     --report, write the Changes view (every entry added,\n"
           "                     removed, grown or shrunk, with the totals per kind)\n"
           "                     first in the report, then only the views named with\n"
           "                     --view\n"
           "  --load FILE        read the scan from a JSON scan file (plain or zstd) in\n"
           "                     place of scanning FOLDER; nothing can be deleted then\n"
           "  --disk-usage       count the space files take on disk, each hard-linked\n"
           "                     file once, in place of their apparent sizes\n"
           "  --format FORMAT    html, xml, txt, csv or xlsx; by default FILE's extension\n"
           "                     decides (.htm, .html, .xml, .txt, .csv, .xlsx)\n"
           "  --view VIEW        a view to report, by its title or XML name (any case);\n"
           "                     repeatable; the views keep the dialog's order; default:\n"
           "                     all of them (with --compare: none but Changes):\n" +
           ViewNames() +
           "  --threads N        read folders with N threads at once (1 to 64; 1 reads\n"
           "                     one folder after the other); by default one per\n"
           "                     processor, and up to " +
           std::to_string(TDataCtrl::DefaultScanThreads()) +
           " while they wait for the disk\n"
           "  --read-only        open a window in which nothing can be moved to the trash\n"
           "                     or deleted\n"
           "  --config FILE      use FILE as the configuration file (created with the\n"
           "                     default settings when missing)\n"
           "  --help             show this help and exit\n"
           "  --version          show the version and exit\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad usage.\n";
}

std::vector<std::string> WindowArguments(const TCommandLine& cmd, const std::string& folder) {
    std::vector<std::string> args;
    if (cmd.ReadOnly)
        args.push_back("--read-only");
    if (cmd.ConfigFile)
        args.insert(args.end(), {"--config", *cmd.ConfigFile});
    if (cmd.Threads > 0)
        args.insert(args.end(), {"--threads", std::to_string(cmd.Threads)});
    if (cmd.DiskUsage)
        args.push_back("--disk-usage");
    args.insert(args.end(), {"--", folder}); // a folder named like an option stays a folder
    return args;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine cmd;
    std::optional<EExportFormat> format;
    bool endOfOptions = false, sizeGiven = false, changesNamed = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!endOfOptions && arg == "--help")
            return ActionOnly(TCommandLine::EAction::Help);
        if (!endOfOptions && arg == "--version")
            return ActionOnly(TCommandLine::EAction::Version);
        if (!endOfOptions && arg == "--summary") {
            SetAction(cmd, TCommandLine::EAction::Summary);
        } else if (!endOfOptions && arg == "--report") {
            SetAction(cmd, TCommandLine::EAction::Report);
            cmd.ReportFile = OptionValue(args, i);
        } else if (!endOfOptions && arg == "--treemap") {
            SetAction(cmd, TCommandLine::EAction::Treemap);
            cmd.TreemapFile = OptionValue(args, i);
        } else if (!endOfOptions && arg == "--export-scan") {
            SetAction(cmd, TCommandLine::EAction::ExportScan);
            cmd.ExportScanFile = OptionValue(args, i);
        } else if (!endOfOptions && arg == "--compare") {
            SetAction(cmd, TCommandLine::EAction::Compare);
            cmd.CompareFile = OptionValue(args, i);
        } else if (!endOfOptions && arg == "--load") {
            cmd.LoadFile = OptionValue(args, i);
        } else if (!endOfOptions && arg == "--disk-usage") {
            cmd.DiskUsage = true;
        } else if (!endOfOptions && arg == "--size") {
            SizeArgument(cmd, OptionValue(args, i));
            sizeGiven = true;
        } else if (!endOfOptions && arg == "--format") {
            const std::string& name = OptionValue(args, i);
            if (!(format = FormatByName(name)))
                throw EUsageError{"unknown format '" + name + "' (html, xml, txt, csv or xlsx)"};
        } else if (!endOfOptions && arg == "--view") {
            AddView(cmd, OptionValue(args, i), changesNamed);
        } else if (!endOfOptions && arg == "--threads") {
            cmd.Threads = ThreadsArgument(OptionValue(args, i));
        } else if (!endOfOptions && arg == "--read-only") {
            cmd.ReadOnly = true;
        } else if (!endOfOptions && arg == "--config") {
            if (++i == args.size())
                throw EUsageError{"--config needs a file name"};
            cmd.ConfigFile = args[i];
        } else if (!endOfOptions && arg == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
            throw EUsageError{"unknown option " + arg};
        } else if (cmd.Folder.empty()) {
            cmd.Folder = arg;
        } else {
            cmd.MoreFolders.push_back(arg);
        }
    }
    FinishReport(cmd, format, changesNamed);
    if (sizeGiven && cmd.Action != TCommandLine::EAction::Treemap)
        throw EUsageError{"--size needs --treemap"};
    FinishLoad(cmd);
    if (cmd.Folder.empty() && cmd.LoadFile.empty() && cmd.Action != TCommandLine::EAction::Window)
        throw EUsageError{"no folder given"};
    if (!cmd.MoreFolders.empty() && cmd.Action != TCommandLine::EAction::Window)
        throw EUsageError{"only one folder can be scanned: " + cmd.MoreFolders.front()};
    if (!cmd.Folder.empty())
        cmd.Folder = FolderArgument(cmd.Folder);
    for (std::string& folder : cmd.MoreFolders)
        folder = FolderArgument(folder);
    return cmd;
}

std::optional<std::string> MissingDisplayMessage(const char* display, const char* waylandDisplay,
                                                 const char* platform) {
    for (const char* value : {display, waylandDisplay, platform})
        if (value && *value)
            return std::nullopt;
    return "no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
           "use --summary or --report to work without a window";
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TCommandLine cmd;
    try {
        cmd = ParseCommandLine(args);
    } catch (const EUsageError& e) {
        err << "quorvex: " << e.Message << "\nTry 'quorvex --help' for more information.\n";
        return 2;
    } catch (const std::exception& e) {
        err << "quorvex: " << e.what() << "\n";
        return 1;
    }
    switch (cmd.Action) {
    case TCommandLine::EAction::Help:
        out << UsageText();
        return 0;
    case TCommandLine::EAction::Version:
        out << VersionText() << "\n";
        return 0;
    case TCommandLine::EAction::Window:
        err << "quorvex: the window cannot be opened from here\n";
        return 2;
    case TCommandLine::EAction::Summary:
    case TCommandLine::EAction::Report:
    case TCommandLine::EAction::Treemap:
    case TCommandLine::EAction::ExportScan:
    case TCommandLine::EAction::Compare:
        break;
    }
    try {
        if (cmd.Action == TCommandLine::EAction::Report)
            return RunReport(cmd, err);
        if (cmd.Action == TCommandLine::EAction::Treemap)
            return RunTreemap(cmd, err);
        if (cmd.Action == TCommandLine::EAction::ExportScan)
            return RunExportScan(cmd, err);
        if (cmd.Action == TCommandLine::EAction::Compare)
            return RunCompare(cmd, out, err);
        return RunSummary(cmd, out, err);
    } catch (const std::exception& e) {
        err << "quorvex: " << e.what() << "\n";
        return 1;
    }
}

} // namespace quorvex
