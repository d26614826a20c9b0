// Text chunks. tEXt holds Latin-1 text; iTXt holds UTF-8 text, optionally compressed, with a
// language tag and a translated keyword. The codec hands text to its callers as UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Keyword and text of one chunk, both UTF-8.
struct TPngText {
    std::string Keyword, Text;
};

// tEXt data: the keyword up to the first zero byte, the text after it, both Latin-1. Data
// without a zero byte is all keyword.
TPngText ParseLatin1Text(std::string_view data);

// iTXt data; nullopt when it is malformed: a missing zero byte, an unknown compression flag or
// method, compressed text that does not inflate or inflates beyond MaxInflatedText bytes. Bytes
// of the text that are not UTF-8 become U+FFFD.
std::optional<TPngText> ParseInternationalText(std::string_view data);
inline constexpr size_t MaxInflatedText = size_t(1) << 24;

struct TPngTextChunk {
    uint32_t Type; // ChunkTEXT or ChunkITXT
    std::vector<uint8_t> Data;
};

// The chunk that carries UTF-8 text under an ASCII keyword: tEXt with the text in Latin-1 when
// every character has a Latin-1 code, else uncompressed iTXt without language tag or
// translation. nullopt when text is not UTF-8.
std::optional<TPngTextChunk> TextChunkFor(std::string_view keyword, std::string_view text);
