// The member-chain compiler: names, this, super, members, globals and calls in a.b.c(...) chains.
#include <string>

#include "compiler/CmpError.h"
#include "compiler/Generators.h"
#include "front/ScriptNodes.h"
#include "runtime/CaseFold.h"
#include "runtime/Function.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

// `this` and `super` are plain names that the chain compiler gives meaning; they are
// spelled exactly so.
constexpr std::string_view kThis = "this";
constexpr std::string_view kSuper = "super";

const std::string& SuperMustCall() {
    static const std::string key = "\": \"\"super\"\" must be followed by Method invocation.\"";
    return key;
}

// The first index of name in a list of names, compared without regard to case.
int IndexOfName(const std::vector<std::string>& names, std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameText(names[i], name)) return static_cast<int>(i);
    }
    return -1;
}

// A global variable: the node the root's lookup gives for name, when it is one (the
// lookup creates a missing "$" global). Recognised by its kind's name, since the node
// kinds of the resource tree live above the compiler.
TResource* FindGlobal(TContext& context, std::string_view name) {
    if (context.Root == nullptr) return nullptr;
    TResource* found = context.Root->Find(name);
    if (found == nullptr || std::string_view(found->hostClassName()) != "TGlobalValue") return nullptr;
    return found->ValueCell() != nullptr ? found : nullptr;
}

// The first element of a chain, without a call: a local, an argument, a global, this,
// or (whatever else it is) a member of the class.
void GenFirstName(TContext& context, std::string_view name, TResource*& global) {
    TProgWriter& writer = context.writer();
    context.ChainState = TChainState::Value;
    if (TNormalFunction* function = context.CurFunc) {
        if (const int local = IndexOfName(function->Locals(), name); local >= 0) {
            writer.WriteLocalValPtr(local);
            return;
        }
        if (const int argument = IndexOfName(function->Arguments(), name); argument >= 0) {
            writer.WriteArgValPtr(argument);
            return;
        }
    }
    if ((global = FindGlobal(context, name)) != nullptr) {
        context.ChainState = TChainState::Global;
        return;
    }
    if (name == kThis) {
        writer.WritePushThis();
        context.ChainState = TChainState::This;
        return;
    }
    writer.WritePushThis();
    writer.WriteSMemberValPtr(context.CurClass->MemberIndexOf(name), name);
}

// An element without a call.
void GenName(TContext& context, std::string_view name) {
    TProgWriter& writer = context.writer();
    TResource* global = nullptr;
    bool leftValue = false;  // the element left a value, not an address
    switch (context.ChainState) {
        case TChainState::Start:
            if (name == kSuper) {
                context.ChainState = TChainState::Super;
                return;
            }
            GenFirstName(context, name, global);
            break;
        case TChainState::Value:
            // A `this` after a point stands for the object already on the stack.
            if (name != kThis) writer.WriteDMemberValPtr(name);
            else leftValue = true;
            break;
        case TChainState::This:
            writer.WriteSMemberValPtr(context.CurClass->MemberIndexOf(name), name);
            context.ChainState = TChainState::Value;
            break;
        case TChainState::Super:
            throw ECmpError("super." + std::string(name) + GetMsg(SuperMustCall()), context);
        case TChainState::Global:
            break;
    }
    if (context.ChainState == TChainState::Global) {
        // The global's cell is embedded in the code, named for re-linking.
        writer.WritePush(TValue::Ref(global->ValueCell()), global->Name());
        context.ChainState = TChainState::Value;
    }
    if (!context.AddrMode && context.ChainState == TChainState::Value && !leftValue) writer.WriteDeref();
}

// Writes the receiver of a call made in the chain's start state (this) unless `this`
// already pushed it, then the arguments and the source point; returns the argument count.
std::int32_t GenReceiverAndArguments(TContext& context, const TResList& call, bool pushThis) {
    if (pushThis) context.writer().WritePushThis();
    const std::int32_t argc = Gen(call, 1, context);
    context.writer().WritePoint(context.SrcPos);
    return argc;
}

// An element with a call: name(arguments).
void GenCall(TContext& context, std::string_view name, const TResList& call) {
    if (context.AddrMode) throw ECmpError(GetMsg("Left side of assertion cannot be a method invocation."), context);
    TRTTI& cls = *context.CurClass;
    switch (context.ChainState) {
        case TChainState::Value: {
            // The receiver is on the stack; the method is found by name at run time.
            const std::int32_t argc = Gen(call, 1, context);
            context.writer().WritePoint(context.SrcPos);
            context.writer().WriteDCall(name, argc);
            break;
        }
        case TChainState::Start:
        case TChainState::This: {
            const bool pushThis = context.ChainState == TChainState::Start;
            if (name == kSuper) {
                // super(...): the superclass's constructor on this object.
                TRTTI* super = cls.SuperClass();
                if (super == nullptr) {
                    throw ECmpError(GetMsg("Method super.") + "constructor" + GetMsg(" is undefined."), context);
                }
                TFunction* constructor = super->Constructor();
                const std::int32_t argc = GenReceiverAndArguments(context, call, pushThis);
                context.writer().WriteSuperCall(constructor, argc, "constructor");
                break;
            }
            TFunction* function = cls.MethodByName(name);
            if (function == nullptr) {
                throw ECmpError(GetMsg("Method") + std::string(name) + GetMsg(" is undefined."), context);
            }
            const std::int32_t argc = GenReceiverAndArguments(context, call, pushThis);
            if (function->isByteCode()) context.writer().WriteSCall(cls.MethodIndexOf(function), argc, name);
            else context.writer().WriteNativeCall(function, argc, name);
            break;
        }
        case TChainState::Super: {
            // super.f(...): the superclass's f, without dynamic dispatch.
            TRTTI* super = cls.SuperClass();
            TFunction* function = super != nullptr ? super->MethodByName(name) : nullptr;
            if (function == nullptr) {
                throw ECmpError(GetMsg("Method super.") + std::string(name) + GetMsg(" is undefined."), context);
            }
            if (!function->isByteCode()) {
                throw ECmpError(
                    GetMsg("Method super.") + std::string(name) + GetMsg(" is native method. Cannot invoke."), context);
            }
            const std::int32_t argc = GenReceiverAndArguments(context, call, true);
            context.writer().WriteSuperCall(function, argc, name);
            break;
        }
        case TChainState::Global:
            break;
    }
    // A call's result is a value: no Deref follows.
    context.ChainState = TChainState::Value;
}

std::int32_t GenLValE(TResList& node, TContext& context) {
    const std::string_view name = context.text(Tok(node, 0));
    const TResList& call = Sub(node, 1);
    if (call.count() == 0) GenName(context, name);
    else GenCall(context, name, call);
    return 0;
}

// Only the last element of a chain may leave an address; every earlier one leaves a value.
std::int32_t GenLVal(TResList& node, TContext& context) {
    const bool mode = context.AddrMode;
    context.ChainState = TChainState::Start;
    const TResList& rest = Sub(node, 1);
    context.AddrMode = mode && rest.count() == 0;
    Gen(node, 0, context);
    for (std::int32_t i = 1; i < rest.count(); i += 2) {
        context.AddrMode = mode && i + 1 >= rest.count();
        Gen(rest, i, context);
    }
    context.AddrMode = mode;
    // A chain that ends on `super` would leave nothing on the stack.
    if (context.ChainState == TChainState::Super) throw ECmpError("super" + GetMsg(SuperMustCall()), context);
    return 0;
}

}  // namespace

void InstallChainGenerators() {
    SetGenerator(GKind::LVal, GenLVal);
    SetGenerator(GKind::LValE, GenLValE);
}

}  // namespace varno
