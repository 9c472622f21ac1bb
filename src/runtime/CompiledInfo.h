// TCompiledInfo: a finished code block with its symbol records and source points.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Forward.h"
#include "runtime/ScriptHeap.h"

namespace varno {

class TByteWriter;
class TByteReader;

// The record kind of a source point; every other kind is the opcode of the instructions
// the record names.
constexpr std::int32_t kSourcePointKind = 47;

// One symbol record: every instruction of one kind that names one text.
class TCInfoElem {
public:
    std::vector<std::uint32_t> offsets;  // code offsets, each the start of an instruction
    std::int32_t kind = 0;               // the opcode of those instructions as written
    std::string text;                    // the name they refer to
};

// A source point: a source offset (as decimal text) and the code offset where its
// statement's code begins.
struct TSourcePoint {
    std::string text;
    std::uint32_t offset = 0;
};

class TSymInfoList {
public:
    std::vector<TCInfoElem> elements;
    std::vector<TSourcePoint> points;
};

// Kind 47 appends a source point; any other kind adds offset to the element of the same
// kind and text (exact comparison), or appends a new element.
void AddRecord(TSymInfoList& symbols, std::int32_t kind, std::uint32_t offset, std::string_view text);

// A code block: 32-bit little-endian words in the script heap (return addresses in frame
// records are 32-bit references into it). The block is writable: calls and member reads
// rewrite their cache words, and re-linking patches operands.
class TCompiledInfo {
public:
    // Copies code into a new heap block and takes the symbols.
    TCompiledInfo(TSymInfoList symbols, std::string_view code, TRTTI* cls = nullptr);
    ~TCompiledInfo();
    TCompiledInfo(const TCompiledInfo&) = delete;
    TCompiledInfo& operator=(const TCompiledInfo&) = delete;

    TSymInfoList& symbols() { return m_symbols; }
    const TSymInfoList& symbols() const { return m_symbols; }
    std::uint8_t* code() { return m_code; }
    const std::uint8_t* code() const { return m_code; }
    TRef codeRef() const { return RefOf(m_code); }
    std::uint32_t size() const { return m_size; }
    // The class whose members and methods the code refers to; none until linked.
    TRTTI* cls() const { return m_class; }
    void setClass(TRTTI* cls) { m_class = cls; }

    std::uint32_t word(std::uint32_t offset) const {
        std::uint32_t w;
        std::memcpy(&w, m_code + offset, 4);
        return w;
    }
    void setWord(std::uint32_t offset, std::uint32_t value) { std::memcpy(m_code + offset, &value, 4); }

    // Deepest stack use of the block in slots above the frame's locals, when the block was
    // verified (VerifyCode); -1 otherwise.
    std::int32_t maxStackDepth() const { return m_maxStackDepth; }
    void setMaxStackDepth(std::int32_t depth) { m_maxStackDepth = depth; }

private:
    TSymInfoList m_symbols;
    std::uint8_t* m_code = nullptr;
    std::uint32_t m_size = 0;
    TRTTI* m_class = nullptr;
    std::int32_t m_maxStackDepth = -1;
};

// "none" unless the block has a class and a source point lies before position (a code
// address inside the block); else the class's full dotted name, ",", and the text of the
// last such point.
std::string SourcePosition(const TCompiledInfo& info, const std::uint8_t* position);

// The block as stored in a class file: the elements (kind, text, offsets), the source
// points (text, offset), the code size and the code bytes.
void WriteCompiledInfo(const TCompiledInfo& info, TByteWriter& out);

// Reads what WriteCompiledInfo wrote; the class stays unset until re-linking. Raises
// EBrokenData when the bytes are truncated or a count is impossible. The code is not
// checked here: see VerifyCode.
std::unique_ptr<TCompiledInfo> ReadCompiledInfo(TByteReader& in);

}  // namespace varno
