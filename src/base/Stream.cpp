#include "base/Stream.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

int64_t TStream::Size() {
    const int64_t position = Position();
    const int64_t size = Seek(0, TSeekOrigin::End);
    Seek(position, TSeekOrigin::Beginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

TFileStream::TFileStream(const std::string& path, Mode mode) {
    if (mode == fmOpenRead) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw EFOpenError(path, errno);
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd_);
            throw EFOpenError(path, EISDIR);
        }
    } else {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) throw EFCreateError(path, errno);
    }
}

TFileStream::TFileStream(int handle, bool owned) : fd_(handle), owned_(owned) {}

TFileStream::~TFileStream() {
    if (owned_) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = errno;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(fd_, in + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = errno;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                       : origin == TSeekOrigin::Current ? SEEK_CUR
                                                        : SEEK_END;
    const off_t result = ::lseek(fd_, offset, whence);
    if (result < 0) throw ESeekError();
    return result;
}

bool TFileStream::IsRegular() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
}

TCustomMemoryStream::TCustomMemoryStream(const void* data, int64_t size) {
    SetPointer(static_cast<const uint8_t*>(data), size);
}

void TCustomMemoryStream::SetPointer(const uint8_t* data, int64_t size) {
    data_ = data;
    size_ = size;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t n = std::clamp<int64_t>(size_ - position_, 0, std::max<int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TCustomMemoryStream::Write(const void*, int64_t) {
    return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == TSeekOrigin::Beginning ? 0
                         : origin == TSeekOrigin::Current ? position_
                                                          : size_;
    position_ = std::max<int64_t>(base + offset, 0);
    return position_;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const int64_t end = position_ + count;
    if (end > static_cast<int64_t>(bytes_.size())) {
        // Grow geometrically so that many small writes stay linear.
        if (end > static_cast<int64_t>(bytes_.capacity()))
            bytes_.reserve(std::max<size_t>(static_cast<size_t>(end), bytes_.capacity() * 2));
        bytes_.resize(static_cast<size_t>(end));
    }
    std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    SetPointer(bytes_.data(), std::max<int64_t>(size_, end));
    return count;
}

void TMemoryStream::SetSize(int64_t size) {
    bytes_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    SetPointer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
    position_ = std::min(position_, size_);
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream file(path, TFileStream::fmOpenRead);
    const int64_t size = file.Size();
    SetSize(size);
    file.ReadBuffer(bytes_.data(), size);
    position_ = 0;
}

namespace {

// The temporary file of the save in progress, for the signal handler. One save runs at a time.
char pendingTemporary[PATH_MAX];
volatile sig_atomic_t hasPendingTemporary = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemovePendingTemporaryAndRaise(int signal) {
    if (hasPendingTemporary) ::unlink(pendingTemporary);
    // The handler was installed to reset itself, so this ends the process as the signal would.
    ::raise(signal);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at; path itself when it is no link or does not exist.
std::string FollowLinks(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(at.c_str(), target, sizeof target);
        if (n < 0) return at;
        if (n == sizeof target) throw EFCreateError(path, ENAMETOOLONG);
        const std::string next(target, static_cast<size_t>(n));
        at = next.front() == '/' ? next : FolderOf(at) + "/" + next;
    }
    throw EFCreateError(path, ELOOP);
}

// Root passes access() for every file, so a file without any write bit counts as protected too.
bool MayWrite(const std::string& file, const struct stat& st) {
    return ::access(file.c_str(), W_OK) == 0 && (st.st_mode & 0222) != 0;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void WriteAll(TFileStream& out, const std::string& path, const std::vector<uint8_t>& bytes) {
    if (out.Write(bytes.data(), static_cast<int64_t>(bytes.size())) !=
        static_cast<int64_t>(bytes.size()))
        throw EFCreateError(path, out.LastError());
}

// Writes into the file itself. The bytes are made first, so a failing writer leaves it as it was.
void WriteInPlace(const std::string& path, const std::string& target, bool regular,
                  const std::function<void(TStream&)>& write) {
    TMemoryStream bytes;
    write(bytes);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | (regular ? O_TRUNC : 0));
    if (fd < 0) throw EFCreateError(path, errno);
    TFileStream out(fd, true);
    WriteAll(out, path, bytes.Bytes());
    if (regular && ::fsync(fd) != 0) throw EFCreateError(path, errno);
}

// Writes a new file beside target and renames it over target; existing tells what to keep.
void WriteAndReplace(const std::string& path, const std::string& target, int fd,
                     const std::string& temp, const struct stat* existing,
                     const std::function<void(TStream&)>& write) {
    TFileStream out(fd, true);
    try {
        write(out);
    } catch (const EWriteError&) {
        throw EFCreateError(path, out.LastError());
    }
    if (::fsync(fd) != 0) throw EFCreateError(path, errno);
    if (existing != nullptr) {
        ::fchmod(fd, existing->st_mode & 07777);
        // Only root may hand the file back to another owner; anyone else owns the new file.
        [[maybe_unused]] const int kept = ::fchown(fd, existing->st_uid, existing->st_gid);
    } else {
        ::fchmod(fd, NewFileMode());
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) throw EFCreateError(path, errno);
}

// Makes the temporary file from the template name and records it for the signal handler. The
// signals wait meanwhile, so that none can find the file made but not yet recorded.
int MakeRecordedTemporary(std::string& name) {
    sigset_t cleanup, previous;
    sigemptyset(&cleanup);
    for (const int signal : kCleanupSignals)
        sigaddset(&cleanup, signal);
    ::pthread_sigmask(SIG_BLOCK, &cleanup, &previous);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    const int error = errno;
    if (fd >= 0 && name.size() < sizeof pendingTemporary) {
        std::memcpy(pendingTemporary, name.c_str(), name.size() + 1);
        hasPendingTemporary = 1;
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return fd;
}

// Devices, FIFOs and pipes are written into. Opening path reaches them through any link, also the
// system's own under /dev/fd, which reads as "pipe:[…]" and names no file.
bool WrittenInto(const std::string& path) {
    struct stat reached {};
    return ::stat(path.c_str(), &reached) == 0 && !S_ISREG(reached.st_mode) &&
           !S_ISDIR(reached.st_mode);
}
} // namespace

void CheckWritable(const std::string& path) {
    if (WrittenInto(path)) return;
    const std::string target = FollowLinks(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) throw EFCreateError(path, EISDIR);
    if (!MayWrite(target, st)) throw EFCreateError(path, EACCES);
}

void WriteFileAtomically(const std::string& path, const std::function<void(TStream&)>& write) {
    if (WrittenInto(path)) return WriteInPlace(path, path, false, write);
    CheckWritable(path);
    const std::string target = FollowLinks(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;

    // A short name, so that a file name near the system's limit still has room beside it.
    std::string temp = FolderOf(target) + "/.varnet-XXXXXX";
    const int fd = MakeRecordedTemporary(temp);
    if (fd < 0) {
        if (exists) return WriteInPlace(path, target, true, write);
        throw EFCreateError(path, errno);
    }
    try {
        WriteAndReplace(path, target, fd, temp, exists ? &st : nullptr, write);
        hasPendingTemporary = 0;
    } catch (...) {
        hasPendingTemporary = 0;
        ::unlink(temp.c_str());
        throw;
    }
}

void RemoveTemporaryFileOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemovePendingTemporaryAndRaise;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : kCleanupSignals)
        ::sigaction(signal, &action, nullptr);
}
