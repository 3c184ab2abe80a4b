#include "uCommandLine.h"

#include "uBaseConfig.h"
#include "uDataCtrl.h"
#include "uGroupRanges.h"
#include "uRegional.h"
#include "uSummary.h"

#include <filesystem>
#include <ostream>

namespace quorvex {

std::string FolderArgument(const std::string& arg) {
    std::string path = std::filesystem::absolute(arg).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

namespace {

void ReportProblems(const TDataCtrl& ctrl, std::ostream& err) {
    const auto& problems = ctrl.Problems();
    std::size_t unread = 0;
    const TScanProblem* first = nullptr;
    for (const TScanProblem& p : problems)
        if (p.Reason != EScanProblem::OtherVolume) {
            ++unread;
            first = first ? first : &p;
        }
    if (first)
        err << "quorvex: " << unread << " folder(s) could not be read, first: " << first->Path
            << " (" << ScanProblemText(first->Reason) << ")\n";
}

int RunSummary(const TCommandLine& cmd, std::ostream& out, std::ostream& err) {
    auto config = cmd.ConfigFile ? std::make_unique<TBaseConfig>(*cmd.ConfigFile)
                                 : std::make_unique<TBaseConfig>();
    TDataCtrl ctrl;
    ctrl.LoadGroups(ReadGroupRanges(*config));
    ctrl.ScanFolder(cmd.Folder);
    ctrl.SetCurrentRoot(ctrl.Root());
    ReportProblems(ctrl, err);
    out << SummaryText(SummarizeCurrentFolder(ctrl, TRegionalSettings::Current()));
    return out.good() ? 0 : 1;
}

} // namespace

std::string UsageText() {
    return "Usage: quorvex [--config FILE] [FOLDER]\n"
           "       quorvex --summary [--config FILE] FOLDER\n"
           "       quorvex --help | --version\n"
           "\n"
           "Opens the main window and scans FOLDER (staying on its file-system volume),\n"
           "or, with --summary, prints the summary of FOLDER without a window: path,\n"
           "total size, folder, file and file-type counts.\n"
           "\n"
           "  --summary      print the summary of FOLDER and exit\n"
           "  --config FILE  use FILE as the configuration file (created with the\n"
           "                 default settings when missing)\n"
           "  --help         show this help and exit\n"
           "  --version      show the version and exit\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad usage.\n";
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine cmd;
    bool endOfOptions = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!endOfOptions && arg == "--help")
            return {TCommandLine::EAction::Help, {}, {}};
        if (!endOfOptions && arg == "--version")
            return {TCommandLine::EAction::Version, {}, {}};
        if (!endOfOptions && arg == "--summary") {
            cmd.Action = TCommandLine::EAction::Summary;
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
            throw EUsageError{"only one folder can be scanned: " + arg};
        }
    }
    if (cmd.Folder.empty() && cmd.Action == TCommandLine::EAction::Summary)
        throw EUsageError{"no folder given"};
    if (!cmd.Folder.empty())
        cmd.Folder = FolderArgument(cmd.Folder);
    return cmd;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TCommandLine cmd;
    try {
        cmd = ParseCommandLine(args);
    } catch (const EUsageError& e) {
        err << "quorvex: " << e.Message << "\nTry 'quorvex --help' for more information.\n";
        return 2;
    }
    switch (cmd.Action) {
    case TCommandLine::EAction::Help:
        out << UsageText();
        return 0;
    case TCommandLine::EAction::Version:
        out << "quorvex " << QUORVEX_VERSION << "\n";
        return 0;
    case TCommandLine::EAction::Window:
        err << "quorvex: the window cannot be opened from here\n";
        return 2;
    case TCommandLine::EAction::Summary:
        break;
    }
    try {
        return RunSummary(cmd, out, err);
    } catch (const std::exception& e) {
        err << "quorvex: " << e.what() << "\n";
        return 1;
    }
}

} // namespace quorvex
