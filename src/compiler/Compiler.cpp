// Compiling one class: scan, drop comments, parse, generate, report.
#include "compiler/Compiler.h"

#include <exception>
#include <memory>

#include "compiler/Context.h"
#include "compiler/Generators.h"
#include "compiler/Relink.h"
#include "front/ScriptGrammar.h"
#include "front/ScriptNodes.h"
#include "runtime/Hooks.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"

namespace varno {

void InstallCompiler() {
    InstallStatementGenerators();
    InstallExpressionGenerators();
    InstallChainGenerators();
    TRuntimeHooks& hooks = RuntimeHooks();
    hooks.relink = [](TCompiledInfo& info, TRTTI& cls) { Relink(info, cls); };
    hooks.compileSource = [](TRTTI& cls, std::string_view source, bool report) {
        return CompileClass(cls, source, report);
    };
}

std::optional<TCompileDiagnostic> CompileSource(TRTTI& cls, std::string_view source, TResource* root) {
    TYup& yup = ScriptYup();
    const std::unique_ptr<TLexList> tokens = yup.Lex(source);
    DropComments(*tokens);
    std::unique_ptr<TResultList> tree = yup.Parse(*tokens);
    auto* program = dynamic_cast<G_Program*>(tree.get());
    if (program == nullptr) {
        tree.reset();
        TYup::EndParse();
        cls.SetCompileFailed(true);
        return TCompileDiagnostic{TDiagnosticKind::Syntax, tokens->errorOffset(), GetMsg("Syntax Error")};
    }

    TContext context;
    context.Root = root;
    context.CurClass = &cls;
    context.Source = tokens->source();
    cls.SetCompileFailed(false);
    std::optional<TCompileDiagnostic> diagnostic;
    try {
        program->Generate(context);
    } catch (const std::exception& e) {
        cls.SetCompileFailed(true);
        diagnostic = TCompileDiagnostic{TDiagnosticKind::Compile, context.SrcPos, e.what()};
    }
    tree.reset();
    TYup::EndParse();
    return diagnostic;
}

std::optional<TCompileDiagnostic> CheckClassSource(const std::string& className, std::string_view source,
                                                   TResource* root) {
    const auto cls = std::make_unique<TRTTI>(className, className + ".varno");
    std::optional<TCompileDiagnostic> diagnostic = CompileSource(*cls, source, root);
    if (!diagnostic && !cls->Compiled()) {
        const TRTTI* super = cls->SuperClass();
        diagnostic = TCompileDiagnostic{TDiagnosticKind::Compile, 0,
                                        className + ":" + (super != nullptr ? FullName(*super) : std::string()) +
                                            GetMsg(" is not compiled.")};
    }
    return diagnostic;
}

bool CompileClass(TRTTI& cls, std::string_view source, bool report) {
    const std::optional<TCompileDiagnostic> diagnostic = CompileSource(cls, source, RootResource());
    if (!diagnostic) return false;
    if (report) {
        const std::string text =
            diagnostic->kind == TDiagnosticKind::Syntax ? diagnostic->message + cls.Src() : diagnostic->message;
        ReportSourceError(text, cls.Src(), diagnostic->offset, true);
    }
    return true;
}

}  // namespace varno
