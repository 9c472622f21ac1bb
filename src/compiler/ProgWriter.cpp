// The code writer: instruction encodings, growth by doubling and the finished block.
#include "compiler/ProgWriter.h"

#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>

#include "base/Error.h"
#include "runtime/Function.h"
#include "runtime/Messages.h"
#include "runtime/Opcodes.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

constexpr std::uint32_t Code(TOpcode op) { return static_cast<std::uint32_t>(op); }
constexpr std::uint32_t Word(std::int32_t n) { return static_cast<std::uint32_t>(n); }

}  // namespace

TProgWriter::TProgWriter(TRTTI* owner)
    : m_buffer(std::make_unique<std::uint8_t[]>(kInitialCapacity)), m_owner(owner) {}

void TProgWriter::reserve(std::int32_t end) {
    // Doubling as often as needed is the same as doubling before each byte that reaches
    // the capacity: writes are whole words from word-aligned cursors.
    if (end <= m_capacity) return;
    std::int64_t capacity = m_capacity;
    while (capacity < end) capacity *= 2;
    if (capacity > std::numeric_limits<std::int32_t>::max()) throw EVarno("code block too large");
    auto grown = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(capacity));
    std::memcpy(grown.get(), m_buffer.get(), static_cast<std::size_t>(m_size));
    m_buffer = std::move(grown);
    m_capacity = static_cast<std::int32_t>(capacity);
}

void TProgWriter::bytes(const void* data, std::int32_t count) {
    const std::int64_t end = std::int64_t{m_cursor} + count;
    if (end > std::numeric_limits<std::int32_t>::max()) throw EVarno("code block too large");
    reserve(static_cast<std::int32_t>(end));
    std::memcpy(m_buffer.get() + m_cursor, data, static_cast<std::size_t>(count));
    m_cursor = static_cast<std::int32_t>(end);
    if (m_cursor > m_size) m_size = m_cursor;
    m_byteCount += count;
}

void TProgWriter::instruction(std::initializer_list<std::uint32_t> words) {
    ++m_writeCount;
    for (std::uint32_t w : words) {
        std::uint8_t le[4] = {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                              static_cast<std::uint8_t>(w >> 16), static_cast<std::uint8_t>(w >> 24)};
        bytes(le, 4);
    }
}

void TProgWriter::record(std::int32_t kind, std::string_view text) {
    AddRecord(m_symbols, kind, static_cast<std::uint32_t>(m_cursor), text);
}

void TProgWriter::WritePop() { instruction({Code(Op_Pop)}); }

void TProgWriter::WritePush(const TValue& value, std::string_view text) {
    if (value.tag == tvObject) throw EVarno(GetMsg("WritePush Error"));
    record(Code(Op_Push), text);
    std::uint32_t tagWord;
    std::memcpy(&tagWord, &value, 4);  // the tag byte and the three bytes after it, as they are
    instruction({Code(Op_Push), tagWord, value.payload});
}

void TProgWriter::WritePushInt(std::int32_t n) { WritePush(TValue::Int(n), {}); }

void TProgWriter::WritePushFloat(float x) { WritePush(TValue::Float(x), {}); }

void TProgWriter::WritePushString(std::string_view s) {
    if (s.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 16)) {
        throw EVarno("string constant too long");
    }
    const auto length = static_cast<std::int32_t>((s.size() + 4) & ~std::size_t{3});
    instruction({Code(Op_PushString), Word(length)});
    std::string text(s);
    text.resize(static_cast<std::size_t>(length), '\0');  // the terminating 0 and the padding
    bytes(text.data(), length);
}

void TProgWriter::WritePushThis() { instruction({Code(Op_PushThis)}); }

void TProgWriter::WriteSMemberValPtr(std::int32_t index, std::string_view name) {
    record(Code(Op_SMemberValPtr), name);
    instruction({Code(Op_SMemberValPtr), Word(index)});
}

void TProgWriter::WriteDMemberValPtr(std::string_view name) {
    record(Code(Op_DMemberValPtr), name);
    instruction({Code(Op_DMemberValPtr), Word(Intern(name)), 0});
}

void TProgWriter::WriteLocalValPtr(std::int32_t index) { instruction({Code(Op_LocalValPtr), Word(index)}); }

void TProgWriter::WriteArgValPtr(std::int32_t index) { instruction({Code(Op_ArgValPtr), Word(index)}); }

void TProgWriter::WriteDCall(std::string_view name, std::int32_t argc) {
    record(Code(Op_DCall), name);
    instruction({Code(Op_DCall), Word(argc), Word(Intern(name)), 0});
}

void TProgWriter::WriteSCall(std::int32_t index, std::int32_t argc, std::string_view name) {
    record(Code(Op_SCall), name);
    instruction({Code(Op_SCall), Word(argc), Word(index)});
}

void TProgWriter::WriteSuperCall(const TFunction* function, std::int32_t argc, std::string_view name) {
    record(Code(Op_SuperCall), name);
    instruction({Code(Op_SuperCall), Word(argc), function != nullptr ? function->ref() : kNullRef});
}

void TProgWriter::WriteNativeCall(const TFunction* function, std::int32_t argc, std::string_view name) {
    record(Code(Op_NativeCall), name);
    instruction({Code(Op_NativeCall), Word(argc), function != nullptr ? function->ref() : kNullRef});
}

void TProgWriter::WriteConstructor(const TRTTI& cls, std::int32_t argc) {
    record(Code(Op_Constructor), FullName(cls));
    instruction({Code(Op_Constructor), Word(argc), cls.ref()});
}

void TProgWriter::WriteOperator(std::string_view text) {
    TOpcode op;
    switch (text.empty() ? '\0' : text.front()) {
        case '+': op = text.size() == 1 ? Op_Add : Op_AddSubst; break;
        case '-': op = text.size() == 1 ? Op_Sub : Op_SubSubst; break;
        case '*': op = Op_Mul; break;
        case '/': op = Op_Div; break;
        case '%': op = Op_Mod; break;
        case '>': op = text.size() == 1 ? Op_GT : Op_GTE; break;
        case '<': op = text.size() == 1 ? Op_LT : Op_LTE; break;
        case '=': op = text.size() == 1 ? Op_Subst : Op_EQ; break;
        case '!': op = Op_NEQ; break;
        case '&': op = Op_And; break;
        case '|': op = Op_Or; break;
        default: throw EVarno("no operator " + std::string(text));
    }
    instruction({Code(op)});
}

void TProgWriter::WriteIs(const TRTTI& cls) {
    record(Code(Op_Is), FullName(cls));
    instruction({Code(Op_Is), cls.ref()});
}

void TProgWriter::WriteNot() { instruction({Code(Op_Not)}); }
void TProgWriter::WriteNeg() { instruction({Code(Op_Neg)}); }
void TProgWriter::WriteDeref() { instruction({Code(Op_Deref)}); }
void TProgWriter::WriteJump(std::int32_t distance) { instruction({Code(Op_Jump), Word(distance)}); }
void TProgWriter::WriteJumpZero(std::int32_t distance) { instruction({Code(Op_JumpZero), Word(distance)}); }
void TProgWriter::WriteJumpAnd(std::int32_t distance) { instruction({Code(Op_Jump_And), Word(distance)}); }
void TProgWriter::WriteJumpOr(std::int32_t distance) { instruction({Code(Op_Jump_Or), Word(distance)}); }
void TProgWriter::WriteInitForIn() { instruction({Code(Op_InitForIn)}); }
void TProgWriter::WriteClearForIn() { instruction({Code(Op_ClearForIn)}); }
void TProgWriter::WriteDoForIn(std::int32_t distance) { instruction({Code(Op_DoForIn), Word(distance)}); }
void TProgWriter::WriteRet() { instruction({Code(Op_Ret)}); }
void TProgWriter::WriteHalt() { instruction({Code(Op_Halt)}); }

void TProgWriter::WritePoint(std::int32_t sourceOffset) { record(kSourcePointKind, std::to_string(sourceOffset)); }

std::unique_ptr<TCompiledInfo> TProgWriter::Finish() {
    const std::string_view code(reinterpret_cast<const char*>(m_buffer.get()), static_cast<std::size_t>(m_size));
    auto info = std::make_unique<TCompiledInfo>(std::move(m_symbols), code, m_owner);
    m_symbols = TSymInfoList();
    m_buffer = std::make_unique<std::uint8_t[]>(kInitialCapacity);
    m_capacity = kInitialCapacity;
    m_cursor = 0;
    m_size = 0;
    return info;
}

}  // namespace varno
