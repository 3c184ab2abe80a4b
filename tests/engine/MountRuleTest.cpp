// The scan stays inside the scanned folder's mount: a tmpfs inside a tmpfs and a bind mount
// of the scanned volume itself are listed, marked, and never entered. Mounted for real, in
// a forked child with a mount namespace of its own, so nothing outlives the test.
#include "EngineTestUtil.h"
#include "FixtureTree.h"
#include "ForkedChild.h"
#include "uVolumeGuard.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

void MountOrThrow(const char* source, const fs::path& target, const char* type,
                  unsigned long flags) {
    if (mount(source, target.c_str(), type, flags, type ? "size=1m" : nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "mount " + target.string());
}

class MountRule : public testing::TestWithParam<int> {
protected:
    TempDir Dir;
};

TEST_P(MountRule, TmpfsInTmpfsAndBindMountsAreNotEntered) {
    const fs::path top = Dir.Path() / "t";
    const TChildResult result = RunInChild({.PrivateMounts = true}, [&] {
        fs::create_directories(top);
        MountOrThrow("tmpfs", top, "tmpfs", 0); // the scanned folder is a tmpfs itself
        WriteTree(top, {"f:10", "data/x:5", "inner/", "bind/", "sub/y:1"});
        MountOrThrow("tmpfs", top / "inner", "tmpfs", 0); // the same source, "tmpfs"
        WriteTree(top, {"inner/g:100"});
        MountOrThrow((top / "data").c_str(), top / "bind", nullptr, MS_BIND);
        return ScanReport(top.string(), GetParam());
    });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "bind/ 0 [other volume]\n"
                             "data/ 5\n"
                             "data/x 5\n"
                             "f 10\n"
                             "inner/ 0 [other volume]\n"
                             "sub/ 1\n"
                             "sub/y 1\n"
                             "problem /bind other volume\n"
                             "problem /inner other volume\n"
                             "total 16\n");
}

// A bind mount of a folder onto a folder of the same tmpfs, scanned from above the mount:
// the scanned folder's own mount is what counts, not the device.
TEST_P(MountRule, ABindMountOfTheScannedFolderIsNotCountedTwice) {
    const fs::path top = Dir.Path();
    const TChildResult result = RunInChild({.PrivateMounts = true}, [&] {
        WriteTree(top, {"a/file:7", "again/"});
        MountOrThrow((top / "a").c_str(), top / "again", nullptr, MS_BIND);
        return ScanReport(top.string(), GetParam());
    });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "a/ 7\n"
                             "a/file 7\n"
                             "again/ 0 [other volume]\n"
                             "problem /again other volume\n"
                             "total 7\n");
}

INSTANTIATE_TEST_SUITE_P(Threads, MountRule, testing::Values(1, 4));

// Kernels before 5.8 give no mount IDs: the mount table tells the same.
TEST(MountPoints, WithoutMountIdsTheMountTableDecides) {
    TempDir dir;
    const fs::path top = dir.Path();
    const TChildResult result = RunInChild({.PrivateMounts = true}, [&] {
        WriteTree(top, {"in ner/", "again/", "plain/", "data/"});
        MountOrThrow("tmpfs", top / "in ner", "tmpfs", 0); // listed as "in\\040ner"
        MountOrThrow((top / "data").c_str(), top / "again", nullptr, MS_BIND);
        const int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
        std::string report;
        for (const bool mountIds : {true, false}) {
            const TVolumeGuard guard(fd, mountIds);
            for (const char* name : {"in ner", "again", "plain"}) {
                struct statx st {};
                statx(fd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | 0x1000U, &st);
                report += Verdict(std::string(name) + (mountIds ? " by ID" : " by table"),
                                  guard.IsOtherMount(st, fd, name) == (name[0] != 'p'));
            }
        }
        close(fd);
        return report;
    });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "in ner by ID yes\nagain by ID yes\nplain by ID yes\n"
                             "in ner by table yes\nagain by table yes\nplain by table yes\n");
}

TEST(MountPoints, EscapesAreDecoded) {
    const auto points =
        ParseMountPoints("26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                         "65 26 0:39 / /tmp/with\\040space rw,relatime - tmpfs tmpfs rw\n"
                         "66 65 0:40 / /tmp/tab\\011and\\134slash rw - tmpfs x rw\n");
    EXPECT_EQ(points,
              (std::unordered_set<std::string>{"/", "/tmp/with space", "/tmp/tab\tand\\slash"}));
}

} // namespace
