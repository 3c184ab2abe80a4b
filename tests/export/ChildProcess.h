#pragma once

// Writers run in a forked child where the parent must watch them from outside: killed
// halfway, or without the privileges of root, who ignores permission bits.

#include <cerrno>
#include <csignal>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvex::test {

/// The unprivileged user and group the permission tests run as.
inline constexpr uid_t NobodyId = 65534;

/// A forked child running `work`; the parent reads what the child reports through a pipe.
class TChild {
public:
    /// `work` gets the pipe's writing end; the child ends with _exit(0) when it returns,
    /// with _exit(1) when it throws.
    explicit TChild(const std::function<void(int report)>& work) {
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        FPid = ::fork();
        if (FPid == 0) {
            ::close(ends[0]);
            try {
                work(ends[1]);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(ends[1]);
        FReport = ends[0];
    }
    ~TChild() {
        if (FPid > 0 && !FReaped) {
            ::kill(FPid, SIGKILL);
            Wait();
        }
        if (FReport >= 0)
            ::close(FReport);
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    pid_t Pid() const { return FPid; }
    /// Reads `bytes` bytes of the report, fewer when the child closes the pipe first.
    std::string Read(std::size_t bytes) {
        std::string text(bytes, '\0');
        std::size_t got = 0;
        while (got < bytes) {
            const ssize_t n = ::read(FReport, text.data() + got, bytes - got);
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        text.resize(got);
        return text;
    }
    /// Everything the child reports until it closes the pipe.
    std::string ReadAll() { return Read(1 << 20); }
    /// Waits for the child's end; returns its wait status.
    int Wait() {
        int status = 0;
        while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
        }
        FReaped = true;
        return status;
    }

private:
    pid_t FPid = -1;
    int FReport = -1;
    bool FReaped = false;
};

/// Makes this process the unprivileged user, also without root's supplementary groups;
/// false when that fails. A process that is not root already has permission bits enforced
/// and stays who it is.
inline bool BecomeNobody() {
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setresgid(NobodyId, NobodyId, NobodyId) == 0 &&
           ::setresuid(NobodyId, NobodyId, NobodyId) == 0;
}

/// Runs `work` as the unprivileged user in a child and returns what it gave back; a child
/// that could not drop root's privileges reports "cannot drop privileges".
inline std::string AsNobody(const std::function<std::string()>& work) {
    TChild child([&](int report) {
        const std::string text = BecomeNobody() ? work() : "cannot drop privileges";
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(report, text.data() + done, text.size() - done);
            if (n <= 0)
                break;
            done += std::size_t(n);
        }
    });
    std::string text = child.ReadAll();
    child.Wait();
    return text;
}

} // namespace quorvex::test
