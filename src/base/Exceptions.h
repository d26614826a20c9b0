// The exception classes of the core. Every error carries its message as UTF-8 text, ready to be
// shown to the user as it stands.
#pragma once

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

class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& path)
        : EStreamError("ファイル " + path + " は開けません") {}
};

class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& path)
        : EStreamError("ファイル " + path + " を作成できません") {}
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
