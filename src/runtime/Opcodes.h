// The instruction set: one list of the 49 instructions from which the opcode enum, the
// names, the lengths and the operand layouts are all generated.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varno {

// What an operand word holds.
enum class TOperand : std::uint8_t {
    None,
    Count,         // number of arguments
    Index,         // member, local, argument or method index
    Symbol,        // symbol number of a name
    Cache,         // index remembered by the last execution; written as 0, rewritten at run time
    Offset,        // signed byte distance from the jump instruction's first word to its target
    Class,         // reference to a TRTTI
    Function,      // reference to a TFunction
    ValueTag,      // first word of an inline TValue (tag in the low byte)
    ValuePayload,  // second word of an inline TValue
    TextLength,    // L: the text's bytes, a 0 byte and padding follow, L bytes in all
    Inner,         // a word of a fused sequence that still holds the replaced instruction's code
    Number,        // a plain number (source position registers)
};

// X(name, code, words, operand word 1, word 2, word 3, stack effect)
// words = length in 32-bit words with the opcode; 0 = variable (2 + L/4 for PushString).
// Stack effects read "before -> after", top of the stack on the right.
#define VARNO_OPCODES(X)                                                                  \
    X(Pop, 0, 1, None, None, None, "v ->")                                                \
    X(Push, 1, 3, ValueTag, ValuePayload, None, "-> v")                                   \
    X(PushString, 2, 0, TextLength, None, None, "-> string")                              \
    X(PushThis, 3, 1, None, None, None, "-> receiver")                                    \
    X(SMemberValPtr, 4, 2, Index, None, None, "object -> ref")                            \
    X(DMemberValPtr, 5, 3, Symbol, Cache, None, "object -> ref")                          \
    X(LocalValPtr, 6, 2, Index, None, None, "-> ref")                                     \
    X(ArgValPtr, 7, 2, Index, None, None, "-> ref")                                       \
    X(PushThis_SMemberValPtr, 8, 3, Inner, Index, None, "-> ref")                         \
    X(PushThis_SMemberValPtr_Deref, 9, 4, Inner, Index, Inner, "-> v")                    \
    X(DMemberValPtr_Deref, 10, 4, Symbol, Cache, Inner, "object -> v")                    \
    X(LocalValPtr_Deref, 11, 3, Index, Inner, None, "-> v")                               \
    X(ArgValPtr_Deref, 12, 3, Index, Inner, None, "-> v")                                 \
    X(Push_Deref, 13, 4, ValueTag, ValuePayload, Inner, "-> v")                           \
    X(DCall, 14, 4, Count, Symbol, Cache, "receiver a1..an -> result")                    \
    X(SCall, 15, 3, Count, Index, None, "receiver a1..an -> result")                      \
    X(SuperCall, 16, 3, Count, Function, None, "receiver a1..an -> result")               \
    X(NativeCall, 17, 3, Count, Function, None, "receiver a1..an -> result")              \
    X(Constructor, 18, 3, Count, Class, None, "placeholder a1..an -> object")             \
    X(Add, 19, 1, None, None, None, "l r -> l'")                                          \
    X(Sub, 20, 1, None, None, None, "l r -> l'")                                          \
    X(Mul, 21, 1, None, None, None, "l r -> l'")                                          \
    X(Div, 22, 1, None, None, None, "l r -> l'")                                          \
    X(Mod, 23, 1, None, None, None, "l r -> l'")                                          \
    X(GT, 24, 1, None, None, None, "l r -> f")                                            \
    X(GTE, 25, 1, None, None, None, "l r -> f")                                           \
    X(LT, 26, 1, None, None, None, "l r -> f")                                            \
    X(LTE, 27, 1, None, None, None, "l r -> f")                                           \
    X(EQ, 28, 1, None, None, None, "l r -> f")                                            \
    X(NEQ, 29, 1, None, None, None, "l r -> f")                                           \
    X(And, 30, 1, None, None, None, "(none)")                                             \
    X(Or, 31, 1, None, None, None, "(none)")                                              \
    X(Is, 32, 2, Class, None, None, "v -> int")                                           \
    X(Not, 33, 1, None, None, None, "v -> int")                                           \
    X(Neg, 34, 1, None, None, None, "v -> v'")                                            \
    X(Subst, 35, 1, None, None, None, "ref v -> v")                                       \
    X(AddSubst, 36, 1, None, None, None, "ref v -> ref")                                  \
    X(SubSubst, 37, 1, None, None, None, "ref v -> ref")                                  \
    X(Deref, 38, 1, None, None, None, "ref -> v")                                         \
    X(Jump, 39, 2, Offset, None, None, "(none)")                                          \
    X(JumpZero, 40, 2, Offset, None, None, "v ->")                                        \
    X(Jump_And, 41, 2, Offset, None, None, "v -> v, or v ->")                             \
    X(Jump_Or, 42, 2, Offset, None, None, "v -> v, or v ->")                              \
    X(Ret, 43, 1, None, None, None, "(frame) v -> result")                                \
    X(InitForIn, 44, 1, None, None, None, "varref array -> varref array list counter")     \
    X(DoForIn, 45, 2, Offset, None, None, "(loop state unchanged)")                       \
    X(ClearForIn, 46, 1, None, None, None, "varref array list counter ->")                \
    X(Point, 47, 4, Class, Number, Number, "(none)")                                      \
    X(Halt, 48, 1, None, None, None, "(none)")

enum class TOpcode : std::uint32_t {
#define VARNO_OPCODE_ENUM(name, code, words, a, b, c, stack) Op_##name = code,
    VARNO_OPCODES(VARNO_OPCODE_ENUM)
#undef VARNO_OPCODE_ENUM
};
using enum TOpcode;

struct TOpcodeInfo {
    std::string_view name;       // without the "Op_" prefix
    std::uint32_t words;         // 0: variable length
    std::array<TOperand, 3> operands;  // kinds of words 1 to 3
    std::string_view stack;
};

inline constexpr TOpcodeInfo kOpcodeInfo[] = {
#define VARNO_OPCODE_INFO(name, code, words, a, b, c, stack) \
    {#name, words, {TOperand::a, TOperand::b, TOperand::c}, stack},
    VARNO_OPCODES(VARNO_OPCODE_INFO)
#undef VARNO_OPCODE_INFO
};

constexpr std::uint32_t kOpcodeCount = sizeof(kOpcodeInfo) / sizeof(kOpcodeInfo[0]);
static_assert(kOpcodeCount == 49, "the instruction set has 49 instructions");

// The codes in the list are its positions, so the table can be indexed by opcode.
#define VARNO_OPCODE_CHECK(op, code, words, a, b, c, stack) \
    static_assert(kOpcodeInfo[code].name == std::string_view(#op), "opcode list out of order");
VARNO_OPCODES(VARNO_OPCODE_CHECK)
#undef VARNO_OPCODE_CHECK

constexpr bool IsOpcode(std::uint32_t word) { return word < kOpcodeCount; }

// Length in bytes of a fixed-length instruction; PushString's is 8 + L (InstructionBytes).
constexpr std::uint32_t OpcodeBytes(TOpcode op) { return kOpcodeInfo[static_cast<std::uint32_t>(op)].words * 4; }

// The instruction's name without prefix ("Pop"); "" for a word that is no opcode.
constexpr std::string_view OpcodeName(std::uint32_t word) {
    return IsOpcode(word) ? kOpcodeInfo[word].name : std::string_view();
}

// "Op_" + the name for 0 to 48, "Invalid Code" for any other value.
std::string OpName(std::uint32_t word);

// A fused instruction (8 to 13) stands for a sequence of two or three instructions whose
// words all stay in place; only the first word changes. inner[] are the byte positions of
// the words that still hold the replaced instructions' codes.
struct TFusedForm {
    TOpcode fused;
    std::array<TOpcode, 3> parts;  // the replaced sequence; unused entries repeat the last
    std::uint32_t partCount;
    std::uint32_t bytes;
};

inline constexpr TFusedForm kFusedForms[] = {
    {Op_PushThis_SMemberValPtr, {Op_PushThis, Op_SMemberValPtr, Op_SMemberValPtr}, 2, 12},
    {Op_PushThis_SMemberValPtr_Deref, {Op_PushThis, Op_SMemberValPtr, Op_Deref}, 3, 16},
    {Op_DMemberValPtr_Deref, {Op_DMemberValPtr, Op_Deref, Op_Deref}, 2, 16},
    {Op_LocalValPtr_Deref, {Op_LocalValPtr, Op_Deref, Op_Deref}, 2, 12},
    {Op_ArgValPtr_Deref, {Op_ArgValPtr, Op_Deref, Op_Deref}, 2, 12},
    {Op_Push_Deref, {Op_Push, Op_Deref, Op_Deref}, 2, 16},
};

constexpr bool IsFused(std::uint32_t word) { return word >= 8 && word <= 13; }

// The fused form of op (which must be fused).
constexpr const TFusedForm& FusedForm(TOpcode op) {
    return kFusedForms[static_cast<std::uint32_t>(op) - 8];
}

// The instruction that a fused one begins with (itself for any other instruction): a walk
// that must also stop at every replaced instruction (jump targets) steps by its length.
constexpr TOpcode FirstPart(TOpcode op) {
    return IsFused(static_cast<std::uint32_t>(op)) ? FusedForm(op).parts[0] : op;
}

// A fused instruction is exactly as long as the sequence it replaces.
constexpr bool FusedFormsConsistent() {
    std::uint32_t code = 8;
    for (const TFusedForm& form : kFusedForms) {
        if (static_cast<std::uint32_t>(form.fused) != code++) return false;
        std::uint32_t sum = 0;
        for (std::uint32_t i = 0; i < form.partCount; ++i) sum += OpcodeBytes(form.parts[i]);
        if (sum != form.bytes || OpcodeBytes(form.fused) != form.bytes) return false;
    }
    return code == 14;
}
static_assert(FusedFormsConsistent());

}  // namespace varno
