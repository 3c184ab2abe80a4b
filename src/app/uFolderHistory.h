#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorvex {

/// The folders shown one after another, for Back and Forward as a browser keeps them. Paths
/// are the engine's full paths (bytes), so a history outlives the entries it names; a path
/// that no longer resolves is the caller's to skip.
class TFolderHistory {
public:
    /// Older visits beyond this are dropped, so a long session does not grow without bound.
    static constexpr std::size_t Capacity = 100;

    /// `path` becomes the current folder: a repeat of the current one changes nothing;
    /// otherwise the forward part is dropped and `path` appended.
    void Visit(const std::string& path);
    /// Steps one folder back (or forward) and returns it; nullptr, without moving, at the end.
    const std::string* Back();
    const std::string* Forward();
    /// The current folder; nullptr while the history is empty.
    const std::string* Current() const;
    bool CanGoBack() const { return FAt > 0; }
    bool CanGoForward() const { return FAt + 1 < FPaths.size(); }
    std::size_t Size() const { return FPaths.size(); }
    void Clear();

private:
    std::vector<std::string> FPaths;
    std::size_t FAt = 0; // index of the current folder; 0 when empty
};

} // namespace quorvex
