// Code generation for expressions: assignment, short-circuit chains, operators, constants, new, is.
#include <string>
#include <vector>

#include "compiler/CmpError.h"
#include "compiler/Generators.h"
#include "compiler/Literals.h"
#include "front/ScriptNodes.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"

namespace varno {
namespace {

std::int32_t GenExpr(TResList& node, TContext& context) {
    const TResList& assignment = Sub(node, 0);
    const bool assigns = assignment.count() != 0;
    if (assigns) {
        TAddrModeScope address(context, true);
        Gen(assignment, 0, context);
    }
    Gen(node, 1, context);
    // "=" Subst, "+=" AddSubst, "-=" SubSubst
    if (assigns) context.writer().WriteOperator(context.text(Tok(assignment, 1)));
    return 0;
}

// a || b || c (or &&): one jump after every operand but the last, all to the chain's end,
// where the deciding value is left.
enum class TShortCircuit { Or, And };

std::int32_t GenShortCircuit(TResList& node, TContext& context, TShortCircuit kind) {
    Gen(node, 0, context);
    const TResList& rest = Sub(node, 1);
    if (rest.count() == 0) return 0;
    TProgWriter& writer = context.writer();
    auto jump = [&](std::int32_t distance) {
        if (kind == TShortCircuit::Or) writer.WriteJumpOr(distance);
        else writer.WriteJumpAnd(distance);
    };
    std::vector<std::int32_t> patches;
    patches.push_back(writer.GetPos());
    jump(0);
    for (std::int32_t i = 1; i < rest.count(); i += 2) {
        Gen(rest, i, context);
        if (i + 2 < rest.count()) {
            patches.push_back(writer.GetPos());
            jump(0);
        }
    }
    const std::int32_t end = writer.GetPos();
    for (std::int32_t p : patches) {
        writer.SetPos(p);
        jump(end - p);
    }
    writer.SeekEnd();
    return 0;
}

std::int32_t GenRVal(TResList& node, TContext& context) { return GenShortCircuit(node, context, TShortCircuit::Or); }
std::int32_t GenOrEx(TResList& node, TContext& context) { return GenShortCircuit(node, context, TShortCircuit::And); }

// A left-to-right chain of binary operators: a, b, op, c, op ...
std::int32_t GenBinaryChain(TResList& node, TContext& context) {
    Gen(node, 0, context);
    const TResList& pairs = Sub(node, 1);
    for (std::int32_t i = 0; i + 1 < pairs.count(); i += 2) {
        Gen(pairs, i + 1, context);
        context.writer().WriteOperator(context.text(Tok(pairs, i)));
    }
    return 0;
}

std::int32_t GenIsEx(TResList& node, TContext& context) {
    Gen(node, 0, context);
    const TResList& test = Sub(node, 1);
    if (test.count() == 0) return 0;
    Gen(test, 1, context);
    auto* cls = dynamic_cast<TRTTI*>(context.Resolved);
    if (cls == nullptr) throw ECmpError(GetMsg("\" \"\"is\"\" Operator must be followed by Class.\""), context);
    context.writer().WriteIs(*cls);
    return 0;
}

std::int32_t GenMDEx(TResList& node, TContext& context) {
    Gen(node, 1, context);
    const TResList& prefix = Sub(node, 0);
    if (prefix.count() == 0) return 0;
    if (context.text(Tok(prefix, 0)) == "-") context.writer().WriteNeg();
    else context.writer().WriteNot();
    return 0;
}

// x++ and x-- are x += 1 and x -= 1: the value is what the assignment leaves.
std::int32_t GenIncEx(TResList& node, TContext& context) {
    const TResList& postfix = Sub(node, 1);
    if (postfix.count() == 0) return Gen(node, 0, context);
    TAddrModeScope address(context, true);
    Gen(node, 0, context);
    TProgWriter& writer = context.writer();
    writer.WritePushInt(1);
    writer.WriteOperator(context.text(Tok(postfix, 0)) == "++" ? "+=" : "-=");
    return 0;
}

std::int32_t GenPar(TResList& node, TContext& context) { return Gen(node, 1, context); }
std::int32_t GenUna(TResList& node, TContext& context) { return Gen(node, 0, context); }

std::int32_t GenThis(TResList&, TContext& context) {
    context.writer().WritePushThis();
    return 0;
}

std::int32_t GenConst(TResList& node, TContext& context) {
    const std::string_view text = context.text(Tok(node, 0));
    TProgWriter& writer = context.writer();
    if (text == "null") {
        writer.WritePush(TValue::Null(), {});
    } else if (!text.empty() && text.front() == '"') {
        writer.WritePushString(DecodeStringLiteral(text.substr(1, text.size() >= 2 ? text.size() - 2 : 0)));
    } else if (text.find('.') != std::string_view::npos) {
        writer.WritePushFloat(FloatLiteral(text));
    } else {
        writer.WritePushInt(IntLiteral(text));
    }
    return 0;
}

// The placeholder slot, the arguments, then the class: the arguments are written before
// the class name is checked.
std::int32_t GenNewObj(TResList& node, TContext& context) {
    context.writer().WritePushFloat(0.0f);
    const std::int32_t argc = Gen(node, 3, context);
    Gen(node, 1, context);
    if (context.Resolved == nullptr) throw ECmpError(context.ResName + GetMsg(" is not defined."), context);
    auto* cls = dynamic_cast<TRTTI*>(context.Resolved);
    if (cls == nullptr) {
        throw ECmpError(context.ResName + "(" + context.Resolved->hostClassName() + ")" + GetMsg(" is not a Class."),
                        context);
    }
    context.writer().WriteConstructor(*cls, argc);
    return 0;
}

// A dotted name: looked up from the root; writes nothing.
std::int32_t GenResourceVal(TResList& node, TContext& context) {
    std::string name(context.text(Tok(node, 0)));
    const TResList& rest = Sub(node, 1);
    for (std::int32_t i = 0; i < rest.count(); ++i) name += context.text(Tok(rest, i));
    context.Resolved = context.Root != nullptr ? context.Root->Find(name) : nullptr;
    context.ResName = std::move(name);
    return 0;
}

// Pushes the arguments left to right; returns their number.
std::int32_t GenArgList(TResList& node, TContext& context) {
    if (node.count() == 0) return 0;
    Gen(node, 0, context);
    std::int32_t count = 1;
    const TResList& rest = Sub(node, 1);
    for (std::int32_t i = 1; i < rest.count(); i += 2) {
        Gen(rest, i, context);
        ++count;
    }
    return count;
}

}  // namespace

void InstallExpressionGenerators() {
    SetGenerator(GKind::Expr, GenExpr);
    SetGenerator(GKind::RVal, GenRVal);
    SetGenerator(GKind::OrEx, GenOrEx);
    SetGenerator(GKind::AndEx, GenBinaryChain);
    SetGenerator(GKind::CompEx, GenBinaryChain);
    SetGenerator(GKind::ASEx, GenBinaryChain);
    SetGenerator(GKind::IsEx, GenIsEx);
    SetGenerator(GKind::MDEx, GenMDEx);
    SetGenerator(GKind::IncEx, GenIncEx);
    SetGenerator(GKind::Par, GenPar);
    SetGenerator(GKind::Una, GenUna);
    SetGenerator(GKind::This, GenThis);
    SetGenerator(GKind::Const, GenConst);
    SetGenerator(GKind::NewObj, GenNewObj);
    SetGenerator(GKind::ResourceVal, GenResourceVal);
    SetGenerator(GKind::ArgList, GenArgList);
}

}  // namespace varno
