// Byte streams: the abstract TStream, a file stream and memory streams. Read and Write move as
// many bytes as they can and say how many; ReadBuffer and WriteBuffer demand the full count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }

    // Raise EReadError / EWriteError when fewer than count bytes move.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
};

class TFileStream : public TStream {
public:
    enum Mode { fmOpenRead, fmCreate };
    // Raises EFOpenError (fmOpenRead) or EFCreateError (fmCreate, which truncates), saying why.
    TFileStream(const std::string& path, Mode mode);
    // A stream over a descriptor that is already open (standard input or output, a fresh
    // temporary file); it is closed with the stream only when owned.
    TFileStream(int handle, bool owned);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Raises ESeekError on a stream that cannot seek (a pipe, a FIFO, a terminal).
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    // A regular file: it can seek and has a size. Pipes, devices and terminals are not.
    bool IsRegular() const;
    // The system's error number of the last Read or Write that moved fewer bytes than asked.
    int LastError() const { return error_; }

private:
    int fd_;
    bool owned_ = true;
    int error_ = 0;
};

// A stream over memory that readers may address directly through Memory().
class TCustomMemoryStream : public TStream {
public:
    // A read-only view of bytes owned by someone else; they must outlive the stream.
    TCustomMemoryStream(const void* data, int64_t size);

    const uint8_t* Memory() const { return data_; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_; }

protected:
    TCustomMemoryStream() = default;
    void SetPointer(const uint8_t* data, int64_t size);

    const uint8_t* data_ = nullptr;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// A growable memory stream that owns its bytes.
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t size);
    void LoadFromFile(const std::string& path);
    std::vector<uint8_t> Bytes() const { return {data_, data_ + size_}; }

private:
    std::vector<uint8_t> bytes_;
};

// Writes a file so that a failure never harms the one already there. A symbolic link is followed
// and its target written. A regular file is replaced by a temporary file written beside it, which
// takes the old file's mode (a new file gets 0666 less the umask) and is renamed over it only
// after the whole write succeeded. A file without write permission is refused. Where no temporary
// file can be made but the file itself is writable, and for targets that are no regular file (a
// device, a FIFO, a pipe named as /dev/stdout), the bytes are produced in memory first and then
// written into the file itself.
// Errors raise EFCreateError naming path, or whatever write raises; no temporary file stays.
void WriteFileAtomically(const std::string& path, const std::function<void(TStream&)>& write);
// Raises the EFCreateError that WriteFileAtomically would raise at once for path: a folder, or an
// existing regular file without write permission. Nothing for a path that does not exist yet.
void CheckWritable(const std::string& path);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file of a save in progress before the
// process ends as the signal would end it.
void RemoveTemporaryFileOnSignals();
