#include "base/Stream.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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
        if (fd_ < 0) throw EFOpenError(path);
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd_);
            throw EFOpenError(path);
        }
    } else {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) throw EFCreateError(path);
    }
}

TFileStream::~TFileStream() {
    ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
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
    return result < 0 ? Position() : result;
}

void TFileStream::Sync() {
    if (::fsync(fd_) != 0) throw EWriteError();
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

void TMemoryStream::Clear() {
    bytes_.clear();
    SetPointer(bytes_.data(), 0);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream file(path, TFileStream::fmOpenRead);
    const int64_t size = file.Size();
    SetSize(size);
    file.ReadBuffer(bytes_.data(), size);
    position_ = 0;
}

void WriteFileAtomically(const std::string& path, const std::function<void(TStream&)>& write) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw EFCreateError(path);
    ::close(fd);
    try {
        {
            TFileStream stream(temp, TFileStream::fmCreate);
            write(stream);
            stream.Sync();
        }
        // Keep the permissions of the file being replaced; a new file gets the usual ones.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            ::chmod(temp.c_str(), st.st_mode & 07777);
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::chmod(temp.c_str(), 0666 & ~mask);
        }
        if (std::rename(temp.c_str(), path.c_str()) != 0) throw EFCreateError(path);
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
}
