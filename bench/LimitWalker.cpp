// quorvex_limit_walker [--threads N] [--record] [--repeat R] DIR
// The floor for a scan: every folder listed with getdents64 and every item examined with
// statx relative to the folder's descriptor, on N threads, storing nothing (or, with
// --record, a 36-byte record per entry). Stands alone, so it measures the kernel, not the
// code it is compared with. Prints one "name: value" line per figure.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t BufferBytes = 64 * 1024;
constexpr int OpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr unsigned StatxMask =
    STATX_TYPE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME | STATX_INO;

// What a lean scanner keeps at the least: size, three times, the name's length.
#pragma pack(push, 4)
struct TRecord {
    std::uint64_t Size;
    std::int64_t Times[3];
    std::uint32_t NameLength;
};
#pragma pack(pop)
static_assert(sizeof(TRecord) == 36);

// Records in blocks that never move, as an arena keeps them: no copying as they grow.
class TRecords {
public:
    void Add(const TRecord& record) {
        if (FUsed == BlockRecords || FBlocks.empty()) {
            FBlocks.emplace_back(new TRecord[BlockRecords]);
            FUsed = 0;
        }
        FBlocks.back()[FUsed++] = record;
    }

private:
    static constexpr std::size_t BlockRecords = 1 << 16;
    std::vector<std::unique_ptr<TRecord[]>> FBlocks;
    std::size_t FUsed = 0;
};

// A listed folder that stays open until its last sub-folder has been opened.
struct TOpenFolder {
    int Fd;
    std::atomic<std::uint32_t> Waiting;
    std::string Names; // of the sub-folders, NUL-separated
};

struct TTask {
    TOpenFolder* Parent; // nullptr: the top folder, opened by path
    const char* Name;
};

class TWalk {
public:
    TWalk(std::string top, bool record) : FTop(std::move(top)), FRecord(record) {}

    std::uint64_t Run(int threads) {
        FOutstanding = 1;
        FTasks.push_back({nullptr, FTop.c_str()});
        std::vector<std::thread> pool;
        std::vector<std::uint64_t> counts(std::size_t(threads), 0);
        for (int i = 0; i < threads; ++i)
            pool.emplace_back([this, &counts, i] { counts[std::size_t(i)] = Work(); });
        for (std::thread& t : pool)
            t.join();
        std::uint64_t entries = 1;
        for (std::uint64_t c : counts)
            entries += c;
        return entries;
    }

private:
    std::uint64_t Work() {
        std::unique_ptr<char[]> buffer(new char[BufferBytes]);
        TRecords records;
        std::uint64_t entries = 0;
        TTask task{};
        while (Pop(task))
            entries += Folder(task, buffer.get(), records);
        return entries;
    }

    std::uint64_t Folder(const TTask& task, char* buffer, TRecords& records) {
        const int fd = task.Parent ? openat(task.Parent->Fd, task.Name, OpenFlags)
                                   : open(task.Name, OpenFlags);
        if (task.Parent && task.Parent->Waiting.fetch_sub(1) == 1) {
            close(task.Parent->Fd);
            delete task.Parent;
        }
        if (fd < 0) {
            Done({});
            return 0;
        }
        auto* listed = new TOpenFolder{fd, {0}, {}};
        std::vector<std::size_t> subFolders;
        std::uint64_t entries = 0;
        for (long got; (got = syscall(SYS_getdents64, fd, buffer, BufferBytes)) > 0;) {
            for (long pos = 0; pos < got;) {
                const char* name = buffer + pos + 19;
                pos += *reinterpret_cast<const unsigned short*>(buffer + pos + 16);
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                    continue;
                struct statx st; // filled by the kernel
                if (statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, StatxMask, &st) != 0)
                    continue;
                ++entries;
                if (FRecord)
                    records.Add({st.stx_size,
                                 {st.stx_btime.tv_sec, st.stx_atime.tv_sec, st.stx_mtime.tv_sec},
                                 std::uint32_t(std::strlen(name))});
                if (S_ISDIR(st.stx_mode)) {
                    subFolders.push_back(listed->Names.size());
                    listed->Names.append(name, std::strlen(name) + 1);
                }
            }
        }
        std::vector<TTask> tasks;
        for (std::size_t offset : subFolders)
            tasks.push_back({listed, listed->Names.c_str() + offset});
        listed->Waiting = std::uint32_t(tasks.size());
        if (tasks.empty()) {
            close(fd);
            delete listed;
        }
        Done(tasks);
        return entries;
    }

    bool Pop(TTask& task) {
        std::unique_lock lock(FLock);
        FWake.wait(lock, [this] { return !FTasks.empty() || FOutstanding == 0; });
        if (FTasks.empty())
            return false;
        task = FTasks.back();
        FTasks.pop_back();
        return true;
    }

    // One task finished, having found `tasks`.
    void Done(const std::vector<TTask>& tasks) {
        std::lock_guard lock(FLock);
        FTasks.insert(FTasks.end(), tasks.rbegin(), tasks.rend());
        FOutstanding += tasks.size();
        if (--FOutstanding == 0 || tasks.size() > 1)
            FWake.notify_all();
        else if (tasks.size() == 1)
            FWake.notify_one();
    }

    std::string FTop;
    bool FRecord;
    std::mutex FLock;
    std::condition_variable FWake;
    std::vector<TTask> FTasks;
    std::size_t FOutstanding = 0;
};

std::uint64_t PeakRssBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
    return 0;
}

[[noreturn]] void Usage() {
    std::fprintf(stderr, "usage: quorvex_limit_walker [--threads N] [--record] [--repeat R] DIR\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv) {
    int threads = 2, repeat = 5;
    bool record = false;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--threads" && i + 1 < argc)
            threads = std::atoi(argv[++i]);
        else if (arg == "--repeat" && i + 1 < argc)
            repeat = std::atoi(argv[++i]);
        else if (arg == "--record")
            record = true;
        else if (dir.empty() && !arg.empty() && arg[0] != '-')
            dir = arg;
        else
            Usage();
    }
    if (threads < 1 || repeat < 1 || dir.empty())
        Usage();
    std::vector<double> runs;
    std::uint64_t entries = 0;
    for (int r = 0; r < repeat; ++r) {
        const auto start = Clock::now();
        TWalk walk(dir, record);
        entries = walk.Run(threads);
        runs.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("threads:             %d\n", threads);
    std::printf("record bytes:        %d\n", record ? int(sizeof(TRecord)) : 0);
    std::printf("seconds per run:    ");
    for (double run : runs)
        std::printf(" %.3f", run);
    std::sort(runs.begin(), runs.end());
    const std::size_t n = runs.size();
    std::printf("\nmedian seconds:      %.3f\n",
                n % 2 ? runs[n / 2] : (runs[n / 2 - 1] + runs[n / 2]) / 2);
    std::printf("min seconds:         %.3f\n", runs.front());
    std::printf("entries:             %llu\n", static_cast<unsigned long long>(entries));
    std::printf("peak rss bytes:      %llu\n", static_cast<unsigned long long>(PeakRssBytes()));
    return 0;
}
