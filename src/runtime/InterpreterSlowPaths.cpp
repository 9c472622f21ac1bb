// The interpreter's slow paths: every case the dispatch loop does not handle inline.
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "base/Text.h"

#include "runtime/ElementList.h"
#include "runtime/Function.h"
#include "runtime/Interpreter.h"
#include "runtime/KernelClasses.h"
#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/RuntimeError.h"
#include "runtime/String.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

// The longest text a string concatenation may make; a script that keeps doubling a
// string stops with a run-time error long before the host runs out of memory.
constexpr std::size_t kMaxStringBytes = std::size_t{64} << 20;

inline TValue* Cell(const TValue& ref) { return FromRef<TValue>(ref.payload); }

// The host's arithmetic fault texts, in the system's Shift-JIS.
const std::string& FaultText(const char* utf8) {
    static std::map<const char*, std::string> texts;
    auto it = texts.find(utf8);
    if (it == texts.end()) it = texts.emplace(utf8, Utf8ToSjis(utf8)).first;
    return it->second;
}
constexpr const char* kIntegerDivide = "ゼロによる除算";
constexpr const char* kFloatDivide = "0 による浮動小数点数除算";
constexpr const char* kFloatOverflow = "浮動小数点数のオーバーフロー";
constexpr const char* kFloatInvalid = "不正な浮動小数点数演算命令";

inline bool IsNumber(const TValue& v) { return v.tag == tvInt || v.tag == tvFloat; }

inline double Widen(const TValue& v) { return v.tag == tvInt ? static_cast<double>(v.asInt()) : v.asFloat(); }

std::string NativeNotInvocable(const std::string& name) {
    // The first fragment is shown as it is, without the message lookup.
    static const std::string native = Utf8ToSjis("Native関数");
    return native + name + GetMsg(" cannot be invoked.");
}

// " is not initialized." for a never-assigned variable, " is not Object." otherwise.
std::string NotObjectText(const TValue& v) {
    return GetMsg(v.tag == tvUnset ? " is not initialized." : " is not Object.");
}

// The class whose code the current frame runs (for names of members and slots).
TRTTI* CodeClass(const TFrame* frame, TRTTI* processClass) {
    if (frame != nullptr && frame->function != kNullRef) return FromRef<TFunction>(frame->function)->Owner();
    return processClass;
}

// Room for k more slots below sp.
void EnsureRoom(const TValue* sp, const std::uint8_t* stackBase, int k) {
    if (reinterpret_cast<const std::uint8_t*>(sp) - stackBase < 8 * k) TSlowPaths::StackOverflow();
}

// A copy of the scratch cell's old value is released after the cell is reset to v.
void ResetScratch(const TValue& v) {
    TValue& scratch = ScratchValue();
    const TValue old = scratch;
    scratch = v;
    Release(old);
}

// 32-bit float result of a double computation, with the host's float faults.
float FloatResult(double a, double b, double exact, TOpcode op) {
    const auto f = static_cast<float>(exact);
    if (!std::isfinite(f)) TSlowPaths::FloatFault(a, b, exact, op);
    return f;
}

// The remainder of 64-bit operands, keeping the low 32 bits; the divisor 0 is the
// integer division fault.
std::int32_t Remainder64(std::int64_t a, std::int64_t b) {
    if (b == 0) TSlowPaths::IntegerDivideByZero();
    if (b == -1) return 0;  // the only remainder that would overflow; it is 0
    return static_cast<std::int32_t>(static_cast<std::uint64_t>(a % b));
}

// Numbers on both sides.
TValue NumericResult(const TValue& l, const TValue& r, TOpcode op) {
    if (l.tag == tvInt && r.tag == tvInt) {
        const std::uint32_t a = l.payload, b = r.payload;
        switch (op) {
            case Op_Add: return TValue::Make(tvInt, a + b);
            case Op_Sub: return TValue::Make(tvInt, a - b);
            case Op_Mul: return TValue::Make(tvInt, a * b);
            case Op_Div: {
                const std::int32_t x = l.asInt(), y = r.asInt();
                if (y == 0) TSlowPaths::IntegerDivideByZero();
                if (y == -1) return TValue::Make(tvInt, 0u - a);  // wraps for the lowest integer
                if (x % y == 0) return TValue::Int(x / y);
                return TValue::Float(static_cast<float>(static_cast<double>(x) / y));
            }
            default: return TValue::Int(Remainder64(l.asInt(), r.asInt()));
        }
    }
    if (op == Op_Mod) {
        const std::int64_t a = l.tag == tvInt ? l.asInt() : TruncToInt64(l.asFloat());
        const std::int64_t b = r.tag == tvInt ? r.asInt() : TruncToInt64(r.asFloat());
        return TValue::Int(Remainder64(a, b));
    }
    const double a = Widen(l), b = Widen(r);
    switch (op) {
        case Op_Add: return TValue::Float(FloatResult(a, b, a + b, op));
        case Op_Sub: return TValue::Float(FloatResult(a, b, a - b, op));
        case Op_Mul: return TValue::Float(FloatResult(a, b, a * b, op));
        default: return TValue::Float(FloatResult(a, b, a / b, op));
    }
}

}  // namespace

void TSlowPaths::StackOverflow() { throw ERuntimeError(GetMsg("Stack Overflow.")); }

void TSlowPaths::IntegerDivideByZero() { throw ERuntimeError(GetMsg(FaultText(kIntegerDivide))); }

void TSlowPaths::FloatFault(double left, double right, double result, TOpcode op) {
    if (!std::isfinite(left) || !std::isfinite(right)) return;
    if (op == Op_Div && right == 0.0) {
        throw ERuntimeError(GetMsg(FaultText(left == 0.0 ? kFloatInvalid : kFloatDivide)));
    }
    if (std::isnan(result)) throw ERuntimeError(GetMsg(FaultText(kFloatInvalid)));
    throw ERuntimeError(GetMsg(FaultText(kFloatOverflow)));
}

void TSlowPaths::ReleaseUnreferenced(TfObject* object) {
    NoteUnreferenced(object);
    if (object->refCount == -1) ThrowNegativeCount(TValue::Object(object->id()));
}

void TSlowPaths::PushString(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    const std::uint32_t length = pc[1];
    const auto* text = reinterpret_cast<const char*>(pc + 2);
    EnsureRoom(p.m_sp, p.m_stackBase, 1);
    TfObject* s = nullptr;
    {
        TKeepStepBudget keep;
        s = NewString(std::string_view(text, strnlen(text, length)));
    }
    if (p.m_killed) return;
    --p.m_sp;
    *p.m_sp = TValue::Object(s->id());
    ++s->refCount;
    p.m_pc = pc + 2 + length / 4;
}

void TSlowPaths::MemberPtr(TProcess& p, bool deref) {
    std::uint32_t* pc = p.m_pc;
    const auto symbol = static_cast<std::int32_t>(pc[1]);
    auto& cache = reinterpret_cast<std::int32_t&>(pc[2]);
    TValue* top = p.m_sp;
    const TValue v = *top;
    if (v.tag == tvObject) {
        TfObject* o = AsObject(v);
        const int index = o->rtti()->FindMember(symbol, cache);
        if (index >= 0) {
            *top = deref ? o->member(index) : TValue::Ref(&o->member(index));
            if (deref) AddRef(*top);
            p.m_pc = pc + (deref ? 4 : 3);
            Release(v);
            return;
        }
        cache = 0;
        Report(p, GetMsg("Variable") + SymbolName(symbol) + GetMsg(" is not defined."));
    } else {
        cache = 0;
        if (v.tag != tvError) {
            Report(p, ToText(v) + NotObjectText(v) + GetMsg(" Field") + SymbolName(symbol) + GetMsg(" cannot be read."));
        }
    }
    if (p.m_killed) return;
    if (deref) {
        *top = TValue::Error(0);
    } else {
        ResetScratch(TValue::Error(0));
        *top = TValue::Ref(&ScratchValue());
    }
    p.m_pc = pc + (deref ? 4 : 3);
    Release(v);
}

void TSlowPaths::ThisMember(TProcess& p, TOpcode op) {
    // Member access through a receiver that is no object, which only happens inside a
    // root-class "_errorHook" reached by a call on a non-object: reported like reading a
    // member of a non-object, and the access yields the error value.
    std::uint32_t* pc = p.m_pc;
    const std::uint32_t index = op == Op_SMemberValPtr ? pc[1] : pc[2];
    const TValue v = op == Op_SMemberValPtr ? *p.m_sp : *p.m_this;
    const TRTTI* cls = CodeClass(p.m_bp, p.m_class);
    const std::string name =
        cls != nullptr && index < static_cast<std::uint32_t>(cls->Members().count()) ? cls->Members().nameAt(static_cast<int>(index)) : std::string();
    if (v.tag != tvError) {
        Report(p, ToText(v) + NotObjectText(v) + GetMsg(" Field") + name + GetMsg(" cannot be read."));
        if (p.m_killed) return;
    }
    if (op != Op_SMemberValPtr) {
        EnsureRoom(p.m_sp, p.m_stackBase, 1);
        --p.m_sp;
    }
    if (op == Op_PushThis_SMemberValPtr_Deref) {
        *p.m_sp = TValue::Error(0);
    } else {
        ResetScratch(TValue::Error(0));
        *p.m_sp = TValue::Ref(&ScratchValue());
    }
    p.m_pc = pc + kOpcodeInfo[static_cast<std::uint32_t>(op)].words;
}

namespace {

// A call whose receiver is no object: reported (silently for the error value), then
// served by the root class's "_errorHook" with the same receiver and arguments.
void CallOnNonObject(TProcess& p, TValue* receiver, const std::string& name, std::uint32_t n,
                            std::uint32_t* returnPc) {
    const std::string what = NotObjectText(*receiver);
    if (receiver->tag != tvError) {
        Report(p, ToText(*receiver) + what + GetMsg(" Method") + name + GetMsg(" cannot be called."));
        if (p.killed()) return;
    }
    TFunction* hook = nullptr;
    if (TRTTI* root = RootObjectClass()) {
        std::int32_t cache = -1;
        hook = root->FindMethod(kSymErrorHook, cache);
    }
    if (hook == nullptr) {
        throw ERuntimeError(ToText(*receiver) + what + GetMsg(" is not Object. Method ") + name +
                            GetMsg(" cannot be called."));
    }
    TSlowPaths::Enter(p, hook, n, receiver, returnPc);
}

}  // namespace

void TSlowPaths::DCall(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    const std::uint32_t n = pc[1];
    const auto symbol = static_cast<std::int32_t>(pc[2]);
    auto& cache = reinterpret_cast<std::int32_t&>(pc[3]);
    TValue* receiver = p.m_sp + n;
    const std::string& name = SymbolName(symbol);
    if (receiver->tag != tvObject) {
        CallOnNonObject(p, receiver, name, n, pc + 4);
        return;
    }
    TRTTI* cls = AsObject(*receiver)->rtti();
    TFunction* f = cls->FindMethod(symbol, cache);
    if (f != nullptr && !f->isByteCode()) throw ERuntimeError(NativeNotInvocable(name));
    if (f == nullptr) {
        cache = 0;
        Report(p, GetMsg("Method") + name + GetMsg(" is not defined."));
        if (p.m_killed) return;
        f = cls->FindMethod(kSymErrorHook, cache);
        if (f == nullptr) throw ERuntimeError(GetMsg("Method") + name + GetMsg(" is not defined."));
    }
    Enter(p, f, n, receiver, pc + 4);
}

void TSlowPaths::SCall(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    const std::uint32_t n = pc[1];
    const std::uint32_t index = pc[2];
    TValue* receiver = p.m_sp + n;
    if (receiver->tag != tvObject) {
        // Only inside a root-class "_errorHook" called on a non-object: name the slot's
        // method from the class of the code, and go the way of any call on a non-object.
        const TRTTI* cls = CodeClass(p.m_bp, p.m_class);
        const std::string name = cls != nullptr && index < cls->Methods().size()
                                     ? cls->Methods()[index]->NameText()
                                     : std::string();
        CallOnNonObject(p, receiver, name, n, pc + 3);
        return;
    }
    const std::vector<TFunction*>& methods = AsObject(*receiver)->rtti()->Methods();
    if (index >= methods.size()) {
        throw ERuntimeError(GetMsg("Method") + "#" + std::to_string(index) + GetMsg(" is not defined."));
    }
    Enter(p, methods[index], n, receiver, pc + 3);
}

void TSlowPaths::SuperCall(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    const std::uint32_t n = pc[1];
    TValue* receiver = p.m_sp + n;
    if (pc[2] != kNullRef) {
        Enter(p, FromRef<TFunction>(pc[2]), n, receiver, pc + 3);
        return;
    }
    // super(...) where the superclass has no constructor: a call of nothing, whose value
    // is the receiver.
    FinishCall(p, receiver, n, pc + 3);
}

void TSlowPaths::Constructor(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    const std::uint32_t n = pc[1];
    if (pc[2] == kNullRef) throw ERuntimeError(GetMsg("Class") + GetMsg(" is not defined."));
    TRTTI* cls = FromRef<TRTTI>(pc[2]);
    TValue* receiver = p.m_sp + n;
    TfObject* o = nullptr;
    {
        TKeepStepBudget keep;
        o = NewInstance(*cls);
    }
    if (p.m_killed) return;
    // Over the placeholder, which is not released.
    *receiver = TValue::Object(o->id());
    ++o->refCount;
    if (TFunction* constructor = cls->Constructor()) {
        Enter(p, constructor, n, receiver, pc + 3);
        return;
    }
    // No constructor anywhere in the class's line: the new object is the value.
    FinishCall(p, receiver, n, pc + 3);
}

void TSlowPaths::NativeCall(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    const std::uint32_t n = pc[1];
    TFunction* f = pc[2] != kNullRef ? FromRef<TFunction>(pc[2]) : nullptr;
    TValue* slot = p.m_sp + n;
    if (f == nullptr) throw ERuntimeError(GetMsg("native Method is not implemented."));
    if (f->isByteCode()) {
        Enter(p, f, n, slot, pc + 3);
        return;
    }
    // The arguments stay on the stack while the routine runs (a nested collection or kill
    // sees them); SP moves to the result slot after it.
    static_cast<TNativeFunction*>(f)->Routine()(slot, static_cast<std::int32_t>(n), 0);
    if (p.m_killed) return;
    FinishCall(p, slot, n, pc + 3);
}

void TSlowPaths::FinishCall(TProcess& p, TValue* slot, std::uint32_t n, std::uint32_t* next) {
    for (std::uint32_t i = n; i >= 1; --i) {
        const TValue v = slot[-static_cast<std::ptrdiff_t>(i)];
        p.m_sp = slot - i + 1;
        Release(v);
    }
    p.m_sp = slot;
    p.m_pc = next;
}

void TSlowPaths::Enter(TProcess& p, TFunction* f, std::uint32_t n, TValue* receiver, std::uint32_t* returnPc) {
    if (!f->isByteCode()) throw ERuntimeError(NativeNotInvocable(f->NameText()));
    auto* function = static_cast<TNormalFunction*>(f);
    const TCompiledInfo* code = function->Code();
    if (code == nullptr) throw ERuntimeError(GetMsg("Method") + function->NameText() + GetMsg(" is not defined."));
    const std::int32_t locals = function->localCount();
    const std::intptr_t base = reinterpret_cast<std::intptr_t>(p.m_sp) - 40;
    if (base - 8 * static_cast<std::intptr_t>(locals - 1) - reinterpret_cast<std::intptr_t>(p.m_stackBase) <
        kStackReserve) {
        StackOverflow();
    }
    auto* frame = reinterpret_cast<TFrame*>(base);
    frame->function = function->ref();
    frame->returnAddress = RefOf(returnPc);
    frame->argCount = static_cast<std::int32_t>(n);
    frame->receiverSlot = RefOf(receiver);
    frame->callerBase = RefOf(p.m_bp);
    std::memcpy(frame->position, p.m_position.data(), sizeof frame->position);
    for (std::int32_t k = 0; k < locals; ++k) frame->local(k) = TValue::Null();
    p.m_this = receiver;
    p.m_bp = frame;
    p.m_sp = frame->locals() - (locals - 1);
    p.m_pc = reinterpret_cast<std::uint32_t*>(const_cast<std::uint8_t*>(code->code()));
}

void TSlowPaths::Arithmetic(TProcess& p, TOpcode op) {
    TValue* sp = p.m_sp;
    TValue& l = sp[1];
    const TValue r = sp[0];
    const bool leftObject = l.tag == tvObject;
    const bool rightObject = r.tag == tvObject;
    const bool leftValue = IsNumber(l) || leftObject;  // int, float or object

    // l of any other kind (null, unset, a reference, a host object, an error) takes r,
    // negated for "-"; the stack's count on r moves into l.
    if (!leftValue) {
        l = r;
        if (op == Op_Sub) {
            if (l.tag == tvInt) l.payload = 0u - l.payload;
            else if (l.tag == tvFloat) l.payload ^= 0x80000000u;
        }
        p.m_sp = sp + 1;
        p.m_pc += 1;
        return;
    }

    if (op == Op_Add && (leftObject || rightObject)) {
        // String concatenation, whatever the class: a new string from both texts (only
        // l's text when an object meets null or an unset variable).
        const std::string left = ToText(l);
        const bool alone = leftObject && (r.tag == tvNull || r.tag == tvUnset);
        const std::string right = alone ? std::string() : ToText(r);
        if (left.size() + right.size() > kMaxStringBytes) throw ERuntimeError(GetMsg("String too long."));
        TfObject* s = nullptr;
        {
            TKeepStepBudget keep;
            s = NewString(left + right);
        }
        if (p.m_killed) return;
        const TValue old = l;
        l = TValue::Object(s->id());
        ++s->refCount;
        p.m_sp = sp + 1;
        p.m_pc += 1;
        Release(old);
        if (rightObject) Release(r);
        return;
    }

    if (IsNumber(l) && IsNumber(r)) l = NumericResult(l, r, op);
    // Otherwise l stays as it is, and an object on the right is let go.
    p.m_sp = sp + 1;
    p.m_pc += 1;
    if (rightObject) Release(r);
}

void TSlowPaths::Comparison(TProcess& p, TOpcode op) {
    TValue* sp = p.m_sp;
    const TValue l = sp[1];
    const TValue r = sp[0];
    const float d = Compare(l, r);
    bool holds = false;
    switch (op) {
        case Op_GT: holds = d > 0; break;
        case Op_GTE: holds = d >= 0; break;
        case Op_LT: holds = d < 0; break;
        case Op_LTE: holds = d <= 0; break;
        case Op_EQ: holds = d == 0; break;
        default: holds = d != 0; break;
    }
    sp[1] = TValue::Float(holds ? 1.0f : 0.0f);
    p.m_sp = sp + 1;
    p.m_pc += 1;
    // Both operands are let go; objects stay readable at count 0.
    Release(l);
    Release(r);
}

void TSlowPaths::Assignment(TProcess& p, TOpcode op) {
    TValue* sp = p.m_sp;
    TValue& target = sp[1];
    const TValue r = sp[0];
    // The target should be a reference. Anything else (an assignment to "this") is an
    // assignment to nowhere: the value goes to the scratch cell.
    TValue* cell = nullptr;
    TValue displaced = TValue::Null();
    if (target.tag == tvRef) {
        cell = Cell(target);
    } else {
        ResetScratch(TValue::Null());
        cell = &ScratchValue();
        if (op == Op_Subst) displaced = target;
    }

    if (op == Op_Subst) {
        const TValue old = *cell;
        *cell = r;
        target = r;
        AddRef(target);
        p.m_sp = sp + 1;
        p.m_pc += 1;
        Release(old);
        Release(displaced);
        return;
    }

    TValue& t = *cell;
    bool releaseRight = r.tag == tvObject;
    if (t.tag == tvInt || t.tag == tvFloat) {
        if (IsNumber(r)) t = NumericResult(t, r, op == Op_AddSubst ? Op_Add : Op_Sub);
    } else if (t.tag != tvObject) {
        // Any other kind takes r (never negated); the stack's count moves with it.
        t = r;
        releaseRight = false;
    }
    p.m_sp = sp + 1;
    p.m_pc += 1;
    if (releaseRight) Release(r);
}

void TSlowPaths::InitForIn(TProcess& p) {
    EnsureRoom(p.m_sp, p.m_stackBase, 2);
    const TValue array = p.m_sp[0];
    const TRTTI* arrayClass = ArrayClass();
    if (array.tag != tvObject || arrayClass == nullptr || !AsObject(array)->rtti()->IsA(arrayClass)) {
        throw ERuntimeError(GetMsg("\"Cannot apply \"\"for in ..\"\" to non-Array Value.\""));
    }
    const std::int32_t member = ArrayListMember();
    p.m_sp -= 2;
    // A plain copy of the list reference: the array keeps the list alive.
    p.m_sp[1] = member >= 0 ? AsObject(array)->member(member) : TValue::Null();
    p.m_sp[0] = TValue::Int(0);
    p.m_pc += 1;
}

void TSlowPaths::DoForIn(TProcess& p) {
    std::uint32_t* pc = p.m_pc;
    TValue* sp = p.m_sp;
    const std::int32_t i = ToInt(sp[0]);
    // The length is read at every step, so elements added or removed meanwhile count. A
    // list slot that holds no list (an array without elements yet) is an empty list.
    const TElementList* list = sp[1].tag == tvNative ? HostFromRef<TElementList>(sp[1].payload) : nullptr;
    if (list == nullptr || i < 0 || i >= list->count()) {
        p.m_pc = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(pc) + static_cast<std::int32_t>(pc[1]));
        return;
    }
    const TValue variable = sp[3];
    if (variable.tag == tvRef) {
        Assign(*Cell(variable), list->at(i));
    } else {
        ResetScratch(TValue::Null());
        Assign(ScratchValue(), list->at(i));
    }
    sp[0] = TValue::Int(i + 1);
    p.m_pc = pc + 2;
}

}  // namespace varno
