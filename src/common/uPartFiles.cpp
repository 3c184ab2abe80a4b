#include "uPartFiles.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

// The handler may neither allocate nor lock, so the paths it removes wait in fixed buffers.
// A slot is Free, Filling while its path is copied in, or Armed.
enum ESlotState : int { Free, Filling, Armed };
struct TSlot {
    std::atomic<int> State{Free};
    pid_t Owner = 0; // a forked child that never exec'd must not remove its parent's file
    char Path[PATH_MAX] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");
// Exports run one at a time; a few more slots cover writers on other threads.
TSlot Slots[8];
constexpr int CleanedSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void RemovePartsAndDie(int signal) {
    const int saved = errno;
    const pid_t self = ::getpid();
    for (TSlot& slot : Slots)
        if (slot.State.load() == Armed && slot.Owner == self)
            ::unlink(slot.Path);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    errno = saved;
    // Blocked while this handler runs; delivered with the default action as it returns.
    ::raise(signal);
}

void InstallHandlers() {
    for (const int signal : CleanedSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) != 0)
            continue;
        // Whoever handles or ignores the signal decides whether the process ends, and the
        // writer's own cleanup runs if it does not: removing the file then would break it.
        if ((old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL)
            continue;
        struct sigaction cleanup {};
        cleanup.sa_handler = RemovePartsAndDie;
        sigemptyset(&cleanup.sa_mask);
        for (const int other : CleanedSignals)
            sigaddset(&cleanup.sa_mask, other);
        ::sigaction(signal, &cleanup, nullptr);
    }
}

// "PID-N" with both parts decimal; the PID, or 0 when `text` is not of that form.
pid_t PartPid(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == text.size())
        return 0;
    for (const char c : text)
        if (c != '-' && (c < '0' || c > '9'))
            return 0;
    if (text.find('-', dash + 1) != std::string_view::npos)
        return 0;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + dash, pid);
    return error == std::errc() && end == text.data() + dash ? pid : 0;
}

} // namespace

std::string PartFileName(const std::string& targetName, long pid, int attempt) {
    return "." + targetName + "." + std::to_string(pid) + "-" + std::to_string(attempt) + ".part";
}

void RemoveStaleParts(const fs::path& target) {
    const std::string prefix = "." + target.filename().string() + ".";
    constexpr std::string_view suffix = ".part";
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* item = ::readdir(dir)) {
        const std::string_view name = item->d_name;
        if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
            !name.ends_with(suffix))
            continue;
        const pid_t pid =
            PartPid(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
        // Only "no such process" proves the writer gone; EPERM is someone else's live one.
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(dir), item->d_name, 0);
    }
    ::closedir(dir);
}

int GuardPartFile(const fs::path& path) {
    // Asked each time: a signal whose handler was taken away since is guarded again.
    InstallHandlers();
    const std::string absolute = fs::absolute(path).string();
    if (absolute.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < int(std::size(Slots)); ++i) {
        int expected = Free;
        if (!Slots[i].State.compare_exchange_strong(expected, Filling))
            continue;
        std::memcpy(Slots[i].Path, absolute.c_str(), absolute.size() + 1);
        Slots[i].Owner = ::getpid();
        Slots[i].State.store(Armed);
        return i;
    }
    return -1;
}

void ReleasePartFile(int slot) {
    if (slot >= 0 && slot < int(std::size(Slots)))
        Slots[slot].State.store(Free);
}

} // namespace quorvex
