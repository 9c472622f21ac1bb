// The peephole pass over a finished code block.
#include "runtime/Peephole.h"

#include <cstring>
#include <string>

#include "base/Error.h"
#include "runtime/CompiledInfo.h"
#include "runtime/Messages.h"
#include "runtime/Opcodes.h"

namespace varno {

void Peephole(std::uint8_t* code, std::size_t size) {
    // A word beyond the block reads as no opcode, so nothing past the end is fused.
    auto word = [&](std::size_t at) -> std::uint32_t {
        if (at + 4 > size) return 0xFFFFFFFFu;
        std::uint32_t w;
        std::memcpy(&w, code + at, 4);
        return w;
    };
    auto set = [&](std::size_t at, TOpcode op) {
        const auto w = static_cast<std::uint32_t>(op);
        std::memcpy(code + at, &w, 4);
    };
    constexpr std::uint32_t kDeref = static_cast<std::uint32_t>(Op_Deref);
    constexpr std::uint32_t kSMember = static_cast<std::uint32_t>(Op_SMemberValPtr);

    std::size_t pos = 0;
    for (;;) {
        if (pos + 4 > size) throw EVarno(GetMsg("Invalid Instruction"));
        const std::uint32_t op = word(pos);
        switch (op) {
            case static_cast<std::uint32_t>(Op_Push):
                if (word(pos + 12) == kDeref) {
                    set(pos, Op_Push_Deref);
                    pos += 16;
                } else {
                    pos += 12;
                }
                break;
            case static_cast<std::uint32_t>(Op_PushThis):
                if (word(pos + 4) == kSMember) {
                    set(pos, Op_PushThis_SMemberValPtr);
                    if (word(pos + 12) == kDeref) {
                        set(pos, Op_PushThis_SMemberValPtr_Deref);
                        pos += 16;
                    } else {
                        pos += 12;
                    }
                } else {
                    pos += 4;
                }
                break;
            case static_cast<std::uint32_t>(Op_DMemberValPtr):
                if (word(pos + 12) == kDeref) {
                    set(pos, Op_DMemberValPtr_Deref);
                    pos += 16;
                } else {
                    pos += 12;
                }
                break;
            case static_cast<std::uint32_t>(Op_LocalValPtr):
            case static_cast<std::uint32_t>(Op_ArgValPtr):
                if (word(pos + 8) == kDeref) {
                    set(pos, op == static_cast<std::uint32_t>(Op_LocalValPtr) ? Op_LocalValPtr_Deref : Op_ArgValPtr_Deref);
                    pos += 12;
                } else {
                    pos += 8;
                }
                break;
            case static_cast<std::uint32_t>(Op_PushString):
                pos += 8 + std::size_t{word(pos + 4) == 0xFFFFFFFFu ? 0 : word(pos + 4)};
                break;
            case static_cast<std::uint32_t>(Op_Halt):
                return;
            case static_cast<std::uint32_t>(Op_LocalValPtr_Deref):
            case static_cast<std::uint32_t>(Op_ArgValPtr_Deref):
            case static_cast<std::uint32_t>(Op_Push_Deref):
                throw EVarno(GetMsg("Invalid Instruction") + std::to_string(static_cast<std::int8_t>(op & 0xFF)));
            default:
                if (!IsOpcode(op)) {
                    throw EVarno(GetMsg("Invalid Instruction") + std::to_string(static_cast<std::int8_t>(op & 0xFF)));
                }
                pos += OpcodeBytes(static_cast<TOpcode>(op));
                break;
        }
    }
}

void Peephole(TCompiledInfo& info) { Peephole(info.code(), info.size()); }

}  // namespace varno
