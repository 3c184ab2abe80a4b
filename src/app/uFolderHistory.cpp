#include "uFolderHistory.h"

namespace quorvex {

void TFolderHistory::Visit(const std::string& path) {
    if (const std::string* current = Current(); current && *current == path)
        return;
    if (!FPaths.empty())
        FPaths.resize(FAt + 1); // a new way from here forgets the old way forward
    FPaths.push_back(path);
    if (FPaths.size() > Capacity)
        FPaths.erase(FPaths.begin());
    FAt = FPaths.size() - 1;
}

const std::string* TFolderHistory::Back() {
    if (!CanGoBack())
        return nullptr;
    return &FPaths[--FAt];
}

const std::string* TFolderHistory::Forward() {
    if (!CanGoForward())
        return nullptr;
    return &FPaths[++FAt];
}

const std::string* TFolderHistory::Current() const {
    return FPaths.empty() ? nullptr : &FPaths[FAt];
}

void TFolderHistory::Clear() {
    FPaths.clear();
    FAt = 0;
}

} // namespace quorvex
