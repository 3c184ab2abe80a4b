#pragma once

#include "uByteSource.h"
#include "uScanFileReader.h"
#include "uScanFileWriter.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace quorvex::test {

/// One reader event with the item it came with (a default item for EndFolder and End).
struct TScanEvent {
    TScanFileReader::EEvent Kind;
    TScanItem Item;

    friend bool operator==(const TScanEvent&, const TScanEvent&) = default;
};

void PrintTo(const TScanEvent& event, std::ostream* os);

/// Every event up to and including End.
std::vector<TScanEvent> ReadEvents(TScanFileReader& reader);
/// Hands Folder, File and EndFolder events to the writer in order; End finishes it.
void WriteEvents(TScanFileWriter& writer, const std::vector<TScanEvent>& events);
/// The items of a read scan by their path below the root ("" is the root).
std::map<std::string, TScanItem> ItemsByPath(const std::vector<TScanEvent>& events);

/// A header line and a root folder "/r", for texts written by hand in the tests.
inline const std::string HeaderText =
    "[1,2,{\"progname\":\"test\",\"progver\":\"1.0\",\"timestamp\":1700000000},\n";

TScanItem Named(std::string name, bool folder = false);
/// `text` handed out `size` bytes at a time, so tokens start and end at every offset.
std::unique_ptr<TByteSource> Chunked(std::string text, std::size_t size);
/// `text` as one zstd frame.
std::string Compressed(const std::string& text);
std::string ReadFileText(const std::string& path);

} // namespace quorvex::test

namespace quorvex {
void PrintTo(const TScanItem& item, std::ostream* os);
} // namespace quorvex
