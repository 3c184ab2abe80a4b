#include "ForkedChild.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace quorvex::test {

namespace {

// The first byte says whether the setup worked ('R': refused, 'O': the body's output).
void WriteAll(int fd, char kind, const std::string& text) {
    std::string message = kind + text;
    const char* p = message.data();
    std::size_t left = message.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n <= 0)
            return;
        p += n;
        left -= std::size_t(n);
    }
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        text.append(buffer, std::size_t(n > 0 ? n : 0));
    return text;
}

std::string Setup(const TChildSetup& setup) {
    if (setup.PrivateMounts &&
        (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)))
        return std::string("no mount namespace: ") + std::strerror(errno);
    if (setup.User >= 0) {
        const auto id = uid_t(setup.User);
        if (setgroups(0, nullptr) != 0 || setresgid(id, id, id) != 0 || setresuid(id, id, id) != 0)
            return std::string("cannot drop privileges: ") + std::strerror(errno);
    }
    return {};
}

[[noreturn]] void Child(int fd, const TChildSetup& setup,
                        const std::function<std::string()>& body) {
    if (const std::string refused = Setup(setup); !refused.empty()) {
        WriteAll(fd, 'R', refused);
        _exit(0);
    }
    try {
        WriteAll(fd, 'O', body());
    } catch (const std::exception& e) {
        WriteAll(fd, 'O', std::string("exception: ") + e.what());
    } catch (...) {
        WriteAll(fd, 'O', "exception: unknown");
    }
    _exit(0);
}

} // namespace

void HandOver(const std::filesystem::path& path, int user) {
    const auto id = uid_t(user);
    if (lchown(path.c_str(), id, gid_t(id)) != 0)
        throw std::system_error(errno, std::generic_category(), "lchown " + path.string());
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path)))
        return;
    for (const auto& item : std::filesystem::recursive_directory_iterator(path))
        if (lchown(item.path().c_str(), id, gid_t(id)) != 0)
            throw std::system_error(errno, std::generic_category(),
                                    "lchown " + item.path().string());
}

TChildResult RunInChild(const TChildSetup& setup, const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0)
        return {std::string("no pipe: ") + std::strerror(errno), {}};
    const pid_t pid = fork();
    if (pid < 0)
        return {std::string("cannot fork: ") + std::strerror(errno), {}};
    if (pid == 0) {
        close(fds[0]);
        Child(fds[1], setup, body);
    }
    close(fds[1]);
    const std::string message = ReadAll(fds[0]);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (message.empty())
        return {{}, "exception: the child ended without a word, status " + std::to_string(status)};
    if (message[0] == 'R')
        return {message.substr(1), {}};
    return {{}, message.substr(1)};
}

} // namespace quorvex::test
