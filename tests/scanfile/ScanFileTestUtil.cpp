#include "ScanFileTestUtil.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <zstd.h>

namespace quorvex {

// Readable failure output: names with control and non-ASCII bytes as \xNN.
void PrintTo(const TScanItem& item, std::ostream* os) {
    *os << (item.Folder ? "folder \"" : "file \"");
    for (const char ch : item.Name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F) {
            *os << ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            *os << hex;
        }
    }
    *os << "\" asize=" << item.ASize << " dsize=" << item.DSize << " dev=" << item.Dev
        << " ino=" << item.Ino << '/' << item.HasIno << " nlink=" << item.NLink
        << " hlnkc=" << item.HardLinkFlag << " uid=" << item.Uid << '/' << item.HasUid
        << " gid=" << item.Gid << '/' << item.HasGid << " mode=" << item.Mode << '/' << item.HasMode
        << " mtime=" << item.MTime << '/' << item.HasMTime << " crtime=" << item.CrTime << '/'
        << item.HasCrTime << " atime=" << item.ATime << '/' << item.HasATime
        << " read_error=" << item.ReadError << " notreg=" << item.NotReg
        << " excluded=" << item.Excluded;
}

namespace test {

void PrintTo(const TScanEvent& event, std::ostream* os) {
    *os << static_cast<int>(event.Kind) << ' ';
    quorvex::PrintTo(event.Item, os);
}

std::vector<TScanEvent> ReadEvents(TScanFileReader& reader) {
    using EEvent = TScanFileReader::EEvent;
    std::vector<TScanEvent> events;
    for (;;) {
        const EEvent kind = reader.Next();
        const bool withItem = kind == EEvent::Folder || kind == EEvent::File;
        events.push_back({kind, withItem ? reader.Item() : TScanItem()});
        if (kind == EEvent::End)
            return events;
    }
}

void WriteEvents(TScanFileWriter& writer, const std::vector<TScanEvent>& events) {
    for (const TScanEvent& event : events) {
        switch (event.Kind) {
        case TScanFileReader::EEvent::Folder:
            writer.OpenFolder(event.Item);
            break;
        case TScanFileReader::EEvent::File:
            writer.File(event.Item);
            break;
        case TScanFileReader::EEvent::EndFolder:
            writer.CloseFolder();
            break;
        case TScanFileReader::EEvent::End:
            writer.Finish();
            break;
        }
    }
}

std::map<std::string, TScanItem> ItemsByPath(const std::vector<TScanEvent>& events) {
    std::map<std::string, TScanItem> items;
    std::vector<std::string> folders; // path of every open folder below the root
    for (const TScanEvent& event : events) {
        const std::string parent = folders.empty() ? "" : folders.back();
        const std::string path =
            folders.empty() ? "" : (parent.empty() ? "" : parent + "/") + event.Item.Name;
        switch (event.Kind) {
        case TScanFileReader::EEvent::Folder:
            items[path] = event.Item;
            folders.push_back(path);
            break;
        case TScanFileReader::EEvent::File:
            items[path] = event.Item;
            break;
        case TScanFileReader::EEvent::EndFolder:
            folders.pop_back();
            break;
        case TScanFileReader::EEvent::End:
            break;
        }
    }
    return items;
}

TScanItem Named(std::string name, bool folder) {
    TScanItem item;
    item.Name = std::move(name);
    item.Folder = folder;
    return item;
}

namespace {

class TChunkedSource : public TByteSource {
public:
    TChunkedSource(std::string text, std::size_t size) : FText(std::move(text)), FSize(size) {}
    std::string_view Next() override {
        const std::string_view chunk = std::string_view(FText).substr(FPos, FSize);
        FPos += chunk.size();
        return chunk;
    }

private:
    std::string FText;
    std::size_t FSize;
    std::size_t FPos = 0;
};

} // namespace

std::unique_ptr<TByteSource> Chunked(std::string text, std::size_t size) {
    return std::make_unique<TChunkedSource>(std::move(text), size);
}

std::string Compressed(const std::string& text) {
    std::string out(ZSTD_compressBound(text.size()), '\0');
    out.resize(ZSTD_compress(out.data(), out.size(), text.data(), text.size(), 3));
    return out;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace test
} // namespace quorvex
