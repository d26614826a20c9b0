#include "base/Exceptions.h"
#include "base/Stream.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

TEST(Stream, MemoryStreamReadWriteSeek) {
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    EXPECT_EQ(m.Size(), 6);
    EXPECT_EQ(m.Position(), 6);
    m.SetPosition(2);
    m.WriteBuffer("XY", 2);
    EXPECT_EQ(m.Size(), 6) << "overwriting inside must not grow the stream";
    m.SetPosition(0);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 8), 6);
    EXPECT_EQ(std::string(buf, 6), "abXYef");
    EXPECT_EQ(m.Read(buf, 1), 0);
    EXPECT_EQ(m.Seek(-2, TSeekOrigin::End), 4);
    EXPECT_THROW(m.ReadBuffer(buf, 3), EReadError);
    // A view is read-only: writes move nothing, WriteBuffer says so.
    TCustomMemoryStream view(m.Memory(), m.Size());
    EXPECT_EQ(view.Write("z", 1), 0);
    try {
        view.WriteBuffer("z", 1);
        FAIL() << "no write error";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "ストリームへの書き込みエラー");
    }
}

TEST(Stream, FileStreamErrorsNameThePath) {
    const std::string dir = MakeTempDir();
    try {
        TFileStream s(dir + "/missing.bin", TFileStream::fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "ファイル " + dir + "/missing.bin は開けません");
    }
    try {
        TFileStream s(dir + "/no/such/folder.bin", TFileStream::fmCreate);
        FAIL() << "created a file in a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "ファイル " + dir + "/no/such/folder.bin を作成できません");
    }
    {
        TFileStream s(dir + "/f.bin", TFileStream::fmCreate);
        s.WriteBuffer("hello", 5);
    }
    TFileStream s(dir + "/f.bin", TFileStream::fmOpenRead);
    EXPECT_EQ(s.Size(), 5);
    char buf[5];
    s.ReadBuffer(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    try {
        s.ReadBuffer(buf, 1);
        FAIL() << "no read error at the end";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "ストリームからの読み込みエラー");
    }
}

TEST(Stream, AtomicWriteKeepsOldFileOnFailure) {
    const std::string dir = MakeTempDir();
    const std::string path = dir + "/picture.bin";
    WriteFileBytes(path, {1, 2, 3});
    EXPECT_THROW(WriteFileAtomically(path,
                                     [](TStream& s) {
                                         s.WriteBuffer("partial", 7);
                                         throw std::runtime_error("codec failed");
                                     }),
                 std::runtime_error);
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    // Nothing but the original is left in the folder.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);

    WriteFileAtomically(path, [](TStream& s) { s.WriteBuffer("new", 3); });
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'n', 'e', 'w'}));
    // A folder that does not exist is reported as a file that cannot be created.
    EXPECT_THROW(WriteFileAtomically(dir + "/none/x.bin", [](TStream&) {}), EFCreateError);
}
