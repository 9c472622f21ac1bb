// Code generation for a class as a whole, its declarations and its statements.
#include <string>

#include "compiler/CmpError.h"
#include "compiler/Generators.h"
#include "front/ScriptNodes.h"
#include "runtime/Function.h"
#include "runtime/Messages.h"
#include "runtime/Peephole.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

// A loop's own list of pending breaks for as long as the loop is being compiled; the
// enclosing loop's list comes back afterwards.
class TBreakScope {
public:
    explicit TBreakScope(TContext& context) : m_context(context), m_saved(context.BreakList) {
        context.BreakList = &m_breaks;
    }
    ~TBreakScope() { m_context.BreakList = m_saved; }
    TBreakScope(const TBreakScope&) = delete;
    TBreakScope& operator=(const TBreakScope&) = delete;

    // Points every break of the loop at end.
    void patch(TProgWriter& writer, std::int32_t end) const {
        for (std::int32_t b : m_breaks) {
            writer.SetPos(b);
            writer.WriteJump(end - b);
        }
    }

private:
    TContext& m_context;
    std::vector<std::int32_t>* m_saved;
    std::vector<std::int32_t> m_breaks;
};

// Ends a loop whose condition leaves through the JumpZero at exit: jumps back to top,
// then points that exit and every break of the loop past the loop.
void CloseLoop(TProgWriter& writer, const TBreakScope& breaks, std::int32_t top, std::int32_t exit) {
    writer.WriteJump(top - writer.GetPos());
    const std::int32_t end = writer.GetPos();
    writer.SetPos(exit);
    writer.WriteJumpZero(end - exit);
    breaks.patch(writer, end);
    writer.SeekEnd();
}

// A statement records where its code begins in the source.
void MarkStatement(TContext& context, const TLexElem& token) {
    context.SrcPos = TContext::position(token);
    context.writer().WritePoint(context.SrcPos);
}

bool IsDeclaration(const TResList& item) {
    return item.kind() == GKind::FuncDecl || item.kind() == GKind::NativeDecl;
}

// The finished block, fused by the peephole pass.
std::unique_ptr<TCompiledInfo> FinishBlock(TContext& context) {
    std::unique_ptr<TCompiledInfo> info = context.writer().Finish();
    context.Writer.reset();
    Peephole(*info);
    return info;
}

// Names of a VArgList: item 0, then the name of every pair of item 1.
void AppendNames(const TResList& list, const TContext& context, std::vector<std::string>& names) {
    if (list.count() == 0) return;
    names.emplace_back(context.text(Tok(list, 0)));
    const TResList& pairs = Sub(list, 1);
    for (std::int32_t i = 1; i < pairs.count(); i += 2) names.emplace_back(context.text(Tok(pairs, i)));
}

std::int32_t GenProgram(TResList& node, TContext& context) {
    TRTTI& cls = *context.CurClass;
    context.CurFunc = nullptr;
    context.Pass = 1;
    Gen(node, 0, context);  // the extends clause leaves the superclass in Resolved

    TRTTI* super = nullptr;
    if (context.Resolved != nullptr) {
        super = dynamic_cast<TRTTI*>(context.Resolved);
        if (super == nullptr) {
            // Only a class can be extended; taking another node for one would corrupt it.
            throw ECmpError(context.ResName + "(" + context.Resolved->hostClassName() + ")" +
                                GetMsg(" is not a Class."),
                            context);
        }
        cls.SetSuperClass(super);
        // The loader compiles the class again once the superclass is compiled.
        if (!super->Compiled()) return 0;
        cls.InheritMethods();
    }

    const TResList& body = Sub(node, 1);
    for (std::int32_t i = 0; i < body.count(); ++i) {
        TResList& item = Sub(body, i);
        if (IsDeclaration(item)) item.Generate(context);
    }
    context.Pass = 2;
    if (super != nullptr) cls.InheritMembers();
    for (std::int32_t i = 0; i < body.count(); ++i) {
        TResList& item = Sub(body, i);
        if (IsDeclaration(item)) item.Generate(context);
    }

    // The class-level statements form one block, in source order, wherever they stand.
    context.Writer = std::make_unique<TProgWriter>(&cls);
    context.CurFunc = nullptr;
    for (std::int32_t i = 0; i < body.count(); ++i) {
        TResList& item = Sub(body, i);
        if (!IsDeclaration(item)) item.Generate(context);
    }
    context.writer().WritePushFloat(0.0f);
    context.writer().WriteHalt();
    cls.SetCode(FinishBlock(context));
    cls.SetCompiled(true);
    return 0;
}

std::int32_t GenExtends(TResList& node, TContext& context) {
    context.Resolved = nullptr;
    if (node.count() == 0) return 0;
    Gen(node, 1, context);
    if (context.Resolved == nullptr) throw ECmpError(context.ResName + GetMsg(" is undefined."), context);
    return 0;
}

std::int32_t GenFuncDecl(TResList& node, TContext& context) {
    TRTTI& cls = *context.CurClass;
    const std::string_view name = context.text(Tok(node, 1));
    if (context.Pass == 1) {
        const std::string_view kind = context.text(Tok(node, 0));
        const std::int32_t symbol = Intern(name);
        TNormalFunction* function;
        if (kind == "constructor") function = new TConstructor(&cls, symbol);
        else if (kind == "destructor") function = new TDestructor(&cls, symbol);
        else function = new TNormalFunction(&cls, symbol);
        context.CurFunc = function;
        cls.AddOrReplaceMethod(function);
        return 0;
    }

    // The first method of the name is the one the declaration pass put there (a later
    // declaration of the same name replaced it in its slot).
    TFunction* found = cls.MethodByName(name);
    if (found == nullptr || !found->isByteCode()) throw EVarno("function " + std::string(name) + " was not declared");
    context.CurFunc = static_cast<TNormalFunction*>(found);
    context.Writer = std::make_unique<TProgWriter>(&cls);
    Gen(node, 3, context);  // the argument names
    Gen(node, 5, context);  // locals and statements
    TProgWriter& writer = context.writer();
    writer.WritePushThis();  // a function that ends without return returns its receiver
    writer.WriteRet();
    writer.WriteHalt();
    context.CurFunc->SetCode(FinishBlock(context));
    return 0;
}

std::int32_t GenNativeDecl(TResList& node, TContext& context) {
    if (context.Pass != 1) return 0;
    // Appended even behind an entry of the same name; the host binds the routine later.
    context.CurClass->AddMethod(new TNativeFunction(context.CurClass, Intern(context.text(Tok(node, 1)))));
    return 0;
}

std::int32_t GenVArgList(TResList& node, TContext& context) {
    if (context.CurFunc != nullptr) AppendNames(node, context, context.CurFunc->Arguments());
    return 0;
}

std::int32_t GenVarBlock(TResList& node, TContext& context) {
    const TResList& decls = Sub(node, 1);
    for (std::int32_t i = 0; i < decls.count(); ++i) Gen(decls, i, context);
    const TResList& statements = Sub(node, 2);
    for (std::int32_t i = 0; i < statements.count(); ++i) Gen(statements, i, context);
    return 0;
}

std::int32_t GenVarDecl(TResList& node, TContext& context) {
    if (context.CurFunc != nullptr) AppendNames(Sub(node, 1), context, context.CurFunc->Locals());
    return 0;
}

std::int32_t GenBlock(TResList& node, TContext& context) {
    const TResList& statements = Sub(node, 1);
    for (std::int32_t i = 0; i < statements.count(); ++i) Gen(statements, i, context);
    return 0;
}

std::int32_t GenExprS(TResList& node, TContext& context) {
    context.AddrMode = false;
    MarkStatement(context, Tok(node, 1));
    Gen(node, 0, context);
    context.writer().WritePop();
    return 0;
}

std::int32_t GenWhile(TResList& node, TContext& context) {
    MarkStatement(context, Tok(node, 0));
    TBreakScope breaks(context);
    TProgWriter& writer = context.writer();
    const std::int32_t top = writer.GetPos();
    Gen(node, 2, context);
    const std::int32_t exit = writer.GetPos();
    writer.WriteJumpZero(0);
    Gen(node, 4, context);
    CloseLoop(writer, breaks, top, exit);
    return 0;
}

std::int32_t GenFor(TResList& node, TContext& context) {
    MarkStatement(context, Tok(node, 0));
    TBreakScope breaks(context);
    TProgWriter& writer = context.writer();
    Gen(node, 2, context);  // start
    writer.WritePop();
    const std::int32_t top = writer.GetPos();
    Gen(node, 4, context);  // condition
    const std::int32_t exit = writer.GetPos();
    writer.WriteJumpZero(0);
    Gen(node, 8, context);  // body
    Gen(node, 6, context);  // step
    writer.WritePop();
    CloseLoop(writer, breaks, top, exit);
    return 0;
}

std::int32_t GenForin(TResList& node, TContext& context) {
    MarkStatement(context, Tok(node, 0));
    TBreakScope breaks(context);
    TProgWriter& writer = context.writer();
    {
        TAddrModeScope address(context, true);
        Gen(node, 2, context);  // the loop variable's address
    }
    Gen(node, 4, context);  // the collection
    writer.WriteInitForIn();
    const std::int32_t top = writer.GetPos();
    writer.WriteDoForIn(0);
    Gen(node, 6, context);
    writer.WriteJump(top - writer.GetPos());
    // The loop's exit and every break land on ClearForIn.
    const std::int32_t end = writer.GetPos();
    writer.SetPos(top);
    writer.WriteDoForIn(end - top);
    breaks.patch(writer, end);
    writer.SeekEnd();
    writer.WriteClearForIn();
    return 0;
}

std::int32_t GenIf(TResList& node, TContext& context) {
    MarkStatement(context, Tok(node, 0));
    TProgWriter& writer = context.writer();
    Gen(node, 2, context);
    const std::int32_t skip = writer.GetPos();
    writer.WriteJumpZero(0);
    Gen(node, 4, context);
    // Written even without an else part: it then jumps to the next instruction.
    const std::int32_t over = writer.GetPos();
    writer.WriteJump(0);
    const std::int32_t elsePart = writer.GetPos();
    writer.SetPos(skip);
    writer.WriteJumpZero(elsePart - skip);
    writer.SeekEnd();
    const TResList& elseGroup = Sub(node, 5);
    if (elseGroup.count() != 0) Gen(elseGroup, 1, context);
    const std::int32_t end = writer.GetPos();
    writer.SetPos(over);
    writer.WriteJump(end - over);
    writer.SeekEnd();
    return 0;
}

std::int32_t GenBreak(TResList&, TContext& context) {
    // Outside any loop a break writes nothing.
    if (context.BreakList == nullptr) return 0;
    TProgWriter& writer = context.writer();
    context.BreakList->push_back(writer.GetPos());
    writer.WriteJump(0);
    return 0;
}

std::int32_t GenReturn(TResList& node, TContext& context) {
    const TResList& value = Sub(node, 1);
    if (value.count() == 0) context.writer().WritePushThis();  // a bare return returns the receiver
    else Gen(value, 0, context);
    context.writer().WriteRet();
    return 0;
}

std::int32_t GenSentence(TResList& node, TContext& context) { return Gen(node, 0, context); }

}  // namespace

void InstallStatementGenerators() {
    SetGenerator(GKind::Program, GenProgram);
    SetGenerator(GKind::Extends, GenExtends);
    SetGenerator(GKind::FuncDecl, GenFuncDecl);
    SetGenerator(GKind::NativeDecl, GenNativeDecl);
    SetGenerator(GKind::VArgList, GenVArgList);
    SetGenerator(GKind::VarBlock, GenVarBlock);
    SetGenerator(GKind::VarDecl, GenVarDecl);
    SetGenerator(GKind::Block, GenBlock);
    SetGenerator(GKind::ExprS, GenExprS);
    SetGenerator(GKind::While, GenWhile);
    SetGenerator(GKind::For, GenFor);
    SetGenerator(GKind::Forin, GenForin);
    SetGenerator(GKind::If, GenIf);
    SetGenerator(GKind::Break, GenBreak);
    SetGenerator(GKind::Return, GenReturn);
    SetGenerator(GKind::Sentence, GenSentence);
}

}  // namespace varno
