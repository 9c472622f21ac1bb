// Little-endian byte writing and bounded reading for the compiled class file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"

namespace varno {

// Raised by TByteReader when the bytes end early or hold an impossible count.
class EBrokenData : public EVarno {
public:
    explicit EBrokenData(const std::string& message) : EVarno(message) {}
};

// Integers are 32-bit little-endian; a text is a count n (its length + 1) and n bytes,
// the last one 0; a list of texts is a count and that many texts.
class TByteWriter {
public:
    void writeInt32(std::int32_t value);
    void writeText(std::string_view text);
    void writeTextList(const std::vector<std::string>& texts);
    void writeBytes(const void* data, std::size_t size);
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Reads what TByteWriter writes from untrusted bytes: every read is checked against the
// bytes left, and every count is checked against the least room its items need, so a
// garbled count never makes it allocate more than the input's size.
class TByteReader {
public:
    explicit TByteReader(std::string_view bytes) : m_bytes(bytes) {}

    std::int32_t readInt32();
    // A count of items that take at least minItemBytes each; negative or impossible counts raise.
    std::int32_t readCount(std::size_t minItemBytes);
    // A text is taken up to its first 0 byte.
    std::string readText();
    std::vector<std::string> readTextList();
    std::string_view readBytes(std::size_t size);

    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    std::size_t position() const { return m_pos; }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

}  // namespace varno
