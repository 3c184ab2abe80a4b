// How a volume keeps access times, read from real mounts: tmpfs volumes mounted with each
// rule in a forked child with a mount namespace of its own, so nothing outlives the test.
// Where mounting is refused (not root, no namespaces) the mount cases skip and say so.
#include "FixtureTree.h"
#include "ForkedChild.h"
#include "uAccessTimes.h"
#include "uDataCtrl.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <system_error>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

struct TMountCase {
    const char* Name;
    unsigned long Flags;
    EAccessTimes Expected;
};

void MountTmpfs(const fs::path& target, unsigned long flags) {
    if (mount("quorvex-test", target.c_str(), "tmpfs", flags, "size=1m") != 0)
        throw std::system_error(errno, std::generic_category(), "mount " + target.string());
}

// Runs `body` with a fresh tmpfs mounted on `top` with `flags`; skips where mounting is
// refused.
std::string WithTmpfs(const fs::path& top, unsigned long flags,
                      const std::function<std::string()>& body) {
    const TChildResult result = RunInChild({.PrivateMounts = true}, [&] {
        MountTmpfs(top, flags);
        return body();
    });
    if (!result.Refused.empty())
        return "refused: " + result.Refused;
    if (result.Output.rfind("exception: mount", 0) == 0)
        return "refused: " + result.Output;
    return result.Output;
}

class MountedVolume : public testing::TestWithParam<TMountCase> {};

// The default tmpfs mount is relatime: the kernel adds it unless noatime or strictatime is
// asked for.
TEST_P(MountedVolume, ItsRuleIsReadFromTheMountFlags) {
    const TempDir dir;
    const TMountCase& c = GetParam();
    const std::string report = WithTmpfs(dir.Path(), c.Flags, [&] {
        fs::create_directory(dir.Path() / "sub");
        return Verdict("folder", AccessTimesOf(dir.Str()) == c.Expected) +
               Verdict("below", AccessTimesOf(dir.Str() + "/sub") == c.Expected);
    });
    if (report.rfind("refused: ", 0) == 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << report;
    EXPECT_EQ(report, "folder yes\nbelow yes\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MountedVolume,
    testing::Values(TMountCase{"noatime", MS_NOATIME, EAccessTimes::Never},
                    TMountCase{"strictatime", MS_STRICTATIME, EAccessTimes::Strict},
                    TMountCase{"defaults", 0, EAccessTimes::Relative}),
    [](const testing::TestParamInfo<TMountCase>& row) { return std::string(row.param.Name); });

TEST(AccessTimes, AFolderThatCannotBeReadHasNoKnownRule) {
    const TempDir dir;
    EXPECT_EQ(AccessTimesOf(dir.Str() + "/missing"), EAccessTimes::Unknown);
    EXPECT_EQ(AccessTimesOf(""), EAccessTimes::Unknown);
}

// nodiratime says nothing about files (the reports that read access times list files only);
// noatime wins over relatime, as it does in the kernel.
TEST(AccessTimes, FlagsDecideTheRule) {
    EXPECT_EQ(AccessTimesOfFlags(ST_NODIRATIME), EAccessTimes::Strict);
    EXPECT_EQ(AccessTimesOfFlags(ST_RELATIME | ST_NOATIME), EAccessTimes::Never);
    EXPECT_EQ(AccessTimesOfFlags(ST_NODIRATIME | ST_RELATIME), EAccessTimes::Relative);
    EXPECT_EQ(AccessTimesOfFlags(ST_RDONLY | ST_NOATIME), EAccessTimes::Never);
}

// Each rule has its own sentence, and only the noatime one speaks of the reports failing.
TEST(AccessTimes, EveryRuleHasItsOwnNote) {
    const EAccessTimes rules[] = {EAccessTimes::Strict, EAccessTimes::Relative, EAccessTimes::Never,
                                  EAccessTimes::Unknown};
    for (const EAccessTimes a : rules) {
        EXPECT_EQ(AccessTimesNote(a).back(), '.');
        for (const EAccessTimes b : rules)
            EXPECT_EQ(AccessTimesNote(a) == AccessTimesNote(b), a == b);
    }
    EXPECT_NE(AccessTimesNote(EAccessTimes::Never).find("noatime"), std::string::npos);
    EXPECT_NE(AccessTimesNote(EAccessTimes::Relative).find("relatime"), std::string::npos);
}

// The engine reads the rule once per scan; a tree from a scan file, or no tree, has none.
TEST(AccessTimes, TheEngineKeepsTheRuleOfTheScannedVolume) {
    const TempDir dir;
    const TempDir work;
    const std::string saved = work.Str() + "/scan.json";
    const std::string report = WithTmpfs(dir.Path(), MS_NOATIME, [&] {
        WriteTree(dir.Path(), {"a.txt:5", "sub/b:3"});
        TDataCtrl ctrl;
        const bool before = ctrl.AccessTimes() == EAccessTimes::Unknown;
        ctrl.ScanFolder(dir.Str());
        const bool scanned = ctrl.AccessTimes() == EAccessTimes::Never;
        ctrl.SaveScanFile(saved);
        ctrl.LoadScanFile(saved);
        const bool loaded = ctrl.AccessTimes() == EAccessTimes::Unknown;
        ctrl.ScanFolder(dir.Str());
        try {
            ctrl.ScanFolder(dir.Str() + "/missing");
        } catch (const std::system_error&) {
        }
        return Verdict("before a scan", before) + Verdict("scanned", scanned) +
               Verdict("loaded", loaded) +
               Verdict("failed scan", ctrl.AccessTimes() == EAccessTimes::Unknown);
    });
    if (report.rfind("refused: ", 0) == 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << report;
    EXPECT_EQ(report, "before a scan yes\nscanned yes\nloaded yes\nfailed scan yes\n");
}

} // namespace
