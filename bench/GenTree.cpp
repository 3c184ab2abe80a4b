// quorvex_gentree --files N [--seed S] [--extensions common|longtail] DIR
// Writes a deterministic tree of N sparse files under DIR (created if missing, must be
// empty) for the scan benchmark, and prints what it made.

#include "GenNames.h"
#include "GenRandom.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace quorvex::gentree {

namespace {

constexpr unsigned MaxDepth = 12;          // DIR itself is depth 0
constexpr double EntriesPerFolder = 10.0;  // files and subfolders, on average
constexpr double ClimbChance = 0.6;        // see PlanFolders
constexpr double EmptyLeafShare = 0.01;    // leaf folders that get no files at all
constexpr double FilesPerFolderCap = 5000; // relative weight cap: no folder takes ~all files

struct TOptions {
    std::uint64_t Files = 0;
    std::uint64_t Seed = 1;
    TExtensions Extensions = TExtensions::Common;
    std::string Dir;
};

/// The folder skeleton and how many files each folder gets; folder 0 is DIR. A folder's
/// parent always has a smaller index.
struct TPlan {
    std::vector<std::uint32_t> Parent;
    std::vector<std::uint8_t> Depth;
    std::vector<std::uint32_t> FileCount;
    std::vector<std::uint32_t> ChildStart; // children of f: Children[ChildStart[f]..[f+1])
    std::vector<std::uint32_t> Children;
};

struct TCounts {
    std::uint64_t Files = 0, Folders = 0, EmptyFiles = 0, EmptyFolders = 0, Bytes = 0;
    unsigned MaxDepth = 0;
};

// Reads errno before building the message, which may allocate.
[[noreturn]] void Fail(const char* call, const std::string& name) {
    const int error = errno;
    throw std::system_error(error, std::generic_category(), std::string(call) + " " + name);
}

[[noreturn]] void Usage() {
    std::fprintf(
        stderr, "usage: quorvex_gentree --files N [--seed S] [--extensions common|longtail] DIR\n");
    std::exit(2);
}

TOptions ParseOptions(int argc, char** argv) {
    TOptions options;
    bool haveFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--files" || arg == "--seed") && i + 1 < argc) {
            char* end = nullptr;
            const unsigned long long value = std::strtoull(argv[++i], &end, 10);
            if (*end != '\0')
                Usage();
            (arg == "--files" ? options.Files : options.Seed) = value;
            haveFiles = haveFiles || arg == "--files";
        } else if (arg == "--extensions" && i + 1 < argc) {
            const std::string kind = argv[++i];
            if (kind != "common" && kind != "longtail")
                Usage();
            options.Extensions = kind == "common" ? TExtensions::Common : TExtensions::LongTail;
        } else if (options.Dir.empty() && !arg.empty() && arg[0] != '-') {
            options.Dir = arg;
        } else {
            Usage();
        }
    }
    if (!haveFiles || options.Dir.empty() || options.Files > 0xFFFFFFF0u)
        Usage();
    return options;
}

const char* ExtensionsName(TExtensions extensions) {
    switch (extensions) {
    case TExtensions::Common:
        return "common";
    case TExtensions::LongTail:
        return "longtail";
    }
    return "";
}

// A random recursive tree: each folder hangs below an earlier one. Climbing one level often
// favours folders that already have subfolders (a few folders with hundreds of subfolders,
// as in real trees) and keeps most folders 4 to 7 levels deep at a million files. Climbing
// never reaches DIR, which keeps about a dozen top-level folders.
void PlanFolders(TPlan& plan, std::size_t folders, TRandom& random) {
    plan.Parent.assign(folders, 0);
    plan.Depth.assign(folders, 0);
    for (std::size_t f = 1; f < folders; ++f) {
        std::uint32_t parent = std::uint32_t(random.Below(f));
        if (plan.Parent[parent] != 0 && random.Chance(ClimbChance))
            parent = plan.Parent[parent];
        while (plan.Depth[parent] >= MaxDepth)
            parent = plan.Parent[parent];
        plan.Parent[f] = parent;
        plan.Depth[f] = std::uint8_t(plan.Depth[parent] + 1);
    }
    plan.ChildStart.assign(folders + 1, 0);
    for (std::size_t f = 1; f < folders; ++f)
        ++plan.ChildStart[plan.Parent[f] + 1];
    for (std::size_t f = 0; f < folders; ++f)
        plan.ChildStart[f + 1] += plan.ChildStart[f];
    plan.Children.resize(folders > 0 ? folders - 1 : 0);
    std::vector<std::uint32_t> next(plan.ChildStart.begin(), plan.ChildStart.end() - 1);
    for (std::size_t f = 1; f < folders; ++f)
        plan.Children[next[plan.Parent[f]]++] = std::uint32_t(f);
}

// Files go to folders in proportion to heavy-tailed weights: most folders hold a handful,
// a few hold thousands; some leaf folders stay empty.
void PlanFiles(TPlan& plan, std::uint64_t files, TRandom& random) {
    const std::size_t folders = plan.Parent.size();
    std::vector<double> cumulative(folders);
    double total = 0;
    for (std::size_t f = 0; f < folders; ++f) {
        const bool leaf = plan.ChildStart[f] == plan.ChildStart[f + 1];
        double weight = std::min(random.Pareto(1.3), FilesPerFolderCap);
        if (leaf && f != 0 && random.Chance(EmptyLeafShare))
            weight = 0;
        cumulative[f] = total += weight;
    }
    plan.FileCount.assign(folders, 0);
    for (std::uint64_t i = 0; i < files; ++i) {
        const double at = random.Uniform() * total;
        const auto it = std::upper_bound(cumulative.begin(), cumulative.end(), at);
        ++plan.FileCount[std::min<std::size_t>(std::size_t(it - cumulative.begin()), folders - 1)];
    }
}

TPlan MakePlan(const TOptions& options) {
    TRandom random(options.Seed, 0);
    TPlan plan;
    // entries = files + folders - 1 (DIR is no entry of a folder) = EntriesPerFolder * folders
    const double folders = (double(options.Files) - 1) / (EntriesPerFolder - 1);
    PlanFolders(plan, std::max<std::size_t>(1, std::size_t(std::llround(folders))), random);
    PlanFiles(plan, options.Files, random);
    return plan;
}

/// Writes the planned tree; one random stream per folder, so a folder's names and sizes do
/// not depend on the order in which folders are written.
class TWriter {
public:
    TWriter(const TPlan& plan, std::uint64_t seed, TExtensions extensions)
        : FPlan(plan), FSeed(seed), FExtensions(extensions) {
        FNow = std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
    }
    // Recursion is bounded by MaxDepth, so at most MaxDepth + 1 folders are open at once.
    void WriteFolder(int dirFd, std::uint32_t folder);
    const TCounts& Counts() const { return FCounts; }
    /// Distinct texts after the last "." of the file names written (the engine's extension;
    /// a dot file's name is its extension), names without a "." not counted.
    std::size_t DistinctExtensions() const { return FExtensionsSeen.size(); }

private:
    void WriteFile(int dirFd, TRandom& random);
    int MakeSubfolder(int dirFd, TRandom& random);
    void SetTimes(int fd, TRandom& random) const;

    const TPlan& FPlan;
    std::uint64_t FSeed;
    TExtensions FExtensions;
    std::int64_t FNow = 0;
    TCounts FCounts;
    std::unordered_set<std::string> FExtensionsSeen;
};

void TWriter::SetTimes(int fd, TRandom& random) const {
    const std::int64_t write = FNow - MakeAgeSeconds(random);
    const std::int64_t access = write + std::int64_t(random.Uniform() * double(FNow - write));
    const timespec times[2] = {{access, 0}, {write, 0}};
    if (futimens(fd, times) != 0)
        Fail("futimens", "");
}

void TWriter::WriteFile(int dirFd, TRandom& random) {
    const TNameParts parts = MakeFileName(random, FExtensions);
    const std::uint64_t size = MakeFileSize(random);
    std::string name = parts.Stem + parts.Ext;
    int fd = -1;
    // Names clash now and then (same word, same number): add " (2)", " (3)"... to the stem.
    for (int copy = 2;
         (fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) < 0;
         ++copy) {
        if (errno != EEXIST)
            Fail("create", name);
        name = parts.Stem + " (" + std::to_string(copy) + ")" + parts.Ext;
    }
    // Sparse: the size is only recorded, so a million files take almost no disk space.
    if (size > 0 && ftruncate(fd, off_t(size)) != 0)
        Fail("ftruncate", name);
    SetTimes(fd, random);
    close(fd);
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        FExtensionsSeen.insert(name.substr(dot + 1));
    ++FCounts.Files;
    FCounts.Bytes += size;
    FCounts.EmptyFiles += size == 0;
}

int TWriter::MakeSubfolder(int dirFd, TRandom& random) {
    const std::string base = MakeFolderName(random);
    std::string name = base;
    for (int copy = 2; mkdirat(dirFd, name.c_str(), 0755) != 0; ++copy) {
        if (errno != EEXIST)
            Fail("mkdir", name);
        name = base + " (" + std::to_string(copy) + ")";
    }
    const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        Fail("open", name);
    return fd;
}

void TWriter::WriteFolder(int dirFd, std::uint32_t folder) {
    TRandom random(FSeed, std::uint64_t(folder) + 1);
    for (std::uint32_t i = 0; i < FPlan.FileCount[folder]; ++i)
        WriteFile(dirFd, random);
    const std::uint32_t first = FPlan.ChildStart[folder], last = FPlan.ChildStart[folder + 1];
    for (std::uint32_t c = first; c < last; ++c) {
        const int childFd = MakeSubfolder(dirFd, random);
        WriteFolder(childFd, FPlan.Children[c]);
        close(childFd);
    }
    ++FCounts.Folders;
    FCounts.EmptyFolders += first == last && FPlan.FileCount[folder] == 0;
    FCounts.MaxDepth = std::max<unsigned>(FCounts.MaxDepth, FPlan.Depth[folder]);
    // Last, because writing the contents changed the folder's times.
    SetTimes(dirFd, random);
}

// A tree written over an earlier one would not be the tree of the seed.
int OpenEmptyFolder(const std::string& dir) {
    std::filesystem::create_directories(dir);
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail("open", dir);
    DIR* listing = fdopendir(dup(fd));
    if (!listing)
        Fail("list", dir);
    bool empty = true;
    while (const dirent* item = readdir(listing))
        empty =
            empty && (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0);
    closedir(listing);
    if (!empty)
        throw std::runtime_error(dir + " is not empty");
    return fd;
}

} // namespace

} // namespace quorvex::gentree

int main(int argc, char** argv) {
    using namespace quorvex::gentree;
    const TOptions options = ParseOptions(argc, argv);
    try {
        const auto start = std::chrono::steady_clock::now();
        const int rootFd = OpenEmptyFolder(options.Dir);
        const TPlan plan = MakePlan(options);
        TWriter writer(plan, options.Seed, options.Extensions);
        writer.WriteFolder(rootFd, 0);
        close(rootFd);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        const TCounts& c = writer.Counts();
        std::printf("tree:           %s (seed %llu)\n", options.Dir.c_str(),
                    static_cast<unsigned long long>(options.Seed));
        std::printf("files:          %llu (%llu empty)\n", static_cast<unsigned long long>(c.Files),
                    static_cast<unsigned long long>(c.EmptyFiles));
        std::printf("folders:        %llu including the top folder (%llu empty), depth up to %u\n",
                    static_cast<unsigned long long>(c.Folders),
                    static_cast<unsigned long long>(c.EmptyFolders), c.MaxDepth);
        std::printf("apparent bytes: %llu\n", static_cast<unsigned long long>(c.Bytes));
        std::printf("extensions:     %zu distinct (%s), names without a \".\" not counted\n",
                    writer.DistinctExtensions(), ExtensionsName(options.Extensions));
        std::printf("seconds:        %.2f\n", seconds.count());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvex_gentree: %s\n", e.what());
        return 1;
    }
    return 0;
}
