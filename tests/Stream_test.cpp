#include "base/Exceptions.h"
#include "base/Stream.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

// Runs body in a child process as the unprivileged user nobody when the tests run as root, who
// passes every permission check, and returns what body returned there.
std::string RunUnprivileged(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string result = "could not become nobody";
        if (::geteuid() != 0 ||
            (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0))
            result = body();
        const ssize_t written = ::write(channel[1], result.data(), result.size());
        ::_exit(written == ssize_t(result.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string result;
    char piece[256];
    for (ssize_t n; (n = ::read(channel[0], piece, sizeof piece)) > 0;)
        result.append(piece, size_t(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}

// The message of the exception that action raises, or "" when it raises none.
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

void WriteText(const std::string& path, const std::string& text) {
    WriteFileAtomically(path,
                        [&](TStream& s) { s.WriteBuffer(text.data(), int64_t(text.size())); });
}

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

} // namespace

TEST(Stream, FileStreamErrorsSayWhatIsWrongAndNameThePath) {
    const std::string dir = MakeTempDir();
    ::chmod(dir.c_str(), 0755);
    WriteFileBytes(dir + "/secret.bin", {1});
    ::chmod((dir + "/secret.bin").c_str(), 0);
    ::mkdir((dir + "/locked").c_str(), 0555);
    const auto open = [](const std::string& path) {
        return MessageOf([&] { TFileStream s(path, TFileStream::fmOpenRead); });
    };
    const auto create = [](const std::string& path) {
        return MessageOf([&] { TFileStream s(path, TFileStream::fmCreate); });
    };
    struct Case {
        std::string path;
        std::function<std::string(const std::string&)> action;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {dir + "/missing.bin", open, "ファイル " + dir + "/missing.bin がありません"},
        {dir + "/none/x.bin", open, "ファイル " + dir + "/none/x.bin がありません"},
        {dir, open, dir + " はフォルダなので開けません"},
        {dir + "/secret.bin", open, "ファイル " + dir + "/secret.bin を読む権限がありません"},
        {dir + "/no/such/folder.bin", create,
         "ファイル " + dir + "/no/such/folder.bin を保存するフォルダがありません"},
        {dir, create, dir + " はフォルダなので保存できません"},
        {dir + "/locked/new.bin", create,
         "ファイル " + dir + "/locked/new.bin に書き込む権限がありません"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunUnprivileged([&] { return c.action(c.path); }), c.expected) << c.path;

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

// A pipe cannot seek: the stream says so instead of retrying for ever (the alarm ends a child
// that would).
TEST(Stream, SeekOnAPipeRaisesTheSeekError) {
    EXPECT_EXIT(
        {
            ::alarm(10);
            int ends[2];
            if (::pipe(ends) != 0) std::_Exit(2);
            TFileStream reader(ends[0], true);
            TFileStream writer(ends[1], true);
            writer.WriteBuffer("abc", 3);
            char buf[3];
            reader.ReadBuffer(buf, 3);
            int refused = 0;
            for (const auto& seek : std::vector<std::function<void()>>{
                     [&] { reader.Position(); }, [&] { reader.Size(); },
                     [&] { reader.SetPosition(0); }}) {
                try {
                    seek();
                } catch (const ESeekError&) {
                    ++refused;
                }
            }
            std::_Exit(reader.IsRegular() || refused != 3 ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
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

TEST(Stream, AtomicWriteFollowsLinksToTheirTarget) {
    const std::string dir = MakeTempDir();
    ::mkdir((dir + "/sub").c_str(), 0755);
    struct Case {
        std::string link, target, written; // written: the file that must get the bytes
    } cases[] = {
        {"link.png", "real.png", "real.png"},
        {"chain.png", "link.png", "real.png"},
        {"dangling.png", "created.png", "created.png"},
        {"down.png", "sub/deep.png", "sub/deep.png"},
        {"sub/up.png", "../up-target.png", "up-target.png"},
        {"absolute.png", dir + "/sub/abs.png", "sub/abs.png"},
    };
    WriteFileBytes(dir + "/real.png", {'o', 'l', 'd'});
    for (const Case& c : cases)
        ASSERT_EQ(::symlink(c.target.c_str(), (dir + "/" + c.link).c_str()), 0) << c.link;
    for (const Case& c : cases) {
        WriteText(dir + "/" + c.link, "via " + c.link);
        EXPECT_TRUE(std::filesystem::is_symlink(dir + "/" + c.link)) << c.link;
        EXPECT_EQ(ReadText(dir + "/" + c.written), "via " + c.link) << c.link;
    }
    EXPECT_EQ(EntriesIn(dir + "/sub"), (std::vector<std::string>{"abs.png", "deep.png", "up.png"}));
}

// A device or FIFO is written into, never replaced by a regular file.
TEST(Stream, AtomicWriteWritesIntoFilesThatAreNotRegular) {
    const std::string dir = MakeTempDir();
    ASSERT_EQ(::symlink("/dev/null", (dir + "/null.png").c_str()), 0);
    WriteText(dir + "/null.png", "gone");
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/null.png"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    const std::string fifo = dir + "/fifo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Opened for reading and writing, the FIFO has a reader at once and the test never blocks.
    const int reader = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteText(fifo, "through the fifo");
    char piece[64];
    const ssize_t n = ::read(reader, piece, sizeof piece);
    ::close(reader);
    const std::string received(piece, size_t(std::max<ssize_t>(n, 0)));
    EXPECT_EQ(received, "through the fifo");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // A full disk: the message says so and names the file.
    ASSERT_EQ(::symlink("/dev/full", (dir + "/full.png").c_str()), 0);
    EXPECT_EQ(MessageOf([&] { WriteText(dir + "/full.png", "bytes"); }),
              "ディスクに空きがないので ファイル " + dir + "/full.png を保存できません");
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/full.png"));
    EXPECT_EQ(EntriesIn(dir), (std::vector<std::string>{"fifo.png", "full.png", "null.png"}));
}

TEST(Stream, AtomicWriteKeepsTheModeAndGivesNewFilesTheUmasksMode) {
    const std::string dir = MakeTempDir();
    for (const mode_t mode : {0600, 0640, 0755, 0604}) {
        const std::string path = dir + "/kept" + std::to_string(mode) + ".bin";
        WriteFileBytes(path, {1});
        ::chmod(path.c_str(), mode);
        WriteText(path, "new");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode) << path;
        EXPECT_EQ(ReadText(path), "new");
    }
    for (const mode_t mask : {022, 027, 077}) {
        const std::string path = dir + "/new" + std::to_string(mask) + ".bin";
        const mode_t old = ::umask(mask);
        WriteText(path, "new");
        ::umask(old);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask) << path;
    }
}

// Permission holds whoever saves: a file without write permission is refused and kept; a
// writable file in a folder the user cannot write is written in place.
TEST(Stream, AtomicWriteHonoursPermissions) {
    const std::string dir = MakeTempDir();
    ::chmod(dir.c_str(), 0777);
    const std::string readOnly = dir + "/read-only.png";
    WriteFileBytes(readOnly, {'o', 'l', 'd'});
    ::chmod(readOnly.c_str(), 0444);
    // Root passes every access check; the mode bits still protect the file.
    EXPECT_EQ(MessageOf([&] { WriteText(readOnly, "new"); }),
              "ファイル " + readOnly + " に書き込む権限がありません");
    EXPECT_EQ(ReadText(readOnly), "old");

    // Someone else's file in a folder anyone may write: not ours to replace.
    const std::string others = dir + "/others.png";
    WriteFileBytes(others, {'o', 'l', 'd'});
    ::chmod(others.c_str(), 0644);
    if (::geteuid() == 0) {
        EXPECT_EQ(RunUnprivileged([&] { return MessageOf([&] { WriteText(others, "new"); }); }),
                  "ファイル " + others + " に書き込む権限がありません");
        EXPECT_EQ(ReadText(others), "old");
    }

    const std::string locked = dir + "/locked";
    ::mkdir(locked.c_str(), 0755);
    const std::string shared = locked + "/shared.png";
    WriteFileBytes(shared, {'o', 'l', 'd'});
    ::chmod(shared.c_str(), 0666);
    ::chmod(locked.c_str(), 0555);
    struct stat before {};
    ::stat(shared.c_str(), &before);
    const std::string result = RunUnprivileged([&] {
        const std::string error = MessageOf([&] { WriteText(shared, "new"); });
        return error + "|" + MessageOf([&] { WriteText(locked + "/fresh.png", "new"); });
    });
    EXPECT_EQ(result, "|ファイル " + locked + "/fresh.png に書き込む権限がありません");
    EXPECT_EQ(ReadText(shared), "new");
    struct stat after {};
    ::stat(shared.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "written in place, not replaced";
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(EntriesIn(locked), std::vector<std::string>{"shared.png"});
}

// The temporary file must not need a longer name than the file itself.
TEST(Stream, AtomicWriteSavesNamesUpToTheSystemLimit) {
    const std::string dir = MakeTempDir();
    for (const size_t length : {248, 250, 255}) {
        const std::string name = std::string(length - 4, 'n') + ".png";
        WriteText(dir + "/" + name, "long");
        EXPECT_EQ(ReadText(dir + "/" + name), "long") << length;
        WriteText(dir + "/" + name, "again");
        EXPECT_EQ(ReadText(dir + "/" + name), "again") << length;
    }
    EXPECT_EQ(EntriesIn(dir).size(), 3u);
    const std::string tooLong = dir + "/" + std::string(256, 'n');
    EXPECT_EQ(MessageOf([&] { WriteText(tooLong, "x"); }),
              "ファイル名 " + tooLong + " が長すぎます");
}

// A save interrupted by a signal leaves neither a temporary file nor a changed file behind.
TEST(Stream, SignalDuringAWriteRemovesTheTemporaryFile) {
    const std::string dir = MakeTempDir();
    const std::string path = dir + "/picture.png";
    WriteFileBytes(path, {'o', 'l', 'd'});
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                RemoveTemporaryFileOnSignals();
                WriteFileAtomically(path, [signal](TStream& s) {
                    s.WriteBuffer("partial", 7);
                    ::raise(signal);
                });
            },
            testing::KilledBySignal(signal), "");
        EXPECT_EQ(EntriesIn(dir), std::vector<std::string>{"picture.png"}) << signal;
        EXPECT_EQ(ReadText(path), "old");
    }
}
