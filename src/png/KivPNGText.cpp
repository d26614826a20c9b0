#include "png/KivPNGText.h"

#include "png/KivPNGCommon.h"

#include <zlib.h>

#include <limits>

namespace {

constexpr int32_t NotUtf8 = -1;
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD

// The code point that starts at text[i], moving i past it; NotUtf8, moving i one byte on, when
// the bytes there are not UTF-8 (overlong forms and surrogates included).
int32_t NextCodePoint(std::string_view text, size_t& i) {
    const auto lead = uint8_t(text[i]);
    int length = 1;
    int32_t codePoint = lead, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, least = 0x10000;
    } else if (lead >= 0x80) {
        ++i;
        return NotUtf8;
    }
    if (text.size() - i < size_t(length)) {
        ++i;
        return NotUtf8;
    }
    for (int k = 1; k < length; ++k) {
        const auto next = uint8_t(text[i + size_t(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return NotUtf8;
        }
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        ++i;
        return NotUtf8;
    }
    i += size_t(length);
    return codePoint;
}

void AppendUtf8(std::string& out, int32_t codePoint) {
    const auto c = uint32_t(codePoint);
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1)
        AppendUtf8(out, uint8_t(c));
    return out;
}

// text with every byte that is not part of a UTF-8 character replaced by U+FFFD.
std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        if (NextCodePoint(text, i) == NotUtf8)
            out += ReplacementCharacter;
        else
            out.append(text.substr(start, i - start));
    }
    return out;
}

std::optional<std::string> InflateText(std::string_view compressed) {
    if (compressed.size() > std::numeric_limits<uInt>::max()) return std::nullopt;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = uInt(compressed.size());
    std::string out;
    char piece[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(piece);
        z.avail_out = sizeof piece;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(piece, sizeof piece - z.avail_out);
        if (out.size() > MaxInflatedText) break;
    }
    inflateEnd(&z);
    if (result != Z_STREAM_END || out.size() > MaxInflatedText) return std::nullopt;
    return out;
}

// The bytes of data up to the next zero byte, moving data past that zero; nullopt without one.
std::optional<std::string_view> TakeField(std::string_view& data) {
    const size_t zero = data.find('\0');
    if (zero == std::string_view::npos) return std::nullopt;
    const std::string_view field = data.substr(0, zero);
    data.remove_prefix(zero + 1);
    return field;
}

} // namespace

TPngText ParseLatin1Text(std::string_view data) {
    const size_t zero = data.find('\0');
    if (zero == std::string_view::npos) return {Latin1ToUtf8(data), {}};
    return {Latin1ToUtf8(data.substr(0, zero)), Latin1ToUtf8(data.substr(zero + 1))};
}

std::optional<TPngText> ParseInternationalText(std::string_view data) {
    const std::optional<std::string_view> keyword = TakeField(data);
    if (!keyword || data.size() < 2) return std::nullopt;
    const auto compressed = uint8_t(data[0]), method = uint8_t(data[1]);
    data.remove_prefix(2);
    // The language tag and the translated keyword are not kept.
    if (!TakeField(data) || !TakeField(data)) return std::nullopt;
    if (compressed == 0) return TPngText{Latin1ToUtf8(*keyword), ValidUtf8(data)};
    if (compressed != 1 || method != 0) return std::nullopt;
    const std::optional<std::string> text = InflateText(data);
    if (!text) return std::nullopt;
    return TPngText{Latin1ToUtf8(*keyword), ValidUtf8(*text)};
}

std::optional<TPngTextChunk> TextChunkFor(std::string_view keyword, std::string_view text) {
    std::string latin1;
    bool fitsLatin1 = true;
    for (size_t i = 0; i < text.size();) {
        const int32_t codePoint = NextCodePoint(text, i);
        if (codePoint == NotUtf8) return std::nullopt;
        if (codePoint > 0xFF) fitsLatin1 = false;
        if (fitsLatin1) latin1 += char(codePoint);
    }
    TPngTextChunk chunk{fitsLatin1 ? ChunkTEXT : ChunkITXT, {keyword.begin(), keyword.end()}};
    chunk.Data.push_back(0);
    if (fitsLatin1) {
        chunk.Data.insert(chunk.Data.end(), latin1.begin(), latin1.end());
    } else {
        // Not compressed, compression method 0, no language tag, no translated keyword.
        chunk.Data.insert(chunk.Data.end(), {0, 0, 0, 0});
        chunk.Data.insert(chunk.Data.end(), text.begin(), text.end());
    }
    return chunk;
}
