// The code verifier for blocks read from compiled class files.
#include "runtime/CodeVerifier.h"

#include <string>
#include <vector>

#include "runtime/ByteStream.h"
#include "runtime/CompiledInfo.h"
#include "runtime/Opcodes.h"
#include "runtime/Value.h"

namespace varno {
namespace {

constexpr std::int64_t kMaxDepth = 1 << 20;

class TVerifier {
public:
    TVerifier(TCompiledInfo& info, std::int32_t localCount) : m_info(info), m_localCount(localCount) {}

    void run() {
        const std::uint32_t size = m_info.size();
        if (size == 0 || size % 4 != 0) fail(0, "size");
        m_start.assign(size / 4, false);
        m_record.assign(size / 4, 0);
        m_namedGlobal.assign(size / 4, false);
        walkStructure();
        readRecords();
        checkOperands();
        checkDepths();
    }

private:
    [[noreturn]] void fail(std::uint32_t at, const char* what) {
        throw EBrokenData("code at " + std::to_string(at) + ": " + what);
    }

    std::uint32_t word(std::uint32_t at) const { return m_info.word(at); }
    bool inBlock(std::uint32_t at, std::uint32_t bytes) const {
        return std::uint64_t{at} + bytes <= m_info.size();
    }

    // The length of the instruction at pos in the walk that also stops inside fused ones.
    std::uint32_t stepAt(std::uint32_t pos) const {
        const auto first = FirstPart(static_cast<TOpcode>(word(pos)));
        if (first == Op_PushString) return 8 + word(pos + 4);
        return OpcodeBytes(first);
    }

    void walkStructure() {
        std::uint32_t pos = 0;
        TOpcode last = Op_Pop;
        while (pos < m_info.size()) {
            const std::uint32_t op = word(pos);
            if (!IsOpcode(op)) fail(pos, "no opcode");
            const auto code = static_cast<TOpcode>(op);
            if (IsFused(op)) {
                const TFusedForm& form = FusedForm(code);
                if (!inBlock(pos, form.bytes)) fail(pos, "fused instruction past the end");
                std::uint32_t at = OpcodeBytes(form.parts[0]);
                for (std::uint32_t i = 1; i < form.partCount; ++i) {
                    if (word(pos + at) != static_cast<std::uint32_t>(form.parts[i])) fail(pos, "fused sequence");
                    at += OpcodeBytes(form.parts[i]);
                }
            }
            const TOpcode first = FirstPart(code);
            if (first == Op_PushString) {
                if (!inBlock(pos, 8)) fail(pos, "string past the end");
                const std::uint32_t length = word(pos + 4);
                if (length < 4 || length % 4 != 0 || !inBlock(pos + 8, length)) fail(pos, "string length");
                bool terminated = false;
                for (std::uint32_t i = 0; i < length && !terminated; ++i) terminated = m_info.code()[pos + 8 + i] == 0;
                if (!terminated) fail(pos, "string without end");
            }
            const std::uint32_t step = stepAt(pos);
            if (!inBlock(pos, step)) fail(pos, "instruction past the end");
            m_start[pos / 4] = true;
            last = first;
            pos += step;
        }
        if (last != Op_Halt) fail(pos, "block does not end with Halt");
    }

    static bool KindMatches(std::int32_t kind, std::uint32_t op) {
        switch (kind) {
            case 1: return op == 1 || op == 13;
            case 5: return op == 5 || op == 10;
            case 4: case 14: case 15: case 16: case 17: case 18: case 32:
                return op == static_cast<std::uint32_t>(kind);
            default: return false;
        }
    }

    void readRecords() {
        for (const TCInfoElem& elem : m_info.symbols().elements) {
            for (std::uint32_t offset : elem.offsets) {
                if (offset % 4 != 0 || offset >= m_info.size() || !m_start[offset / 4]) fail(offset, "record offset");
                if (!KindMatches(elem.kind, word(offset))) fail(offset, "record kind");
                std::uint8_t& slot = m_record[offset / 4];
                if (slot != 0 && slot != elem.kind) fail(offset, "two records at one instruction");
                slot = static_cast<std::uint8_t>(elem.kind);
                if (elem.kind == 1 && !elem.text.empty()) m_namedGlobal[offset / 4] = true;
            }
        }
    }

    void checkJump(std::uint32_t pos) {
        const auto distance = static_cast<std::int32_t>(word(pos + 4));
        const std::int64_t target = std::int64_t{pos} + distance;
        if (target < 0 || target >= m_info.size() || target % 4 != 0 || !m_start[static_cast<std::size_t>(target / 4)]) {
            fail(pos, "jump target");
        }
    }

    void checkOperands() {
        for (std::uint32_t pos = 0; pos < m_info.size(); pos += 4) {
            if (!m_start[pos / 4]) continue;
            const std::uint32_t op = word(pos);
            const std::uint8_t record = m_record[pos / 4];
            switch (FirstPart(static_cast<TOpcode>(op))) {
                case Op_Push: {
                    if (m_namedGlobal[pos / 4]) break;  // re-linking makes it a global's cell
                    if (op == static_cast<std::uint32_t>(Op_Push_Deref)) fail(pos, "Push_Deref without a global");
                    const auto tag = static_cast<TVType>(word(pos + 4) & 0xFF);
                    if (tag != tvNull && tag != tvInt && tag != tvFloat && tag != tvError && tag != tvUnset) {
                        fail(pos, "constant of this kind");
                    }
                    break;
                }
                case Op_SMemberValPtr:
                case Op_SCall:
                case Op_SuperCall:
                case Op_NativeCall:
                case Op_Constructor:
                case Op_Is:
                    if (record != static_cast<std::uint32_t>(FirstPart(static_cast<TOpcode>(op)))) {
                        fail(pos, "operand without record");
                    }
                    break;
                case Op_LocalValPtr:
                    if (static_cast<std::int64_t>(word(pos + 4)) >= m_localCount) fail(pos, "local index");
                    break;
                case Op_Jump:
                case Op_JumpZero:
                case Op_Jump_And:
                case Op_Jump_Or:
                case Op_DoForIn:
                    checkJump(pos);
                    break;
                default:
                    break;
            }
        }
    }

    // Values an instruction takes from the stack and how the depth changes after it.
    void effect(std::uint32_t pos, std::int64_t& need, std::int64_t& delta) const {
        need = 0;
        delta = 0;
        switch (FirstPart(static_cast<TOpcode>(word(pos)))) {
            case Op_Pop: need = 1; delta = -1; break;
            case Op_Push: case Op_PushString: case Op_PushThis: case Op_LocalValPtr: case Op_ArgValPtr:
                delta = 1;
                break;
            case Op_SMemberValPtr: case Op_DMemberValPtr: case Op_Deref: case Op_Is: case Op_Not: case Op_Neg:
                need = 1;
                break;
            case Op_DCall: case Op_SCall: case Op_SuperCall: case Op_NativeCall: case Op_Constructor: {
                const std::int64_t n = word(pos + 4);
                need = n + 1;
                delta = -n;
                break;
            }
            case Op_Add: case Op_Sub: case Op_Mul: case Op_Div: case Op_Mod: case Op_GT: case Op_GTE:
            case Op_LT: case Op_LTE: case Op_EQ: case Op_NEQ: case Op_Subst: case Op_AddSubst: case Op_SubSubst:
                need = 2;
                delta = -1;
                break;
            case Op_JumpZero: need = 1; delta = -1; break;
            case Op_Jump_And: case Op_Jump_Or: need = 1; delta = -1; break;  // on the fall-through path
            case Op_Ret: need = 1; break;
            case Op_InitForIn: need = 2; delta = 2; break;
            case Op_DoForIn: need = 4; break;
            case Op_ClearForIn: need = 4; delta = -4; break;
            default: break;  // And, Or, Jump, Point, Halt
        }
    }

    void reach(std::uint32_t at, std::int64_t depth, std::vector<std::uint32_t>& work) {
        std::int64_t& known = m_depth[at / 4];
        if (known < 0) {
            known = depth;
            work.push_back(at);
        } else if (known != depth) {
            fail(at, "paths meet with different stack depths");
        }
    }

    void checkDepths() {
        m_depth.assign(m_info.size() / 4, -1);
        std::vector<std::uint32_t> work;
        std::int64_t deepest = 0;
        reach(0, 0, work);
        while (!work.empty()) {
            const std::uint32_t pos = work.back();
            work.pop_back();
            const std::int64_t depth = m_depth[pos / 4];
            std::int64_t need = 0;
            std::int64_t delta = 0;
            effect(pos, need, delta);
            if (depth < need) fail(pos, "stack underflow");
            const std::int64_t after = depth + delta;
            if (after > kMaxDepth) fail(pos, "stack too deep");
            if (after > deepest) deepest = after;
            const auto first = FirstPart(static_cast<TOpcode>(word(pos)));
            const std::uint32_t next = pos + stepAt(pos);
            // Jump operands were checked to land on instruction starts.
            auto target = [&] {
                return static_cast<std::uint32_t>(static_cast<std::int64_t>(pos) + static_cast<std::int32_t>(word(pos + 4)));
            };
            switch (first) {
                case Op_Ret:
                case Op_Halt:
                    break;
                case Op_Jump:
                    reach(target(), depth, work);
                    break;
                case Op_JumpZero:
                    reach(target(), after, work);
                    reach(next, after, work);
                    break;
                case Op_Jump_And:
                case Op_Jump_Or:
                    reach(target(), depth, work);
                    reach(next, after, work);
                    break;
                case Op_DoForIn:
                    reach(target(), depth, work);
                    reach(next, depth, work);
                    break;
                default:
                    if (next >= m_info.size()) fail(pos, "falls off the end");
                    reach(next, after, work);
                    break;
            }
        }
        m_info.setMaxStackDepth(static_cast<std::int32_t>(deepest));
    }

    TCompiledInfo& m_info;
    std::int32_t m_localCount;
    std::vector<bool> m_start;          // per word: an instruction starts here
    std::vector<std::uint8_t> m_record; // per word: kind of the record naming it
    std::vector<bool> m_namedGlobal;    // per word: a kind-1 record with a global's name
    std::vector<std::int64_t> m_depth;  // per word: stack depth on entry, -1 unknown
};

}  // namespace

void VerifyCode(TCompiledInfo& info, std::int32_t localCount) { TVerifier(info, localCount).run(); }

}  // namespace varno
