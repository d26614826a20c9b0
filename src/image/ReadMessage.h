// What users are told when a file cannot be read: every reader error becomes a Japanese sentence
// that names the file, with the reader's own text kept word for word inside full-width
// parentheses (other programs may look for it). A codec with an error table of its own gives its
// sentences through ECodecError; the table here serves the BMP reader and every other error.
#pragma once

#include "base/Exceptions.h"

#include <exception>
#include <string>

// The sentence for error, raised while reading file (the name as the user gave it), e.g.
// "notes.png は PNG ファイルではありません（PNG LoadStream: Not PNG Format）". A message that
// already names the file is given as it is.
std::string ReadFailureMessage(const std::string& file, const std::exception& error);

// An error of a codec that says itself what it means for the file being read.
class ECodecError : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
    // What follows the file's name in the message (" は PNG ファイルではありません"); empty to
    // leave the choice to the general table.
    virtual std::string FileSentence() const { return {}; }
};

// A file that could not be read; the message is ReadFailureMessage's.
class EUnreadableFile : public Exception {
public:
    using Exception::Exception;
};

// What read gives; any error it raises comes out as EUnreadableFile naming file.
template <typename Read>
auto ReadNamingFile(const std::string& file, Read&& read) -> decltype(read()) {
    try {
        return read();
    } catch (const std::exception& e) {
        throw EUnreadableFile(ReadFailureMessage(file, e));
    }
}
