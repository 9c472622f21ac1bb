// Little-endian byte writing and bounded reading.
#include "runtime/ByteStream.h"

namespace varno {

void TByteWriter::writeInt32(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    const char bytes[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                           static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
    m_bytes.append(bytes, 4);
}

void TByteWriter::writeText(std::string_view text) {
    writeInt32(static_cast<std::int32_t>(text.size() + 1));
    m_bytes.append(text);
    m_bytes.push_back('\0');
}

void TByteWriter::writeTextList(const std::vector<std::string>& texts) {
    writeInt32(static_cast<std::int32_t>(texts.size()));
    for (const std::string& text : texts) writeText(text);
}

void TByteWriter::writeBytes(const void* data, std::size_t size) {
    m_bytes.append(static_cast<const char*>(data), size);
}

std::string_view TByteReader::readBytes(std::size_t size) {
    if (size > remaining()) throw EBrokenData("unexpected end of data");
    const std::string_view out = m_bytes.substr(m_pos, size);
    m_pos += size;
    return out;
}

std::int32_t TByteReader::readInt32() {
    const std::string_view b = readBytes(4);
    const std::uint32_t u = static_cast<std::uint32_t>(static_cast<unsigned char>(b[0])) |
                            static_cast<std::uint32_t>(static_cast<unsigned char>(b[1])) << 8 |
                            static_cast<std::uint32_t>(static_cast<unsigned char>(b[2])) << 16 |
                            static_cast<std::uint32_t>(static_cast<unsigned char>(b[3])) << 24;
    return static_cast<std::int32_t>(u);
}

std::int32_t TByteReader::readCount(std::size_t minItemBytes) {
    const std::int32_t count = readInt32();
    if (count < 0) throw EBrokenData("negative count");
    if (minItemBytes > 0 && static_cast<std::size_t>(count) > remaining() / minItemBytes) {
        throw EBrokenData("count beyond the end of data");
    }
    return count;
}

std::string TByteReader::readText() {
    const std::int32_t count = readCount(1);
    const std::string_view raw = readBytes(static_cast<std::size_t>(count));
    const std::size_t zero = raw.find('\0');
    return std::string(zero == std::string_view::npos ? raw : raw.substr(0, zero));
}

std::vector<std::string> TByteReader::readTextList() {
    const std::int32_t count = readCount(4);
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) texts.push_back(readText());
    return texts;
}

}  // namespace varno
