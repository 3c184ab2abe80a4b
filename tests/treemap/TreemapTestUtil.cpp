#include "TreemapTestUtil.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvex::test {

TScannedTree::TScannedTree(const std::vector<std::string>& lines) {
    WriteTree(Dir.Path(), lines);
    Ctrl.ScanFolder(Dir.Str());
}

void MakeChain(const std::filesystem::path& top, int depth, const char* leaf) {
    // By descriptor: the full path of the deepest folders exceeds PATH_MAX.
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        mkdirat(fd, "d", 0755);
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    const int file = fd < 0 ? -1 : openat(fd, leaf, O_WRONLY | O_CREAT, 0644);
    const bool written = file >= 0 && ftruncate(file, 4096) == 0;
    close(file);
    close(fd);
    if (!written)
        throw std::runtime_error("cannot make the chain");
}

std::vector<int> ParentTiles(const TTreemapLayout& layout) {
    std::vector<int> parents, open; // open[d]: the last tile seen at depth d
    for (const TTreemapTile& t : layout.Tiles()) {
        const std::size_t depth = t.Depth();
        parents.push_back(depth ? open.at(depth - 1) : -1);
        open.resize(depth + 1);
        open[depth] = int(parents.size() - 1);
    }
    return parents;
}

TTreemapTile InnerOf(const TTreemapTile& folder) {
    if (!TTreemapLayout::HasFrame(folder))
        return folder;
    return {std::uint16_t(folder.X + 1),
            std::uint16_t(folder.Y + 1),
            std::uint16_t(folder.W - 2),
            std::uint16_t(folder.H - 2),
            0,
            0};
}

} // namespace quorvex::test
