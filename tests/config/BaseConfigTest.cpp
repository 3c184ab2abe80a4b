#include "FixtureTree.h"
#include "ForkedChild.h"
#include "uBaseConfig.h"
#include "uConfigDefault.h"

#include <cerrno>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <system_error>

using namespace quorvex;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& file) {
    std::ostringstream content;
    content << std::ifstream(file, std::ios::binary).rdbuf();
    return content.str();
}

void WriteFile(const fs::path& file, std::string_view content) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

std::string EditedDefault() {
    std::string text(DefaultConfigText);
    text.replace(text.find("one day"), 7, "a day");
    return text;
}

template <typename TFailure> bool Throws(const std::function<void()>& action) {
    try {
        action();
    } catch (const TFailure&) {
        return true;
    }
    return false;
}

class ConfigStore : public testing::Test {
protected:
    /// Runs `body` as an ordinary user in a forked child that owns the test folder: root
    /// ignores permission bits, and CI runs as root.
    test::TChildResult AsUser(const std::function<std::string()>& body) {
        test::HandOver(FDir.Path(), test::NobodyId);
        return test::RunInChild({.User = test::NobodyId}, body);
    }
    test::TempDir FDir;
    fs::path FFile = FDir.Path() / "KestrixFAConfig.xml";
};

TEST_F(ConfigStore, FirstRunWritesTheDefaultDocumentAndNothingElse) {
    TBaseConfig store(FFile);
    EXPECT_EQ(store.GetFileName(), FFile);
    EXPECT_EQ(ReadFile(FFile), DefaultConfigText);
    EXPECT_EQ(store.GetConfig()->VersionNo(), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir.Path()), fs::directory_iterator()), 1);
}

TEST_F(ConfigStore, AnotherVersionIsReplacedByTheDefault) {
    for (const char* version : {"2", "4", "-3", " 30 "}) {
        WriteFile(FFile,
                  std::string(R"(<config versionNo=")") + version + R"("><files/></config>)");
        TBaseConfig store(FFile);
        EXPECT_EQ(ReadFile(FFile), DefaultConfigText) << version;
        EXPECT_EQ(store.GetConfig()->Files().Count(), 12) << version;
    }
}

TEST_F(ConfigStore, HandEditedFileLoadsUnchangedAndEditsAreNeverSaved) {
    WriteFile(FFile, EditedDefault());
    {
        TBaseConfig store(FFile);
        EXPECT_EQ(store.GetConfig()->Agerange().Item(0).Caption(), "a day");
        store.GetConfig()->Default().SetLargefilenum(5);
    }
    EXPECT_EQ(ReadFile(FFile), EditedDefault());
    EXPECT_EQ(TBaseConfig(FFile).GetConfig()->Default().Largefilenum(), 100);
}

TEST_F(ConfigStore, UnreadableVersionOrXmlFailsAndLeavesTheFile) {
    for (const char* text :
         {"<config/>", R"(<config versionNo=""/>)", R"(<config versionNo="three"/>)"}) {
        WriteFile(FFile, text);
        EXPECT_THROW(TBaseConfig{FFile}, EConvertError) << text;
        EXPECT_EQ(ReadFile(FFile), text);
    }
    WriteFile(FFile, R"(<config versionNo="2">)");
    EXPECT_THROW(TBaseConfig{FFile}, EConfigFileError);
    EXPECT_EQ(ReadFile(FFile), R"(<config versionNo="2">)");
}

TEST_F(ConfigStore, LoadDefaultRewritesTheFileAndSwapsTheDocument) {
    WriteFile(FFile, EditedDefault());
    TBaseConfig store(FFile);
    const IXMLConfigType before = store.GetConfig();
    store.LoadDefault();
    EXPECT_EQ(ReadFile(FFile), DefaultConfigText);
    EXPECT_NE(store.GetConfig(), before);
    EXPECT_EQ(store.GetConfig()->Agerange().Item(0).Caption(), "one day");
    EXPECT_EQ(before->Agerange().Item(0).Caption(), "a day"); // old handle still valid
}

TEST_F(ConfigStore, WriteFailuresNameTheFileAndKeepWhatWasThere) {
    try {
        TBaseConfig store(FDir.Path() / "absent" / "my.xml");
        FAIL() << "a file in a missing folder cannot be created";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
        EXPECT_NE(std::string(error.what()).find("absent/my.xml"), std::string::npos);
    }
    const test::TChildResult result = AsUser([&] {
        WriteFile(FFile, EditedDefault());
        TBaseConfig store(FFile);
        const IXMLConfigType before = store.GetConfig();
        fs::permissions(FFile, fs::perms::owner_read);
        fs::permissions(FDir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
        return test::Verdict("LoadDefault throws",
                             Throws<std::system_error>([&] { store.LoadDefault(); })) +
               test::Verdict("configuration kept", store.GetConfig() == before) +
               test::Verdict("file kept", ReadFile(FFile) == EditedDefault());
    });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "LoadDefault throws yes\nconfiguration kept yes\nfile kept yes\n");
}

// A file that exists in a folder the user cannot write to is still replaced when the file
// itself is writable: the replacement falls back to rewriting it in place.
TEST_F(ConfigStore, WritableFileInReadOnlyFolderIsReplaced) {
    const test::TChildResult result = AsUser([&] {
        WriteFile(FFile, R"(<config versionNo="2"/>)");
        fs::permissions(FDir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
        TBaseConfig store(FFile);
        return test::Verdict("default written", ReadFile(FFile) == DefaultConfigText);
    });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "default written yes\n");
}

TEST_F(ConfigStore, SymbolicLinkStaysALink) {
    fs::create_directory(FDir.Path() / "dotfiles");
    WriteFile(FDir.Path() / "dotfiles" / "quorvex.xml", R"(<config versionNo="2"/>)");
    fs::create_symlink("dotfiles/quorvex.xml", FFile);
    TBaseConfig store(FFile);
    EXPECT_TRUE(fs::is_symlink(FFile));
    EXPECT_EQ(ReadFile(FDir.Path() / "dotfiles" / "quorvex.xml"), DefaultConfigText);
}

TEST(ConfigLocation, BesideTheExecutableElsePerUser) {
    test::TempDir dir;
    const fs::path exe = dir.Path() / "bin";
    const fs::path xdg = dir.Path() / "xdg";
    fs::create_directory(exe);
    EXPECT_EQ(LocateConfigFile(exe, xdg.c_str(), "/nonexistent"), exe / "KestrixFAConfig.xml");

    // Without an executable folder: XDG_CONFIG_HOME when absolute, else HOME/.config.
    EXPECT_EQ(LocateConfigFile({}, xdg.c_str(), "/nonexistent"),
              xdg / "quorvex" / "KestrixFAConfig.xml");
    EXPECT_TRUE(fs::is_directory(xdg / "quorvex"));
    EXPECT_EQ(LocateConfigFile({}, "relative", dir.Str().c_str()),
              dir.Path() / ".config" / "quorvex" / "KestrixFAConfig.xml");

    // An installed copy never writes beside itself, though root may write to its folder.
    const fs::path installed = dir.Path() / "usr";
    fs::create_directories(installed / "bin");
    fs::create_directories((installed / InstalledMarker).parent_path());
    WriteFile(installed / InstalledMarker, "");
    EXPECT_EQ(LocateConfigFile(installed / "bin", xdg.c_str(), nullptr),
              xdg / "quorvex" / "KestrixFAConfig.xml");

    // A folder the user cannot write to: beside the executable only when the file is there.
    test::HandOver(dir.Path(), test::NobodyId);
    const test::TChildResult result = test::RunInChild({.User = test::NobodyId}, [&] {
        fs::permissions(exe, fs::perms::owner_read | fs::perms::owner_exec);
        const fs::path perUser = LocateConfigFile(exe, xdg.c_str(), nullptr);
        fs::permissions(exe, fs::perms::owner_all);
        WriteFile(exe / "KestrixFAConfig.xml", "");
        fs::permissions(exe, fs::perms::owner_read | fs::perms::owner_exec);
        const fs::path beside = LocateConfigFile(exe, xdg.c_str(), nullptr);
        return test::Verdict("per user without the file",
                             perUser == xdg / "quorvex" / "KestrixFAConfig.xml") +
               test::Verdict("beside it with the file", beside == exe / "KestrixFAConfig.xml");
    });
    if (!result.Refused.empty())
        GTEST_SKIP() << result.Refused;
    EXPECT_EQ(result.Output, "per user without the file yes\nbeside it with the file yes\n");
}

} // namespace
