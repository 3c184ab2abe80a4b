// Which files the configuration layer reads: regular files of a sane size only. Device files
// never end and a FIFO blocks until a writer comes, so both are refused before any read.
#include "FixtureTree.h"
#include "KestrixFAConfig.h"
#include "uBaseConfig.h"
#include "uConfigDefault.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

using namespace quorvex;
namespace fs = std::filesystem;

namespace {

// The message of the EConfigFileError that loading `file` throws; empty when it loads.
std::string LoadError(const fs::path& file) {
    try {
        LoadConfig(file);
    } catch (const EConfigFileError& error) {
        return error.what();
    }
    return {};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ConfigFileRead : public testing::Test {
protected:
    test::TempDir FDir;
};

TEST_F(ConfigFileRead, EndlessAndBlockingFilesAreRefusedByName) {
    const fs::path fifo = FDir.Path() / "pipe.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& file :
         {fs::path("/dev/zero"), fs::path("/dev/urandom"), fifo, fs::path(FDir.Path())}) {
        const std::string message = LoadError(file);
        EXPECT_TRUE(Contains(message, "'" + file.string() + "'")) << file << ": " << message;
        EXPECT_TRUE(Contains(message, "not a regular file")) << message;
    }
    // The store refuses them the same way and writes nothing in their place.
    EXPECT_THROW(TBaseConfig{fifo}, EConfigFileError);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(ConfigFileRead, OversizedFilesAreRefusedBeforeTheyAreRead) {
    const fs::path big = FDir.Path() / "big.xml";
    std::ofstream(big) << DefaultConfigText;
    fs::resize_file(big, ConfigFileSizeLimit + 1); // sparse: no disk space taken
    const std::string message = LoadError(big);
    EXPECT_TRUE(Contains(message, "'" + big.string() + "'")) << message;
    EXPECT_TRUE(Contains(message, "8 MiB")) << message;

    // At the limit the file is read: blanks after the root element are still XML.
    std::ofstream(big, std::ios::trunc)
        << DefaultConfigText << std::string(ConfigFileSizeLimit - DefaultConfigText.size(), ' ');
    EXPECT_EQ(LoadConfig(big)->VersionNo(), 3);
}

TEST_F(ConfigFileRead, LinksToRegularFilesStillLoad) {
    const fs::path target = FDir.Path() / "real.xml";
    const fs::path link = FDir.Path() / "KestrixFAConfig.xml";
    std::ofstream(target) << DefaultConfigText;
    fs::create_symlink(target, link);
    EXPECT_EQ(LoadConfig(link)->VersionNo(), 3);
    EXPECT_EQ(TBaseConfig(link).GetConfig()->Sizerange().Count(), 6);
}

} // namespace
