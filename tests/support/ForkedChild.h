#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quorvex::test {

/// How a forked child is set up before its body runs.
struct TChildSetup {
    /// Drop to this user and group (groups cleared) first; -1 keeps the caller's. Root
    /// ignores permission bits, so a permission test runs its body as an ordinary user.
    int User = -1;
    /// A mount namespace of its own: mounts made by the body vanish with the child.
    bool PrivateMounts = false;
};

/// What came back from the child.
struct TChildResult {
    /// Empty when the setup worked; else why not (a test skips with this text).
    std::string Refused;
    /// The body's text, or "exception: <what>" when it threw.
    std::string Output;
    bool Succeeded() const { return Refused.empty() && Output.rfind("exception: ", 0) != 0; }
};

/// Runs `body` in a forked child and reports back what it returned, through a pipe. The
/// child never returns into the test framework: it ends with _exit after the body.
TChildResult RunInChild(const TChildSetup& setup, const std::function<std::string()>& body);

/// The user id of "nobody", for privilege drops.
inline constexpr int NobodyId = 65534;

/// Makes `user` the owner of `path` and of everything below it (links not followed), so a
/// child running as that user meets the owner's permission bits there.
void HandOver(const std::filesystem::path& path, int user);

/// One line of a child's report: "what yes" or "what NO". The parent compares the whole
/// report with the expected text, so a failing check shows by name.
inline std::string Verdict(std::string_view what, bool holds) {
    return std::string(what) + (holds ? " yes\n" : " NO\n");
}

} // namespace quorvex::test
