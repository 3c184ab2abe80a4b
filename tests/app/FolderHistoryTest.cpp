// Back and forward through the folders shown: the order of visits, a new visit cutting off the
// way forward, repeats, the ends and the capacity limit.
#include "uFolderHistory.h"

#include <gtest/gtest.h>

using namespace quorvex;

namespace {

std::string At(const std::string* path) {
    return path ? *path : std::string("<none>");
}

} // namespace

TEST(FolderHistory, BackAndForwardRetraceTheVisits) {
    TFolderHistory history;
    EXPECT_EQ(At(history.Current()), "<none>");
    EXPECT_EQ(history.Back(), nullptr);
    for (const char* path : {"/a", "/a/b", "/a/b/c"})
        history.Visit(path);
    EXPECT_EQ(At(history.Back()), "/a/b");
    EXPECT_EQ(At(history.Back()), "/a");
    EXPECT_EQ(history.Back(), nullptr); // the first folder stays current
    EXPECT_EQ(At(history.Current()), "/a");
    EXPECT_EQ(At(history.Forward()), "/a/b");
    EXPECT_EQ(At(history.Forward()), "/a/b/c");
    EXPECT_EQ(history.Forward(), nullptr);
    EXPECT_EQ(At(history.Current()), "/a/b/c");
}

TEST(FolderHistory, ANewVisitAfterGoingBackDropsTheWayForward) {
    TFolderHistory history;
    for (const char* path : {"/a", "/b", "/c"})
        history.Visit(path);
    history.Back();
    history.Back();
    history.Visit("/d");
    EXPECT_FALSE(history.CanGoForward());
    EXPECT_EQ(history.Size(), 2u);
    EXPECT_EQ(At(history.Back()), "/a");
    EXPECT_EQ(At(history.Forward()), "/d");
}

TEST(FolderHistory, RepeatingTheCurrentFolderOrReturningToItKeepsTheWayForward) {
    TFolderHistory history;
    history.Visit("/a");
    history.Visit("/a");
    EXPECT_EQ(history.Size(), 1u);
    history.Visit("/b");
    // Going back shows "/a", which the window then reports as visited: nothing is lost.
    history.Back();
    history.Visit("/a");
    EXPECT_TRUE(history.CanGoForward());
    EXPECT_EQ(At(history.Forward()), "/b");
}

TEST(FolderHistory, OldestVisitsGoBeyondTheCapacity) {
    TFolderHistory history;
    const std::size_t visits = TFolderHistory::Capacity + 5;
    for (std::size_t i = 0; i < visits; ++i)
        history.Visit("/" + std::to_string(i));
    EXPECT_EQ(history.Size(), TFolderHistory::Capacity);
    std::string oldest;
    while (const std::string* path = history.Back())
        oldest = *path;
    EXPECT_EQ(oldest, "/5");
    history.Clear();
    EXPECT_EQ(history.Current(), nullptr);
    EXPECT_FALSE(history.CanGoBack());
}
