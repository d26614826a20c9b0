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
    // Raises EFOpenError (fmOpenRead) or EFCreateError (fmCreate, which truncates).
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    // Flushes to the disk; raises EWriteError when the system refuses.
    void Sync();

private:
    int fd_;
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
    void Clear();
    void LoadFromFile(const std::string& path);
    std::vector<uint8_t> Bytes() const { return {data_, data_ + size_}; }

private:
    std::vector<uint8_t> bytes_;
};

// Writes a file so that a failure never harms the one already there: the bytes go to a temporary
// file in the same folder, which replaces path only after the whole write succeeded. On failure
// the temporary file is removed and the error propagates.
void WriteFileAtomically(const std::string& path, const std::function<void(TStream&)>& write);
