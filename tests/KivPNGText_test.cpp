#include "png/KivPNGText.h"

#include "png/KivPNGCommon.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

using namespace std::string_literals;

std::string Deflate(const std::string& text) {
    uLongf size = compressBound(uLong(text.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(text.data()), uLong(text.size())),
              Z_OK);
    out.resize(size);
    return out;
}

std::string Bytes(const std::vector<uint8_t>& data) {
    return {data.begin(), data.end()};
}

TEST(KivPNGText, TextChunkForPicksLatin1WhenEveryCharacterFits) {
    struct TestCase {
        std::string text;
        uint32_t type;
        std::string data; // after "Comment\0"
    };
    const TestCase cases[] = {
        {"made here", ChunkTEXT, "made here"},
        {"caf\xC3\xA9 \xC3\xBF", ChunkTEXT, "caf\xE9 \xFF"}, // é and ÿ: Latin-1 bytes
        {"\xC2\x80", ChunkTEXT, "\x80"},                     // U+0080, the first two-byte one
        {"\xC4\x80", ChunkITXT, "\0\0\0\0\xC4\x80"s},        // U+0100, the first beyond
        {"\xE6\x97\xA5\xE6\x9C\xAC", ChunkITXT, "\0\0\0\0\xE6\x97\xA5\xE6\x9C\xAC"s}, // 日本
        {"caf\xC3\xA9 \xE2\x82\xAC", ChunkITXT, "\0\0\0\0caf\xC3\xA9 \xE2\x82\xAC"s}, // ... €
        {"\xF0\x9F\x8E\xA8", ChunkITXT, "\0\0\0\0\xF0\x9F\x8E\xA8"s}, // U+1F3A8, four bytes
    };
    for (const TestCase& c : cases) {
        const std::optional<TPngTextChunk> chunk = TextChunkFor("Comment", c.text);
        ASSERT_TRUE(chunk.has_value()) << c.text;
        EXPECT_EQ(chunk->Type, c.type) << c.text;
        EXPECT_EQ(Bytes(chunk->Data), "Comment\0"s + c.data) << c.text;
    }
}

TEST(KivPNGText, TextChunkForRefusesWhatIsNotUtf8) {
    for (const std::string& bad : {
             "caf\xE9"s,              // Latin-1 byte
             "\xC3"s,                 // sequence cut short
             "\xC3\x28"s,             // bad continuation byte
             "\xC0\xAF"s,             // overlong '/'
             "\xE0\x80\xAF"s,         // overlong, three bytes
             "\xED\xA0\x80"s,         // a surrogate half
             "\xF4\x90\x80\x80"s,     // beyond U+10FFFF
             "\xBF"s,                 // lone continuation byte
             "\xE6\x97\xA5\xE6\x9C"s, // the last character cut short
         }) {
        EXPECT_FALSE(TextChunkFor("Comment", bad).has_value()) << testing::PrintToString(bad);
    }
}

TEST(KivPNGText, Latin1TextBecomesUtf8) {
    const TPngText text = ParseLatin1Text("Titl\xE9\0caf\xE9 \xFF"s);
    EXPECT_EQ(text.Keyword, "Titl\xC3\xA9");
    EXPECT_EQ(text.Text, "caf\xC3\xA9 \xC3\xBF");
    const TPngText keywordOnly = ParseLatin1Text("Only\xB5");
    EXPECT_EQ(keywordOnly.Keyword, "Only\xC2\xB5");
    EXPECT_EQ(keywordOnly.Text, "");
}

TEST(KivPNGText, InternationalTextIsReadPlainOrCompressed) {
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"; // 日本語
    struct TestCase {
        std::string data;
        std::string keyword, text;
    };
    const TestCase cases[] = {
        {"Comment\0\0\0\0\0"s + japanese, "Comment", japanese},
        {"Comment\0\0\0ja\0\xE6\xB3\xA8\0"s + japanese, "Comment", japanese}, // tag, translation
        {"Comment\0\1\0\0\0"s + Deflate(japanese), "Comment", japanese},
        {"Title\0\0\0\0\0"s, "Title", ""},
        {"K\xE9y\0\0\0\0\0x"s, "K\xC3\xA9y", "x"}, // the keyword is Latin-1
        // Bytes of the text that are not UTF-8 are replaced, each on its own.
        {"Comment\0\0\0\0\0a\xE9z\xC3"s, "Comment", "a\xEF\xBF\xBDz\xEF\xBF\xBD"},
    };
    for (const TestCase& c : cases) {
        const std::optional<TPngText> text = ParseInternationalText(c.data);
        ASSERT_TRUE(text.has_value()) << testing::PrintToString(c.data);
        EXPECT_EQ(text->Keyword, c.keyword);
        EXPECT_EQ(text->Text, c.text);
    }
}

TEST(KivPNGText, MalformedInternationalTextIsRefused) {
    const std::string compressed = Deflate("some text");
    const std::string bomb = Deflate(std::string(MaxInflatedText + 1, 'a'));
    for (const std::string& bad : {
             ""s,
             "Comment"s,                                     // no zero after the keyword
             "Comment\0"s,                                   // no flags
             "Comment\0\0"s,                                 // one flag byte only
             "Comment\0\0\0"s,                               // no language tag
             "Comment\0\0\0ja"s,                             // unterminated language tag
             "Comment\0\0\0\0"s,                             // no translated keyword
             "Comment\0\0\0\0title"s,                        // unterminated translation
             "Comment\0\2\0\0\0text"s,                       // unknown compression flag
             "Comment\0\1\1\0\0"s + compressed,              // unknown compression method
             "Comment\0\1\0\0\0not zlib data"s,              // corrupt compressed text
             "Comment\0\1\0\0\0"s + compressed.substr(0, 6), // compressed text cut short
             "Comment\0\1\0\0\0"s,                           // compressed, but empty
             "Comment\0\1\0\0\0"s + bomb,                    // inflates beyond the limit
         }) {
        EXPECT_FALSE(ParseInternationalText(bad).has_value())
            << testing::PrintToString(bad.substr(0, 40));
    }
}

// What one chunk writes, the matching parser reads back unchanged.
TEST(KivPNGText, ChunksReadBackAsWritten) {
    for (const std::string& text :
         {"plain"s, "caf\xC3\xA9"s, "\xE6\x97\xA5\xE6\x9C\xAC"s, "a\r\nb"s, ""s}) {
        const std::optional<TPngTextChunk> chunk = TextChunkFor("Comment", text);
        ASSERT_TRUE(chunk.has_value());
        const std::string data = Bytes(chunk->Data);
        const TPngText read =
            chunk->Type == ChunkTEXT ? ParseLatin1Text(data) : ParseInternationalText(data).value();
        EXPECT_EQ(read.Keyword, "Comment");
        EXPECT_EQ(read.Text, text);
    }
}

} // namespace
