// The dispatch loop: one short block per instruction, registers in locals, slow paths apart.
#include "runtime/Interpreter.h"

#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "runtime/Function.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/ValueOps.h"

// Computed goto where the compiler has it (GCC, Clang); a switch everywhere else, or when
// VARNO_SWITCH_DISPATCH is defined.
#if defined(__GNUC__) && !defined(VARNO_SWITCH_DISPATCH)
#define VARNO_COMPUTED_GOTO 1
#else
#define VARNO_COMPUTED_GOTO 0
#endif

// GCC otherwise merges the instructions' indirect jumps into one shared jump (cross-jumping,
// global common subexpressions), which defeats threaded dispatch, and pairs registers into
// vector registers because the register write-back stores them side by side.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-gcse", "no-crossjumping", "no-tree-slp-vectorize")
#endif

namespace varno {
namespace {

// Slots are read and written as whole 8-byte words: a value built field by field and read
// back whole by the next instruction would stall the processor's store forwarding.
using TWord = std::uint64_t;

inline TWord Get(const TValue* slot) {
    TWord w;
    std::memcpy(&w, static_cast<const void*>(slot), sizeof w);
    return w;
}
inline void Put(TValue* slot, TWord w) { std::memcpy(static_cast<void*>(slot), &w, sizeof w); }
constexpr TWord Word(TVType tag, std::uint32_t payload) {
    return static_cast<TWord>(tag) | (static_cast<TWord>(payload) << 32);
}
inline TVType TagOf(TWord w) { return static_cast<TVType>(w & 0xFFu); }
inline std::uint32_t PayloadOf(TWord w) { return static_cast<std::uint32_t>(w >> 32); }
inline TWord IntWord(std::int32_t i) { return Word(tvInt, static_cast<std::uint32_t>(i)); }
inline TWord FloatWord(float f) {
#if defined(__SSE2__)
    // Straight from the vector register: through memory, the 4-byte store and the 8-byte
    // load that follows it would not forward.
    return Word(tvFloat, static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_castps_si128(_mm_set_ss(f)))));
#else
    return Word(tvFloat, std::bit_cast<std::uint32_t>(f));
#endif
}
inline TWord RefWord(const TValue* cell) { return Word(tvRef, RefOf(cell)); }
inline TValue* CellOf(TWord ref) { return FromRef<TValue>(PayloadOf(ref)); }
inline TfObject* ObjectOf(TWord w) { return FromRef<TfObject>(PayloadOf(w)); }
constexpr TWord kNullWord = Word(tvNull, 0);
constexpr TWord kFloatOne = Word(tvFloat, 0x3F800000u);
constexpr TWord kFloatZero = Word(tvFloat, 0);

inline void AddRefWord(TWord w) {
    if (TagOf(w) == tvObject) ++ObjectOf(w)->refCount;
}
inline bool IsTrueWord(TWord w) {
    switch (TagOf(w)) {
        case tvInt: return PayloadOf(w) != 0;
        case tvFloat: return (PayloadOf(w) & 0x7FFFFFFFu) != 0;  // -0.0 is false, NaN true
        case tvObject:
        case tvNative: return true;
        default: return false;
    }
}
inline bool IsNumberWord(TWord w) { return TagOf(w) == tvInt || TagOf(w) == tvFloat; }
// A number widened exactly, as the arithmetic works on it.
inline double Widen(TWord w) {
    return TagOf(w) == tvInt ? static_cast<double>(static_cast<std::int32_t>(PayloadOf(w)))
                             : static_cast<double>(std::bit_cast<float>(PayloadOf(w)));
}

// Dispatch slot of an opcode word: every word above 48 shares the last slot.
inline std::uint32_t DispatchSlot(std::uint32_t word) { return word < kOpcodeCount ? word : kOpcodeCount; }

// A value operand: the tag in the low byte of the first word, the payload in the second.
inline TWord InlineValue(const std::uint32_t* words) { return (static_cast<TWord>(words[1]) << 32) | (words[0] & 0xFFu); }

// The instruction o bytes from the jump instruction at pc.
inline std::uint32_t* JumpTarget(std::uint32_t* pc, std::uint32_t offset) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(pc) + static_cast<std::int32_t>(offset));
}

}  // namespace

void Execute(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    TValue* sp = p.m_sp;
    TFrame* bp = p.m_bp;
    TValue* self = p.m_this;
    std::int32_t avail = p.m_avail;
    const auto stackBase = reinterpret_cast<std::intptr_t>(p.m_stackBase);
    TValue* const scratch = &ScratchValue();

// Registers go back into the process before anything that can raise, allocate or run
// another process, and come back after it.
#define SAVE() (p.m_pc = pc, p.m_sp = sp, p.m_bp = bp, p.m_this = self, p.m_avail = avail)
#define LOAD() (pc = p.m_pc, sp = p.m_sp, bp = p.m_bp, self = p.m_this, avail = p.m_avail)
// A slow path may have run other processes, and one of them may have killed this one:
// its stack then belongs to no one and the loop leaves at once.
#define SLOW(call)                              \
    do {                                        \
        SAVE();                                 \
        call;                                   \
        if (p.m_killed) [[unlikely]] return;    \
        LOAD();                                 \
    } while (0)
// Release of a value word, with the rare part (a count at 0 or below) out of line.
#define RELEASE(w)                                                   \
    do {                                                             \
        const TWord rw_ = (w);                                       \
        if (TagOf(rw_) == tvObject) {                                \
            TfObject* ro_ = ObjectOf(rw_);                           \
            if (--ro_->refCount <= 0) [[unlikely]] {                 \
                SAVE();                                              \
                TSlowPaths::ReleaseUnreferenced(ro_);                \
            }                                                        \
        }                                                            \
    } while (0)
// Room for k more slots: pushes never leave the stack block.
#define ROOM(k)                                                                          \
    do {                                                                                 \
        if (reinterpret_cast<std::intptr_t>(sp) - stackBase < 8 * (k)) [[unlikely]] {   \
            SAVE();                                                                      \
            TSlowPaths::StackOverflow();                                                 \
        }                                                                                \
    } while (0)
// Function entry for byte-code function f_, receiver slot recv_ with n_ arguments, the
// call instruction being words_ long. The rare cases (no code, too little stack) go
// through the slow path, which raises for them.
#define ENTER(f_, n_, recv_, words_)                                                         \
    {                                                                                        \
        TNormalFunction* ef_ = (f_);                                                         \
        const TCompiledInfo* ecode_ = ef_->Code();                                           \
        const std::int32_t elocals_ = ef_->localCount();                                     \
        const std::intptr_t ebase_ = reinterpret_cast<std::intptr_t>(sp) - 40;               \
        if (ecode_ == nullptr || ebase_ - 8 * (elocals_ - 1) - stackBase < kStackReserve)    \
            [[unlikely]] {                                                                   \
            SLOW(TSlowPaths::Enter(p, ef_, (n_), (recv_), pc + (words_)));                   \
        } else {                                                                             \
            auto* eframe_ = reinterpret_cast<TFrame*>(ebase_);                               \
            eframe_->function = ef_->ref();                                                  \
            eframe_->returnAddress = RefOf(pc + (words_));                                   \
            eframe_->argCount = static_cast<std::int32_t>(n_);                               \
            eframe_->receiverSlot = RefOf(recv_);                                            \
            eframe_->callerBase = RefOf(bp);                                                 \
            std::memcpy(eframe_->position, p.m_position.data(), sizeof eframe_->position);   \
            for (std::int32_t k_ = 0; k_ < elocals_; ++k_) Put(&eframe_->local(k_), kNullWord); \
            self = (recv_);                                                                  \
            bp = eframe_;                                                                    \
            sp = eframe_->locals() - (elocals_ - 1);                                         \
            pc = reinterpret_cast<std::uint32_t*>(const_cast<std::uint8_t*>(ecode_->code())); \
        }                                                                                    \
    }

#if VARNO_COMPUTED_GOTO
    static const void* const kDispatch[kOpcodeCount + 1] = {
#define VARNO_LABEL_ADDRESS(name, code, words, a, b, c, stack) &&L_##name,
        VARNO_OPCODES(VARNO_LABEL_ADDRESS)
#undef VARNO_LABEL_ADDRESS
        &&L_Invalid,
    };
#define CASE(name) L_##name:
#define CASE_INVALID L_Invalid:
#define NEXT()                                               \
    do {                                                     \
        if (--avail < 0) [[unlikely]] goto L_outOfBudget;    \
        goto* kDispatch[DispatchSlot(*pc)];                  \
    } while (0)
    NEXT();
#else
#define CASE(name) case static_cast<std::uint32_t>(Op_##name):
#define CASE_INVALID default:
#define NEXT() continue
    for (;;) {
        if (--avail < 0) [[unlikely]] goto L_outOfBudget;
        switch (DispatchSlot(*pc)) {
#endif

    // ---- Pushes and references ----

    CASE(Pop) {
        const TWord v = Get(sp);
        ++sp;
        pc += 1;
        RELEASE(v);
        NEXT();
    }
    CASE(Push) {
        ROOM(1);
        --sp;
        Put(sp, InlineValue(pc + 1));
        pc += 3;
        NEXT();
    }
    CASE(PushString) {
        SLOW(TSlowPaths::PushString(p));
        NEXT();
    }
    CASE(PushThis) {
        ROOM(1);
        const TWord v = Get(self);
        --sp;
        Put(sp, v);
        AddRefWord(v);
        pc += 1;
        NEXT();
    }
    CASE(SMemberValPtr) {
        const TWord object = Get(sp);
        if (TagOf(object) != tvObject) [[unlikely]] {
            SLOW(TSlowPaths::ThisMember(p, Op_SMemberValPtr));
            NEXT();
        }
        Put(sp, RefWord(&ObjectOf(object)->member(static_cast<int>(pc[1]))));
        pc += 2;
        RELEASE(object);
        NEXT();
    }
    CASE(DMemberValPtr) {
        const TWord object = Get(sp);
        if (TagOf(object) == tvObject) [[likely]] {
            TfObject* o = ObjectOf(object);
            const int index = o->rtti()->FindMember(static_cast<std::int32_t>(pc[1]),
                                                    reinterpret_cast<std::int32_t&>(pc[2]));
            if (index >= 0) [[likely]] {
                Put(sp, RefWord(&o->member(index)));
                pc += 3;
                RELEASE(object);
                NEXT();
            }
        }
        SLOW(TSlowPaths::MemberPtr(p, false));
        NEXT();
    }
    CASE(LocalValPtr) {
        TValue* cell = &bp->local(static_cast<std::int32_t>(pc[1]));
        // i++, i--, i += c on an integer local: the four instructions in one step when the
        // budget and the stack would have allowed them one by one.
        if (pc[2] == static_cast<std::uint32_t>(Op_Push) && (pc[3] & 0xFFu) == static_cast<std::uint32_t>(tvInt) &&
            (pc[5] == static_cast<std::uint32_t>(Op_AddSubst) || pc[5] == static_cast<std::uint32_t>(Op_SubSubst)) &&
            pc[6] == static_cast<std::uint32_t>(Op_Pop) && avail >= 3 &&
            reinterpret_cast<std::intptr_t>(sp) - stackBase >= 16) {
            const TWord t = Get(cell);
            if (TagOf(t) == tvInt) {
                const std::uint32_t c = pc[4];
                Put(cell, Word(tvInt, pc[5] == static_cast<std::uint32_t>(Op_AddSubst) ? PayloadOf(t) + c : PayloadOf(t) - c));
                avail -= 3;
                pc += 7;
                NEXT();
            }
        }
        ROOM(1);
        --sp;
        Put(sp, RefWord(cell));
        pc += 2;
        NEXT();
    }
    CASE(ArgValPtr) {
        ROOM(1);
        --sp;
        const std::uint32_t i = pc[1];
        pc += 2;
        if (i < static_cast<std::uint32_t>(bp->argCount)) {
            Put(sp, RefWord(self - 1 - i));
        } else {
            const TWord old = Get(scratch);
            Put(scratch, kNullWord);
            Put(sp, RefWord(scratch));
            RELEASE(old);
        }
        NEXT();
    }
    CASE(PushThis_SMemberValPtr) {
        const TWord object = Get(self);
        if (TagOf(object) != tvObject) [[unlikely]] {
            SLOW(TSlowPaths::ThisMember(p, Op_PushThis_SMemberValPtr));
            NEXT();
        }
        ROOM(1);
        --sp;
        Put(sp, RefWord(&ObjectOf(object)->member(static_cast<int>(pc[2]))));
        pc += 3;
        NEXT();
    }
    CASE(PushThis_SMemberValPtr_Deref) {
        const TWord object = Get(self);
        if (TagOf(object) != tvObject) [[unlikely]] {
            SLOW(TSlowPaths::ThisMember(p, Op_PushThis_SMemberValPtr_Deref));
            NEXT();
        }
        ROOM(1);
        const TWord v = Get(&ObjectOf(object)->member(static_cast<int>(pc[2])));
        --sp;
        Put(sp, v);
        AddRefWord(v);
        pc += 4;
        NEXT();
    }
    CASE(DMemberValPtr_Deref) {
        const TWord object = Get(sp);
        if (TagOf(object) == tvObject) [[likely]] {
            TfObject* o = ObjectOf(object);
            const int index = o->rtti()->FindMember(static_cast<std::int32_t>(pc[1]),
                                                    reinterpret_cast<std::int32_t&>(pc[2]));
            if (index >= 0) [[likely]] {
                const TWord v = Get(&o->member(index));
                Put(sp, v);
                AddRefWord(v);
                pc += 4;
                RELEASE(object);
                NEXT();
            }
        }
        SLOW(TSlowPaths::MemberPtr(p, true));
        NEXT();
    }
    CASE(LocalValPtr_Deref) {
        ROOM(1);
        const TWord v = Get(&bp->local(static_cast<std::int32_t>(pc[1])));
        --sp;
        Put(sp, v);
        AddRefWord(v);
        pc += 3;
        NEXT();
    }
    CASE(ArgValPtr_Deref) {
        ROOM(1);
        const std::uint32_t i = pc[1];
        const TWord v = i < static_cast<std::uint32_t>(bp->argCount) ? Get(self - 1 - i) : kNullWord;
        --sp;
        Put(sp, v);
        AddRefWord(v);
        pc += 3;
        NEXT();
    }
    CASE(Push_Deref) {
        ROOM(1);
        TWord v = InlineValue(pc + 1);
        // Only a reference is read through; any other constant is pushed as it is.
        if (TagOf(v) == tvRef) v = Get(CellOf(v));
        --sp;
        Put(sp, v);
        AddRefWord(v);
        pc += 4;
        NEXT();
    }

    // ---- Calls ----

    CASE(DCall) {
        const std::uint32_t n = pc[1];
        TValue* receiver = sp + n;
        const TWord r = Get(receiver);
        if (TagOf(r) == tvObject) [[likely]] {
            TFunction* f = ObjectOf(r)->rtti()->FindMethod(static_cast<std::int32_t>(pc[2]),
                                                          reinterpret_cast<std::int32_t&>(pc[3]));
            if (f != nullptr && f->isByteCode()) [[likely]] {
                ENTER(static_cast<TNormalFunction*>(f), n, receiver, 4);
                NEXT();
            }
        }
        SLOW(TSlowPaths::DCall(p));
        NEXT();
    }
    CASE(SCall) {
        const std::uint32_t n = pc[1];
        TValue* receiver = sp + n;
        const TWord r = Get(receiver);
        if (TagOf(r) == tvObject) [[likely]] {
            const std::vector<TFunction*>& methods = ObjectOf(r)->rtti()->Methods();
            if (pc[2] < methods.size()) [[likely]] {
                TFunction* f = methods[pc[2]];
                if (f->isByteCode()) [[likely]] {
                    ENTER(static_cast<TNormalFunction*>(f), n, receiver, 3);
                    NEXT();
                }
            }
        }
        SLOW(TSlowPaths::SCall(p));
        NEXT();
    }
    CASE(SuperCall) {
        const std::uint32_t n = pc[1];
        TValue* receiver = sp + n;
        if (pc[2] != kNullRef) [[likely]] {
            TFunction* f = FromRef<TFunction>(pc[2]);
            if (f->isByteCode()) [[likely]] {
                ENTER(static_cast<TNormalFunction*>(f), n, receiver, 3);
                NEXT();
            }
        }
        SLOW(TSlowPaths::SuperCall(p));
        NEXT();
    }
    CASE(NativeCall) {
        SLOW(TSlowPaths::NativeCall(p));
        NEXT();
    }
    CASE(Constructor) {
        SLOW(TSlowPaths::Constructor(p));
        NEXT();
    }

    // ---- Arithmetic: integers and floats inline, everything else in the slow path ----

#define VARNO_ARITHMETIC(name, intOp, floatOp)                                     \
    CASE(name) {                                                                   \
        const TWord l = Get(sp + 1);                                               \
        const TWord r = Get(sp);                                                   \
        if (TagOf(l) == tvInt && TagOf(r) == tvInt) [[likely]] {                   \
            Put(sp + 1, Word(tvInt, PayloadOf(l) intOp PayloadOf(r)));             \
            ++sp;                                                                  \
            pc += 1;                                                               \
            NEXT();                                                                \
        }                                                                          \
        if (TagOf(l) == tvFloat && TagOf(r) == tvFloat) {                          \
            /* single precision directly: rounding once from double gives the same */ \
            const float a = std::bit_cast<float>(PayloadOf(l));                    \
            const float b = std::bit_cast<float>(PayloadOf(r));                    \
            const float f = a floatOp b;                                           \
            if (!std::isfinite(f)) [[unlikely]] {                                  \
                SAVE();                                                            \
                TSlowPaths::FloatFault(a, b, static_cast<double>(a) floatOp b, Op_##name); \
            }                                                                      \
            Put(sp + 1, FloatWord(f));                                             \
            ++sp;                                                                  \
            pc += 1;                                                               \
            NEXT();                                                                \
        }                                                                          \
        if (IsNumberWord(l) && IsNumberWord(r)) {                                  \
            const double a = Widen(l), b = Widen(r);                               \
            const float f = static_cast<float>(a floatOp b);                       \
            if (!std::isfinite(f)) [[unlikely]] {                                  \
                SAVE();                                                            \
                TSlowPaths::FloatFault(a, b, a floatOp b, Op_##name);              \
            }                                                                      \
            Put(sp + 1, FloatWord(f));                                             \
            ++sp;                                                                  \
            pc += 1;                                                               \
            NEXT();                                                                \
        }                                                                          \
        SLOW(TSlowPaths::Arithmetic(p, Op_##name));                                \
        NEXT();                                                                    \
    }
    VARNO_ARITHMETIC(Add, +, +)
    VARNO_ARITHMETIC(Sub, -, -)
    VARNO_ARITHMETIC(Mul, *, *)
#undef VARNO_ARITHMETIC

    CASE(Div) {
        const TWord l = Get(sp + 1);
        const TWord r = Get(sp);
        if (TagOf(l) == tvInt && TagOf(r) == tvInt) [[likely]] {
            const auto a = static_cast<std::int32_t>(PayloadOf(l));
            const auto b = static_cast<std::int32_t>(PayloadOf(r));
            if (b != 0 && b != -1) [[likely]] {
                Put(sp + 1, a % b == 0 ? IntWord(a / b) : FloatWord(static_cast<float>(static_cast<double>(a) / b)));
                ++sp;
                pc += 1;
                NEXT();
            }
        }
        SLOW(TSlowPaths::Arithmetic(p, Op_Div));
        NEXT();
    }
    CASE(Mod) {
        const TWord l = Get(sp + 1);
        const TWord r = Get(sp);
        if (TagOf(l) == tvInt && TagOf(r) == tvInt) [[likely]] {
            const auto a = static_cast<std::int32_t>(PayloadOf(l));
            const auto b = static_cast<std::int32_t>(PayloadOf(r));
            if (b != 0 && b != -1) [[likely]] {
                Put(sp + 1, IntWord(a % b));
                ++sp;
                pc += 1;
                NEXT();
            }
        }
        SLOW(TSlowPaths::Arithmetic(p, Op_Mod));
        NEXT();
    }

    // ---- Comparisons: always a float 1.0 or 0.0 ----

// A comparison followed by JumpZero (every condition) takes both steps at once when the
// budget allows two: the float it would push is popped at once and counts for nothing.
#define VARNO_COMPARE_RESULT(test)                                                     \
    if (pc[1] == static_cast<std::uint32_t>(Op_JumpZero) && avail > 0) {              \
        --avail;                                                                       \
        sp += 2;                                                                       \
        pc = (test) ? pc + 3 : JumpTarget(pc + 1, pc[2]);                              \
        NEXT();                                                                        \
    }                                                                                  \
    Put(sp + 1, (test) ? kFloatOne : kFloatZero);                                      \
    ++sp;                                                                              \
    pc += 1;                                                                           \
    NEXT();
#define VARNO_COMPARISON(name, test)                                                   \
    CASE(name) {                                                                       \
        const TWord l = Get(sp + 1);                                                   \
        const TWord r = Get(sp);                                                       \
        if (TagOf(l) == tvInt && TagOf(r) == tvInt) [[likely]] {                       \
            const auto d = static_cast<std::int32_t>(PayloadOf(l) - PayloadOf(r));     \
            VARNO_COMPARE_RESULT(test)                                                 \
        }                                                                              \
        if (IsNumberWord(l) && IsNumberWord(r)) {                                      \
            const double d = Widen(l) - Widen(r);                                      \
            VARNO_COMPARE_RESULT(test)                                                 \
        }                                                                              \
        SLOW(TSlowPaths::Comparison(p, Op_##name));                                    \
        NEXT();                                                                        \
    }
    VARNO_COMPARISON(GT, d > 0)
    VARNO_COMPARISON(GTE, d >= 0)
    VARNO_COMPARISON(LT, d < 0)
    VARNO_COMPARISON(LTE, d <= 0)
    VARNO_COMPARISON(EQ, d == 0)
    VARNO_COMPARISON(NEQ, d != 0)
#undef VARNO_COMPARISON
#undef VARNO_COMPARE_RESULT

    CASE(And)
    CASE(Or) {
        pc += 1;
        NEXT();
    }

    // ---- Unary and type operations ----

    CASE(Is) {
        const TWord v = Get(sp);
        const bool is = TagOf(v) == tvObject && ObjectOf(v)->rtti()->IsA(FromRef<TRTTI>(pc[1]));
        Put(sp, IntWord(is ? 1 : 0));
        pc += 2;
        RELEASE(v);
        NEXT();
    }
    CASE(Not) {
        const TWord v = Get(sp);
        Put(sp, IntWord(IsTrueWord(v) ? 0 : 1));
        pc += 1;
        RELEASE(v);
        NEXT();
    }
    CASE(Neg) {
        const TWord v = Get(sp);
        if (TagOf(v) == tvInt) Put(sp, Word(tvInt, 0u - PayloadOf(v)));
        else if (TagOf(v) == tvFloat) Put(sp, v ^ (TWord{0x80000000u} << 32));
        pc += 1;
        NEXT();
    }

    // ---- Assignment ----

    CASE(Subst) {
        const TWord target = Get(sp + 1);
        const TWord r = Get(sp);
        if (TagOf(target) == tvRef) [[likely]] {
            TValue* cell = CellOf(target);
            const TWord old = Get(cell);
            Put(cell, r);  // the stack's count moves into the cell
            if (pc[1] == static_cast<std::uint32_t>(Op_Pop) && avail > 0) {
                // An assignment statement: its value, counted and released again, is dropped.
                --avail;
                sp += 2;
                pc += 2;
                RELEASE(old);
                NEXT();
            }
            Put(sp + 1, r);
            AddRefWord(r);
            ++sp;
            pc += 1;
            RELEASE(old);
            NEXT();
        }
        SLOW(TSlowPaths::Assignment(p, Op_Subst));
        NEXT();
    }
    CASE(AddSubst) {
        const TWord target = Get(sp + 1);
        const TWord r = Get(sp);
        if (TagOf(target) == tvRef && TagOf(r) == tvInt) [[likely]] {
            TValue* cell = CellOf(target);
            const TWord t = Get(cell);
            if (TagOf(t) == tvInt) [[likely]] {
                Put(cell, Word(tvInt, PayloadOf(t) + PayloadOf(r)));
                if (pc[1] == static_cast<std::uint32_t>(Op_Pop) && avail > 0) {
                    --avail;  // the reference it leaves is dropped by the statement's Pop
                    sp += 2;
                    pc += 2;
                    NEXT();
                }
                ++sp;
                pc += 1;
                NEXT();
            }
        }
        SLOW(TSlowPaths::Assignment(p, Op_AddSubst));
        NEXT();
    }
    CASE(SubSubst) {
        const TWord target = Get(sp + 1);
        const TWord r = Get(sp);
        if (TagOf(target) == tvRef && TagOf(r) == tvInt) [[likely]] {
            TValue* cell = CellOf(target);
            const TWord t = Get(cell);
            if (TagOf(t) == tvInt) [[likely]] {
                Put(cell, Word(tvInt, PayloadOf(t) - PayloadOf(r)));
                if (pc[1] == static_cast<std::uint32_t>(Op_Pop) && avail > 0) {
                    --avail;  // the reference it leaves is dropped by the statement's Pop
                    sp += 2;
                    pc += 2;
                    NEXT();
                }
                ++sp;
                pc += 1;
                NEXT();
            }
        }
        SLOW(TSlowPaths::Assignment(p, Op_SubSubst));
        NEXT();
    }
    CASE(Deref) {
        // Only a reference is read through: after "a.this" the top is already a value.
        const TWord ref = Get(sp);
        if (TagOf(ref) == tvRef) [[likely]] {
            const TWord v = Get(CellOf(ref));
            Put(sp, v);
            AddRefWord(v);
        }
        pc += 1;
        NEXT();
    }

    // ---- Jumps ----

    CASE(Jump) {
        pc = JumpTarget(pc, pc[1]);
        NEXT();
    }
    CASE(JumpZero) {
        const TWord v = Get(sp);
        ++sp;
        const bool go = IsTrueWord(v);
        pc = go ? pc + 2 : JumpTarget(pc, pc[1]);
        RELEASE(v);
        NEXT();
    }
    CASE(Jump_And) {
        const TWord v = Get(sp);
        if (!IsTrueWord(v)) {
            pc = JumpTarget(pc, pc[1]);
            NEXT();
        }
        ++sp;
        pc += 2;
        RELEASE(v);
        NEXT();
    }
    CASE(Jump_Or) {
        const TWord v = Get(sp);
        if (IsTrueWord(v)) {
            pc = JumpTarget(pc, pc[1]);
            NEXT();
        }
        ++sp;
        pc += 2;
        RELEASE(v);
        NEXT();
    }

    // ---- Return ----

    CASE(Ret) {
        const TWord result = Get(sp);
        // Locals and temporaries, up to and including the frame base.
        while (sp < bp->locals()) {
            ++sp;
            RELEASE(Get(sp));
        }
        TValue* receiver = bp->receiver();
        const std::int32_t n = bp->argCount;
        RELEASE(Get(receiver));
        for (std::int32_t i = 1; i <= n; ++i) RELEASE(Get(receiver - i));
        sp = receiver;
        Put(sp, result);  // moved: no count change
        pc = FromRef<std::uint32_t>(bp->returnAddress);
        if (bp->callerBase == kNullRef) {
            // Returned from the bottom frame: the value stays in the receiver slot.
            p.m_result = sp;
            bp = nullptr;
            goto L_halt;
        }
        bp = bp->caller();
        self = bp->receiver();
        NEXT();
    }

    // ---- Loops over arrays ----

    CASE(InitForIn) {
        SLOW(TSlowPaths::InitForIn(p));
        NEXT();
    }
    CASE(DoForIn) {
        SLOW(TSlowPaths::DoForIn(p));
        NEXT();
    }
    CASE(ClearForIn) {
        const TWord array = Get(sp + 2);
        const TWord variable = Get(sp + 3);
        sp += 4;
        pc += 1;
        RELEASE(array);
        RELEASE(variable);
        NEXT();
    }

    // ---- Process control ----

    CASE(Point) {
        p.m_position = {static_cast<std::int32_t>(pc[1]), static_cast<std::int32_t>(pc[2]),
                        static_cast<std::int32_t>(pc[3])};
        pc += 4;
        NEXT();
    }
    CASE(Halt) {
        goto L_halt;
    }
    CASE_INVALID {
        // Not executed; PC stays, and the step still counts against the budget.
        NEXT();
    }

#if !VARNO_COMPUTED_GOTO
        }  // switch
    }      // for
#endif

L_outOfBudget:
    avail = 0;
    SAVE();
    return;

L_halt:
    p.m_halted = true;
    p.m_slice -= avail;
    avail = 0;
    SAVE();
    return;

#undef SAVE
#undef LOAD
#undef SLOW
#undef RELEASE
#undef ROOM
#undef ENTER
#undef CASE
#undef CASE_INVALID
#undef NEXT
}

}  // namespace varno
