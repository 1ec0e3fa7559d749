#include "image/file_manager.h"
#include "image/safe_write.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <numeric>
#include <string>
#include <fcntl.h>
#include <sys/mount.h>
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

TEST_F(FileManagerTest, SizeOfMissingEmptyAndOrdinaryFiles)
{
    files.SetFileName(path("missing.bin"));
    EXPECT_EQ(files.GetFileSize(), 0);
    make("empty.bin", 0);
    files.SetFileName(path("empty.bin"));
    EXPECT_EQ(files.GetFileSize(), 0);
    make("image.bin", 256);
    files.SetFileName(path("image.bin"));
    EXPECT_EQ(files.GetFileSize(), 256);
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

TEST_F(FileManagerTest, FailedWritesSayWhyAndLeaveWhatWasThere)
{
    std::vector<std::uint8_t> bytes(256, 0x11);

    files.SetFileName(path("no-such-folder/image.bin"));
    EXPECT_EQ(files.Write(bytes.data(), 256), 0);
    EXPECT_EQ(files.LastWriteError(), "no such folder");
    EXPECT_FALSE(fs::exists(folder / "no-such-folder"));

    fs::create_directory(folder / "a-folder");
    make("a-folder/inside.bin", 3);
    files.SetFileName(path("a-folder"));
    EXPECT_EQ(files.Write(bytes.data(), 256), 0);
    EXPECT_EQ(files.LastWriteError(), "is a folder");
    EXPECT_EQ(contents("a-folder/inside.bin").size(), 3u);

    // Made read-only on purpose: not replaced, even by root, though the folder is writable.
    make("kept.bin", 4);
    fs::permissions(path("kept.bin"), fs::perms::owner_read);
    files.SetFileName(path("kept.bin"));
    EXPECT_EQ(files.Write(bytes.data(), 256), 0);
    EXPECT_EQ(files.LastWriteError(), "permission denied");
    EXPECT_EQ(contents("kept.bin").size(), 4u);

    const auto tooLong = image::WriteFileSafely(path(std::string(256, 'n')), bytes.data(), 256);
    EXPECT_EQ(tooLong.reason, "name too long");
    EXPECT_EQ(entries(), 2u) << "a temporary file was left behind";

    // The temporary's own name must not push a name at the limit over it.
    EXPECT_TRUE(image::WriteFileSafely(path(std::string(255, 'n')), bytes.data(), 256));
}

TEST_F(FileManagerTest, AFullDiskKeepsTheOldFile)
{
    fs::create_directory(folder / "small");
    if (::mount("tmpfs", path("small").c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    make("small/image.bin", 256, 5);
    make("small/filler.bin", 4096);
    std::vector<std::uint8_t> bytes(8192, 0x33);
    files.SetFileName(path("small/image.bin"));
    const int written = files.Write(bytes.data(), 8192);
    const std::vector<std::uint8_t> kept = contents("small/image.bin");
    const std::size_t left = static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder / "small"), {}));
    ::umount(path("small").c_str());
    EXPECT_EQ(written, 0);
    EXPECT_EQ(files.LastWriteError(), "disk full");
    ASSERT_EQ(kept.size(), 256u);
    EXPECT_EQ(kept[0], 5);
    EXPECT_EQ(left, 2u) << "a temporary file was left behind";
}

TEST_F(FileManagerTest, WhatIsNotAPlainFileIsWrittenIntoNeverReplaced)
{
    const std::vector<std::uint8_t> bytes(256, 0x44);
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);

    // Nobody reads it: refused at once rather than waiting for a reader.
    auto unread = std::async(std::launch::async,
                             [&] { return image::WriteFileSafely(path("fifo"), bytes.data(), 256); });
    ASSERT_EQ(unread.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(unread.get().reason, "no program is reading from it");

    int reader = ::open(path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(image::WriteFileSafely(path("fifo"), bytes.data(), 256));
    std::vector<std::uint8_t> received(512);
    EXPECT_EQ(::read(reader, received.data(), received.size()), 256);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(folder / "fifo"));

    EXPECT_TRUE(image::WriteFileSafely("/dev/null", bytes.data(), 256));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(image::WriteFileSafely("/dev/full", bytes.data(), 256).reason, "disk full");
    EXPECT_EQ(entries(), 1u);
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

TEST_F(FileManagerTest, ThingsThatAreNotFilesAnswerZeroAtOnce)
{
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    files.SetFileName(path("fifo"));
    std::uint8_t buffer[16];
    // A FIFO without a writer would block a plain open for ever.
    auto answers = std::async(std::launch::async, [&] {
        return std::pair(files.GetFileSize(), files.Read(buffer, 16));
    });
    ASSERT_EQ(answers.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(answers.get(), std::pair(0L, 0));

    files.SetFileName(folder.string());
    EXPECT_EQ(files.GetFileSize(), 0);
    EXPECT_EQ(files.Read(buffer, 16), 0);
}

} // namespace
