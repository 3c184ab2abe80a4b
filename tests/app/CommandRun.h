#pragma once

#include "uCommandLine.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace quorvex::test {

/// What a run of the command line gave: its exit status and both streams.
struct TCommandRun {
    int Status;
    std::string Out, Err;
};

/// Runs the command line as the program does, with `config` as its configuration file, so
/// no test reads or writes the user's.
inline TCommandRun RunWithConfig(std::vector<std::string> args,
                                 const std::filesystem::path& config) {
    args.insert(args.begin(), {"--config", config.string()});
    std::ostringstream out, err;
    const int status = RunCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace quorvex::test
