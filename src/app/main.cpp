#include "uApplication.h"
#include "uBaseView.h"
#include "uCommandLine.h"
#include "uCountBinding.h"
#include "uDescriptorLimit.h"
#include "uHeapLimit.h"
#include "uMain.h"
#include "uScanFileActions.h"
#include "uShell.h"
#include "uTheme.h"
#include "uWaitForm.h"

#include <QProcess>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <iostream>

using namespace quorvex;

namespace {

// Every further folder gets a window (a process) of its own, with the same options.
void OpenMoreWindows(const TCommandLine& cmd) {
    for (const std::string& folder : cmd.MoreFolders) {
        QStringList args;
        for (const std::string& arg : WindowArguments(cmd, folder))
            args << QString::fromStdString(arg);
        QProcess::startDetached(QCoreApplication::applicationFilePath(), args);
    }
}

int RunWindow(int argc, char** argv, const TCommandLine& cmd) {
    TApplication app(argc, argv);
    UseDefaultIconTheme();
    ApplyPaletteSwitch();
    TMainForm form;
    if (cmd.ConfigFile)
        form.FConfigFile = *cmd.ConfigFile;
    WaitForm = new TWaitForm(&form);
    form.showMaximized(); // the first show makes the view controller
    if (BaseView)
        BaseView->SetReadOnly(cmd.ReadOnly);
    if (BaseView && cmd.Threads > 0)
        BaseView->FDataCtrl().SetScanThreads(cmd.Threads);
    if (cmd.DiskUsage && form.Count())
        form.Count()->Select(true); // for this run; the remembered choice stays
    if (!cmd.LoadFile.empty() && form.ScanFiles())
        QTimer::singleShot(0, &form, [&form, &cmd] { form.ScanFiles()->Load(cmd.LoadFile); });
    else if (!cmd.Folder.empty())
        QTimer::singleShot(0, &form, [&form, &cmd] { form.OpenFolder(cmd.Folder); });
    OpenMoreWindows(cmd);
    const int status = app.exec();
    WaitForm = nullptr; // destroyed with its parent
    return status;
}

} // namespace

int main(int argc, char** argv) {
    ShareHeapsBetweenThreads();
    RaiseDescriptorLimit();
    // Number and date texts follow the user's regional settings.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    TCommandLine cmd;
    try {
        cmd = ParseCommandLine(args);
    } catch (...) {
        return RunCommandLine(args, std::cout, std::cerr); // prints why, with the exit status
    }
    if (cmd.Action != TCommandLine::EAction::Window)
        return RunCommandLine(args, std::cout, std::cerr);
    // Without a display Qt aborts while the application object is made; say so instead.
    if (const auto message =
            MissingDisplayMessage(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                  std::getenv("QT_QPA_PLATFORM"))) {
        std::cerr << "quorvex: " << *message << "\n";
        return 1;
    }
    return RunWindow(argc, argv, cmd);
}
