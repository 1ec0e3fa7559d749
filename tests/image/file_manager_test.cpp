#include "image/file_manager.h"
#include "image/safe_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 ("hubquill-files-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    void make(const std::string& name, std::size_t size, std::uint8_t first = 0) const
    {
        std::vector<char> bytes(size);
        std::iota(bytes.begin(), bytes.end(), static_cast<char>(first));
        std::ofstream(path(name), std::ios::binary).write(bytes.data(), static_cast<long>(size));
    }

    std::vector<std::uint8_t> contents(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::size_t entries() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
    CFileManager files;
};

TEST_F(FileManagerTest, NamesAreKeptUntilAValidOneReplacesThem)
{
    EXPECT_TRUE(files.GetFileName().empty());
    EXPECT_FALSE(files.SetFileName(""));
    EXPECT_TRUE(files.SetFileName("first.bin"));
    EXPECT_FALSE(files.SetFileName(""));
    EXPECT_EQ(files.GetFileName(), "first.bin");

    EXPECT_TRUE(files.SetFileName(std::string(255, 'a')));
    EXPECT_FALSE(files.SetFileName(std::string(256, 'b')));
    EXPECT_EQ(files.GetFileName(), std::string(255, 'a'));
}

TEST_F(FileManagerTest, ReadTakesExactlyTheBytesAskedFor)
{
    std::uint8_t buffer[16] = {};
    files.SetFileName(path("missing.bin"));
    EXPECT_EQ(files.Read(buffer, 16), 0);

    make("short.bin", 15);
    files.SetFileName(path("short.bin"));
    EXPECT_EQ(files.Read(buffer, 16), 0);

    make("long.bin", 1000, 0x40);
    files.SetFileName(path("long.bin"));
    EXPECT_EQ(files.Read(buffer, 16), 16);
    EXPECT_EQ(buffer[0], 0x40);
    EXPECT_EQ(buffer[15], 0x4F);
}

TEST_F(FileManagerTest, WriteOverALongerFileLeavesExactlyTheNewBytes)
{
    make("image.bin", 1000, 7);
    std::vector<std::uint8_t> bytes(256, 0xAB);
    files.SetFileName(path("image.bin"));
    EXPECT_EQ(files.Write(bytes.data(), 256), 256);
    EXPECT_EQ(contents("image.bin"), bytes);
    EXPECT_EQ(entries(), 1u) << "a temporary file was left behind";
}

TEST_F(FileManagerTest, WriteKeepsTheTargetsPermissions)
{
    make("image.bin", 10);
    fs::permissions(path("image.bin"), fs::perms::owner_read | fs::perms::owner_write |
                                           fs::perms::group_read);
    std::vector<std::uint8_t> bytes(256, 1);
    files.SetFileName(path("image.bin"));
    ASSERT_EQ(files.Write(bytes.data(), 256), 256);
    EXPECT_EQ(fs::status(path("image.bin")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Failures through every editor and the command line, each with its reason, are tested
// with them; here what only the file layer decides.
TEST_F(FileManagerTest, NamesAtTheLengthLimitAndFifosWithAReader)
{
    const std::vector<std::uint8_t> bytes(256, 0x44);
    EXPECT_EQ(image::WriteFileSafely(path(std::string(256, 'n')), bytes.data(), 256).reason,
              "name too long");
    // The temporary's own name must not push a name at the limit over it.
    EXPECT_TRUE(image::WriteFileSafely(path(std::string(255, 'n')), bytes.data(), 256));

    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    const int reader = ::open(path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(image::WriteFileSafely(path("fifo"), bytes.data(), 256));
    std::vector<std::uint8_t> received(512);
    EXPECT_EQ(::read(reader, received.data(), received.size()), 256);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(folder / "fifo")) << "written into, not replaced";
    EXPECT_EQ(entries(), 2u) << "a temporary file was left behind";
}

// An open file that no path leads to any more (a deleted file's /proc/self/fd/N) is
// refused rather than created anew under the text of its link. (Standard output and error
// are written as they are open: tests/cli.)
TEST_F(FileManagerTest, AnOpenFileWithoutAPathIsRefusedNotCreatedAgain)
{
    const std::vector<std::uint8_t> bytes(4, 0x66);
    make("log", 3);
    const int log = ::open(path("log").c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(log, 0);
    ::unlink(path("log").c_str());
    EXPECT_EQ(image::WriteFileSafely("/proc/self/fd/" + std::to_string(log), bytes.data(), 4).reason,
              "an open file without a name it could be replaced under");
    ::close(log);
    EXPECT_EQ(entries(), 0u);
}

TEST_F(FileManagerTest, RefusingToReplaceLeavesEveryExistingNameAlone)
{
    const std::vector<std::uint8_t> bytes(256, 0x55);
    make("taken.bin", 3);
    fs::create_symlink(folder / "missing.bin", folder / "dangling.bin");
    for (const char* name : {"taken.bin", "dangling.bin"}) {
        const auto outcome =
            image::WriteFileSafely(path(name), bytes.data(), 256, image::IfExists::Refuse);
        EXPECT_EQ(outcome.reason, "already exists") << name;
    }
    EXPECT_EQ(contents("taken.bin").size(), 3u);
    EXPECT_FALSE(fs::exists(folder / "missing.bin"));
    EXPECT_TRUE(image::WriteFileSafely(path("free.bin"), bytes.data(), 256, image::IfExists::Refuse));
    EXPECT_EQ(contents("free.bin"), bytes);
    EXPECT_EQ(entries(), 3u) << "a temporary file was left behind";
}

TEST_F(FileManagerTest, WriteThroughALinkReplacesTheLinkedFile)
{
    make("target.bin", 5);
    fs::create_symlink(folder / "target.bin", folder / "link.bin");
    std::vector<std::uint8_t> bytes(256, 0x22);
    files.SetFileName(path("link.bin"));
    ASSERT_EQ(files.Write(bytes.data(), 256), 256);
    EXPECT_TRUE(fs::is_symlink(folder / "link.bin"));
    EXPECT_EQ(contents("target.bin"), bytes);

    fs::create_symlink("not-yet.bin", folder / "dangling.bin");
    files.SetFileName(path("dangling.bin"));
    ASSERT_EQ(files.Write(bytes.data(), 256), 256);
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.bin"));
    EXPECT_EQ(contents("not-yet.bin"), bytes);
}

} // namespace
