// The exception classes of the core. Every error carries its message as UTF-8 text, ready to be
// shown to the user as it stands.
#pragma once

#include <cerrno>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Malformed image data.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// An operation an image cannot perform (bad bit count, bad layout, row out of range).
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// A read that came up short.
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("ストリームからの読み込みエラー") {}
};

// A write that came up short.
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("ストリームへの書き込みエラー") {}
};

// A seek on a stream that cannot move (a pipe, a terminal).
class ESeekError : public EStreamError {
public:
    ESeekError() : EStreamError("ストリームの位置を移動できません") {}
};

// The message for a file that cannot be opened for reading, or (writing) created or written. With
// the system's error number it says why, where the reason is one the user can act on.
inline std::string FileErrorMessage(const std::string& path, int error, bool writing) {
    const std::string file = "ファイル " + path;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return file + (writing ? " を保存するフォルダがありません" : " がありません");
    case EISDIR:
        return path + (writing ? " はフォルダなので保存できません" : " はフォルダなので開けません");
    case EACCES:
    case EPERM:
        return file + (writing ? " に書き込む権限がありません" : " を読む権限がありません");
    case EROFS:
        return file + " は読み取り専用の場所にあるので保存できません";
    case ENOSPC:
    case EDQUOT:
        return "ディスクに空きがないので " + file + " を保存できません";
    case ENAMETOOLONG:
        return "ファイル名 " + path + " が長すぎます";
    default:
        return file + (writing ? " を作成できません" : " は開けません");
    }
}

class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& path, int error = 0)
        : EStreamError(FileErrorMessage(path, error, false)) {}
};

class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& path, int error = 0)
        : EStreamError(FileErrorMessage(path, error, true)) {}
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("メモリが足りません") {}

protected:
    using Exception::Exception;
};

// A system resource (a drawing surface, ...) could not be created; `what` names it.
class EOutOfResources : public EOutOfMemory {
public:
    explicit EOutOfResources(const std::string& what) : EOutOfMemory(what + " を作成できません") {}
};
