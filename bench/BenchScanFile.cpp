// quorvex_bench_scanfile [--items N] [--repeat R] [--dir DIR] [--no-peers]
// Writes N synthetic items (default 1,000,000: folders of 50 files, two levels deep) as a
// plain and a zstd scan file under DIR (default /var/tmp), reads them back, and prints the
// median seconds and MB/s of the JSON text; once with sizes only (the shape of ncdu's
// default export) and once with every field Quorvex saves. With ncdu installed, its import
// of the same plain file (ncdu -f FILE -o /dev/null) is timed as a peer. Stands alone: no
// engine, only the scan-file library.
#include "uScanFileReader.h"
#include "uScanFileWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

using namespace quorvex;

namespace {

constexpr int FilesPerFolder = 50;
constexpr int FoldersPerFolder = 20;

template <typename F> double SecondsOf(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool GFull = false; // every field, or names and sizes only

// Fills `item` as the n-th file: a name of varying length, sizes, and with GFull the owner,
// the mode and three times.
void FileItem(TScanItem& item, std::uint64_t n) {
    item.Name = "document-";
    item.Name += std::to_string(n);
    item.Name.append(n % 17, 'x');
    item.Name += n % 3 == 0 ? ".txt" : ".jpeg";
    item.ASize = (n * 2654435761u) % 10000000;
    item.DSize = (item.ASize + 4095) / 4096 * 4096;
    item.Dev = 64769;
    if (!GFull)
        return;
    item.HasUid = item.HasGid = item.HasMode = true;
    item.Uid = item.Gid = 1000;
    item.Mode = 0100644;
    item.HasMTime = item.HasCrTime = item.HasATime = true;
    item.MTime = 1600000000 + static_cast<std::int64_t>(n % 100000000);
    item.CrTime = item.MTime - 86400;
    item.ATime = item.MTime + 3600;
}

// Writes one folder of files, and below it `depth` more levels, until `total` items are out.
void WriteFolder(TScanFileWriter& writer, TScanItem& item, std::uint64_t& written,
                 std::uint64_t total, int depth) {
    for (int i = 0; i < FilesPerFolder && written < total; ++i) {
        FileItem(item, written++);
        writer.File(item);
    }
    for (int f = 0; depth > 0 && f < FoldersPerFolder && written < total; ++f) {
        FileItem(item, written++);
        item.Name = "folder-" + std::to_string(written);
        item.ASize = item.DSize = 4096;
        item.Mode = 040755;
        writer.OpenFolder(item);
        WriteFolder(writer, item, written, total, depth - 1);
        writer.CloseFolder();
    }
}

void WriteScan(const std::string& path, std::uint64_t total) {
    TScanFileHeader header;
    header.ProgName = "quorvex-bench";
    header.ProgVer = "1";
    header.Timestamp = 1700000000;
    TScanFileWriter writer(path, header);
    TScanItem item;
    item.Name = "/bench/root";
    item.Dev = 64769;
    writer.OpenFolder(item);
    std::uint64_t written = 1;
    // Enough top-level folders for any N; each holds up to 50 + 20 * (50 + 20 * 50) items.
    while (written < total) {
        FileItem(item, written++);
        item.Name = "top-" + std::to_string(written);
        writer.OpenFolder(item);
        WriteFolder(writer, item, written, total, 2);
        writer.CloseFolder();
    }
    writer.CloseFolder();
    writer.Finish();
}

std::uint64_t ReadScan(const std::string& path, std::uint64_t& bytes) {
    TScanFileReader reader(path);
    std::uint64_t items = 0, sum = 0;
    for (auto e = reader.Next(); e != TScanFileReader::EEvent::End; e = reader.Next()) {
        if (e == TScanFileReader::EEvent::EndFolder)
            continue;
        ++items;
        sum += reader.Item().ASize + reader.Item().Name.size();
    }
    bytes = reader.Offset();
    return items + (sum == 0 ? 1 : 0); // keeps the sum alive
}

struct TOptions {
    std::uint64_t Items = 1000000;
    int Repeat = 5;
    std::string Dir = "/var/tmp";
    bool Peers = true;
};

TOptions ParseOptions(int argc, char** argv) {
    TOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--items" && hasValue)
            o.Items = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--repeat" && hasValue)
            o.Repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--dir" && hasValue)
            o.Dir = argv[++i];
        else if (arg == "--no-peers")
            o.Peers = false;
        else
            throw std::invalid_argument("unknown argument " + arg);
    }
    return o;
}

void Report(const char* what, double seconds, std::uint64_t bytes, double reference) {
    std::printf("%-28s %8.3f s %9.1f MB/s  ratio %5.2f\n", what, seconds,
                static_cast<double>(bytes) / 1e6 / seconds, seconds / reference);
}

void RunShape(const TOptions& o, const char* shape) {
    const std::string plain = o.Dir + "/quorvex-bench-scanfile.json";
    const std::string zstd = plain + ".zst";
    std::vector<double> writes, writesZ, reads, readsZ, peer;
    std::uint64_t bytes = 0, items = 0;
    for (int r = 0; r < o.Repeat; ++r) {
        writes.push_back(SecondsOf([&] { WriteScan(plain, o.Items); }));
        writesZ.push_back(SecondsOf([&] { WriteScan(zstd, o.Items); }));
        reads.push_back(SecondsOf([&] { items = ReadScan(plain, bytes); }));
        readsZ.push_back(SecondsOf([&] { ReadScan(zstd, bytes); }));
    }
    const bool ncdu = o.Peers && std::system("command -v ncdu >/dev/null 2>&1") == 0;
    const std::string ncduImport = "ncdu -f '" + plain + "' -o /dev/null >/dev/null 2>&1";
    for (int r = 0; ncdu && r < o.Repeat; ++r)
        peer.push_back(SecondsOf([&] {
            if (std::system(ncduImport.c_str()) != 0)
                throw std::runtime_error("ncdu failed");
        }));
    std::printf("%s: %llu items, %.1f MB of JSON, %.1f MB compressed, median of %d\n", shape,
                static_cast<unsigned long long>(items), static_cast<double>(bytes) / 1e6,
                static_cast<double>(std::filesystem::file_size(zstd)) / 1e6, o.Repeat);
    const double read = Median(reads);
    Report("read plain (reference)", read, bytes, read);
    Report("read zstd", Median(readsZ), bytes, read);
    Report("write plain", Median(writes), bytes, read);
    Report("write zstd", Median(writesZ), bytes, read);
    if (ncdu)
        Report("peer: ncdu -f (import)", Median(peer), bytes, read);
    std::filesystem::remove(plain);
    std::filesystem::remove(zstd);
}

} // namespace

int main(int argc, char** argv) try {
    const TOptions o = ParseOptions(argc, argv);
    RunShape(o, "sizes only");
    GFull = true;
    RunShape(o, "every field");
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "quorvex_bench_scanfile: %s\n", e.what());
    return 1;
}
