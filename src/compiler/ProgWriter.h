// TProgWriter: the growable buffer one code block is written into, with back-patching and symbol records.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "runtime/CompiledInfo.h"
#include "runtime/Value.h"

namespace varno {

class TRTTI;
class TFunction;

// Code is a sequence of 32-bit little-endian words. Every Write… operation writes one
// instruction at the cursor and moves the cursor past it; an instruction that names
// something that only this process can supply (a member slot, a symbol number, a
// method index, a function, a class, a global's cell) first gets a symbol record at
// its start offset, so that a saved block can be re-linked.
//
// A forward jump is written with distance 0, its offset remembered (GetPos), and
// patched later: SetPos(p), the same jump with the real distance, SeekEnd().
class TProgWriter {
public:
    static constexpr std::int32_t kInitialCapacity = 256;

    // owner: the class whose members and methods the code refers to.
    explicit TProgWriter(TRTTI* owner);
    TProgWriter(const TProgWriter&) = delete;
    TProgWriter& operator=(const TProgWriter&) = delete;

    std::int32_t GetPos() const { return m_cursor; }
    // Later writes overwrite from p on; Size only grows when a write passes it.
    void SetPos(std::int32_t p) { m_cursor = p; }
    void SeekEnd() { m_cursor = m_size; }

    std::int32_t Capacity() const { return m_capacity; }
    std::int32_t Size() const { return m_size; }
    const std::uint8_t* Buffer() const { return m_buffer.get(); }
    std::int32_t ByteCount() const { return m_byteCount; }
    std::int32_t WriteCount() const { return m_writeCount; }
    const TSymInfoList& Symbols() const { return m_symbols; }
    TRTTI* Owner() const { return m_owner; }

    void WritePop();
    // Raises EVarno "WritePush Error" for an object value: objects cannot live in code.
    // A tvRef value (a global's cell) is written unchanged; text names the global.
    void WritePush(const TValue& value, std::string_view text);
    void WritePushInt(std::int32_t n);
    void WritePushFloat(float x);
    // 2, L, the bytes, a 0 byte and 0 padding up to L bytes; L = (length + 4) & ~3.
    void WritePushString(std::string_view s);
    void WritePushThis();
    void WriteSMemberValPtr(std::int32_t index, std::string_view name);
    void WriteDMemberValPtr(std::string_view name);
    void WriteLocalValPtr(std::int32_t index);
    void WriteArgValPtr(std::int32_t index);
    void WriteDCall(std::string_view name, std::int32_t argc);
    void WriteSCall(std::int32_t index, std::int32_t argc, std::string_view name);
    // function may be null (a superclass without a constructor): the operand is then 0.
    void WriteSuperCall(const TFunction* function, std::int32_t argc, std::string_view name);
    void WriteNativeCall(const TFunction* function, std::int32_t argc, std::string_view name);
    void WriteConstructor(const TRTTI& cls, std::int32_t argc);
    // "+" Add, other "+…" AddSubst, "-" Sub, "-=" SubSubst, "*" Mul, "/" Div, "%" Mod,
    // ">" GT, ">=" GTE, "<" LT, "<=" LTE, "=" Subst, "==" EQ, "!=" NEQ, "&&" And, "||" Or.
    void WriteOperator(std::string_view text);
    void WriteIs(const TRTTI& cls);
    void WriteNot();
    void WriteNeg();
    void WriteDeref();
    void WriteJump(std::int32_t distance);
    void WriteJumpZero(std::int32_t distance);
    void WriteJumpAnd(std::int32_t distance);
    void WriteJumpOr(std::int32_t distance);
    void WriteInitForIn();
    void WriteClearForIn();
    void WriteDoForIn(std::int32_t distance);
    void WriteRet();
    void WriteHalt();
    // Records a source point (the source offset in decimal) at the cursor; writes nothing.
    void WritePoint(std::int32_t sourceOffset);

    // The finished block: exactly Size bytes of code, the owner class and the symbol
    // records, which move into it. The writer is empty afterwards.
    std::unique_ptr<TCompiledInfo> Finish();

private:
    void record(std::int32_t kind, std::string_view text);
    void instruction(std::initializer_list<std::uint32_t> words);
    void bytes(const void* data, std::int32_t count);
    void reserve(std::int32_t end);

    std::int32_t m_capacity = kInitialCapacity;
    std::int32_t m_cursor = 0;
    std::int32_t m_size = 0;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::int32_t m_byteCount = 0;
    std::int32_t m_writeCount = 0;
    TSymInfoList m_symbols;
    TRTTI* m_owner;
};

}  // namespace varno
