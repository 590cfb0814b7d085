#include "platform/Stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "support/JpegFixtures.h"
#include "support/Unprivileged.h"

using fixtures::Bytes;
using platform::FileReadStream;
using platform::FileWriteStream;
using platform::MemoryStream;

TEST(MemoryStream, GrowsOnWriteAndReadsBack) {
    MemoryStream s;
    EXPECT_EQ(s.Size(), 0u);
    Bytes block(10000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(s.Write(block.data(), block.size()), block.size());
    EXPECT_EQ(s.Size(), 10000u);
    EXPECT_EQ(s.Position(), 10000u);
    ASSERT_TRUE(s.SetPosition(5000));
    uint8_t out[8];
    EXPECT_EQ(s.Read(out, sizeof out), sizeof out);
    EXPECT_EQ(0, std::memcmp(out, block.data() + 5000, sizeof out));
    ASSERT_TRUE(s.SetPosition(9998));
    EXPECT_EQ(s.Read(out, sizeof out), 2u) << "a read stops at the end";
    EXPECT_FALSE(s.SetPosition(10001));
}

TEST(MemoryStream, SetSizeAllocatesZeroedBytesAndKeepsPosition) {
    MemoryStream s;
    ASSERT_TRUE(s.SetSize(300));
    EXPECT_EQ(s.Size(), 300u);
    EXPECT_EQ(s.Position(), 0u);
    ASSERT_NE(s.Memory(), nullptr);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(s.Memory()[i], 0);
    EXPECT_FALSE(s.SetSize(uint64_t{1} << 62)) << "an impossible size is refused";
    EXPECT_EQ(s.Size(), 300u);
}

TEST(FileReadStream, ReadsFromPositionAndRefusesNonFiles) {
    fixtures::TempDir dir;
    ASSERT_TRUE(fixtures::WriteFile(dir.File("a"), {1, 2, 3, 4, 5}));
    int error = -1;
    auto s = FileReadStream::Open(dir.File("a"), &error);
    ASSERT_TRUE(s);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(s->Size(), 5u);
    ASSERT_TRUE(s->SetPosition(3));
    uint8_t out[4] = {};
    EXPECT_EQ(s->Read(out, 4), 2u);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], 5);

    EXPECT_FALSE(FileReadStream::Open(dir.File("missing"), &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(FileReadStream::Open(dir.Path(), &error));
    EXPECT_EQ(error, EISDIR);
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(FileReadStream::Open(dir.File("pipe"), &error))
        << "a pipe must not block the open";
}

TEST(FileWriteStream, ReplacesTargetOnlyOnCommit) {
    fixtures::TempDir dir;
    const std::string target = dir.File("out.jpg");
    ASSERT_TRUE(fixtures::WriteFile(target, Bytes(100, 7)));
    int error = 0;
    {
        auto s = FileWriteStream::Create(target, &error);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->Write("abc", 3), 3u);
        EXPECT_EQ(fixtures::ReadFile(target).size(), 100u) << "not replaced before commit";
    }
    EXPECT_EQ(fixtures::ReadFile(target), Bytes(100, 7)) << "dropped without commit";
    {
        auto s = FileWriteStream::Create(target, &error);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->Write("abc", 3), 3u);
        EXPECT_EQ(s->Commit(), 0);
    }
    EXPECT_EQ(fixtures::ReadFile(target), (Bytes{'a', 'b', 'c'})) << "exactly the new length";
    // No temporary file is left behind.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(FileWriteStream, RefusesFoldersAndDevices) {
    fixtures::TempDir dir;
    int error = 0;
    EXPECT_FALSE(FileWriteStream::Create(dir.Path(), &error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_FALSE(FileWriteStream::Create("/dev/null", &error)) << "a device is never replaced";
    EXPECT_FALSE(FileWriteStream::Create(dir.File("gone/x.jpg"), &error));
    EXPECT_EQ(error, ENOENT);
}

TEST(FileWriteStream, WritesThroughASymbolicLink) {
    fixtures::TempDir dir;
    ASSERT_TRUE(fixtures::WriteFile(dir.File("real.jpg"), Bytes(10, 1)));
    ASSERT_EQ(symlink("real.jpg", dir.File("link.jpg").c_str()), 0);
    int error = 0;
    auto s = FileWriteStream::Create(dir.File("link.jpg"), &error);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Write("xy", 2), 2u);
    EXPECT_EQ(s->Commit(), 0);
    struct stat st {};
    ASSERT_EQ(lstat(dir.File("link.jpg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(fixtures::ReadFile(dir.File("real.jpg")), (Bytes{'x', 'y'}));
}

TEST(FileWriteStream, KeepsTheOldFileWhenTheDeviceIsFull) {
    fixtures::TempDir dir;
    const std::string target = dir.File("old.jpg");
    ASSERT_TRUE(fixtures::WriteFile(target, Bytes(50, 9)));
    {
        const fixtures::FileSizeLimit deviceFull(1000);
        int error = 0;
        auto s = FileWriteStream::Create(target, &error);
        ASSERT_TRUE(s);
        const Bytes big(5000, 3);
        EXPECT_LT(s->Write(big.data(), big.size()), big.size());
        EXPECT_NE(s->Commit(), 0);
    }
    EXPECT_EQ(fixtures::ReadFile(target), Bytes(50, 9));
}

TEST(FileWriteStream, FailsInAFolderWithoutWritePermission) {
    fixtures::TempDir dir;
    const std::string folder = dir.File("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_TRUE(fixtures::WriteFile(folder + "/old.jpg", Bytes(20, 4)));
    ASSERT_EQ(chmod((folder + "/old.jpg").c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const int result = fixtures::RunUnprivileged([&] {
        int error = 0;
        auto s = FileWriteStream::Create(folder + "/old.jpg", &error);
        return !s && error == EACCES ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(fixtures::ReadFile(folder + "/old.jpg"), Bytes(20, 4));
}
