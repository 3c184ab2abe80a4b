// The built program started as a child process, for what happens before any window or
// command runs: the environment it finds and the folder it is started in.
#include "FixtureTree.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TExit {
    bool Exited = false; ///< false: ended by a signal (an abort, a crash)
    int Status = -1;
    std::string Err;
};

// Runs the program with `args` in `folder` (removed once the child is inside it when
// `removeFolder`), without any display variable, and collects its standard error.
TExit RunProgram(const std::vector<std::string>& args, const fs::path& folder, bool removeFolder) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ::unsetenv(name);
        if (::chdir(folder.c_str()) != 0 || (removeFolder && ::rmdir(folder.c_str()) != 0))
            ::_exit(100);
        std::vector<char*> argv{const_cast<char*>(QUORVEX_PROGRAM)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(QUORVEX_PROGRAM, argv.data());
        ::_exit(101);
    }
    ::close(pipeEnds[1]);
    TExit result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;)
        if (got > 0)
            result.Err.append(buffer, std::size_t(got));
        else if (errno != EINTR)
            break;
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.Exited = WIFEXITED(status);
    result.Status = result.Exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
}

class ProgramStart : public testing::Test {
protected:
    std::string Config() const { return (Work.Path() / "conf.xml").string(); }
    quorvex::test::TempDir Work;
};

TEST_F(ProgramStart, WithoutADisplayTheWindowIsRefusedWithTheHeadlessWays) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{Work.Str()}, {}, {"--config", Config(), "."}}) {
        const TExit r = RunProgram(args, Work.Path(), false);
        ASSERT_TRUE(r.Exited) << "ended by signal " << r.Status << ": " << r.Err;
        EXPECT_EQ(r.Status, 1) << r.Err;
        EXPECT_EQ(r.Err.rfind("quorvex: ", 0), 0u) << r.Err;
        EXPECT_NE(r.Err.find("--summary"), std::string::npos) << r.Err;
        EXPECT_NE(r.Err.find("--report"), std::string::npos) << r.Err;
    }
    // What needs no window still runs.
    const TExit summary = RunProgram({"--summary", "--config", Config(), "."}, Work.Path(), false);
    EXPECT_TRUE(summary.Exited);
    EXPECT_EQ(summary.Status, 0) << summary.Err;
}

TEST_F(ProgramStart, RelativeFolderInARemovedWorkingFolderExitsWithOne) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--summary", "--config", Config(), "sub"}, {"sub"}}) {
        const fs::path gone = Work.Path() / "gone";
        fs::create_directory(gone);
        const TExit r = RunProgram(args, gone, true);
        ASSERT_TRUE(r.Exited) << "ended by signal " << r.Status << ": " << r.Err;
        EXPECT_EQ(r.Status, 1) << r.Err;
        EXPECT_NE(r.Err.find("'sub'"), std::string::npos) << r.Err;
    }
}

} // namespace
